// The real program under Xvfb at 1920 x 1080: what it shows, and how it ends.
// Each test has its own copy of the program (and so its own settings file),
// its own runtime folder (the instance mark) and its own X server.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include "bench_files.h"
#include "e2e/support/process.h"
#include "e2e/support/x_session.h"
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

// A screenshot's pixel as the program's colour value, 0x00BBGGRR.
int32_t Pixel(const PpmImage& s, int x, int y) {
  const Rgb c = s.At(x, y);
  return c.r | (c.g << 8) | (c.b << 16);
}

bool ColourNear(int32_t a, int32_t b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

using Saver = std::unique_ptr<Process>;

// The exit status once the process ends within ms.
std::optional<int> WaitExit(const Saver& p, int ms) { return p->Wait(Millis(ms)); }

class SlideshowE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import missing";
    const PrivateCopy copy = CopyProgram(ORV_PROGRAM, dir_.path());
    program_ = copy.program;
    runtime_ = copy.runtime;
    pics_ = dir_ / "pics";
    fs::create_directory(pics_);
    WriteSettings("");
  }

  void WriteSettings(const std::string& extra, const std::string& folder = "") {
    // The first of two equal keys counts: an extra ChangeSec replaces the default.
    const std::string change = extra.find("ChangeSec=") == std::string::npos ? "ChangeSec=60\n" : "";
    test::WriteFile(dir_ / "orvanne.ini", "[BGIllust]\nFolder=" + (folder.empty() ? pics_ : folder) + "\n" +
                                              change + extra + "\n[BGColor]\nEnable=1\nColor=" +
                                              std::to_string(kBg) + "\n");
  }

  Env ProgramEnv() const {
    Env env = x_.ClientEnv();
    env.Set("XDG_RUNTIME_DIR", runtime_);
    return env;
  }

  Saver Start(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {program_};
    argv.insert(argv.end(), args.begin(), args.end());
    return Process::Start({argv, ProgramEnv(), dir_ / "orvanne.log", {}});
  }

  bool XDoTool(const std::vector<std::string>& args) { return tools_.Xdotool(args).status == 0; }

  // Polls screenshots until pred holds or timeout_ms passes.
  bool WaitForScreen(const std::function<bool(const PpmImage&)>& pred, int timeout_ms,
                     PpmImage* last = nullptr) {
    PpmImage shot;
    const bool ok = WaitUntil(
        [&] {
          shot = tools_.Screenshot(dir_ / "shot.ppm");
          return shot.width() == 1920 && pred(shot);
        },
        Millis(timeout_ms), Millis(200));
    if (last) *last = shot;
    return ok;
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

  // The test pictures come from ImageMagick; make sure our registry reads them
  // before looking for them on the screen.
  bool Decodable(const std::string& path) {
    return RunProgram({ORV_PICDUMP, path, dir_ / "probe.pam"}).status == 0;
  }

  bool WaitForBackground() {
    return WaitForScreen([](const PpmImage& s) { return Pixel(s, 2, 2) == kBg && Pixel(s, 1917, 1077) == kBg; },
                         kStartMs);
  }

  // The slideshow is up: its background shows, and a tick has passed for the grab.
  void WaitUntilShowing() {
    ASSERT_TRUE(WaitForBackground()) << Log();
    Sleep(400);
  }

  std::string Log() { return "program output:\n" + test::ReadFile(dir_ / "orvanne.log"); }

  test::TempDir dir_;
  XvfbServer x_;
  XTools tools_{x_.display()};
  std::string program_, runtime_, pics_;
};

struct InputCase {
  const char* name;
  std::vector<std::string> xdotool;
};

class EndsOnInput : public SlideshowE2E, public ::testing::WithParamInterface<InputCase> {};

TEST_P(EndsOnInput, ExitsWithCodeZero) {
  Saver saver = Start({"/s"});
  WaitUntilShowing();
  ASSERT_TRUE(XDoTool(GetParam().xdotool));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0)) << Log();
}

