// The settings store: reading with defaults, and the one-step write of all
// nine keys.
#include "config/settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>

#include "support/test_support.h"

namespace orv {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

TEST(StrToIntDef, DecimalHexAndFallback) {
  const struct {
    const char* text;
    int32_t value;
  } cases[] = {
      {"30", 30},      {"-7", -7},     {"+5", 5},       {"$1E", 30},      {"0x1E", 30},   {"0X1e", 30},
      {"0x", 99},      {"", 99},       {"abc", 99},     {"12a", 99},      {"$", 99},      {"-", 99},
      {"2147483647", 2147483647},      {"2147483648", 99},               {"-2147483648", INT32_MIN},
      {"$FFFFFFFF", -1},               {"$100000000", 99},               {" 5", 99},
  };
  for (const auto& c : cases) EXPECT_EQ(StrToIntDef(c.text, 99), c.value) << c.text;
}

class SettingsFileTest : public ::testing::Test {
 protected:
  std::string Ini() const { return dir_ / "orvanne.ini"; }
  TempDir dir_;
};

TEST_F(SettingsFileTest, MissingFileGivesDefaults) {
  const TSettings s = ReadSettings(Ini(), "/default");
  EXPECT_EQ(s.folder, "/default");
  EXPECT_EQ(s.changeSec, 10);
  EXPECT_TRUE(s.extend);
  EXPECT_FALSE(s.putFilename);
  EXPECT_FALSE(s.putFullPath);
  EXPECT_TRUE(s.putExtention);
  EXPECT_FALSE(s.bgColorEnable);
  EXPECT_EQ(s.bgColor, 0);
  EXPECT_EQ(s.drawMode, 0);
}

TEST_F(SettingsFileTest, ValuesAsStoredOrTheirDefault) {
  WriteFile(Ini(),
            "[bgillust]\nFOLDER=  \"/pics/a b\"  \nChangeSec=0x1E\nExtend=yes\n"
            "[Filename]\nPutFilename=yes\nPutFullPath=2\nPutExtention=0\n"
            "[BGColor]\nEnable=-1\nColor=$FF\n[Settings]\nDrawMode=5\n");
  const TSettings s = ReadSettings(Ini(), "/default");
  EXPECT_EQ(s.folder, "/pics/a b");
  EXPECT_EQ(s.changeSec, 30);
  EXPECT_TRUE(s.extend);        // unreadable: default true
  EXPECT_FALSE(s.putFilename);  // unreadable: default false
  EXPECT_TRUE(s.putFullPath);
  EXPECT_FALSE(s.putExtention);
  EXPECT_TRUE(s.bgColorEnable);
  EXPECT_EQ(s.bgColor, 255);
  EXPECT_EQ(s.drawMode, 5);  // the reader does not limit it
}

TEST_F(SettingsFileTest, EmptyFolderIsKeptAndShortIntervalTextsFallBack) {
  WriteFile(Ini(), "[BGIllust]\nFolder=\nChangeSec=0x\n");
  TSettings s = ReadSettings(Ini(), "/default");
  EXPECT_EQ(s.folder, "");
  EXPECT_EQ(s.changeSec, 10);
  WriteFile(Ini(), "[BGIllust]\nChangeSec=\n");
  EXPECT_EQ(ReadSettings(Ini(), "/default").changeSec, 10);
}

TEST_F(SettingsFileTest, FreshFileHoldsTheNineKeysInOrder) {
  TSettings s;
  s.folder = "/pics";
  s.changeSec = 60;
  s.bgColor = 16711680;
  s.drawMode = -1;
  WriteSettings(Ini(), s);
  EXPECT_EQ(ReadFile(Ini()),
            "[BGIllust]\nFolder=/pics\nChangeSec=60\nExtend=1\n"
            "[Filename]\nPutFilename=0\nPutFullPath=0\nPutExtention=1\n"
            "[BGColor]\nEnable=0\nColor=16711680\n[Settings]\nDrawMode=-1\n");
}

TEST_F(SettingsFileTest, OtherContentIsKept) {
  WriteFile(Ini(), "; mine\n[Other]\nKey=1\n\n[BGIllust]\nExtra=x\nFolder=/old\n");
  TSettings s;
  s.folder = "/new";
  WriteSettings(Ini(), s);
  const std::string content = ReadFile(Ini());
  EXPECT_EQ(content.rfind("; mine\n[Other]\nKey=1\n\n[BGIllust]\nExtra=x\nFolder=/new\nChangeSec=10\n", 0), 0u)
      << content;
  EXPECT_EQ(ReadSettings(Ini(), "").folder, "/new");
}

TEST_F(SettingsFileTest, LineBreaksCannotBreakOutOfTheFolderValue) {
  // A folder name may hold a line break here; it must not add lines (or
  // sections) to the file.
  TSettings s;
  s.folder = "/pics/a\n[Settings]\nDrawMode=7\r\nb";
  s.drawMode = 1;
  WriteSettings(Ini(), s);
  const std::string content = ReadFile(Ini());
  EXPECT_NE(content.find("Folder=/pics/a\n"), std::string::npos) << content;
  EXPECT_EQ(content.find("DrawMode=7"), std::string::npos) << content;
  EXPECT_EQ(ReadSettings(Ini(), "").drawMode, 1);
}

class FailingWriter : public ISettingsFileWriter {
 public:
  int Replace(const std::string&, const std::string&) override {
    ++calls;
    return EIO;
  }
  int calls = 0;
};

TEST_F(SettingsFileTest, FailedWriteNamesTheFileAndKeepsTheOldContent) {
  WriteFile(Ini(), "[BGIllust]\nFolder=/old\n");
  FailingWriter failing;
  try {
    WriteSettings(Ini(), TSettings{}, &failing);
    FAIL() << "no error";
  } catch (const ESettingsWriteError& e) {
    EXPECT_EQ(std::string(e.what()), Ini() + " に書き込めません");
  }
  EXPECT_EQ(failing.calls, 1);
  EXPECT_EQ(ReadFile(Ini()), "[BGIllust]\nFolder=/old\n");
}

TEST_F(SettingsFileTest, ReadOnlyFileIsRefusedEvenForRoot) {
  WriteFile(Ini(), "[BGIllust]\nFolder=/old\n");
  ASSERT_EQ(::chmod(Ini().c_str(), 0444), 0);
  EXPECT_THROW(WriteSettings(Ini(), TSettings{}), ESettingsWriteError);
  EXPECT_EQ(ReadFile(Ini()), "[BGIllust]\nFolder=/old\n");
}

}  // namespace
}  // namespace orv
