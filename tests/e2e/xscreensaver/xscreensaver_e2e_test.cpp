// The real xscreensaver daemon (and mate-screensaver) run a staged install: on
// activation every window of the host shows the picture at its own monitor's
// aspect over the host's screenshot, and once the host has let go no copy of
// ours (nor a D-Bus daemon started for one) is left running.
#include <dirent.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "e2e/support/process.h"
#include "e2e/support/x_session.h"

namespace orv::e2e {
namespace {

constexpr char kDaemon[] = "/usr/bin/xscreensaver";
constexpr char kCommand[] = "/usr/bin/xscreensaver-command";
constexpr char kXrandr[] = "/usr/bin/xrandr";
constexpr char kXsetroot[] = "/usr/bin/xsetroot";
constexpr Rgb kPicture{200, 30, 60};
constexpr Rgb kDesktop{48, 160, 64};  // the root window's colour: what the host's screenshot shows

bool Near(Rgb a, Rgb b) { return std::abs(a.r - b.r) < 8 && std::abs(a.g - b.g) < 8 && std::abs(a.b - b.b) < 8; }

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), {});
}

// Live (not yet reaped ones do not count) processes of uid whose DISPLAY is
// the display or one of its screens and whose name starts with prefix.
int LiveProcesses(uid_t uid, const std::string& display, const std::string& prefix) {
  int count = 0;
  DIR* proc = ::opendir("/proc");
  while (dirent* e = proc ? ::readdir(proc) : nullptr) {
    const std::string dir = std::string("/proc/") + e->d_name;
    struct stat st;
    if (e->d_name[0] < '0' || e->d_name[0] > '9' || ::stat(dir.c_str(), &st) != 0 || st.st_uid != uid) continue;
    std::string comm = ReadAll(dir + "/comm");
    if (comm.rfind(prefix, 0) != 0) continue;
    const std::string stat_line = ReadAll(dir + "/stat");
    const auto paren = stat_line.rfind(')');
    if (paren == std::string::npos || paren + 2 >= stat_line.size() || stat_line[paren + 2] == 'Z') continue;
    const std::string env = ReadAll(dir + "/environ");
    const std::string want = "DISPLAY=" + display;
    for (size_t at = env.find(want); at != std::string::npos; at = env.find(want, at + 1)) {
      const size_t end = at + want.size();
      if ((at == 0 || env[at - 1] == '\0') && (end == env.size() || env[end] == '\0' || env[end] == '.')) {
        ++count;
        break;
      }
    }
  }
  if (proc) ::closedir(proc);
  return count;
}

// The staged install, the picture folder and the user that runs the daemon
// (it refuses root, so as root a throwaway user is made), shared by the cases.
struct Stage {
  ScratchDir dir{"orv_xscreensaver_e2e"};
  std::string user;  // the throwaway user's name; empty when running as ourselves
  uid_t uid = ::getuid();
  gid_t gid = ::getgid();
  std::string skip;  // why the cases cannot run
  std::string hack() const { return dir / "stage/usr/libexec/xscreensaver/orvanne"; }
  std::string home() const { return dir / "home"; }

  Stage() {
    // The daemon's user walks into our folder.
    ::chmod(dir.path().c_str(), 0755);
    Env env;
    env.Set("DESTDIR", dir / "stage");
    const RunResult install =
        RunProgram({ORV_CMAKE, "--install", ORV_BUILD_DIR, "--prefix", "/usr"}, env, Millis(120000));
    if (install.status != 0 || !Executable(hack())) {
      skip = "staging the install failed: " + install.output;
      return;
    }
    ::mkdir((dir / "pictures").c_str(), 0755);
    const RunResult pic = RunProgram({kConvert, "-size", "400x300", "xc:#C81E3C", "-type", "TrueColor",
                                      "BMP3:" + (dir / "pictures/one.bmp")});
    if (pic.status != 0) skip = "convert failed: " + pic.output;
    ::chmod((dir / "pictures/one.bmp").c_str(), 0644);
    ::mkdir(home().c_str(), 0700);
    if (::geteuid() != 0) return;
    user = "orvxs" + std::to_string(::getpid());
    const RunResult add = RunProgram({"useradd", "-M", "-d", home(), "-s", "/bin/sh", user});
    const passwd* pw = add.status == 0 ? ::getpwnam(user.c_str()) : nullptr;
    if (!pw) {
      skip = "cannot create a user to run xscreensaver as: " + add.output;
      user.clear();
      return;
    }
    uid = pw->pw_uid;
    gid = pw->pw_gid;
    if (::chown(home().c_str(), uid, gid) != 0) skip = "chown of the home failed";
  }

