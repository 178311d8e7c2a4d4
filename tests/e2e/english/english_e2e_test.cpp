// The real program in an English locale with a Latin-only font: the dialog
// and the slideshow's error lines come out as real text, which they could
// not if any of them were still Japanese (those would be hollow boxes).
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

constexpr char kDejaVu[] = "/usr/share/fonts/truetype/dejavu";

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

class EnglishE2ETest : public ::testing::Test {
 public:
  void SetUp() override {
    if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import missing";
    if (!std::filesystem::is_directory(kDejaVu)) GTEST_SKIP() << "no DejaVu fonts";
    CopyProgram(ORV_PROGRAM, dir_.path());
    std::ofstream(dir_ / "fonts.conf") << "<?xml version=\"1.0\"?>\n<!DOCTYPE fontconfig SYSTEM \"fonts.dtd\">\n"
                                       << "<fontconfig><dir>" << kDejaVu << "</dir><cachedir>"
                                       << (dir_ / "fc-cache") << "</cachedir></fontconfig>\n";
    std::filesystem::create_directories(ORV_ARTIFACT_DIR);
  }

  std::unique_ptr<Process> Start(const std::string& mode, const std::string& locale) {
    Env env = x_->ClientEnv();
    env.Set("XDG_RUNTIME_DIR", dir_ / "runtime");
    env.Set("FONTCONFIG_FILE", dir_ / "fonts.conf");
    env.Set("LC_ALL", locale);
    return Process::Start({{dir_ / "orvanne", mode}, env, dir_ / "orvanne.log", {}});
  }

  // Polls screenshots until every area shows ink; the last one is kept as an artefact.
  PpmImage ShotWithInk(const std::vector<Rect>& areas, const std::string& name) {
    PpmImage shot;
    WaitUntil(
        [&] {
          shot = tools_->Screenshot(dir_ / "shot.ppm");
          for (const Rect& a : areas)
            if (AnalyzeText(shot, a).ink <= 50) return false;
          return true;
        },
        Millis(20000), Millis(200));
    shot.Save(std::string(ORV_ARTIFACT_DIR) + "/" + name + ".ppm");
    return shot;
  }

  ScratchDir dir_{"orv_english_e2e"};
  std::unique_ptr<XvfbServer> x_ = XToolsAvailable() ? std::make_unique<XvfbServer>() : nullptr;
  std::unique_ptr<XTools> tools_ = x_ ? std::make_unique<XTools>(x_->display()) : nullptr;
};

TEST_F(EnglishE2ETest, DialogSpeaksEnglish) {
  auto app = Start("/c", "en_US.UTF-8");
  const auto window = tools_->WaitForWindow("^Orvanne$", Millis(20000));
  ASSERT_TRUE(window.has_value()) << ReadText(dir_ / "orvanne.log");
  const auto origin = tools_->Geometry(*window);
  ASSERT_TRUE(origin.has_value());
  auto at = [&](Rect r) { return Rect{origin->x + r.x, origin->y + r.y, r.width, r.height}; };
  // Areas that hold only the translated texts (Japanese: all of them). The
  // letters of a Latin word touch, so the glyph counts are about words.
  const struct {
    const char* what;
    Rect area;
    int min_glyphs;
  } labels[] = {
      {"interval label", at({16, 299, 132, 17}), 4},
      {"enlarge check box", at({262, 288, 171, 17}), 4},
      {"file name check box", at({262, 320, 115, 17}), 3},
      {"draw mode choices", at({40, 440, 385, 44}), 10},
      {"options group", at({46, 562, 360, 17}), 6},
  };
  std::vector<Rect> areas;
  for (const auto& l : labels) areas.push_back(l.area);
  const PpmImage shot = ShotWithInk(areas, "dialog_english");
  for (const auto& l : labels) {
    const TextRendering text = AnalyzeText(shot, l.area);
    EXPECT_TRUE(LooksLikeRealText(text, l.min_glyphs)) << l.what << ": " << Describe(text);
  }
  tools_->Key("Escape");
  EXPECT_EQ(app->Wait(Millis(20000)), std::optional<int>(0));
}

TEST_F(EnglishE2ETest, ErrorLinesSpeakEnglishAndJapaneseStaysTheDefault) {
  // Dark blue background, a folder that does not exist: the three error lines.
  std::ofstream(dir_ / "orvanne.ini") << "[BGIllust]\nFolder=" << (dir_ / "missing")
                                      << "\n[BGColor]\nEnable=1\nColor=10496020\n";
  // The two upper lines, centred around the middle of the 1080-pixel screen.
  const Rect title{0, 484, 1920, 32}, reason{0, 520, 1920, 22};
  for (const char* locale : {"en_GB.UTF-8", "de_DE.UTF-8"}) {
    SCOPED_TRACE(locale);
    auto saver = Start("/s", locale);
    const PpmImage shot = ShotWithInk({title, reason}, std::string("error_lines_") + locale);
    const TextRendering a = AnalyzeText(shot, title), b = AnalyzeText(shot, reason);
    // German has no translation: Japanese, so this font shows no real text.
    const bool english = locale[0] == 'e';
    EXPECT_EQ(LooksLikeRealText(a, 3), english) << Describe(a) << ReadText(dir_ / "orvanne.log");
    EXPECT_EQ(LooksLikeRealText(b, 6), english) << Describe(b);
    tools_->Key("space");
    EXPECT_EQ(saver->Wait(Millis(20000)), std::optional<int>(0));
  }
}

}  // namespace
}  // namespace orv::e2e
