#include "platform/paths.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include "support/test_support.h"

namespace orv {
namespace {

TEST(Paths, SettingsFileAndFolderOfTheProgram) {
  struct Case {
    const char* program;
    const char* ini;
    const char* folder;
  };
  const Case cases[] = {
      {"/opt/tools/Slides.scr", "/opt/tools/Slides.ini", "/opt/tools"},
      {"/opt/tools/orvanne", "/opt/tools/orvanne.ini", "/opt/tools"},
      {"/orvanne", "/orvanne.ini", "/"},
      {"/opt/v1.2/orvanne", "/opt/v1.2/orvanne.ini", "/opt/v1.2"},
      {"/opt/a.b.c", "/opt/a.b.ini", "/opt"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SettingsPathFor(c.program), c.ini);
    EXPECT_EQ(FolderOf(c.program), c.folder);
  }
}

TEST(Paths, PiecesOfAPath) {
  EXPECT_EQ(ExtractFileExt("/a/photo.2024.jpg"), ".jpg");
  EXPECT_EQ(ExtractFileExt("/pictures.old/photo"), "");
  EXPECT_EQ(ExtractFileExt("noext"), "");
  EXPECT_EQ(ExtractFileName("/a/b/c.png"), "c.png");
  EXPECT_EQ(ExtractFileName("c.png"), "c.png");
  EXPECT_EQ(ChangeFileExt("/a.b/c", ".ini"), "/a.b/c.ini");
}

TEST(Paths, ExpandFileNameNormalises) {
  EXPECT_EQ(ExpandFileName("/a/./b//c/../d/"), "/a/b/d");
  EXPECT_EQ(ExpandFileName("/../.."), "/");
  std::string rel = ExpandFileName("x/y");
  EXPECT_EQ(rel[0], '/');
  EXPECT_EQ(rel.substr(rel.size() - 4), "/x/y");
}

TEST(Paths, ProgramPathIsTheRunningBinaryUnlessOverridden) {
  EXPECT_EQ(ExtractFileName(ProgramPath()), "platform_tests");
  SetProgramPathForTesting("/tmp/x/orvanne");
  EXPECT_EQ(ProgramPath(), "/tmp/x/orvanne");
  SetProgramPathForTesting("");
  EXPECT_EQ(ExtractFileName(ProgramPath()), "platform_tests");
}

TEST(ListFilesWithExt, TakesRegularFilesOfThatExtensionOnly) {
  test::TempDir dir;
  for (const char* n : {"a.jpg", "b.JPG", "c.Jpg", ".jpg", ".hidden.jpg", "d.jpeg", "e.jpg.txt", "f.png", "g"})
    test::WriteFile(dir / n, "x");
  mkdir((dir / "sub.jpg").c_str(), 0700);
  test::WriteFile(dir / "sub.jpg/inner.jpg", "x");
  symlink("a.jpg", (dir / "link.jpg").c_str());
  symlink("missing", (dir / "dangling.jpg").c_str());
  symlink("sub.jpg", (dir / "dirlink.jpg").c_str());
  symlink("loop.jpg", (dir / "loop.jpg").c_str());
  mkfifo((dir / "pipe.jpg").c_str(), 0600);
  int fd = socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::string sock = dir / "sock.jpg";
  if (sock.size() < sizeof(addr.sun_path)) {
    std::copy(sock.begin(), sock.end(), addr.sun_path);
    bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
  }
  auto names = ListFilesWithExt(dir.path(), "jpg");
  close(fd);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{".hidden.jpg", ".jpg", "a.jpg", "b.JPG", "c.Jpg", "link.jpg"}));
  EXPECT_EQ(ListFilesWithExt(dir.path(), "jpeg"), std::vector<std::string>{"d.jpeg"});
}

TEST(ListFilesWithExt, AFolderThatCannotBeReadGivesNothing) {
  EXPECT_TRUE(ListFilesWithExt("/no/such/folder", "jpg").empty());
  test::TempDir dir;
  test::WriteFile(dir / "f.jpg", "x");
  EXPECT_TRUE(ListFilesWithExt(dir / "f.jpg", "jpg").empty());
}

TEST(Paths, ExistenceChecksTellFilesFromFolders) {
  test::TempDir dir;
  test::WriteFile(dir / "f", "x");
  symlink("f", (dir / "l").c_str());
  EXPECT_TRUE(FileExists(dir / "f"));
  EXPECT_TRUE(FileExists(dir / "l"));
  EXPECT_FALSE(FileExists(dir.path()));
  EXPECT_TRUE(DirectoryExists(dir.path()));
  EXPECT_FALSE(DirectoryExists(dir / "f"));
  EXPECT_FALSE(FileExists(""));
}

}  // namespace
}  // namespace orv