INSTANTIATE_TEST_SUITE_P(Input, EndsOnInput,
                         ::testing::Values(InputCase{"KeySpace", {"key", "space"}},
                                           InputCase{"LoneShift", {"key", "Shift_L"}},
                                           InputCase{"Click", {"click", "1"}},
                                           InputCase{"OnePixelMove", {"mousemove_relative", "1", "0"}}),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

TEST_F(SlideshowE2E, WheelAloneDoesNotEndIt) {
  Saver saver = Start({"/s"});
  WaitUntilShowing();
  ASSERT_TRUE(XDoTool({"click", "4"}));
  ASSERT_TRUE(XDoTool({"click", "5"}));
  Sleep(1500);
  EXPECT_TRUE(saver->Running());
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, EmptyFolderShowsTheErrorLines) {
  WriteSettings("", dir_ / "no-such-folder");
  Saver saver = Start({"/s"});
  PpmImage shot;
  auto lines = [](const PpmImage& s) {
    int yellow = 0, cyan = 0, left = 1920, right = -1;
    for (int y = 470; y < 580; ++y)
      for (int x = 0; x < 1920; ++x) {
        const int32_t p = Pixel(s, x, y);
        if (p == kYellow && y < 520) {
          ++yellow;
          left = std::min(left, x);
          right = std::max(right, x + 1);
        }
        if (p == kCyan && y >= 518) ++cyan;
      }
    return yellow > 200 && cyan > 200 && std::abs(left + right - 1920) <= 4;
  };
  EXPECT_TRUE(WaitForScreen(lines, kStartMs, &shot)) << Log();
  EXPECT_EQ(Pixel(shot, 960, 100), kBg);
  EXPECT_EQ(Pixel(shot, 960, 900), kBg);
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, BitmapIsCentredAtItsOwnSize) {
  const std::string bmp = MakePicture("own.bmp", 800, 600, "-type TrueColor", "BMP3:");
  ASSERT_TRUE(Decodable(bmp));
  WriteSettings("Extend=0");
  Saver saver = Start({"/s"});
  PpmImage s;
  // Drawn 1:1 at (560, 240).
  auto placed = [](const PpmImage& s) {
    return Pixel(s, 560, 240) == kRed && Pixel(s, 1359, 839) == kGreen && Pixel(s, 1359, 240) == kRed &&
           Pixel(s, 560, 839) == kRed && Pixel(s, 559, 540) == kBg && Pixel(s, 1360, 540) == kBg &&
           Pixel(s, 960, 239) == kBg && Pixel(s, 960, 840) == kBg;
  };
  EXPECT_TRUE(WaitForScreen(placed, kStartMs, &s)) << Log();
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, FolderOfDatedSubfoldersShowsTheirPicturesWhenAsked) {
  // The chosen folder holds folders only (and a link back to itself).
  fs::create_directories(pics_ + "/2024/05");
  fs::create_symlink(pics_, pics_ + "/2024/all");
  const std::string bmp = MakePicture("2024/05/own.bmp", 800, 600, "-type TrueColor", "BMP3:");
  ASSERT_TRUE(Decodable(bmp));
  WriteSettings("Extend=0\nSubFolders=1");
  Saver saver = Start({"/s"});
  auto placed = [](const PpmImage& s) {
    return Pixel(s, 560, 240) == kRed && Pixel(s, 1359, 839) == kGreen && Pixel(s, 559, 540) == kBg;
  };
  EXPECT_TRUE(WaitForScreen(placed, kStartMs)) << Log();
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, JpegIsEnlargedAndCentred) {
  const std::string jpg = MakePicture("small.jpg", 800, 600, "-quality 95");
  ASSERT_TRUE(Decodable(jpg));
  WriteSettings("Extend=1");
  Saver saver = Start({"/s"});
  // 800 x 600 becomes 1440 x 1080 at (240, 0).
  auto placed = [](const PpmImage& s) {
    return ColourNear(Pixel(s, 250, 10), kRed, 24) && ColourNear(Pixel(s, 1669, 10), kRed, 24) &&
           ColourNear(Pixel(s, 1669, 1069), kGreen, 24) && ColourNear(Pixel(s, 250, 1069), kRed, 24) &&
           Pixel(s, 239, 540) == kBg && Pixel(s, 1680, 540) == kBg;
  };
  PpmImage s;
  EXPECT_TRUE(WaitForScreen(placed, kStartMs, &s)) << Log();
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0));
}

