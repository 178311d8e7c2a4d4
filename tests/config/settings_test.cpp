// The settings store: reading with defaults, and the one-step write of every
// key.
#include "config/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <climits>
#include <functional>

#include "platform/ini_file.h"
#include "support/test_support.h"

namespace orv {
namespace {

TEST(StrToIntDef, ParsesLikeTheSettingsFileExpects) {
  struct Case {
    const char* text;
    int32_t want;
  };
  const Case cases[] = {
      {"30", 30},          {"-7", -7},          {"+5", 5},           {"0x1E", 30},
      {"0X1e", 30},        {"$1E", 30},         {"$ff", 255},        {"-$10", -16},
      {"$FFFFFFFF", -1},   {"2147483647", 2147483647},               {"-2147483648", INT32_MIN},
      {"0x", 99},          {"", 99},            {"2147483648", 99},  {"$100000000", 99},
      {"abc", 99},         {"12abc", 99},       {"1 2", 99},         {"$", 99},
      {"-", 99},           {"0x1G", 99},        {"00012", 12},       {"65546", 65546},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, 99), c.want) << '"' << c.text << '"';
}

class SettingsFile : public ::testing::Test {
 protected:
  test::TempDir dir_;
  std::string ini_ = dir_ / "orvanne.ini";
  TSettings Read() { return ReadSettings(ini_, "/prog/folder"); }
};

TEST_F(SettingsFile, NoFileGivesTheDefaults) {
  TSettings s = Read();
  EXPECT_EQ(s.folder, "/prog/folder");
  EXPECT_EQ(s.changeSec, 10);
  EXPECT_TRUE(s.extend);
  EXPECT_FALSE(s.putFilename);
  EXPECT_FALSE(s.putFullPath);
  EXPECT_TRUE(s.putExtention);
  EXPECT_FALSE(s.bgColorEnable);
  EXPECT_EQ(s.bgColor, 0);
  EXPECT_EQ(s.drawMode, 0);
}

TEST_F(SettingsFile, ValuesAreReadWithTheirEncodings) {
  struct Case {
    const char* line;  // under its section
    const char* section;
    std::function<bool(const TSettings&)> check;
  };
  const Case cases[] = {
      {"ChangeSec=0x1E", "BGIllust", [](const TSettings& s) { return s.changeSec == 30; }},
      {"ChangeSec=$1E", "BGIllust", [](const TSettings& s) { return s.changeSec == 30; }},
      {"ChangeSec=0x", "BGIllust", [](const TSettings& s) { return s.changeSec == 10; }},
      {"ChangeSec=", "BGIllust", [](const TSettings& s) { return s.changeSec == 10; }},
      // The display takes the interval as written; the fade is kept within 0..3 s where it is read.
      {"ChangeSec=100", "BGIllust", [](const TSettings& s) { return s.changeSec == 100; }},
      {"ChangeSec=-4", "BGIllust", [](const TSettings& s) { return s.changeSec == -4; }},
      {"FadeTime=99", "Settings", [](const TSettings& s) { return s.fadeTime == 30; }},
      {"FadeTime=-2", "Settings", [](const TSettings& s) { return s.fadeTime == 0; }},
      {"FadeTime=$F", "Settings", [](const TSettings& s) { return s.fadeTime == 15; }},
      {"Extend=2", "BGIllust", [](const TSettings& s) { return s.extend; }},
      {"Extend=0", "BGIllust", [](const TSettings& s) { return !s.extend; }},
      {"Extend=yes", "BGIllust", [](const TSettings& s) { return s.extend; }},
      {"PutFilename=yes", "Filename", [](const TSettings& s) { return !s.putFilename; }},
      {"PutFilename=-1", "Filename", [](const TSettings& s) { return s.putFilename; }},
      {"PutFilename=0x10", "Filename", [](const TSettings& s) { return s.putFilename; }},
      {"Folder=", "BGIllust", [](const TSettings& s) { return s.folder.empty(); }},
      {"Folder=\"/my pics\"", "BGIllust", [](const TSettings& s) { return s.folder == "/my pics"; }},
      {"Color=16711680", "BGColor", [](const TSettings& s) { return s.bgColor == 0xFF0000; }},
      {"DrawMode=5", "Settings", [](const TSettings& s) { return s.drawMode == 5; }},
      {"drawmode=-3", "SETTINGS", [](const TSettings& s) { return s.drawMode == -3; }},
      {"AutoRotate=0", "Settings", [](const TSettings& s) { return !s.autoRotate; }},
      {"AutoRotate=no", "Settings", [](const TSettings& s) { return s.autoRotate; }},
      {"subfolders=1", "bgillust", [](const TSettings& s) { return s.subFolders; }},
      {"SubFolders=1", "Settings", [](const TSettings& s) { return !s.subFolders; }},  // another section's
  };
  for (const auto& c : cases) {
    test::WriteFile(ini_, std::string("[") + c.section + "]\n" + c.line + "\n");
    EXPECT_TRUE(c.check(Read())) << c.line;
  }
}

TEST_F(SettingsFile, MalformedContentNeverFails) {
  const std::string junk[] = {std::string("\0\1\2[BGIllust\n=\n==\n[]\nChangeSec\n", 30),
                              std::string(100000, '['), "[BGIllust]\r\nChangeSec=" + std::string(100000, '9'),
                              "[BGIllust]\nChangeSec=7"};
  for (const auto& content : junk) {
    test::WriteFile(ini_, content);
    TSettings s = Read();
    EXPECT_TRUE(s.changeSec == 10 || s.changeSec == 7);
  }
}

TEST_F(SettingsFile, WritesAllKeysInOrderToAFreshFile) {
  TSettings s;
  s.folder = "/写真";
  s.changeSec = 60;
  s.extend = false;
  s.putFilename = true;
  s.putFullPath = false;
  s.putExtention = true;
  s.bgColorEnable = true;
  s.bgColor = 0xFF0000;
  s.drawMode = -1;
  s.autoRotate = false;
  s.subFolders = true;
  s.fadeTime = 25;
  WriteSettings(ini_, s);
  EXPECT_EQ(test::ReadFile(ini_),
            "[BGIllust]\nFolder=/写真\nChangeSec=60\nExtend=0\nSubFolders=1\n[Filename]\nPutFilename=1\nPutFullPath=0\n"
            "PutExtention=1\n[BGColor]\nEnable=1\nColor=16711680\n[Settings]\nDrawMode=-1\nAutoRotate=0\nFadeTime=25\n");
  TSettings back = ReadSettings(ini_, "");
  EXPECT_EQ(back.folder, "/写真");
  EXPECT_EQ(back.drawMode, -1);
  EXPECT_EQ(back.bgColor, 0xFF0000);
  EXPECT_EQ(back.fadeTime, 25);
}

TEST_F(SettingsFile, WritingKeepsTheUsersOtherContent) {
  test::WriteFile(ini_, "; mine\n[Extra]\nkeep=me\n[BGIllust]\nFolder=/old\nMine=1\n");
  WriteSettings(ini_, TSettings{});
  TIniFile ini(test::ReadFile(ini_));
  EXPECT_EQ(ini.ReadString("Extra", "keep", ""), "me");
  EXPECT_EQ(ini.ReadString("BGIllust", "Mine", ""), "1");
  EXPECT_EQ(ini.ReadString("BGIllust", "Folder", "x"), "");
  EXPECT_EQ(test::ReadFile(ini_).substr(0, 7), "; mine\n");
}

TEST_F(SettingsFile, LineBreaksCannotBreakOutOfTheFolderValue) {
  // A folder name may hold a line break here; it must not add lines (or
  // sections) to the file.
  TSettings s;
  s.folder = "/pics/a\n[Settings]\nDrawMode=7\r\nb";
  s.drawMode = 1;
  WriteSettings(ini_, s);
  const std::string content = test::ReadFile(ini_);
  EXPECT_NE(content.find("Folder=/pics/a\n"), std::string::npos) << content;
  EXPECT_EQ(content.find("DrawMode=7"), std::string::npos) << content;
  EXPECT_EQ(ReadSettings(ini_, "").drawMode, 1);
}

class FailingWriter : public ISettingsFileWriter {
 public:
  int Replace(const std::string&, const std::string&) override { return ENOSPC; }
};

TEST_F(SettingsFile, AFailedWriteNamesTheFileAndKeepsTheOldContent) {
  test::WriteFile(ini_, "[BGIllust]\nChangeSec=5\n");
  FailingWriter failing;
  try {
    WriteSettings(ini_, TSettings{}, &failing);
    FAIL() << "no error";
  } catch (const ESettingsWriteError& e) {
    EXPECT_EQ(e.Message(), ini_ + " に書き込めません");
  }
  EXPECT_EQ(test::ReadFile(ini_), "[BGIllust]\nChangeSec=5\n");
}

TEST_F(SettingsFile, AReadOnlyFileIsRefusedEvenForRoot) {
  test::WriteFile(ini_, "[BGIllust]\nChangeSec=5\n");
  chmod(ini_.c_str(), 0444);
  EXPECT_THROW(WriteSettings(ini_, TSettings{}), ESettingsWriteError);
  EXPECT_EQ(test::ReadFile(ini_), "[BGIllust]\nChangeSec=5\n");
}

TEST_F(SettingsFile, AnUnwritableFolderIsRefused) {
  EXPECT_THROW(WriteSettings("/no/such/folder/orvanne.ini", TSettings{}), ESettingsWriteError);
  struct stat st;
  EXPECT_NE(::stat("/no/such", &st), 0) << "a folder outside the per-user one was created";
}

TEST_F(SettingsFile, ThePerUserFolderIsCreatedOnFirstWrite) {
  const std::string config = dir_.path() + "/fresh/config";
  ASSERT_EQ(::setenv("XDG_CONFIG_HOME", config.c_str(), 1), 0);
  const std::string ini = SettingsFilePathFor("/usr/bin/orvanne", "/usr", config.c_str(), "/home/x");
  EXPECT_EQ(ini, config + "/orvanne/orvanne.ini");
  TSettings s;
  s.changeSec = 7;
  WriteSettings(ini, s);
  ::unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(ReadSettings(ini, "").changeSec, 7);
}

}  // namespace
}  // namespace orv
