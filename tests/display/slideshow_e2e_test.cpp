// The real program under Xvfb at 1920 x 1080: what it shows, and how it ends.
// Each test has its own copy of the program (and so its own settings file),
// its own runtime folder (the instance mark) and its own X server.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "e2e/support/xvfb_session.h"
#include "support/test_support.h"

namespace orv::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int32_t kBg = 20 | (40 << 8) | (160 << 16);  // 0x00BBGGRR
constexpr int32_t kRed = 0x0000FF;
constexpr int32_t kGreen = 0x00FF00;
constexpr int32_t kWhite = 0xFFFFFF;
constexpr int32_t kYellow = 0x00FFFF;
constexpr int32_t kCyan = 0xFFFF00;
constexpr int kStartMs = 15000;  // generous: the machine may be busy
constexpr int kEndMs = 5000;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

class SlideshowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(x_.Ok()) << "Xvfb did not start";
    program_ = dir_ / "orvanne";
    fs::copy_file(ORV_BINARY, program_);
    fs::permissions(program_, fs::perms::owner_all);
    runtime_ = dir_ / "runtime";
    fs::create_directory(runtime_);
    ::chmod(runtime_.c_str(), 0700);
    pics_ = dir_ / "pics";
    fs::create_directory(pics_);
    WriteSettings("");
  }

  void WriteSettings(const std::string& extra, const std::string& folder = "") {
    test::WriteFile(dir_ / "orvanne.ini", "[BGIllust]\nFolder=" + (folder.empty() ? pics_ : folder) +
                                              "\nChangeSec=60\n" + extra + "\n[BGColor]\nEnable=1\nColor=" +
                                              std::to_string(kBg) + "\n");
  }

  ChildProcess Start(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {program_};
    argv.insert(argv.end(), args.begin(), args.end());
    return ChildProcess(argv, x_.ProgramEnv(runtime_), dir_ / "orvanne.log");
  }

  // Red with a green bottom-right quarter, made by ImageMagick.
  // format: an ImageMagick output prefix such as "BMP3:".
  std::string MakePicture(const std::string& name, int w, int h, const std::string& options,
                          const std::string& format = "") {
    const std::string path = pics_ + "/" + name;
    const std::string cmd = "/usr/bin/convert -size " + std::to_string(w) + "x" + std::to_string(h) +
                            " xc:'#FF0000' -fill '#00FF00' -draw 'rectangle " + std::to_string(w / 2) + "," +
                            std::to_string(h / 2) + " " + std::to_string(w - 1) + "," + std::to_string(h - 1) +
                            "' " + options + " '" + format + path + "'";
    EXPECT_EQ(std::system(cmd.c_str()), 0) << cmd;
    return path;
  }

  // The decoders are written in parallel: a picture our registry cannot
  // decode yet makes the checks that need it pointless.
  bool Decodable(const std::string& path) {
    return RunCommand({ORV_PICDUMP, path, dir_ / "probe.pam"}, {}, nullptr, 20000) == 0;
  }

  bool WaitForBackground(Screenshot* shot = nullptr) {
    return x_.WaitForScreen([](const Screenshot& s) { return s.Pixel(2, 2) == kBg && s.Pixel(1917, 1077) == kBg; },
                            kStartMs, shot);
  }

  // The slideshow is up: its background shows, and a tick has passed for the grab.
  void WaitUntilShowing() {
    ASSERT_TRUE(WaitForBackground()) << Log();
    Sleep(400);
  }

  std::string Log() { return "program output:\n" + test::ReadFile(dir_ / "orvanne.log"); }

  test::TempDir dir_;
  XvfbSession x_{1920, 1080};
  std::string program_, runtime_, pics_;
};

struct InputCase {
  const char* name;
  std::vector<std::string> xdotool;
};

class EndsOnInput : public SlideshowE2E, public ::testing::WithParamInterface<InputCase> {};

