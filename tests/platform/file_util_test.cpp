#include "platform/file_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

#include "support/test_support.h"

namespace orv {
namespace {

mode_t ModeOf(const std::string& path) {
  struct stat st;
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(ReplaceFileAtomically, CreatesAndReplacesKeepingTheMode) {
  test::TempDir dir;
  std::string path = dir / "orvanne.ini";
  ASSERT_EQ(ReplaceFileAtomically(path, "one"), 0);
  EXPECT_EQ(test::ReadFile(path), "one");
  chmod(path.c_str(), 0640);
  ASSERT_EQ(ReplaceFileAtomically(path, "two"), 0);
  EXPECT_EQ(test::ReadFile(path), "two");
  EXPECT_EQ(ModeOf(path), 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ReplaceFileAtomically, RefusesAFileWithoutWritePermissionEvenAsRoot) {
  test::TempDir dir;
  std::string path = dir / "orvanne.ini";
  test::WriteFile(path, "old");
  chmod(path.c_str(), 0444);
  EXPECT_EQ(ReplaceFileAtomically(path, "new"), EACCES);
  EXPECT_EQ(test::ReadFile(path), "old");
}

TEST(ReplaceFileAtomically, AFolderThatCannotBeWrittenLeavesTheFileAlone) {
  EXPECT_NE(ReplaceFileAtomically("/no/such/folder/orvanne.ini", "x"), 0);
  test::TempDir dir;
  EXPECT_EQ(ReplaceFileAtomically(dir.path(), "x"), EISDIR);
}

TEST(ReplaceFileAtomically, ReplacesTheTargetOfALink) {
  test::TempDir dir;
  test::WriteFile(dir / "real.ini", "old");
  symlink("real.ini", (dir / "link.ini").c_str());
  ASSERT_EQ(ReplaceFileAtomically(dir / "link.ini", "new"), 0);
  EXPECT_EQ(test::ReadFile(dir / "real.ini"), "new");
  struct stat st;
  lstat((dir / "link.ini").c_str(), &st);
  EXPECT_TRUE(S_ISLNK(st.st_mode));
}

TEST(ReadWholeFile, ReadsBinaryContent) {
  test::TempDir dir;
  test::WriteFile(dir / "b", std::string("a\0b", 3));
  std::string s;
  ASSERT_TRUE(ReadWholeFile(dir / "b", &s));
  EXPECT_EQ(s, std::string("a\0b", 3));
  EXPECT_FALSE(ReadWholeFile(dir / "none", &s));
}

}  // namespace
}  // namespace orv
