// The full-screen show on several monitors and at HiDPI scales: every monitor
// shows the picture fitted to its own size, one key ends all, and at scale 2
// the frame fills the screen exactly with the caption in view, and the
// dialog stays on the screen.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <functional>
#include <thread>

#include "e2e/support/process.h"
#include "e2e/support/x_session.h"
#include "support/test_support.h"

namespace orv::e2e {
namespace {

namespace fs = std::filesystem;

constexpr Rgb kBg{20, 40, 160};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kWhite{255, 255, 255};
constexpr int kStartMs = 20000;  // generous: the machine may be busy
constexpr int kEndMs = 5000;

// Where a 2:1 picture lands, enlarged, on a monitor at (x, y) of w x h.
struct Placement {
  int x, y, w, h;
};
Placement Fitted(int x, int y, int w, int h) {
  const int dh = w / 2 <= h ? w / 2 : h, dw = dh * 2;
  return {x + (w - dw) / 2, y + (h - dh) / 2, dw, dh};
}

// The picture's corners and the background just outside it (above, below).
bool ShowsPicture(const PpmImage& s, const Placement& p) {
  if (s.width() < p.x + p.w || s.height() < p.y + p.h) return false;
  const bool inside = s.At(p.x + 2, p.y + 2) == kRed && s.At(p.x + p.w - 3, p.y + 2) == kRed &&
                      s.At(p.x + p.w - 3, p.y + p.h - 3) == kGreen && s.At(p.x + 2, p.y + p.h - 3) == kRed;
  const bool outside = (p.y == 0 || s.At(p.x + p.w / 2, p.y - 1) == kBg) &&
                       (p.y + p.h == s.height() || s.At(p.x + p.w / 2, p.y + p.h) == kBg);
  return inside && outside;
}

class ScreensE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!XToolsAvailable() || !Executable("/usr/bin/xrandr") || !Executable("/usr/bin/xrdb"))
      GTEST_SKIP() << "Xvfb, xdotool, import, xrandr or xrdb missing";
    const PrivateCopy copy = CopyProgram(ORV_PROGRAM, dir_.path());
    program_ = copy.program;
    runtime_ = copy.runtime;
    pics_ = dir_ / "pics";
    fs::create_directory(pics_);
    // 1000 x 500, red with a green bottom-right quarter.
    const std::string cmd = "/usr/bin/convert -size 1000x500 xc:'#FF0000' -fill '#00FF00' -draw "
                            "'rectangle 500,250 999,499' -type TrueColor 'BMP3:" + pics_ + "/wide.bmp'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }

  void Settings(const std::string& extra) {
    test::WriteFile(dir_ / "orvanne.ini", "[BGIllust]\nFolder=" + pics_ + "\nChangeSec=60\nExtend=1\n" + extra +
                                              "\n[BGColor]\nEnable=1\nColor=" +
                                              std::to_string(kBg.r | (kBg.g << 8) | (kBg.b << 16)) + "\n");
  }

  void StartServer(const std::vector<std::string>& args) {
    x_ = std::make_unique<XvfbServer>(args);
  }

  // A client tool on the test's display; true when it succeeded.
  bool Tool(std::vector<std::string> argv, const std::string& input = "") {
    Env env;
    env.Set("DISPLAY", x_->display());
    if (!input.empty()) {
      test::WriteFile(dir_ / "input", input);
      argv.push_back(dir_ / "input");
    }
    const RunResult r = RunProgram(argv, env);
    EXPECT_EQ(r.status, 0) << argv[0] << ": " << r.output;
    return r.status == 0;
  }

  std::unique_ptr<Process> Start(const Env& extra = {}, const std::string& mode = "/s") {
    Env env = x_->ClientEnv();
    env.Set("XDG_RUNTIME_DIR", runtime_);
    for (const auto& [k, v] : extra.set) env.Set(k, v);
    return Process::Start({{program_, mode}, env, dir_ / "orvanne.log", {}});
  }

  // Polls screenshots of one X screen until pred holds.
  bool WaitForScreen(const std::string& screen, const std::function<bool(const PpmImage&)>& pred,
                     PpmImage* last = nullptr) {
    XTools tools(x_->display() + screen);
    PpmImage shot;
    const bool ok = WaitUntil(
        [&] {
          shot = tools.Screenshot(dir_ / "shot.ppm");
          return pred(shot);
        },
        Millis(kStartMs), Millis(200));
    if (last) *last = shot;
    return ok;
  }

  void EndWithOneKey(std::unique_ptr<Process>& saver) {
    XTools tools(x_->display());
    // A tick or two after the pictures show, the grab is in place.
    std::this_thread::sleep_for(Millis(500));
    ASSERT_EQ(tools.Xdotool({"key", "space"}).status, 0);
    EXPECT_EQ(saver->Wait(Millis(kEndMs)), std::optional<int>(0)) << Log();
  }

  std::string Log() { return "program output:\n" + test::ReadFile(dir_ / "orvanne.log"); }

  test::TempDir dir_;
  std::unique_ptr<XvfbServer> x_;
  std::string program_, runtime_, pics_;
};

