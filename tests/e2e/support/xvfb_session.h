// A small harness for end-to-end tests of the real program: a private Xvfb
// server, child processes started and stopped by pid, X input through
// xdotool, and screenshots read as PPM.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace orv::e2e {

using Env = std::map<std::string, std::string>;

// A child process. The destructor kills it (by its pid) if it still runs.
class ChildProcess {
 public:
  ChildProcess() = default;
  // Starts argv[0] (a path) with the given environment; output goes to log_path.
  // Kill() asks with SIGTERM, then after two seconds uses SIGKILL.
  ChildProcess(const std::vector<std::string>& argv, const Env& env, const std::string& log_path);
  ~ChildProcess();
  ChildProcess(ChildProcess&& other) noexcept;
  // Takes charge of a process started otherwise.
  static ChildProcess Adopt(pid_t pid);
  ChildProcess& operator=(ChildProcess&& other) noexcept;

  bool Started() const { return pid_ > 0; }
  pid_t Pid() const { return pid_; }
  bool Running();
  // The exit code once the process ends within timeout_ms (-1: killed by a
  // signal); nothing while it still runs.
  std::optional<int> WaitExit(int timeout_ms);
  void Kill();

 private:
  pid_t pid_ = -1;
  std::optional<int> status_;
};

// Runs a command to its end (at most timeout_ms) and returns its exit code,
// -1 on a timeout; its standard output goes to *out when given.
int RunCommand(const std::vector<std::string>& argv, const Env& env, std::string* out = nullptr,
               int timeout_ms = 10000);

struct Screenshot {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  // 0x00BBGGRR, as the program's colours.
  int32_t Pixel(int x, int y) const;
};

class XvfbSession {
 public:
  // Starts "Xvfb -displayfd FD -screen 0 WxHx24 -nolisten tcp" on a free display.
  XvfbSession(int width, int height);
  ~XvfbSession();
  XvfbSession(const XvfbSession&) = delete;
  XvfbSession& operator=(const XvfbSession&) = delete;

  bool Ok() const { return !display_.empty(); }
  const std::string& Display() const { return display_; }
  // The environment for a program on this display: this process's own, with
  // DISPLAY, the xcb platform and the given runtime folder.
  Env ProgramEnv(const std::string& runtime_dir) const;

  // xdotool with the given arguments; true when it succeeded.
  bool XDoTool(const std::vector<std::string>& args, std::string* out = nullptr) const;
  bool TakeScreenshot(Screenshot* shot) const;
  // Polls screenshots until pred holds or timeout_ms passes.
  bool WaitForScreen(const std::function<bool(const Screenshot&)>& pred, int timeout_ms,
                     Screenshot* last = nullptr) const;

 private:
  ChildProcess server_;
  std::string display_;
};

// True when the colours differ by at most tolerance in each channel.
bool ColourNear(int32_t a, int32_t b, int tolerance);

}  // namespace orv::e2e
