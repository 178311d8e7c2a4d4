#include "platform/shell_link.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "support/test_support.h"

namespace orv {
namespace {

using test::BuildShellLink;
using test::ShellLinkSpec;

std::string WinPath(const std::string& unix_path) {
  std::string p = "Z:" + unix_path;
  for (auto& c : p)
    if (c == '/') c = '\\';
  return p;
}

TEST(ParseShellLink, ReadsLinkInfoAndStrings) {
  for (bool unicode : {true, false}) {
    ShellLinkSpec spec;
    spec.local_base_path = "C:\\Photos";
    spec.common_path_suffix = "a.jpg";
    spec.relative_path = "..\\Photos\\a.jpg";
    spec.unicode = unicode;
    auto bytes = BuildShellLink(spec);
    ShellLinkData link;
    ASSERT_TRUE(ParseShellLink(bytes.data(), bytes.size(), &link)) << unicode;
    EXPECT_EQ(link.local_base_path, "C:\\Photos");
    EXPECT_EQ(link.common_path_suffix, "a.jpg");
    EXPECT_EQ(link.relative_path, "..\\Photos\\a.jpg");
  }
}

TEST(ParseShellLink, DecodesCodePage932AnsiStrings) {
  ShellLinkSpec spec;
  spec.local_base_path = "Z:\\写真\\夏.jpg";
  spec.relative_path = ".\\夏.jpg";
  spec.unicode = false;
  spec.ansi_cp932 = true;
  auto bytes = BuildShellLink(spec);
  ShellLinkData link;
  ASSERT_TRUE(ParseShellLink(bytes.data(), bytes.size(), &link));
  EXPECT_EQ(link.local_base_path, "Z:\\写真\\夏.jpg");
  EXPECT_EQ(link.relative_path, ".\\夏.jpg");
}

TEST(ParseShellLink, RefusesEveryTruncationAndForeignHeaders) {
  ShellLinkSpec spec;
  spec.local_base_path = "Z:\\x\\y.png";
  spec.relative_path = ".\\y.png";
  auto bytes = BuildShellLink(spec);
  ShellLinkData link;
  // Cutting the file anywhere before the string data ends makes it malformed.
  size_t last_string_end = bytes.size() - 4;
  for (size_t n = 0; n < last_string_end; ++n)
    EXPECT_FALSE(ParseShellLink(bytes.data(), n, &link)) << n;
  auto wrong = bytes;
  wrong[4] ^= 1;  // CLSID
  EXPECT_FALSE(ParseShellLink(wrong.data(), wrong.size(), &link));
  wrong = bytes;
  wrong[0] = 0x4D;  // header size
  EXPECT_FALSE(ParseShellLink(wrong.data(), wrong.size(), &link));
}

TEST(ParseShellLink, LyingOffsetsInLinkInfoAreIgnoredSafely) {
  ShellLinkSpec spec;
  spec.local_base_path = "Z:\\x.png";
  spec.with_id_list = false;
  auto bytes = BuildShellLink(spec);
  const size_t li = 0x4C;  // LinkInfo right after the header
  for (uint32_t off : {0xFFFFFFF0u, 0x7FFFFFFFu, 5000u}) {
    auto b = bytes;
    b[li + 16] = uint8_t(off);
    b[li + 17] = uint8_t(off >> 8);
    b[li + 18] = uint8_t(off >> 16);
    b[li + 19] = uint8_t(off >> 24);
    b[li + 28] = b[li + 29] = b[li + 30] = b[li + 31] = 0;  // no Unicode path
    ShellLinkData link;
    EXPECT_TRUE(ParseShellLink(b.data(), b.size(), &link));
    EXPECT_EQ(link.local_base_path, "");
  }
}

TEST(MapWindowsPath, MapsDriveZToTheRoot) {
  EXPECT_EQ(MapWindowsPath("Z:\\home\\a.jpg"), "/home/a.jpg");
  EXPECT_EQ(MapWindowsPath("z:/home"), "/home");
  EXPECT_EQ(MapWindowsPath("Z:"), "/");
  EXPECT_EQ(MapWindowsPath("/already/unix"), "/already/unix");
  EXPECT_EQ(MapWindowsPath("C:\\Photos\\a.jpg"), "");
  EXPECT_EQ(MapWindowsPath("\\\\server\\share\\a.jpg"), "");
  EXPECT_EQ(MapWindowsPath(""), "");
}

class ShortcutFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    mkdir((dir_ / "Photos").c_str(), 0700);
    test::WriteFile(dir_ / "Photos/IMG_0001.jpeg", "x");
    mkdir((dir_ / "links").c_str(), 0700);
  }
  std::string Link(const ShellLinkSpec& spec, const std::string& name = "a.lnk") {
    std::string path = dir_ / ("links/" + name);
    test::WriteFile(path, BuildShellLink(spec));
    return path;
  }
  test::TempDir dir_;
};

