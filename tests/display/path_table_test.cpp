// The path rules of the system the program runs on, as one table: how a
// picture's path splits for its caption, what ExpandFileName makes of it and
// where a shortcut to it leads.
#include <gtest/gtest.h>

#include "display/caption.h"
#include "platform/native.h"
#include "platform/paths.h"
#include "platform/shell_link.h"
#include "support/test_support.h"

namespace orv {
namespace {

struct PathCase {
  const char* path;
  const char* name;      // ExtractFileName
  const char* folder;    // FolderOf
  const char* caption;   // name without path and extension
  const char* expanded;  // ExpandFileName
  const char* link;      // where a shortcut whose local base path is `path` leads ("" = nowhere)
};

#ifdef _WIN32
const PathCase kCases[] = {
    {"C:\\pics\\a.jpg", "a.jpg", "C:\\pics", "a", "C:\\pics\\a.jpg", "C:\\pics\\a.jpg"},
    {"C:\\pics\\..\\a.jpg", "a.jpg", "C:\\pics\\..", "a", "C:\\a.jpg", "C:\\pics\\..\\a.jpg"},
    {"C:/pics/b.png", "b.png", "C:/pics", "b", "C:\\pics\\b.png", "C:\\pics\\b.png"},
    {"C:\\a.jpg", "a.jpg", "C:\\", "a", "C:\\a.jpg", "C:\\a.jpg"},
    {"C:\\", "", "C:\\", "", "C:\\", "C:\\"},
    {"C:", "C:", "", "C:", "C:\\", "C:"},
    {"C:\\..\\..\\x.gif", "x.gif", "C:\\..\\..", "x", "C:\\x.gif", "C:\\..\\..\\x.gif"},
    {"\\\\server\\share\\p\\c.bmp", "c.bmp", "\\\\server\\share\\p", "c", "\\\\server\\share\\p\\c.bmp",
     "\\\\server\\share\\p\\c.bmp"},
    {"\\\\server\\share\\..\\d.jpg", "d.jpg", "\\\\server\\share\\..", "d", "\\\\server\\share\\d.jpg",
     "\\\\server\\share\\..\\d.jpg"},
    {"D:\\v1.2\\photo", "photo", "D:\\v1.2", "photo", "D:\\v1.2\\photo", "D:\\v1.2\\photo"},
    {"E:\\写真\\夏.jpg", "夏.jpg", "E:\\写真", "夏", "E:\\写真\\夏.jpg", "E:\\写真\\夏.jpg"},
};
#else
const PathCase kCases[] = {
    {"/pics/a.jpg", "a.jpg", "/pics", "a", "/pics/a.jpg", "/pics/a.jpg"},
    {"/pics/../a.jpg", "a.jpg", "/pics/..", "a", "/a.jpg", "/pics/../a.jpg"},
    {"/a.jpg", "a.jpg", "/", "a", "/a.jpg", "/a.jpg"},
    {"/", "", "/", "", "/", "/"},
    {"/../../x.gif", "x.gif", "/../..", "x", "/x.gif", "/../../x.gif"},
    {"/v1.2/photo", "photo", "/v1.2", "photo", "/v1.2/photo", "/v1.2/photo"},
    {"/写真/夏.jpg", "夏.jpg", "/写真", "夏", "/写真/夏.jpg", "/写真/夏.jpg"},
    // A backslash is part of a name here.
    {"/p/a\\b.jpg", "a\\b.jpg", "/p", "a\\b", "/p/a\\b.jpg", "/p/a/b.jpg"},
    // Windows paths in shortcuts: Z: is the root, other drives lead nowhere.
    {"Z:\\pics\\a.jpg", "Z:\\pics\\a.jpg", "", "Z:\\pics\\a", "", "/pics/a.jpg"},
    {"C:\\pics\\a.jpg", "C:\\pics\\a.jpg", "", "C:\\pics\\a", "", ""},
    {"C:", "C:", "", "C:", "", ""},
};
#endif

TEST(PathTable, SplitsExpandsAndResolvesAsTheSystemDoes) {
  test::TempDir dir;
  for (const PathCase& c : kCases) {
    SCOPED_TRACE(c.path);
    EXPECT_EQ(ExtractFileName(c.path), c.name);
    EXPECT_EQ(FolderOf(c.path), c.folder);
    EXPECT_EQ(CaptionText(c.path, false, false), c.caption);
    EXPECT_EQ(CaptionText(c.path, true, true), c.path);
    if (*c.expanded) {
      EXPECT_EQ(ExpandFileName(c.path), c.expanded);
    }
    test::ShellLinkSpec spec;
    spec.local_base_path = c.path;
    test::WriteFile(dir / "t.lnk", test::BuildShellLink(spec));
    EXPECT_EQ(ResolveShortcut(dir / "t.lnk"), c.link);
  }
}

TEST(PathTable, JoinAlwaysPutsTheSeparatorIn) {
  const std::string d(1, native::kPathDelim);
  EXPECT_EQ(JoinPath("x", "a.jpg"), "x" + d + "a.jpg");
  EXPECT_EQ(JoinPath("x" + d, "a.jpg"), "x" + d + d + "a.jpg");
  EXPECT_EQ(IncludeTrailingSeparator("x"), "x" + d);
  EXPECT_EQ(IncludeTrailingSeparator("x" + d), "x" + d);
}

}  // namespace
}  // namespace orv
