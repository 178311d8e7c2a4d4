// The real program's start-up on an X server of its own: the instance guard,
// the command line's modes, and the preview's life inside a host window.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <optional>
#include <fstream>
#include <sstream>

#include "e2e/support/process.h"
#include "e2e/support/x_session.h"

namespace orv::e2e {
namespace {

constexpr char kXlogo[] = "/usr/bin/xlogo";
using Clock = std::chrono::steady_clock;

class ModesE2ETest : public ::testing::Test {
 public:
  void SetUp() override {
    if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import missing";
    CopyProgram(ORV_PROGRAM, dir_.path());
    ::mkdir((dir_ / "empty").c_str(), 0755);
    // An empty picture folder: nothing here depends on the decoders.
    std::FILE* ini = std::fopen((dir_ / "orvanne.ini").c_str(), "w");
    std::fprintf(ini, "[BGIllust]\nFolder=%s\n[BGColor]\nEnable=1\nColor=128\n", (dir_ / "empty").c_str());
    std::fclose(ini);
  }

  Env ClientEnv() const {
    Env env = x_.ClientEnv();
    env.Set("XDG_RUNTIME_DIR", dir_ / "runtime");
    return env;
  }
  std::unique_ptr<Process> Start(std::vector<std::string> args, const std::string& log = "run.log") {
    args.insert(args.begin(), dir_ / "orvanne");
    return Process::Start({args, ClientEnv(), dir_ / log, {}});
  }
  // Runs a copy to its end; its exit status, or -1 if it was still running after the timeout.
  std::string Log(const std::string& name = "run.log") const {
    std::ifstream in(dir_ / name);
    std::ostringstream ss;
    ss << in.rdbuf();
    return "program output:\n" + ss.str();
  }
  int RunToEnd(std::vector<std::string> args, Millis timeout = Millis(5000)) {
    args.insert(args.begin(), dir_ / "orvanne");
    return RunProgram(args, ClientEnv(), timeout).status;
  }

