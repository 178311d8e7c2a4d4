#include "e2e/support/xvfb_session.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace orv::e2e {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<char*> CStrings(std::vector<std::string>& items) {
  std::vector<char*> out;
  for (auto& s : items) out.push_back(s.data());
  out.push_back(nullptr);
  return out;
}

Env OwnEnv() {
  Env env;
  for (char** e = environ; *e; ++e) {
    const char* eq = std::strchr(*e, '=');
    if (eq) env[std::string(*e, size_t(eq - *e))] = eq + 1;
  }
  return env;
}

// fork + exec with the given descriptors as standard output and error; in
// the child nothing but async-signal-safe calls.
pid_t Spawn(const std::vector<std::string>& argv, const Env& env, int out_fd, int err_fd,
            int keep_fd = -1) {
  std::vector<std::string> args = argv;
  std::vector<std::string> vars;
  for (const auto& [k, v] : env) vars.push_back(k + "=" + v);
  std::vector<char*> cargs = CStrings(args), cvars = CStrings(vars);
  pid_t pid = ::fork();
  if (pid == 0) {
    int devnull = ::open("/dev/null", O_RDONLY);
    if (devnull >= 0) ::dup2(devnull, 0);
    if (out_fd >= 0) ::dup2(out_fd, 1);
    if (err_fd >= 0) ::dup2(err_fd, 2);
    // Only the standard descriptors (and one that is asked for) reach the program.
    for (int fd = 3; fd < 1024; ++fd)
      if (fd != keep_fd) ::close(fd);
    ::setpgid(0, 0);
    ::execve(cargs[0], cargs.data(), cvars.data());
    ::_exit(127);
  }
  return pid;
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& argv, const Env& env, const std::string& log_path) {
  int log = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  pid_ = Spawn(argv, env, log, log);
  if (log >= 0) ::close(log);
}

ChildProcess::~ChildProcess() { Kill(); }

ChildProcess ChildProcess::Adopt(pid_t pid) {
  ChildProcess p;
  p.pid_ = pid;
  return p;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(other.pid_), status_(other.status_) {
  other.pid_ = -1;
}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Kill();
    pid_ = other.pid_;
    status_ = other.status_;
    other.pid_ = -1;
  }
  return *this;
}

bool ChildProcess::Running() { return pid_ > 0 && !status_ && !WaitExit(0); }