// Two RandR monitors on one X screen, the primary on the right at (1920, 0):
// each shows the picture at its own size, and one key ends both.
TEST_F(ScreensE2E, TwoMonitorsWithThePrimaryOnTheRight) {
  StartServer({"-noreset", "-screen", "0", "2944x1080x24"});
  ASSERT_TRUE(Tool({"/usr/bin/xrandr", "--setmonitor", "LEFT", "1920/508x1080/286+0+0", "screen"}));
  ASSERT_TRUE(Tool({"/usr/bin/xrandr", "--setmonitor", "*RIGHT", "1024/270x768/203+1920+0", "none"}));
  Settings("");
  auto saver = Start();
  PpmImage shot;
  auto both = [](const PpmImage& s) {
    return ShowsPicture(s, Fitted(0, 0, 1920, 1080)) && ShowsPicture(s, Fitted(1920, 0, 1024, 768));
  };
  EXPECT_TRUE(WaitForScreen("", both, &shot)) << Log();
  shot.Save(dir_ / "monitors.ppm");
  EndWithOneKey(saver);
}

// Two X screens (no Xinerama): the program started on the first covers both.
TEST_F(ScreensE2E, TwoXScreens) {
  StartServer({"-screen", "0", "1920x1080x24", "-screen", "1", "1024x768x24"});
  Settings("");
  auto saver = Start();
  EXPECT_TRUE(WaitForScreen(".0", [](const PpmImage& s) { return ShowsPicture(s, Fitted(0, 0, 1920, 1080)); }))
      << Log();
  EXPECT_TRUE(WaitForScreen(".1", [](const PpmImage& s) { return ShowsPicture(s, Fitted(0, 0, 1024, 768)); }))
      << Log();
  EndWithOneKey(saver);
}

struct ScaleCase {
  const char* name;
  const char* scale_factor;  // QT_SCALE_FACTOR, or empty
  const char* xft_dpi;       // Xft.dpi through xrdb, or empty
};

class ScaledScreen : public ScreensE2E, public ::testing::WithParamInterface<ScaleCase> {};

// At scale 2 the frame fills the 1920 x 1080 screen exactly (not a quarter of
// a 3840 x 2160 one), centred, and the caption shows at twice its 96-dpi size.
TEST_P(ScaledScreen, FillsTheScreenWithTheCaptionInView) {
  StartServer({"-noreset", "-screen", "0", "1920x1080x24"});
  Env env;
  if (*GetParam().scale_factor) env.Set("QT_SCALE_FACTOR", GetParam().scale_factor);
  if (*GetParam().xft_dpi) {
    ASSERT_TRUE(Tool({"/usr/bin/xrdb", "-nocpp", "-merge"}, std::string("Xft.dpi: ") + GetParam().xft_dpi + "\n"));
  }
  Settings("[Filename]\nPutFilename=1");
  auto saver = Start(env);
  // 1000 x 500 enlarged to 1920 x 960 at (0, 60); the caption's white ink in
  // the lower left, over the picture's bottom and the background below it.
  int top = 0, bottom = 0, right = 0;
  auto shown = [&](const PpmImage& s) {
    if (!ShowsPicture(s, Fitted(0, 0, 1920, 1080)) || s.At(1919, 1079) != kBg) return false;
    top = 1080, bottom = -1, right = -1;
    for (int y = 900; y < 1080; ++y)
      for (int x = 0; x < 900; ++x)
        if (s.At(x, y) == kWhite) top = std::min(top, y), bottom = std::max(bottom, y), right = std::max(right, x);
    return bottom >= 0;
  };
  EXPECT_TRUE(WaitForScreen("", shown)) << Log();
  // At 96 dpi the 16-pixel caption's ink is about 12 rows high, its line
  // ending near x = 100 and at y = 1080 - 16 - wA; twice that here.
  EXPECT_GE(bottom - top + 1, 20) << top << ".." << bottom;
  EXPECT_GE(right, 120);
  EXPECT_LT(bottom, 1079);
  EndWithOneKey(saver);
}

// 444 x 594 at scale 2 is taller than the 1080 rows: the dialog's frame
// still lies wholly on the screen, as wide as all its controls, and works.
TEST_P(ScaledScreen, DialogStaysOnTheScreen) {
  StartServer({"-noreset", "-screen", "0", "1920x1080x24"});
  Env env;
  if (*GetParam().scale_factor) env.Set("QT_SCALE_FACTOR", GetParam().scale_factor);
  if (*GetParam().xft_dpi) {
    ASSERT_TRUE(Tool({"/usr/bin/xrdb", "-nocpp", "-merge"}, std::string("Xft.dpi: ") + GetParam().xft_dpi + "\n"));
  }
  Settings("");
  auto dialog = Start(env, "/c");
  XTools tools(x_->display());
  const auto id = tools.WaitForWindow("^Orvanne$", Millis(kStartMs));
  ASSERT_TRUE(id) << Log();
  const auto frame = tools.Geometry(*id);
  ASSERT_TRUE(frame);
  EXPECT_GE(frame->x, 0);
  EXPECT_GE(frame->y, 0);
  EXPECT_LE(frame->x + frame->width, 1920);
  EXPECT_LE(frame->y + frame->height, 1080);
  EXPECT_GE(frame->width, 2 * 444);
  EXPECT_EQ(frame->height, 1080);  // the whole height, with the rest to scroll to
  tools.Focus(*id);
  ASSERT_EQ(tools.Xdotool({"key", "Escape"}).status, 0);
  EXPECT_EQ(dialog->Wait(Millis(kEndMs)), std::optional<int>(0)) << Log();
}

INSTANTIATE_TEST_SUITE_P(Scale2, ScaledScreen,
                         ::testing::Values(ScaleCase{"QtScaleFactor", "2", ""}, ScaleCase{"XftDpi192", "", "192"}),
                         [](const ::testing::TestParamInfo<ScaleCase>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orv::e2e