TEST_F(ShortcutFiles, ResolvesTheLocalBasePath) {
  ShellLinkSpec spec;
  spec.local_base_path = WinPath(dir_ / "Photos");
  spec.common_path_suffix = "IMG_0001.jpeg";
  EXPECT_EQ(ResolveShortcut(Link(spec)), dir_ / "Photos/IMG_0001.jpeg");
}

TEST_F(ShortcutFiles, PrefersTheRelativePathWhenItExists) {
  ShellLinkSpec spec;
  spec.local_base_path = "C:\\Users\\someone\\Photos\\IMG_0001.jpeg";  // made on another machine
  spec.relative_path = "..\\Photos\\IMG_0001.jpeg";
  EXPECT_EQ(ResolveShortcut(Link(spec)), dir_ / "Photos/IMG_0001.jpeg");
}

TEST_F(ShortcutFiles, FallsBackToTheBasePathWhenTheRelativeTargetIsMissing) {
  ShellLinkSpec spec;
  spec.local_base_path = WinPath(dir_ / "Photos/IMG_0001.jpeg");
  spec.relative_path = "..\\Moved\\IMG_0001.jpeg";
  EXPECT_EQ(ResolveShortcut(Link(spec)), dir_ / "Photos/IMG_0001.jpeg");
}

TEST_F(ShortcutFiles, AnyFailureGivesTheEmptyString) {
  ShellLinkSpec other_drive;
  other_drive.local_base_path = "D:\\photos\\img.jpeg";
  EXPECT_EQ(ResolveShortcut(Link(other_drive)), "");
  test::WriteFile(dir_ / "links/garbage.lnk", "this is no shortcut");
  EXPECT_EQ(ResolveShortcut(dir_ / "links/garbage.lnk"), "");
  test::WriteFile(dir_ / "links/empty.lnk", "");
  EXPECT_EQ(ResolveShortcut(dir_ / "links/empty.lnk"), "");
  EXPECT_EQ(ResolveShortcut(dir_ / "links/missing.lnk"), "");
  EXPECT_EQ(ResolveShortcut(dir_ / "links"), "");
}

TEST_F(ShortcutFiles, GetTruePathGivesStoredSpellingOfExistingFiles) {
  EXPECT_EQ(GetTruePath(dir_ / "Photos/IMG_0001.jpeg"), dir_ / "Photos/IMG_0001.jpeg");
  EXPECT_EQ(GetTruePath(dir_ / "photos/img_0001.JPEG"), dir_ / "Photos/IMG_0001.jpeg");
  EXPECT_EQ(GetTruePath(dir_ / "links/../Photos/./IMG_0001.jpeg"), dir_ / "Photos/IMG_0001.jpeg");
  EXPECT_EQ(GetTruePath(dir_ / "Photos/none.jpeg"), "");
  EXPECT_EQ(GetTruePath(""), "");
}

TEST_F(ShortcutFiles, GetTruePathAcceptsFoldersOnlyWhenAsked) {
  EXPECT_EQ(GetTruePath(dir_ / "Photos"), "");
  EXPECT_EQ(GetTruePath(dir_ / "PHOTOS", true), dir_ / "Photos");
  EXPECT_EQ(GetTruePath("/", true), "/");
}

}  // namespace
}  // namespace orv
