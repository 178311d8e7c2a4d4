// What the dialog's controls make of stored values, and the folder a dropped
// item selects.
#include "config/config_rules.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>

#include "platform/paths.h"
#include "support/test_support.h"

namespace orv {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(ClampChangeSec, TakesLowSixteenBitsAsSignedWithinOneToSixty) {
  const struct {
    int32_t stored;
    int shown;
  } cases[] = {
      {10, 10},         {1, 1},           {60, 60},          {0, 1},
      {-5, 1},          {61, 60},         {100, 60},         {65546, 10},  // 0x1000A
      {65536, 1},       {0x1003C, 60},    {0x1FFFF, 1},      {32767, 60},  // 0xFFFF is -1
      {32768, 1},       {INT32_MIN, 1},   {INT32_MAX, 1},    {-65526, 10},  // 0xFFFF000A
  };
  for (const auto& c : cases) EXPECT_EQ(ClampChangeSec(c.stored), c.shown) << c.stored;
}

TEST(ClampDrawMode, KeepsMinusOneToOne) {
  const struct {
    int32_t stored;
    int index;
  } cases[] = {{0, 0}, {1, 1}, {-1, -1}, {5, 1}, {-3, -1}, {INT32_MIN, -1}, {INT32_MAX, 1}};
  for (const auto& c : cases) EXPECT_EQ(ClampDrawMode(c.stored), c.index) << c.stored;
}

TEST(PercentDecode, KeepsBytesThatAreNotUtf8) {
  EXPECT_EQ(PercentDecode("/a%20b/%E7%94%BB"), "/a b/\xE7\x94\xBB");
  EXPECT_EQ(PercentDecode("/x/%ff%FE"), "/x/\xFF\xFE");
  // Incomplete or invalid escapes stay as they are.
  EXPECT_EQ(PercentDecode("%"), "%");
  EXPECT_EQ(PercentDecode("/a%4"), "/a%4");
  EXPECT_EQ(PercentDecode("/a%zz%4g"), "/a%zz%4g");
  EXPECT_EQ(PercentDecode(""), "");
}

// A shortcut whose target is given as a Windows path on the drive that maps
// to the root.
void WriteShortcut(const std::string& link, const std::string& target) {
  std::string windows = "Z:" + target;
  for (char& c : windows)
    if (c == '/') c = '\\';
  test::ShellLinkSpec spec;
  spec.local_base_path = windows;
  WriteFile(link, test::BuildShellLink(spec));
}

class DroppedPathTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ::mkdir((dir_ / "Pictures").c_str(), 0755);
    ::mkdir((dir_ / "with space").c_str(), 0755);
    WriteFile(dir_ / "Pictures/a.jpg", "x");
    WriteFile(dir_ / "with space/b c.png", "x");
  }
  TempDir dir_;
};

TEST_F(DroppedPathTest, FoldersFilesAndShortcuts) {
  WriteShortcut(dir_ / "to folder.lnk", dir_ / "Pictures");
  WriteShortcut(dir_ / "TO FILE.LNK", dir_ / "with space/b c.png");
  WriteShortcut(dir_ / "case.Lnk", dir_ / "pictures/A.JPG");  // spelled otherwise than stored
  WriteShortcut(dir_ / "nowhere.lnk", dir_ / "gone/x.jpg");
  WriteFile(dir_ / "broken.lnk", "not a shell link");
  ::symlink((dir_ / "gone").c_str(), (dir_ / "dangling").c_str());
  ::symlink((dir_ / "Pictures").c_str(), (dir_ / "linked").c_str());
  ::mkdir((dir_ / "dir.lnk").c_str(), 0755);

  const struct {
    std::string dropped;
    std::string folder;
  } cases[] = {
      {dir_ / "Pictures", dir_ / "Pictures"},
      {dir_ / "Pictures/a.jpg", dir_ / "Pictures"},
      {dir_ / "with space", dir_ / "with space"},
      {dir_ / "with space/b c.png", dir_ / "with space"},
      {dir_ / "to folder.lnk", dir_ / "Pictures"},
      {dir_ / "TO FILE.LNK", dir_ / "with space"},
      {dir_ / "case.Lnk", dir_ / "Pictures"},
      {dir_ / "nowhere.lnk", ""},
      {dir_ / "broken.lnk", ""},
      {dir_ / "dir.lnk", ""},  // a folder named like a shortcut is read as one
      {dir_ / "dangling", dir_.path()},
      {dir_ / "linked", dir_ / "linked"},
      {dir_ / "missing/deeper", dir_ / "missing"},
      {"/", "/"},
      {"", ""},
      {std::string(dir_ / "Pictures") + std::string(1, '\0') + "/x", dir_ / "Pictures"},
  };
  for (const auto& c : cases) EXPECT_EQ(FolderForDroppedPath(c.dropped), c.folder) << c.dropped;
}

TEST_F(DroppedPathTest, OverlongAndNonUtf8PathsEndAsTheirFolder) {
  const std::string long_folder = dir_.path() + "/" + std::string(3990, 'a');
  const std::string long_path = long_folder + "/b.jpg";
  ASSERT_GE(long_path.size(), 4000u);
  EXPECT_EQ(FolderForDroppedPath(long_path), long_folder);
  EXPECT_FALSE(DirectoryExists(long_folder));
  EXPECT_EQ(FolderForDroppedPath(long_folder + ".lnk"), "");

  const std::string odd = dir_ / "\xFF\xFE";
  ASSERT_EQ(::mkdir(odd.c_str(), 0755), 0);
  EXPECT_EQ(FolderForDroppedPath(odd), odd);
  EXPECT_EQ(FolderForDroppedPath(odd + "/\x80.jpg"), odd);
}

}  // namespace
}  // namespace orv
