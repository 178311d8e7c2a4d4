// The hosts' protocol with the real program: --root and --window-id draw
// into the given window, signals end the copy with status 0, one copy per
// window, bad ids fail with one line, and no D-Bus daemon is left behind.
#include <dirent.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>

#include "e2e/support/process.h"
#include "e2e/support/x_session.h"

namespace orv::e2e {
namespace {

constexpr char kXlogo[] = "/usr/bin/xlogo";
const Rgb kPicture{200, 30, 60};

// A 400 x 300 BMP of one colour (4:3).
void WriteBmp(const std::string& path) {
  const int w = 400, h = 300, row = w * 3;
  std::string d = "BM";
  auto u32 = [&](uint32_t v) { for (int i = 0; i < 4; ++i) d += char((v >> (8 * i)) & 0xFF); };
  auto u16 = [&](uint16_t v) { d += char(v & 0xFF); d += char(v >> 8); };
  u32(54 + row * h); u32(0); u32(54); u32(40); u32(w); u32(h); u16(1); u16(24);
  u32(0); u32(row * h); u32(2835); u32(2835); u32(0); u32(0);
  for (int i = 0; i < w * h; ++i) d += {char(kPicture.b), char(kPicture.g), char(kPicture.r)};
  std::ofstream(path, std::ios::binary) << d;
}

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) < 8 && std::abs(a.g - b.g) < 8 && std::abs(a.b - b.b) < 8; }

class HostedE2ETest : public ::testing::Test {
 public:
  void SetUp() override {
    if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import missing";
    CopyProgram(ORV_PROGRAM, dir_.path());
    ::mkdir((dir_ / "pictures").c_str(), 0755);
    WriteBmp(dir_ / "pictures/one.bmp");
  }
  Env ClientEnv() const {
    Env env = x_.ClientEnv();
    env.Set("XDG_RUNTIME_DIR", dir_ / "runtime");
    env.unset.push_back("DBUS_SESSION_BUS_ADDRESS");
    env.unset.push_back("XSCREENSAVER_WINDOW");
    return env;
  }
  std::unique_ptr<Process> Start(std::vector<std::string> args, Env env, const std::string& log = "run.log") {
    args.insert(args.begin(), dir_ / "orvanne");
    return Process::Start({args, env, dir_ / log, {}});
  }
  std::string Log(const std::string& name = "run.log") const {
    std::ifstream in(dir_ / name);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
  }
  // Polls until the screen's point shows the picture's colour.
  bool PictureAt(int x, int y) {
    return WaitUntil([&] { return Near(tools_.Screenshot(dir_ / "shot.ppm").At(x, y), kPicture); }, Millis(30000),
                     Millis(300));
  }

  ScratchDir dir_{"orv_hosted_e2e"};
  XvfbServer x_{1280, 800};
  XTools tools_{x_.display()};
};

// Processes whose environment names our display and whose name starts so.
int ProcessesOnDisplay(const std::string& display, const std::string& name_prefix) {
  int count = 0;
  DIR* proc = ::opendir("/proc");
  while (dirent* e = proc ? ::readdir(proc) : nullptr) {
    const std::string dir = std::string("/proc/") + e->d_name;
    std::ifstream comm(dir + "/comm");
    std::string name;
    if (!std::getline(comm, name) || name.rfind(name_prefix, 0) != 0) continue;
    std::ifstream env(dir + "/environ");
    std::string all((std::istreambuf_iterator<char>(env)), {});
    if (all.find(std::string("DISPLAY=") + display + '\0') != std::string::npos) ++count;
  }
  if (proc) ::closedir(proc);
  return count;
}

TEST_F(HostedE2ETest, RootShowsThePictureAtTheWindowsAspectAndEndsCleanlyOnEverySignal) {
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) {
    auto saver = Start({"--root", "-folder", dir_ / "pictures", "--unknown-option", "x"}, ClientEnv());
    // 4:3 fitted into 1280 x 800: 1066 x 800 at x = 107.
    ASSERT_TRUE(PictureAt(640, 400)) << Log();
    const PpmImage shot = tools_.Screenshot(dir_ / "shot.ppm");
    EXPECT_TRUE(Near(shot.At(110, 400), kPicture));
    EXPECT_FALSE(Near(shot.At(100, 400), kPicture));
    EXPECT_FALSE(Near(shot.At(1180, 400), kPicture));
    const auto sent = std::chrono::steady_clock::now();
    ::kill(saver->pid(), sig);
    // Hosts expect the end within 200 ms; the wait is only a hang guard, the
    // time is reported.
    const auto status = saver->Wait(Millis(10000));
    const auto ms = std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - sent).count();
    std::cout << "[ measured ] " << strsignal(sig) << ": exit " << (status ? *status : -1) << " after " << ms
              << " ms (polled every 10 ms)\n";
    ASSERT_TRUE(status) << sig;
    EXPECT_EQ(*status, 0) << sig;
  }
  EXPECT_EQ(ProcessesOnDisplay(x_.display(), "dbus-"), 0);
}

TEST_F(HostedE2ETest, OneCopyPerWindowAndTheDialogBlocksNone) {
  Env env = ClientEnv();
  auto dialog = Start({"/c"}, env, "dialog.log");
  ASSERT_TRUE(tools_.WaitForWindow("^Orvanne$", Millis(20000))) << Log("dialog.log");
  auto host = Process::Start({{kXlogo, "-name", "host", "-geometry", "800x600+0+0"}, env, "", {}});
  auto id = tools_.WaitForWindow("^host$", Millis(10000));
  ASSERT_TRUE(id);
  char hex[32];
  std::snprintf(hex, sizeof hex, "0x%lx", *id);
  // xscreensaver names its window in hex through the environment.
  Env hosted = env;
  hosted.Set("XSCREENSAVER_WINDOW", hex);
  auto first = Start({"-root", "--folder=" + (dir_ / "pictures")}, hosted);
  ASSERT_TRUE(PictureAt(400, 300)) << Log();
  // The same window again (decimal this time): the second copy ends.
  auto second = Start({"--window-id", std::to_string(*id)}, env, "second.log");
  const auto status = second->Wait(Millis(15000));
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_TRUE(first->Running());
  // The host's window goes: the copy ends with it.
  host->Stop();
  const auto gone = first->Wait(Millis(10000));
  ASSERT_TRUE(gone) << Log();
  EXPECT_EQ(*gone, 0);
  EXPECT_TRUE(dialog->Running());
}

TEST_F(HostedE2ETest, BadWindowIdsFailWithOneLine) {
  struct Case {
    std::vector<std::string> args;
    const char* xscreensaver_window;
  };
  const Case cases[] = {
      {{"--window-id", "abc"}, nullptr}, {{"-window-id", "0x7fffff0"}, nullptr}, {{"--window-id"}, nullptr},
      {{"--root"}, "nonsense"},          {{"--root"}, "0x7fffff0"},
  };
  for (const Case& c : cases) {
    Env env = ClientEnv();
    if (c.xscreensaver_window) env.Set("XSCREENSAVER_WINDOW", c.xscreensaver_window);
    std::vector<std::string> argv = c.args;
    argv.insert(argv.begin(), dir_ / "orvanne");
    const RunResult r = RunProgram(argv, env, Millis(20000));
    EXPECT_EQ(r.status, 1) << r.output;
    EXPECT_EQ(std::count(r.output.begin(), r.output.end(), '\n'), 1) << r.output;
  }
}

}  // namespace
}  // namespace orv::e2e
