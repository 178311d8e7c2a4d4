// The Win32 backend against the real system calls (under Wine in CI).
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "platform/exceptions.h"
#include "platform/file_util.h"
#include "platform/instance_mark.h"
#include "platform/native.h"
#include "platform/paths.h"
#include "platform/shell_link.h"
#include "platform/stream.h"
#include "platform/win32/wide.h"
#include "support/test_support.h"

// After our headers: its colour macros would clash with ours.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace orv {
namespace {

void SetAttributes(const std::string& path, DWORD attributes) {
  ASSERT_TRUE(SetFileAttributesW(win32::Wide(path).c_str(), attributes)) << path;
}

TEST(Win32Listing, TakesNormalReadOnlyArchiveAndHiddenFilesButNoSystemFiles) {
  test::TempDir dir;
  for (const char* n : {"a.jpg", "b.JPG", "hidden.jpg", "readonly.jpg", "archive.jpg", "system.jpg", "d.jpeg",
                        "e.jpg.txt", "写真.jpg"})
    test::WriteFile(dir / n, "x");
  SetAttributes(dir / "hidden.jpg", FILE_ATTRIBUTE_HIDDEN);
  SetAttributes(dir / "readonly.jpg", FILE_ATTRIBUTE_READONLY);
  SetAttributes(dir / "archive.jpg", FILE_ATTRIBUTE_ARCHIVE);
  SetAttributes(dir / "system.jpg", FILE_ATTRIBUTE_SYSTEM);
  std::filesystem::create_directory(win32::Wide(dir / "sub.jpg"));
  auto names = ListFilesWithExt(dir.path(), "jpg");
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"a.jpg", "archive.jpg", "b.JPG", "hidden.jpg", "readonly.jpg",
                                             "写真.jpg"}));
  // The extension must match exactly: no short-name match of "d.jpeg".
  EXPECT_EQ(ListFilesWithExt(dir.path(), "jpeg"), std::vector<std::string>{"d.jpeg"});
  SetAttributes(dir / "readonly.jpg", FILE_ATTRIBUTE_NORMAL);
  SetAttributes(dir / "system.jpg", FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32Files, UnicodeNamesGoThroughTheWideCalls) {
  test::TempDir dir;
  const std::string folder = JoinPath(dir.path(), "夏の写真");
  ASSERT_TRUE(native::CreateFolder(folder));
  const std::string file = JoinPath(folder, "ひまわり.png");
  {
    TFileStream out(file, fmCreate);
    out.WriteBuffer("abc", 3);
  }
  EXPECT_TRUE(FileExists(file));
  EXPECT_TRUE(DirectoryExists(folder));
  EXPECT_FALSE(FileExists(folder));
  std::string back;
  ASSERT_TRUE(ReadWholeFile(file, &back));
  EXPECT_EQ(back, "abc");
  // Components come back as stored, whatever case was asked for.
  EXPECT_EQ(GetTruePath(JoinPath(AsciiUpper(folder), "ひまわり.PNG")), GetTruePath(file));
  EXPECT_EQ(ExtractFileName(GetTruePath(JoinPath(folder, "ひまわり.PNG"))), "ひまわり.png");
  EXPECT_THROW(TFileStream(JoinPath(folder, "none.png"), fmOpenRead), EFOpenError);
}

TEST(Win32Files, ReplaceIsAtomicAndRefusesReadOnlyFiles) {
  test::TempDir dir;
  const std::string ini = dir / "orvanne.ini";
  test::WriteFile(ini, "old");
  EXPECT_EQ(ReplaceFileAtomically(ini, "new\r\n"), 0);
  EXPECT_EQ(test::ReadFile(ini), "new\r\n");
  SetAttributes(ini, FILE_ATTRIBUTE_READONLY);
  EXPECT_EQ(ReplaceFileAtomically(ini, "newer"), EACCES);
  EXPECT_EQ(test::ReadFile(ini), "new\r\n");
  SetAttributes(ini, FILE_ATTRIBUTE_NORMAL);
  EXPECT_EQ(ReplaceFileAtomically(dir / "missing" + "\\x.ini", "x"), ENOENT);
  // No temporary file is left beside it.
  size_t entries = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(win32::Wide(dir.path()))) ++entries;
  EXPECT_EQ(entries, 1u);
}

TEST(Win32Mark, IsTheNamedMutexOfTheOriginal) {
  const std::string name = "Mutex_of_tobrinel";
  EXPECT_FALSE(InstanceMarkHeld(name));
  {
    InstanceMark mark;
    ASSERT_TRUE(mark.Create(name));
    EXPECT_TRUE(InstanceMarkHeld(name));
    HANDLE h = OpenMutexA(SYNCHRONIZE, FALSE, "Mutex_of_tobrinel");
    EXPECT_NE(h, nullptr);
    if (h) CloseHandle(h);
  }
  EXPECT_FALSE(InstanceMarkHeld(name));
}

TEST(Win32Shortcuts, AShortcutToADriveOrAFolderResolves) {
  test::TempDir dir;
  const std::string here = GetTruePath(dir.path(), true);
  struct Case {
    std::string base, suffix, want;
  };
  const Case cases[] = {{"C:\\", "", "C:\\"}, {"C:", "", "C:"}, {here, "", here}, {"C:\\", "windows", "C:\\windows"}};
  for (const Case& c : cases) {
    test::ShellLinkSpec spec;
    spec.local_base_path = c.base;
    spec.common_path_suffix = c.suffix;
    test::WriteFile(dir / "t.lnk", test::BuildShellLink(spec));
    EXPECT_EQ(ResolveShortcut(dir / "t.lnk"), c.want) << c.base;
    EXPECT_TRUE(DirectoryExists(ExpandFileName(ResolveShortcut(dir / "t.lnk")))) << c.base;
  }
}

// The shell's own reading of a shortcut (IShellLinkW through IPersistFile).
std::string ShellTarget(const std::string& link) {
  std::string out = "(no shell link)";
  IShellLinkW* shell_link = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&shell_link))))
    return out;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(shell_link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    out = "(not loaded)";
    if (SUCCEEDED(file->Load(win32::Wide(link).c_str(), STGM_READ))) {
      wchar_t path[MAX_PATH] = {};
      out = shell_link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH) == S_OK ? win32::Utf8(std::wstring(path)) : "";
    }
    file->Release();
  }
  shell_link->Release();
  return out;
}

TEST(Win32Shortcuts, OurReaderFindsTheTargetTheShellFinds) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  test::TempDir dir;
  test::WriteFile(dir / "summer.jpg", "x");
  const std::string here = GetTruePath(dir.path(), true);
  // ASCII paths without a common suffix: Wine's shell reads only the ANSI
  // local base path (in the ANSI code page) and ignores the suffix.
  struct Case {
    std::string base;
    bool unicode;
  };
  const Case cases[] = {{JoinPath(here, "summer.jpg"), true}, {JoinPath(here, "summer.jpg"), false},
                        {"C:\\windows\\win.ini", true}, {"C:\\windows\\win.ini", false}};
  for (const Case& c : cases) {
    test::ShellLinkSpec spec;
    spec.local_base_path = c.base;
    spec.unicode = c.unicode;
    test::WriteFile(dir / "t.lnk", test::BuildShellLink(spec));
    EXPECT_EQ(ResolveShortcut(dir / "t.lnk"), ShellTarget(dir / "t.lnk")) << c.base << " unicode=" << c.unicode;
  }
  CoUninitialize();
}

}  // namespace
}  // namespace orv