// Changes every second with fades of three seconds: the screen is nearly
// always between two pictures, and a key then still ends the show at once.
TEST_F(SlideshowE2E, FadesBetweenPicturesAndEndsOnAKeyMidFade) {
  const std::string a = MakePicture("a.bmp", 800, 600, "-type TrueColor", "BMP3:");
  const std::string b = MakePicture("b.bmp", 800, 600, "-negate -type TrueColor", "BMP3:");
  ASSERT_TRUE(Decodable(a) && Decodable(b));
  test::WriteFile(dir_ / "orvanne.ini", "[BGIllust]\nFolder=" + pics_ + "\nChangeSec=1\nExtend=1\n[BGColor]\nEnable=1\n"
                                        "Color=" + std::to_string(kBg) + "\n[Settings]\nFadeTime=30\n");
  Saver saver = Start({"/s"});
  // Red in one picture, cyan in the other: a red channel far from both ends
  // is a blend.
  auto blended = [](const PpmImage& s) {
    const Rgb c = s.At(250, 10);
    return c.r > 40 && c.r < 215 && Pixel(s, 239, 540) == kBg;
  };
  PpmImage s;
  EXPECT_TRUE(WaitForScreen(blended, kStartMs, &s)) << Log();
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, CaptionIsWrittenLowerLeft) {
  const std::string bmp = MakePicture("captioned.bmp", 640, 360, "-type TrueColor", "BMP3:");
  ASSERT_TRUE(Decodable(bmp));
  WriteSettings("Extend=1\n[Filename]\nPutFilename=1");
  Saver saver = Start({"/s"});
  auto captioned = [](const PpmImage& s) {
    int white_low = 0, white_high = 0, black_low = 0;
    for (int y = 0; y < 1080; ++y)
      for (int x = 0; x < 960; ++x) {
        const int32_t p = Pixel(s, x, y);
        if (p == kWhite) (y >= 1030 && x >= 14 && x < 400 ? white_low : white_high)++;
        if (p == 0 && y >= 1030 && x < 400) ++black_low;
      }
    return white_low > 30 && black_low > 30 && white_high == 0 && ColourNear(Pixel(s, 480, 270), kRed, 0);
  };
  PpmImage s;
  EXPECT_TRUE(WaitForScreen(captioned, kStartMs, &s)) << Log();
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0));
}

TEST_F(SlideshowE2E, SecondCopyDoesNotStart) {
  Saver first = Start({"/s"});
  WaitUntilShowing();
  Saver second = Start({"/s"});
  EXPECT_EQ(WaitExit(second, kEndMs), std::optional<int>(0));
  EXPECT_TRUE(first->Running());
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(first, kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, ComesBackOnTopOfAWindowThatCoversIt) {
  Saver saver = Start({"/s"});
  WaitUntilShowing();
  Saver cover = Process::Start({{"/usr/bin/xlogo", "-geometry", "400x400+0+0", "-bg", "white"}, ProgramEnv(),
                                dir_ / "xlogo.log", {}});
  Sleep(300);
  // No window manager here: the slideshow raises itself at its next ticks.
  EXPECT_TRUE(WaitForScreen([](const PpmImage& s) { return Pixel(s, 200, 200) == kBg; }, kStartMs));
  EXPECT_TRUE(cover->Running());
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0)) << Log();
}

TEST_F(SlideshowE2E, PreviewDrawsIntoTheHostIgnoresInputAndEndsWithIt) {
  Saver host = Process::Start({{"/usr/bin/xlogo", "-name", "host", "-geometry", "320x240+0+0"}, ProgramEnv(),
                               dir_ / "xlogo.log", {}});
  const auto host_id = tools_.WaitForWindow("^host$", Millis(10000));
  ASSERT_TRUE(host_id) << "no host window";
  const std::string id = std::to_string(*host_id);
  Saver preview = Start({"/p", id});
  auto inside = [](const PpmImage& s) {
    return Pixel(s, 2, 2) == kBg && Pixel(s, 160, 120) == kBg && Pixel(s, 317, 237) == kBg && Pixel(s, 400, 300) != kBg;
  };
  EXPECT_TRUE(WaitForScreen(inside, kStartMs)) << Log();
  ASSERT_TRUE(XDoTool({"mousemove", "100", "100"}));
  ASSERT_TRUE(XDoTool({"click", "1"}));
  ASSERT_TRUE(XDoTool({"key", "space"}));
  ASSERT_TRUE(XDoTool({"mousemove_relative", "1", "0"}));
  Sleep(1000);
  EXPECT_TRUE(preview->Running()) << Log();
  host->Stop();
  EXPECT_EQ(WaitExit(preview, kEndMs), std::optional<int>(0)) << Log();
}

// A field of /proc/PID/status in megabytes ("VmHWM", "VmRSS"); -1 when gone.
double StatusMb(pid_t pid, const std::string& field) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(in, line))
    if (line.compare(0, field.size() + 1, field + ":") == 0) return std::atof(line.c_str() + field.size() + 1) / 1024;
  return -1;
}