  ~Stage() {
    if (user.empty()) return;
    // Whatever the user still runs is ours: end it by pid, then drop the user.
    DIR* proc = ::opendir("/proc");
    while (dirent* e = proc ? ::readdir(proc) : nullptr) {
      struct stat st;
      const std::string dir_name = std::string("/proc/") + e->d_name;
      if (e->d_name[0] >= '0' && e->d_name[0] <= '9' && ::stat(dir_name.c_str(), &st) == 0 && st.st_uid == uid)
        ::kill(std::stoi(e->d_name), SIGKILL);
    }
    if (proc) ::closedir(proc);
    RunProgram({"userdel", user});
  }
};

Stage* stage = nullptr;

struct Monitor {
  const char* screen;  // "" or ".1": the X screen
  int x, y, w, h;
};

struct Layout {
  const char* name;
  std::vector<std::string> xvfb;
  std::vector<std::vector<std::string>> monitors;  // xrandr --setmonitor arguments
  std::vector<Monitor> expect;
  bool end_by_key;  // else xscreensaver-command -deactivate
};

// The 4:3 picture enlarged into the monitor, centred; inside near its edges
// the picture, just outside (across the bars) the host's screenshot.
bool ShowsPicture(const PpmImage& s, const Monitor& m, Rgb outside = kDesktop) {
  const bool wide = m.w * 3 >= m.h * 4;
  const int w = wide ? m.h * 4 / 3 : m.w, h = wide ? m.h : m.w * 3 / 4;
  const int x = m.x + (m.w - w) / 2, y = m.y + (m.h - h) / 2;
  if (s.width() < m.x + m.w || s.height() < m.y + m.h) return false;
  if (!Near(s.At(x + 3, y + 3), kPicture) || !Near(s.At(x + w - 4, y + h - 4), kPicture)) return false;
  if (wide) return Near(s.At(x - 4, y + h / 2), outside) && Near(s.At(x + w + 3, y + h / 2), outside);
  return Near(s.At(x + w / 2, y - 4), outside) && Near(s.At(x + w / 2, y + h + 3), outside);
}

class XscreensaverE2E : public ::testing::TestWithParam<Layout> {
 public:
  static void SetUpTestSuite() {
    if (XToolsAvailable() && Executable(kDaemon) && Executable(kCommand)) stage = new Stage;
  }
  static void TearDownTestSuite() {
    delete stage;
    stage = nullptr;
  }
  void SetUp() override {
    if (!stage) GTEST_SKIP() << "xscreensaver, Xvfb, xdotool or import is not installed";
    if (!stage->skip.empty()) GTEST_SKIP() << stage->skip;
  }

  // A tool of ours on the test's display (or one of its screens).
  RunResult Tool(std::vector<std::string> argv, const std::string& screen = "") {
    Env env;
    env.Set("DISPLAY", x_->display() + screen);
    return RunProgram(argv, env);
  }

  std::unique_ptr<Process> StartDaemon() {
    const std::string runtime = stage->dir / ("runtime_" + std::string(GetParam().name));
    ::mkdir(runtime.c_str(), 0700);
    const std::string rc = stage->home() + "/.xscreensaver";
    std::ofstream(rc) << "mode: one\nselected: 0\ntimeout: 0:30:00\nlock: False\nsplash: False\nfade: False\n"
                         "unfade: False\nprograms: \"Orvanne\" "
                      << stage->hack() << " --root --enlarge --folder " << (stage->dir / "pictures") << " \\n\n";
    if (::chown(runtime.c_str(), stage->uid, stage->gid) != 0 || ::chown(rc.c_str(), stage->uid, stage->gid) != 0)
      ADD_FAILURE() << "chown failed";
    Env env;
    env.Set("DISPLAY", x_->display()).Set("HOME", stage->home()).Set("XDG_RUNTIME_DIR", runtime);
    const std::string name = stage->user.empty() ? std::string(::getenv("USER") ? ::getenv("USER") : "") : stage->user;
    env.Set("USER", name).Set("LOGNAME", name);
    env.unset = {"DBUS_SESSION_BUS_ADDRESS", "XSCREENSAVER_WINDOW", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY",
                 "XAUTHORITY"};
    std::vector<std::string> argv;
    if (!stage->user.empty())
      argv = {"setpriv", "--reuid", std::to_string(stage->uid), "--regid", std::to_string(stage->gid),
              "--clear-groups", "--"};
    argv.insert(argv.end(), {"/bin/sh", "-c", "cd \"$HOME\" && exec xscreensaver -no-splash -verbose"});
    return Process::Start({argv, env, stage->dir / "daemon.log", {}});
  }