std::optional<int> ChildProcess::WaitExit(int timeout_ms) {
  if (pid_ <= 0) return std::nullopt;
  if (status_) return status_;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  for (;;) {
    int st = 0;
    pid_t r = ::waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
      return status_;
    }
    if (r < 0 || Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

void ChildProcess::Kill() {
  if (pid_ <= 0 || status_) return;
  // Politely first, so that a server can remove its lock and socket files.
  ::kill(pid_, SIGTERM);
  if (WaitExit(2000)) return;
  ::kill(pid_, SIGKILL);
  int st = 0;
  ::waitpid(pid_, &st, 0);
  status_ = -1;
}

int RunCommand(const std::vector<std::string>& argv, const Env& env, std::string* out, int timeout_ms) {
  int pipefd[2];
  if (::pipe2(pipefd, O_CLOEXEC) != 0) return -1;
  int devnull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_t pid = Spawn(argv, env, pipefd[1], devnull);
  ::close(pipefd[1]);
  if (devnull >= 0) ::close(devnull);
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  char buf[65536];
  bool timed_out = false;
  for (;;) {
    int left = int(std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
    if (left <= 0) {
      timed_out = true;
      break;
    }
    pollfd p{pipefd[0], POLLIN, 0};
    if (::poll(&p, 1, left) <= 0) continue;
    ssize_t n = ::read(pipefd[0], buf, sizeof buf);
    if (n <= 0) break;
    if (out) out->append(buf, size_t(n));
  }
  ::close(pipefd[0]);
  if (pid <= 0) return -1;
  if (timed_out) ::kill(pid, SIGKILL);
  int st = 0;
  ::waitpid(pid, &st, 0);
  if (timed_out) return -1;
  return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
}

int32_t Screenshot::Pixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width || y >= height) return -1;
  const uint8_t* p = rgb.data() + (size_t(y) * size_t(width) + size_t(x)) * 3;
  return int32_t(p[0]) | (int32_t(p[1]) << 8) | (int32_t(p[2]) << 16);
}

XvfbSession::XvfbSession(int width, int height) {
  int fds[2];
  if (::pipe(fds) != 0) return;
  const std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
  int devnull = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
  pid_t pid = Spawn({"/usr/bin/Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten",
                     "tcp"},
                    OwnEnv(), devnull, devnull, fds[1]);
  ::close(fds[1]);
  if (devnull >= 0) ::close(devnull);
  // Xvfb writes the display number once it accepts clients.
  std::string number;
  const auto deadline = Clock::now() + std::chrono::seconds(15);
  while (Clock::now() < deadline && (number.empty() || number.back() != '\n')) {
    pollfd p{fds[0], POLLIN, 0};
    if (::poll(&p, 1, 200) <= 0) continue;
    char c;
    if (::read(fds[0], &c, 1) != 1) break;
    number += c;
  }
  ::close(fds[0]);
  server_ = ChildProcess::Adopt(pid);
  if (!number.empty() && number.back() == '\n') display_ = ":" + number.substr(0, number.size() - 1);
}

XvfbSession::~XvfbSession() { server_.Kill(); }

Env XvfbSession::ProgramEnv(const std::string& runtime_dir) const {
  Env env = OwnEnv();
  env["DISPLAY"] = display_;
  env["QT_QPA_PLATFORM"] = "xcb";
  env["XDG_RUNTIME_DIR"] = runtime_dir;
  env.erase("WAYLAND_DISPLAY");
  return env;
}

bool XvfbSession::XDoTool(const std::vector<std::string>& args, std::string* out) const {
  std::vector<std::string> argv = {"/usr/bin/xdotool"};
  argv.insert(argv.end(), args.begin(), args.end());
  Env env = OwnEnv();
  env["DISPLAY"] = display_;
  return RunCommand(argv, env, out) == 0;
}

bool XvfbSession::TakeScreenshot(Screenshot* shot) const {
  Env env = OwnEnv();
  env["DISPLAY"] = display_;
  std::string ppm;
  if (RunCommand({"/usr/bin/import", "-window", "root", "-depth", "8", "ppm:-"}, env, &ppm, 20000) != 0) return false;
  // P6 <w> <h> <maxval> then binary RGB (maxval 255).
  size_t pos = 0;
  auto token = [&]() -> std::string {
    while (pos < ppm.size()) {
      if (ppm[pos] == '#') {
        while (pos < ppm.size() && ppm[pos] != '\n') ++pos;
      } else if (std::isspace(static_cast<unsigned char>(ppm[pos]))) {
        ++pos;
      } else {
        break;
      }
    }
    size_t start = pos;
    while (pos < ppm.size() && !std::isspace(static_cast<unsigned char>(ppm[pos]))) ++pos;
    return ppm.substr(start, pos - start);
  };
  if (token() != "P6") return false;
  const int w = std::atoi(token().c_str()), h = std::atoi(token().c_str());
  const int maxval = std::atoi(token().c_str());
  ++pos;  // the single whitespace before the pixels
  if (w <= 0 || h <= 0 || maxval != 255 || ppm.size() - pos < size_t(w) * size_t(h) * 3) return false;
  shot->width = w;
  shot->height = h;
  shot->rgb.assign(ppm.begin() + std::ptrdiff_t(pos), ppm.begin() + std::ptrdiff_t(pos + size_t(w) * size_t(h) * 3));
  return true;
}

bool XvfbSession::WaitForScreen(const std::function<bool(const Screenshot&)>& pred, int timeout_ms,
                                Screenshot* last) const {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
  Screenshot shot;
  for (;;) {
    if (TakeScreenshot(&shot) && pred(shot)) {
      if (last) *last = std::move(shot);
      return true;
    }
    if (Clock::now() >= deadline) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  if (last) *last = std::move(shot);
  return false;
}

bool ColourNear(int32_t a, int32_t b, int tolerance) {
  for (int shift : {0, 8, 16})
    if (std::abs(((a >> shift) & 0xFF) - ((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

}  // namespace orv::e2e
