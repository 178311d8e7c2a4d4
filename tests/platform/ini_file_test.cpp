#include "platform/ini_file.h"

#include <gtest/gtest.h>

#include "platform/native.h"

namespace orv {
namespace {

struct ReadCase {
  const char* name;
  std::string content;
  const char* section;
  const char* key;
  std::string want;
};

TEST(TIniFile, ReadsWithTheProfileRules) {
  const std::string big(100000, 'x');
  const ReadCase cases[] = {
      {"plain", "[A]\nk=v\n", "A", "k", "v"},
      {"names ignore case", "[bgillust]\nFOLDER=/p\n", "BGIllust", "Folder", "/p"},
      {"blanks trimmed", "  [ A ]  \n  k  =  v w  \n", "A", "k", "v w"},
      {"double quotes removed", "[A]\nk=\"/a b\"\n", "A", "k", "/a b"},
      {"single quotes removed", "[A]\nk='x'\n", "A", "k", "x"},
      {"one pair only", "[A]\nk=\"\"x\"\"\n", "A", "k", "\"x\""},
      {"mismatched quotes kept", "[A]\nk=\"x'\n", "A", "k", "\"x'"},
      {"empty value is not the default", "[A]\nk=\n", "A", "k", ""},
      {"missing key", "[A]\nj=1\n", "A", "k", "DEF"},
      {"missing section", "[B]\nk=1\n", "A", "k", "DEF"},
      {"key in another section", "[B]\nk=1\n[A]\nj=2\n", "A", "k", "DEF"},
      {"first occurrence wins", "[A]\nk=1\nk=2\n[A]\nk=3\n", "A", "k", "1"},
      {"CRLF", "[A]\r\nk=v\r\n", "A", "k", "v"},
      {"no final newline", "[A]\nk=v", "A", "k", "v"},
      {"line without equals skipped", "[A]\nk\nk=v\n", "A", "k", "v"},
      {"value keeps later equals", "[A]\nk=a=b\n", "A", "k", "a=b"},
      {"binary bytes", std::string("[A]\nk=\x01\xff\x00z\n", 11), "A", "k", std::string("\x01\xff\x00z", 4)},
      {"cut at 2047", "[A]\nk=" + big + "\n", "A", "k", std::string(2047, 'x')},
      {"UTF-8 text", "[A]\nk=/写真/夏\n", "A", "k", "/写真/夏"},
  };
  for (const auto& c : cases) {
    TIniFile ini(c.content);
    EXPECT_EQ(ini.ReadString(c.section, c.key, "DEF"), c.want) << c.name;
  }
}

TEST(TIniFile, TheCutNeverSplitsACharacter) {
  std::string v = std::string(2046, 'a') + "写";  // the 3-byte character straddles the cut
  TIniFile ini("[A]\nk=" + v + "\n");
  EXPECT_EQ(ini.ReadString("A", "k", ""), std::string(2046, 'a'));
}

TEST(TIniFile, WritesAppendNewSectionsAndKeysInOrder) {
  TIniFile ini;
  ini.WriteString("BGIllust", "Folder", "/p");
  ini.WriteString("BGIllust", "ChangeSec", "10");
  ini.WriteString("Filename", "PutFilename", "0");
  ini.WriteString("BGIllust", "Extend", "1");
  // A new file ends its lines as the system does.
  std::string want;
  for (const char* line : {"[BGIllust]", "Folder=/p", "ChangeSec=10", "Extend=1", "[Filename]", "PutFilename=0"})
    want += std::string(line) + native::kLineEnd;
  EXPECT_EQ(ini.Content(), want);
}

TEST(TIniFile, WritesKeepEverythingElse) {
  const std::string original =
      "; my notes\r\n[Other]\r\nx = 1 \r\n\r\n[BGIllust]\r\nfolder = /old\r\nZ=9\r\n\r\n[Tail]\r\n";
  TIniFile ini(original);
  ini.WriteString("BGIllust", "Folder", "/new");
  ini.WriteString("BGIllust", "ChangeSec", "5");
  ini.WriteString("Settings", "DrawMode", "1");
  EXPECT_EQ(ini.Content(),
            "; my notes\r\n[Other]\r\nx = 1 \r\n\r\n[BGIllust]\r\nfolder=/new\r\nZ=9\r\nChangeSec=5\r\n\r\n"
            "[Tail]\r\n[Settings]\r\nDrawMode=1\r\n");
}

TEST(TIniFile, AFileWithoutFinalNewlineGetsOneBeforeAppending) {
  TIniFile ini("[A]\nk=v");
  EXPECT_EQ(ini.Content(), "[A]\nk=v");
  ini.WriteString("B", "x", "1");
  EXPECT_EQ(ini.Content(), "[A]\nk=v\n[B]\nx=1\n");
}

TEST(TIniFile, ReadBackWhatWasWritten) {
  TIniFile ini("garbage without section\n=\n[\n");
  ini.WriteString("S", "Key", "  spaced  ");
  TIniFile again(ini.Content());
  EXPECT_EQ(again.ReadString("s", "KEY", "d"), "spaced");
}

}  // namespace
}  // namespace orv
