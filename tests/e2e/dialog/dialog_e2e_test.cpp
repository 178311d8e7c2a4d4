// The real program in configuration mode on an X server of its own: its
// Japanese labels are drawn in a real font, and what the user changes with
// mouse and keyboard reaches the settings file on OK.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "e2e/support/process.h"
#include "e2e/support/screen_text.h"
#include "e2e/support/x_session.h"

namespace orv::e2e {
namespace {

// Areas of the dialog's client area that hold Japanese text only.
const struct {
  const char* what;
  Rect area;
  int min_glyphs;
} kJapaneseLabels[] = {
    {"画像を切り替える間隔", {16, 299, 132, 17}, 6},
    {"画面より小さな画像は拡大する", {262, 288, 171, 17}, 8},
    {"ファイル名を表示する", {262, 320, 115, 17}, 6},
    {"バッファ未使用 / バッファ使用（…）", {40, 440, 385, 44}, 10},
};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class DialogE2ETest : public ::testing::Test {
 public:
  void SetUp() override {
    if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import missing";
    // The settings file sits beside the program, found through its real
    // path: a copy of its own keeps this test apart from any other.
    CopyProgram(ORV_PROGRAM, dir_.path());
    ::mkdir((dir_ / "pictures").c_str(), 0755);
    std::filesystem::create_directories(ORV_ARTIFACT_DIR);
  }

  // Starts "orvanne /c" and waits for its window.
  void StartDialog(Env env = {}) {
    for (const auto& [name, value] : x_->ClientEnv().set) env.Set(name, value);
    env.Set("XDG_RUNTIME_DIR", dir_ / "runtime");
    app_ = Process::Start({{dir_ / "orvanne", "/c"}, env, dir_ / "orvanne.log", {}});
    const auto window = tools_->WaitForWindow("^Orvanne$", Millis(20000));
    ASSERT_TRUE(window.has_value()) << ReadText(dir_ / "orvanne.log");
    window_ = *window;
    const auto geometry = tools_->Geometry(window_);
    ASSERT_TRUE(geometry.has_value());
    origin_ = *geometry;
    tools_->Focus(window_);
  }

  // A screenshot once the first label has been drawn (or after a while).
  PpmImage SettledScreenshot(const std::string& name) {
    const Rect label = At(kJapaneseLabels[0].area);
    PpmImage shot;
    WaitUntil(
        [&] {
          shot = tools_->Screenshot(dir_ / "shot.ppm");
          return AnalyzeText(shot, label).ink > 50;
        },
        Millis(10000), Millis(200));
    SaveArtifact(shot, name);
    return shot;
  }

  // Kept in the build tree, as PPM and (where ImageMagick is there) as PNG.
  static void SaveArtifact(const PpmImage& image, const std::string& name) {
    const std::string base = std::string(ORV_ARTIFACT_DIR) + "/" + name;
    image.Save(base + ".ppm");
    if (Executable(kConvert)) RunProgram({kConvert, base + ".ppm", base + ".png"});
  }

  Rect At(Rect client) const { return {origin_.x + client.x, origin_.y + client.y, client.width, client.height}; }
  void ClickAt(int x, int y) { tools_->Click(origin_.x + x, origin_.y + y); }
  std::string Ini() const { return ReadText(dir_ / "orvanne.ini"); }

  ScratchDir dir_{"orv_dialog_e2e"};
  std::unique_ptr<XvfbServer> x_ = XToolsAvailable() ? std::make_unique<XvfbServer>() : nullptr;
  std::unique_ptr<XTools> tools_ = x_ ? std::make_unique<XTools>(x_->display()) : nullptr;
  std::unique_ptr<Process> app_;
  unsigned long window_ = 0;
  WindowGeometry origin_;
};

TEST_F(DialogE2ETest, ShowsJapaneseLabelsAndSavesWhatTheUserChanges) {
  StartDialog();
  EXPECT_EQ(origin_.width, 444);
  // The original form, three rows of options and the buttons below them.
  EXPECT_EQ(origin_.height, 649);
  // Centred on the 1920 x 1080 screen (there is no window frame here).
  EXPECT_EQ(origin_.x, (1920 - 444) / 2);
  EXPECT_EQ(origin_.y, (1080 - 649) / 2);
  const PpmImage shot = SettledScreenshot("dialog");
  SaveArtifact(shot.Crop({origin_.x, origin_.y, origin_.width, origin_.height}), "dialog_window");
  for (const auto& label : kJapaneseLabels) {
    const TextRendering text = AnalyzeText(shot, At(label.area));
    EXPECT_TRUE(LooksLikeRealText(text, label.min_glyphs)) << label.what << ": " << Describe(text);
  }

  // The folder field has the focus: replace its text.
  tools_->Key("ctrl+a");
  tools_->Type(dir_ / "pictures");
  ClickAt(247, 296);  // chkIllustExtend: off
  ClickAt(247, 328);  // chkPutFilename: on
  ClickAt(168, 306);  // the interval field, then five steps up
  tools_->Key("Up", 5);
  ClickAt(26, 473);  // the second drawing method
  tools_->Key("Return");  // OK
  const auto status = app_->Wait(Millis(20000));
  ASSERT_TRUE(status.has_value()) << "the dialog did not close";
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(Ini(), "[BGIllust]\nFolder=" + (dir_ / "pictures") +
                       "\nChangeSec=15\nExtend=0\nSubFolders=0\n[Filename]\nPutFilename=1\nPutFullPath=0\nPutExtention=1\n"
                       "[BGColor]\nEnable=0\nColor=0\n[Settings]\nDrawMode=1\nAutoRotate=1\nFadeTime=0\n");
}

// Without a window manager the dialog is never Qt's active window: the
// folder check must still follow every focus move out of the field, each
// time with a real message box, and the missing folder must never be saved.
TEST_F(DialogE2ETest, EveryFocusMoveOutOfAMissingFolderShowsTheMessageAndSavesNothing) {
  StartDialog();
  SettledScreenshot("dialog_before_folder_check");
  const std::string missing = dir_ / "no_such_folder";
  // Back-tab (Tab would go to the browse button, which may take the focus
  // silently) and a click into the interval field.
  const std::function<void()> moves[] = {[&] { tools_->Key("shift+Tab"); }, [&] { ClickAt(168, 306); }};
  int round = 0;
  for (const auto& move : moves) {
    SCOPED_TRACE(++round);
    // Nothing gives the dialog the focus back after a box: no window manager.
    ClickAt(100, 226);  // into the folder field
    tools_->Key("ctrl+a");
    tools_->Type(missing);
    move();
    const auto box = tools_->WaitForWindow("^情報$", Millis(20000));
    ASSERT_TRUE(box.has_value()) << "no message box after leaving the field";
    SaveArtifact(tools_->Screenshot(dir_ / "shot.ppm"), "dialog_missing_folder_" + std::to_string(round));
    tools_->Focus(*box);
    tools_->Key("Return");
    ASSERT_TRUE(WaitUntil([&] { return tools_->SearchWindows("^情報$").empty(); }, Millis(20000), Millis(100)))
        << "the message box did not close";
  }
  // The field holds the saved folder again; OK writes that one.
  tools_->Focus(window_);
  tools_->Key("Return");
  const auto status = app_->Wait(Millis(20000));
  ASSERT_TRUE(status.has_value()) << "the dialog did not close";
  EXPECT_EQ(*status, 0);
  const std::string ini = Ini();
  EXPECT_NE(ini.find("Folder=" + dir_.path() + "\n"), std::string::npos) << ini;
  EXPECT_EQ(ini.find("no_such_folder"), std::string::npos) << ini;
}

TEST_F(DialogE2ETest, TextCheckNoticesAMissingJapaneseFontAndEscWritesNothing) {
  // Only DejaVu, which has no Japanese characters: the labels come out as
  // boxes, and the check must say so.
  const std::string dejavu = "/usr/share/fonts/truetype/dejavu";
  if (!std::filesystem::is_directory(dejavu)) GTEST_SKIP() << "no DejaVu fonts";
  std::ofstream(dir_ / "fonts.conf") << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                     << "<fontconfig><dir>" << dejavu << "</dir><cachedir>" << (dir_ / "fc-cache")
                                     << "</cachedir></fontconfig>\n";
  Env env;
  env.Set("FONTCONFIG_FILE", dir_ / "fonts.conf");
  StartDialog(env);
  const PpmImage shot = SettledScreenshot("dialog_without_japanese_font");
  const TextRendering text = AnalyzeText(shot, At(kJapaneseLabels[0].area));
  EXPECT_FALSE(LooksLikeRealText(text, kJapaneseLabels[0].min_glyphs)) << Describe(text);

  tools_->Key("Escape");
  const auto status = app_->Wait(Millis(20000));
  ASSERT_TRUE(status.has_value()) << "the dialog did not close";
  EXPECT_EQ(*status, 0);
  EXPECT_FALSE(std::filesystem::exists(dir_ / "orvanne.ini"));
}

}  // namespace
}  // namespace orv::e2e
