// Settings files in the code pages the profile functions write them in:
// read as the original wrote them, written back so that it reads them.
#include <gtest/gtest.h>

#include "platform/ini_file.h"
#include "platform/native.h"
#include "support/test_support.h"

namespace orv {
namespace {

struct CodePageCase {
  unsigned code_page;
  std::string file;    // as the original wrote it
  std::string folder;  // the value in UTF-8
  std::string added;   // a value we write, in UTF-8
  std::string added_bytes;
};

TEST(IniCodePages, ReadsWhatTheOriginalWroteAndWritesItsCodePage) {
  const CodePageCase cases[] = {
      // 表 is 0x95 0x5C: its second byte is a backslash.
      {932, "[Option]\r\nIllustFolder=C:\\\x95\x5C\x8E\xA6\\\x89\xC4\r\nChangeSec=5\r\n", "C:\\表示\\夏",
       "D:\\写真", "D:\\\x8E\xCA\x90\x5E"},
      {1252, "[Option]\r\nIllustFolder=C:\\Caf\xE9 Zo\xEB\r\nChangeSec=5\r\n", "C:\\Café Zoë", "D:\\€ Öl",
       "D:\\\x80 \xD6l"},
  };
  test::TempDir dir;
  for (const CodePageCase& c : cases) {
    SCOPED_TRACE(c.code_page);
    test::WriteFile(dir / "s.ini", c.file);
    TIniFile ini = TIniFile::Load(dir / "s.ini", c.code_page);
    EXPECT_EQ(ini.ReadString("Option", "IllustFolder", ""), c.folder);
    EXPECT_EQ(ini.ReadString("option", "changesec", ""), "5");
    // Unchanged content comes back byte for byte; a new key is appended in
    // the file's code page with its CRLF.
    EXPECT_EQ(ini.FileBytes(c.code_page), c.file);
    ini.WriteString("Option", "Extra", c.added);
    EXPECT_EQ(ini.FileBytes(c.code_page), c.file + "Extra=" + c.added_bytes + "\r\n");
  }
}

TEST(IniCodePages, TextTheCodePageCannotHoldGoesToUtf16AndReadsBack) {
  TIniFile ini = TIniFile::FromFileBytes("[Option]\r\nChangeSec=5\r\n", 1252);
  ini.WriteString("Option", "IllustFolder", "C:\\夏 𝄞");
  const std::string bytes = ini.FileBytes(1252);
  ASSERT_EQ(bytes.substr(0, 4), std::string("\xFF\xFE[\0", 4));
  const TIniFile back = TIniFile::FromFileBytes(bytes, 1252);
  EXPECT_EQ(back.ReadString("Option", "IllustFolder", ""), "C:\\夏 𝄞");
  EXPECT_EQ(back.ReadString("Option", "ChangeSec", ""), "5");
  // Once UTF-16, it stays UTF-16 even when the text would fit again.
  EXPECT_EQ(back.FileBytes(1252), bytes);
}

TEST(IniCodePages, BytesNotValidInTheCodePageAreKeptAsTheyAre) {
  const std::string file = "[Option]\nIllustFolder=\x81\x20\n";  // a lead byte without its trail
  TIniFile ini = TIniFile::FromFileBytes(file, 932);
  EXPECT_EQ(ini.ReadString("Option", "IllustFolder", ""), "\x81");
  EXPECT_EQ(ini.Content(), file);
}

TEST(IniCodePages, ANewFileEndsLinesAsTheSystemDoes) {
  TIniFile ini;
  ini.WriteString("Option", "ChangeSec", "5");
  EXPECT_EQ(ini.FileBytes(native::AnsiCodePage()),
            std::string("[Option]") + native::kLineEnd + "ChangeSec=5" + native::kLineEnd);
}

}  // namespace
}  // namespace orv