TEST_P(EndsOnInput, ExitsWithCodeZero) {
  ChildProcess saver = Start({"/s"});
  WaitUntilShowing();
  ASSERT_TRUE(x_.XDoTool(GetParam().xdotool));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0)) << Log();
}

INSTANTIATE_TEST_SUITE_P(Input, EndsOnInput,
                         ::testing::Values(InputCase{"KeySpace", {"key", "space"}},
                                           InputCase{"LoneShift", {"key", "Shift_L"}},
                                           InputCase{"Click", {"click", "1"}},
                                           InputCase{"OnePixelMove", {"mousemove_relative", "1", "0"}}),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

TEST_F(SlideshowE2E, WheelAloneDoesNotEndIt) {
  ChildProcess saver = Start({"/s"});
  WaitUntilShowing();
  ASSERT_TRUE(x_.XDoTool({"click", "4"}));
  ASSERT_TRUE(x_.XDoTool({"click", "5"}));
  Sleep(1500);
  EXPECT_TRUE(saver.Running());
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, EmptyFolderShowsTheErrorLines) {
  WriteSettings("", dir_ / "no-such-folder");
  ChildProcess saver = Start({"/s"});
  Screenshot shot;
  auto lines = [](const Screenshot& s) {
    int yellow = 0, cyan = 0, left = 1920, right = -1;
    for (int y = 470; y < 580; ++y)
      for (int x = 0; x < 1920; ++x) {
        const int32_t p = s.Pixel(x, y);
        if (p == kYellow && y < 520) {
          ++yellow;
          left = std::min(left, x);
          right = std::max(right, x + 1);
        }
        if (p == kCyan && y >= 518) ++cyan;
      }
    return yellow > 200 && cyan > 200 && std::abs(left + right - 1920) <= 4;
  };
  EXPECT_TRUE(x_.WaitForScreen(lines, kStartMs, &shot)) << Log();
  EXPECT_EQ(shot.Pixel(960, 100), kBg);
  EXPECT_EQ(shot.Pixel(960, 900), kBg);
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, BitmapIsCentredAtItsOwnSize) {
  const std::string bmp = MakePicture("own.bmp", 800, 600, "-type TrueColor", "BMP3:");
  if (!Decodable(bmp)) GTEST_SKIP() << "the bitmap reader cannot decode yet";
  WriteSettings("Extend=0");
  ChildProcess saver = Start({"/s"});
  Screenshot s;
  // Drawn 1:1 at (560, 240).
  auto placed = [](const Screenshot& s) {
    return s.Pixel(560, 240) == kRed && s.Pixel(1359, 839) == kGreen && s.Pixel(1359, 240) == kRed &&
           s.Pixel(560, 839) == kRed && s.Pixel(559, 540) == kBg && s.Pixel(1360, 540) == kBg &&
           s.Pixel(960, 239) == kBg && s.Pixel(960, 840) == kBg;
  };
  EXPECT_TRUE(x_.WaitForScreen(placed, kStartMs, &s)) << Log();
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, JpegIsEnlargedAndCentred) {
  const std::string jpg = MakePicture("small.jpg", 800, 600, "-quality 95");
  if (!Decodable(jpg)) GTEST_SKIP() << "the JPEG adapter cannot decode yet";
  WriteSettings("Extend=1");
  ChildProcess saver = Start({"/s"});
  // 800 x 600 becomes 1440 x 1080 at (240, 0).
  auto placed = [](const Screenshot& s) {
    return ColourNear(s.Pixel(250, 10), kRed, 24) && ColourNear(s.Pixel(1669, 10), kRed, 24) &&
           ColourNear(s.Pixel(1669, 1069), kGreen, 24) && ColourNear(s.Pixel(250, 1069), kRed, 24) &&
           s.Pixel(239, 540) == kBg && s.Pixel(1680, 540) == kBg;
  };
  Screenshot s;
  EXPECT_TRUE(x_.WaitForScreen(placed, kStartMs, &s)) << Log();
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, CaptionIsWrittenLowerLeft) {
  const std::string bmp = MakePicture("captioned.bmp", 640, 360, "-type TrueColor", "BMP3:");
  if (!Decodable(bmp)) GTEST_SKIP() << "the bitmap reader cannot decode yet";
  WriteSettings("Extend=1\n[Filename]\nPutFilename=1");
  ChildProcess saver = Start({"/s"});
  auto captioned = [](const Screenshot& s) {
    int white_low = 0, white_high = 0, black_low = 0;
    for (int y = 0; y < 1080; ++y)
      for (int x = 0; x < 960; ++x) {
        const int32_t p = s.Pixel(x, y);
        if (p == kWhite) (y >= 1030 && x >= 14 && x < 400 ? white_low : white_high)++;
        if (p == 0 && y >= 1030 && x < 400) ++black_low;
      }
    return white_low > 30 && black_low > 30 && white_high == 0 && ColourNear(s.Pixel(480, 270), kRed, 0);
  };
  Screenshot s;
  EXPECT_TRUE(x_.WaitForScreen(captioned, kStartMs, &s)) << Log();
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, SecondCopyDoesNotStart) {
  ChildProcess first = Start({"/s"});
  WaitUntilShowing();
  ChildProcess second = Start({"/s"});
  EXPECT_EQ(second.WaitExit(kEndMs), std::optional<int>(0));
  EXPECT_TRUE(first.Running());
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(first.WaitExit(kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, ComesBackOnTopOfAWindowThatCoversIt) {
  ChildProcess saver = Start({"/s"});
  WaitUntilShowing();
  Env env = x_.ProgramEnv(runtime_);
  ChildProcess cover({"/usr/bin/xlogo", "-geometry", "400x400+0+0", "-bg", "white"}, env, dir_ / "xlogo.log");
  Sleep(300);
  // No window manager here: the slideshow raises itself at its next ticks.
  EXPECT_TRUE(x_.WaitForScreen([](const Screenshot& s) { return s.Pixel(200, 200) == kBg; }, kStartMs));
  EXPECT_TRUE(cover.Running());
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  EXPECT_EQ(saver.WaitExit(kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, PreviewDrawsIntoTheHostIgnoresInputAndEndsWithIt) {
  Env env = x_.ProgramEnv(runtime_);
  ChildProcess host({"/usr/bin/xlogo", "-name", "host", "-geometry", "320x240+0+0"}, env, dir_ / "xlogo.log");
  std::string id;
  for (int i = 0; i < 100 && id.empty(); ++i) {
    std::string out;
    if (x_.XDoTool({"search", "--name", "host"}, &out)) id = out.substr(0, out.find('\n'));
    if (id.empty()) Sleep(100);
  }
  ASSERT_FALSE(id.empty()) << "no host window";
  ChildProcess preview = Start({"/p", id});
  auto inside = [](const Screenshot& s) {
    return s.Pixel(2, 2) == kBg && s.Pixel(160, 120) == kBg && s.Pixel(317, 237) == kBg && s.Pixel(400, 300) != kBg;
  };
  EXPECT_TRUE(x_.WaitForScreen(inside, kStartMs)) << Log();
  ASSERT_TRUE(x_.XDoTool({"mousemove", "100", "100"}));
  ASSERT_TRUE(x_.XDoTool({"click", "1"}));
  ASSERT_TRUE(x_.XDoTool({"key", "space"}));
  ASSERT_TRUE(x_.XDoTool({"mousemove_relative", "1", "0"}));
  Sleep(1000);
  EXPECT_TRUE(preview.Running()) << Log();
  host.Kill();
  EXPECT_EQ(preview.WaitExit(kEndMs), std::optional<int>(0)) << Log();
}

}  // namespace
}  // namespace orv::e2e