  std::string Log() { return "daemon and program output:\n" + ReadAll(stage->dir / "daemon.log"); }

  std::unique_ptr<XvfbServer> x_;
};

TEST_P(XscreensaverE2E, ShowsThePictureInEveryHostWindowAndLeavesNothingBehind) {
  const Layout& layout = GetParam();
  x_ = std::make_unique<XvfbServer>(layout.xvfb);
  for (auto args : layout.monitors) {
    args.insert(args.begin(), {kXrandr, "--setmonitor"});
    const RunResult r = Tool(args);
    ASSERT_EQ(r.status, 0) << r.output;
  }
  for (const Monitor& m : layout.expect) ASSERT_EQ(Tool({kXsetroot, "-solid", "#30A040"}, m.screen).status, 0);

  auto daemon = StartDaemon();
  ASSERT_TRUE(WaitUntil([&] { return Tool({kCommand, "-version"}).status == 0; }, Millis(30000), Millis(200)))
      << Log();
  ASSERT_EQ(Tool({kCommand, "-activate"}).status, 0) << Log();

  for (const Monitor& m : layout.expect) {
    XTools tools(x_->display() + m.screen);
    PpmImage shot;
    EXPECT_TRUE(WaitUntil(
        [&] {
          shot = tools.Screenshot(stage->dir / "shot.ppm");
          return ShowsPicture(shot, m);
        },
        Millis(30000), Millis(300)))
        << "monitor at " << m.screen << "+" << m.x << "+" << m.y << "\n" << Log();
    std::filesystem::create_directories(ORV_ARTIFACT_DIR);
    shot.Save(std::string(ORV_ARTIFACT_DIR) + "/" + layout.name + m.screen + ".ppm");
  }
  // One copy per host window.
  EXPECT_EQ(LiveProcesses(stage->uid, x_->display(), "orvanne"), int(layout.expect.size())) << Log();

  // Once the host's graphics process is gone it has signalled our copies;
  // from then on they have one second. The daemon ignores keys for a moment
  // after it blanked, so the key is pressed until it unblanks.
  auto host_gone = [&] { return LiveProcesses(stage->uid, x_->display(), "xscreensaver-g") == 0; };
  const auto asked = std::chrono::steady_clock::now();
  if (layout.end_by_key) {
    XTools tools(x_->display());
    ASSERT_TRUE(WaitUntil([&] { return tools.Xdotool({"key", "space"}).status == 0 && host_gone(); },
                          Millis(30000), Millis(500)))
        << Log();
  } else {
    const RunResult end = Tool({kCommand, "-deactivate"});
    ASSERT_EQ(end.status, 0) << end.output;
    ASSERT_TRUE(WaitUntil(host_gone, Millis(30000))) << Log();
  }
  const auto signalled = std::chrono::steady_clock::now();
  const bool gone =
      WaitUntil([&] { return LiveProcesses(stage->uid, x_->display(), "orvanne") == 0; }, Millis(1000), Millis(5));
  const auto now = std::chrono::steady_clock::now();
  auto ms = [&](auto since) { return std::chrono::duration_cast<std::chrono::milliseconds>(now - since).count(); };
  std::cout << "[ measured ] " << layout.name << ": copies gone " << ms(signalled) << " ms after the host's exit, "
            << ms(asked) << " ms after " << (layout.end_by_key ? "the first key" : "-deactivate") << "\n";
  EXPECT_TRUE(gone) << Log();
  EXPECT_EQ(LiveProcesses(stage->uid, x_->display(), "dbus-"), 0);
  EXPECT_TRUE(daemon->Running()) << Log();
}

void PrintTo(const Layout& layout, std::ostream* os) { *os << layout.name; }

const Layout kLayouts[] = {
    {"OneScreen", {"-screen", "0", "1280x800x24"}, {}, {{"", 0, 0, 1280, 800}}, false},
    {"TwoRandRMonitors",
     {"-screen", "0", "2080x800x24"},
     {{"LEFT", "1280/338x800/211+0+0", "screen"}, {"RIGHT", "800/211x800/211+1280+0", "none"}},
     {{"", 0, 0, 1280, 800}, {"", 1280, 0, 800, 800}},
     true},
    {"TwoXScreens",
     {"-screen", "0", "1280x800x24", "-screen", "1", "800x800x24"},
     {},
     {{"", 0, 0, 1280, 800}, {".1", 0, 0, 800, 800}},
     false},
};