  ScratchDir dir_{"orv_modes_e2e"};
  XvfbServer x_;
  XTools tools_{x_.display()};
};

TEST_F(ModesE2ETest, ArgumentsThatSelectNoModeEndSilently) {
  for (const char* arg : {"s", "/scr", "/s:1", "/px", "-x"}) {
    EXPECT_EQ(RunToEnd({arg}), 0) << arg;
  }
  EXPECT_TRUE(tools_.SearchWindows(".").empty());
}

TEST_F(ModesE2ETest, APasswordRequestPassesTheGuardAndEnds) {
  EXPECT_EQ(RunToEnd({"/a"}), 0);
  auto dialog = Start({"/c"});
  ASSERT_TRUE(tools_.WaitForWindow("^Orvanne$", Millis(20000))) << Log();
  EXPECT_EQ(RunToEnd({"/a", "123"}), 0);
  EXPECT_EQ(RunToEnd({"-A"}), 0);
  EXPECT_TRUE(dialog->Running());
}

TEST_F(ModesE2ETest, ASecondCopyEndsAtOnceInEveryMode) {
  auto first = Start({"/c"});
  ASSERT_TRUE(tools_.WaitForWindow("^Orvanne$", Millis(20000))) << Log();
  const size_t windows = tools_.SearchWindows(".").size();
  for (std::vector<std::string> args : {std::vector<std::string>{"/s"}, {"/p", "123"}, {"/c"}, {}}) {
    auto t0 = Clock::now();
    EXPECT_EQ(RunToEnd(args), 0);
    EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
  }
  EXPECT_EQ(tools_.SearchWindows(".").size(), windows);
  EXPECT_TRUE(first->Running());
}

TEST_F(ModesE2ETest, ACrashedCopyDoesNotBlockTheNextStart) {
  auto first = Start({"/c"});
  ASSERT_TRUE(tools_.WaitForWindow("^Orvanne$", Millis(20000))) << Log();
  ::kill(first->pid(), SIGKILL);
  first->Wait(Millis(5000));
  auto second = Start({"/c"}, "second.log");
  EXPECT_TRUE(tools_.WaitForWindow("^Orvanne$", Millis(20000))) << Log("second.log");
  EXPECT_TRUE(second->Running());
}

TEST_F(ModesE2ETest, FullScreenModeCoversTheScreen) {
  auto saver = Start({"/s"});
  auto window = tools_.WaitForWindow("^スクリーンセーバー$", Millis(20000));
  ASSERT_TRUE(window);
  bool covered = WaitUntil(
      [&] {
        auto g = tools_.Geometry(*window);
        return g && g->x == 0 && g->y == 0 && g->width == 1920 && g->height == 1080;
      },
      Millis(10000));
  EXPECT_TRUE(covered);
  EXPECT_TRUE(saver->Running());
}

TEST_F(ModesE2ETest, PreviewWithoutAUsableHandleSaysSo) {
  for (std::vector<std::string> args : {std::vector<std::string>{"/p", "0"}, {"/p", "abc"}, {"/p"}}) {
    auto preview = Start(args);
    auto box = tools_.WaitForWindow("^スクリーンセーバー$", Millis(20000));
    ASSERT_TRUE(box) << args.size();
    // The box may be mapped before it takes keys: press until it is gone.
    std::optional<int> status;
    for (int attempt = 0; attempt < 10 && !status; ++attempt) {
      tools_.Focus(*box);
      tools_.Key("Return");
      status = preview->Wait(Millis(1000));
    }
    ASSERT_TRUE(status) << Log();
    EXPECT_EQ(*status, 0);
  }
}

TEST_F(ModesE2ETest, PreviewOfAWindowThatDoesNotExistEndsAtOnce) {
  auto t0 = Clock::now();
  EXPECT_EQ(RunToEnd({"/p", "12345"}), 0);
  EXPECT_LT(Clock::now() - t0, std::chrono::seconds(3));
}

TEST_F(ModesE2ETest, PreviewLivesInsideTheHostAndEndsWithIt) {
  Env env = ClientEnv();
  auto host = Process::Start({{kXlogo, "-name", "host", "-geometry", "320x240+0+0"}, env, "", {}});
  auto host_id = tools_.WaitForWindow("^host$", Millis(10000));
  ASSERT_TRUE(host_id);
  auto preview = Start({"/p", std::to_string(*host_id)});
  // The form becomes a child of the host, sized to it.
  auto form = tools_.WaitForWindow("^スクリーンセーバー$", Millis(20000));
  ASSERT_TRUE(form);
  bool sized = WaitUntil(
      [&] {
        auto g = tools_.Geometry(*form);
        return g && g->width == 320 && g->height == 240;
      },
      Millis(10000));
  EXPECT_TRUE(sized);
  // A click in the host does not end the preview.
  tools_.Click(100, 100);
  std::this_thread::sleep_for(Millis(500));
  EXPECT_TRUE(preview->Running());
  // Destroying the host ends the preview within a fraction of a second.
  host->Stop();
  auto t0 = Clock::now();
  auto status = preview->Wait(Millis(5000));
  ASSERT_TRUE(status);
  EXPECT_EQ(*status, 0);
  EXPECT_LT(Clock::now() - t0, Millis(1000));
}

TEST_F(ModesE2ETest, StopSignalsEndEveryModeWithStatusZero) {
  Env env = ClientEnv();
  auto host = Process::Start({{kXlogo, "-name", "host", "-geometry", "320x240+0+0"}, env, "", {}});
  auto host_id = tools_.WaitForWindow("^host$", Millis(10000));
  ASSERT_TRUE(host_id);
  const struct {
    std::vector<std::string> args;
    const char* window;
    int signal;
  } cases[] = {
      {{"/s"}, "^スクリーンセーバー$", SIGTERM},
      {{"/s"}, "^スクリーンセーバー$", SIGHUP},
      {{"/c"}, "^Orvanne$", SIGTERM},
      {{"/c"}, "^Orvanne$", SIGINT},
      {{"/p", std::to_string(*host_id)}, "^スクリーンセーバー$", SIGTERM},
  };
  for (const auto& c : cases) {
    auto run = Start(c.args);
    ASSERT_TRUE(tools_.WaitForWindow(c.window, Millis(20000))) << c.args[0] << "\n" << Log();
    std::this_thread::sleep_for(Millis(300));  // into the message loop
    ::kill(run->pid(), c.signal);
    const std::optional<int> status = run->Wait(Millis(5000));
    ASSERT_TRUE(status) << c.args[0] << " signal " << c.signal;
    EXPECT_EQ(*status, 0) << c.args[0] << " signal " << c.signal << "\n" << Log();
    // The windows went with it, so the next case finds its own.
    EXPECT_TRUE(WaitUntil([&] { return tools_.SearchWindows(c.window).empty(); }, Millis(5000)));
  }
}

// Under a Wayland compositor no client may grab: the slideshow runs without
// asking (Qt would warn at every tick) and a stop signal still ends it with 0.
TEST_F(ModesE2ETest, FullScreenUnderWaylandAsksForNoGrab) {
  if (!Executable("/usr/bin/weston")) GTEST_SKIP() << "weston missing";
  Env env;
  env.Set("XDG_RUNTIME_DIR", dir_ / "runtime").Set("WAYLAND_DISPLAY", "orv-wayland").Set("QT_QPA_PLATFORM", "wayland");
  env.unset.push_back("DISPLAY");
  auto weston = Process::Start({{"/usr/bin/weston", "--backend=headless-backend.so", "--socket=orv-wayland",
                                 "--width=1280", "--height=720", "--idle-time=0"},
                                env, dir_ / "weston.log", {}});
  ASSERT_TRUE(WaitUntil([&] { return ::access((dir_ / "runtime/orv-wayland").c_str(), F_OK) == 0; }, Millis(10000)))
      << Log("weston.log");
  auto saver = Process::Start({{dir_ / "orvanne", "/s"}, env, dir_ / "run.log", {}});
  std::this_thread::sleep_for(Millis(3000));  // thirty ticks
  ASSERT_TRUE(saver->Running()) << Log();
  EXPECT_EQ(saver->Stop(), 0) << Log();
  const std::string log = Log();
  EXPECT_EQ(log.find("grab"), std::string::npos) << log;
}

}  // namespace
}  // namespace orv::e2e