// Processor time (clock ticks) of every thread but the first: the picture worker.
long long WorkerTicks(pid_t pid) {
  long long total = 0;
  const std::string task = "/proc/" + std::to_string(pid) + "/task";
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(task, ec)) {
    if (entry.path().filename() == std::to_string(pid)) continue;
    std::ifstream in(entry.path() / "stat");
    std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) continue;
    // After the name: state, then fields 4 to 13; utime and stime are 14 and 15.
    std::istringstream rest(stat.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
      if (i == 14) utime = std::atoll(field.c_str());
      if (i == 15) stime = std::atoll(field.c_str());
    }
    total += utime + stime;
  }
  return total;
}

std::string WriteJpeg(const std::string& path, const std::vector<uint8_t>& bytes) {
  test::WriteFile(path, bytes);
  return path;
}

// A key pressed while a 50-megapixel progressive picture is being decoded
// (about a second of work) ends the saver at once: the decode runs on the
// worker, which is stopped at its next row. Prints the time from the key to
// the end of the process.
TEST_F(SlideshowE2E, KeyDuringABigDecodeEndsItAtOnce) {
  WriteJpeg(pics_ + "/big.jpg", bench::PhotoJpeg(8688, 5792, true));
  Saver saver = Start({"/s"});
  ASSERT_TRUE(WaitForBackground()) << Log();
  // The worker is busy with the picture when its processor time grows.
  long long before = WorkerTicks(saver->pid());
  ASSERT_TRUE(WaitUntil(
      [&] {
        const long long now = WorkerTicks(saver->pid());
        const bool busy = now > before;
        before = now;
        return busy;
      },
      Millis(kStartMs), Millis(20)))
      << Log();
  const double peak = StatusMb(saver->pid(), "VmHWM");
  const auto t0 = std::chrono::steady_clock::now();
  ASSERT_TRUE(XDoTool({"key", "space"}));
  // Generous: only a hang fails; the time is printed, not judged.
  EXPECT_EQ(WaitExit(saver, 10000), std::optional<int>(0)) << Log();
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
  std::printf("key to exit during a 50-Mpix progressive decode: %.0f ms (xdotool included); peak memory %.0f MB\n",
              ms, peak);
}

// Camera-size baseline pictures changing every second: peak resident memory
// stays within 250 MB on a 1920 x 1080 screen, and the resident size does not
// creep up: the highest sample of seconds 12-16 against that of seconds 4-8,
// when the pools of screen-size blocks are full. Sampled on a clock rather
// than per change, so a slow or busy machine only means fewer changes.
TEST_F(SlideshowE2E, FiftyMegapixelPicturesStayWithinTheirMemory) {
  const std::vector<uint8_t> bytes = bench::PhotoJpeg(8688, 5792, false);
  WriteJpeg(pics_ + "/a.jpg", bytes);
  WriteJpeg(pics_ + "/b.jpg", bytes);
  WriteSettings("ChangeSec=1");
  Saver saver = Start({"/s"});
  ASSERT_TRUE(WaitForBackground()) << Log();
  const long long ticks0 = WorkerTicks(saver->pid());
  double early = 0, late = 0;
  const auto t0 = std::chrono::steady_clock::now();
  for (;;) {
    const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    if (s >= 16) break;
    const double rss = StatusMb(saver->pid(), "VmRSS");
    ASSERT_GE(rss, 0) << "the saver ended\n" << Log();
    if (s >= 4 && s < 8) early = std::max(early, rss);
    if (s >= 12) late = std::max(late, rss);
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  const double worker_s = double(WorkerTicks(saver->pid()) - ticks0) / double(sysconf(_SC_CLK_TCK));
  const double peak = StatusMb(saver->pid(), "VmHWM");
  std::printf("50-Mpix changes: peak %.0f MB; highest resident in seconds 4-8: %.0f MB, in 12-16: %.0f MB;"
              " worker %.1f s of processor time\n",
              peak, early, late, worker_s);
  // Each decode is a good part of a second of processor time: pictures did change.
  EXPECT_GE(worker_s, 1.0);
  EXPECT_LE(peak, 250);
  EXPECT_LE(late, early + 16);
  ASSERT_TRUE(XDoTool({"key", "space"}));
  EXPECT_EQ(WaitExit(saver, kEndMs), std::optional<int>(0)) << Log();
}

}  // namespace
}  // namespace orv::e2e