// mate-screensaver runs only hacks that lie in its own folder or in
// libexec/xscreensaver, listed by a .desktop file of applications/screensavers
// that names our theme. A private mount namespace puts a hack folder with our
// link over /usr/libexec/xscreensaver, so the installed .desktop file is used
// as it is. The host gives no screenshot: the background is black.
TEST(MateScreensaverE2E, RunsTheInstalledThemeAndEndsItOnDeactivation) {
  for (const char* tool : {"/usr/bin/mate-screensaver", "/usr/bin/mate-screensaver-command",
                           "/usr/bin/dbus-run-session", "/usr/bin/unshare"})
    if (!Executable(tool)) GTEST_SKIP() << tool << " is not installed";
  if (::geteuid() != 0) GTEST_SKIP() << "the private mount namespace needs root";
  if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import is not installed";
  Stage local;
  if (!local.skip.empty()) GTEST_SKIP() << local.skip;
  const std::string hacks = local.dir / "hacks", config = local.dir / "config", addr = local.dir / "bus";
  std::filesystem::create_directories(hacks);
  std::filesystem::create_directories(config + "/glib-2.0/settings");
  std::filesystem::create_symlink(local.dir / "stage/usr/bin/orvanne", hacks + "/orvanne");
  // The staged copy keeps its settings beside it; the theme's command line has no folder.
  std::ofstream(local.dir / "stage/usr/bin/orvanne.ini")
      << "[BGIllust]\nFolder=" << (local.dir / "pictures") << "\nChangeSec=60\nExtend=1\n";
  std::ofstream(config + "/glib-2.0/settings/keyfile")
      << "[org/mate/screensaver]\nmode='single'\nthemes=['screensavers-orvanne']\nlock-enabled=false\n";
  const std::string runtime = local.dir / "runtime";
  ::mkdir(runtime.c_str(), 0700);

  XvfbServer x(1280, 800);
  Env env;
  env.Set("DISPLAY", x.display()).Set("XDG_RUNTIME_DIR", runtime).Set("XDG_CONFIG_HOME", config);
  env.Set("GSETTINGS_BACKEND", "keyfile").Set("XDG_CURRENT_DESKTOP", "MATE");
  env.Set("XDG_DATA_DIRS", local.dir / "stage/usr/share:/usr/share").Set("HACKS", hacks).Set("ADDR", addr);
  env.unset = {"DBUS_SESSION_BUS_ADDRESS", "XSCREENSAVER_WINDOW", "QT_QPA_PLATFORM"};
  ASSERT_EQ(RunProgram({kXsetroot, "-solid", "#30A040"}, env).status, 0);
  auto daemon = Process::Start(
      {{"/usr/bin/unshare", "-m", "/bin/sh", "-c",
        "mount --make-rprivate / && mount --bind \"$HACKS\" /usr/libexec/xscreensaver && exec dbus-run-session -- "
        "/bin/sh -c 'echo \"$DBUS_SESSION_BUS_ADDRESS\" > \"$ADDR\" && exec mate-screensaver --no-daemon --debug'"},
       env,
       local.dir / "mate.log",
       {}});
  auto log = [&] { return "mate-screensaver output:\n" + ReadAll(local.dir / "mate.log"); };
  std::string bus;
  ASSERT_TRUE(WaitUntil(
      [&] {
        bus = ReadAll(addr);
        return !bus.empty() && bus.back() == '\n';
      },
      Millis(30000)))
      << log();
  bus.pop_back();
  Env client = env;
  client.Set("DBUS_SESSION_BUS_ADDRESS", bus);
  auto command = [&](const char* what) { return RunProgram({"/usr/bin/mate-screensaver-command", what}, client); };
  ASSERT_TRUE(WaitUntil([&] { return command("--query").status == 0; }, Millis(30000), Millis(200))) << log();
  ASSERT_EQ(command("--activate").status, 0) << log();

  XTools tools(x.display());
  const Monitor screen{"", 0, 0, 1280, 800};
  EXPECT_TRUE(WaitUntil([&] { return ShowsPicture(tools.Screenshot(local.dir / "shot.ppm"), screen, Rgb{0, 0, 0}); },
                        Millis(30000), Millis(300)))
      << log();
  EXPECT_EQ(LiveProcesses(0, x.display(), "orvanne"), 1) << log();

  ASSERT_EQ(command("--deactivate").status, 0) << log();
  const auto asked = std::chrono::steady_clock::now();
  const bool gone = WaitUntil([&] { return LiveProcesses(0, x.display(), "orvanne") == 0; }, Millis(1000), Millis(5));
  std::cout << "[ measured ] mate-screensaver: copy gone "
            << std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - asked).count()
            << " ms after --deactivate\n";
  EXPECT_TRUE(gone) << log();
  EXPECT_EQ(LiveProcesses(0, x.display(), "dbus-launch"), 0);
  command("--exit");
  EXPECT_TRUE(daemon->Wait(Millis(20000))) << log();
}

INSTANTIATE_TEST_SUITE_P(Daemon, XscreensaverE2E, ::testing::ValuesIn(kLayouts),
                         [](const ::testing::TestParamInfo<Layout>& info) { return std::string(info.param.name); });

// `orvanne --add-to-xscreensaver` in a home without ~/.xscreensaver: the file
// is made from the system's list with our entry last, a second run changes
// nothing, and the real daemon runs our entry when asked for that number.
TEST(XscreensaverAddE2E, TheAddedEntryIsTheDaemonsLastHackAndAddedOnce) {
  if (!Executable(kDaemon) || !Executable(kCommand) || !XToolsAvailable())
    GTEST_SKIP() << "xscreensaver, Xvfb, xdotool or import is not installed";
  Stage local;
  if (!local.skip.empty()) GTEST_SKIP() << local.skip;
  const std::string rc = local.home() + "/.xscreensaver", runtime = local.dir / "runtime";
  ::mkdir(runtime.c_str(), 0700);
  if (::chown(runtime.c_str(), local.uid, local.gid) != 0) FAIL() << "chown failed";
  XvfbServer x(1024, 768);
  Env env;
  env.Set("DISPLAY", x.display()).Set("HOME", local.home()).Set("XDG_RUNTIME_DIR", runtime);
  env.Set("PATH", local.dir / "stage/usr/bin:/usr/bin:/bin").Set("LC_ALL", "C.UTF-8");
  env.unset = {"DBUS_SESSION_BUS_ADDRESS", "XSCREENSAVER_WINDOW", "QT_QPA_PLATFORM", "WAYLAND_DISPLAY",
               "XAUTHORITY"};
  auto as_user = [&](std::vector<std::string> argv) {
    if (!local.user.empty())
      argv.insert(argv.begin(), {"setpriv", "--reuid", std::to_string(local.uid), "--regid",
                                 std::to_string(local.gid), "--clear-groups", "--"});
    return argv;
  };

  const RunResult first = RunProgram(as_user({local.dir / "stage/usr/bin/orvanne", "--add-to-xscreensaver"}), env);
  ASSERT_EQ(first.status, 0) << first.output;
  const std::string made = ReadAll(rc);
  ASSERT_NE(made.find("\"Orvanne\"  orvanne --root"), std::string::npos) << made;
  const RunResult again = RunProgram(as_user({local.dir / "stage/usr/bin/orvanne", "-add-to-xscreensaver"}), env);
  EXPECT_EQ(again.status, 0) << again.output;
  EXPECT_EQ(ReadAll(rc), made);

  // Every entry of the list ends in "\n"; ours is the last.
  int entries = 0;
  for (size_t at = made.find("\\n"); at != std::string::npos; at = made.find("\\n", at + 2)) ++entries;
  ASSERT_GT(entries, 100) << "the system's list was not taken";

  // The daemon reads the file the command wrote and runs its last hack: ours.
  auto daemon = Process::Start(
      {as_user({"/bin/sh", "-c", "cd \"$HOME\" && exec xscreensaver -no-splash -verbose"}), env, local.dir / "d.log", {}});
  auto log = [&] { return "daemon and program output:\n" + ReadAll(local.dir / "d.log"); };
  ASSERT_TRUE(WaitUntil([&] { return RunProgram({kCommand, "-version"}, env).status == 0; }, Millis(30000),
                        Millis(200)))
      << log();
  ASSERT_EQ(RunProgram({kCommand, "-select", std::to_string(entries)}, env).status, 0) << log();
  EXPECT_TRUE(WaitUntil([&] { return LiveProcesses(local.uid, x.display(), "orvanne") > 0; }, Millis(30000)))
      << log();
  RunProgram({kCommand, "-deactivate"}, env);
}

}  // namespace
}  // namespace orv::e2e
