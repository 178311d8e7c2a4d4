#include "e2e/support/x_session.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <sstream>
#include <stdexcept>

namespace orv::e2e {

bool XToolsAvailable() { return Executable(kXvfb) && Executable(kXdotool) && Executable(kImport); }

XvfbServer::XvfbServer(int width, int height, int depth)
    : XvfbServer(std::vector<std::string>{
          "-screen", "0", std::to_string(width) + "x" + std::to_string(height) + "x" + std::to_string(depth)}) {}

XvfbServer::XvfbServer(const std::vector<std::string>& args) {
  // Xvfb writes the display number it chose to the descriptor we give it.
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  ProcessOptions options;
  // -noreset: a server that resets when its last client leaves refuses the
  // next program for a moment (a test that ends one copy and starts another).
  options.argv = {kXvfb, "-displayfd", std::to_string(fds[1]), "-nolisten", "tcp", "-noreset"};
  options.argv.insert(options.argv.end(), args.begin(), args.end());
  options.keep_fds = {fds[1]};
  try {
    server_ = Process::Start(options);
  } catch (...) {
    ::close(fds[0]);
    ::close(fds[1]);
    throw;
  }
  ::close(fds[1]);
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + Millis(15000);
  while (number.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
    pollfd p{fds[0], POLLIN, 0};
    if (::poll(&p, 1, 100) <= 0) continue;
    char buf[32];
    const ssize_t n = ::read(fds[0], buf, sizeof buf);
    if (n <= 0) break;
    number.append(buf, size_t(n));
  }
  ::close(fds[0]);
  if (number.find('\n') == std::string::npos) throw std::runtime_error("Xvfb did not report its display");
  display_ = ":" + number.substr(0, number.find('\n'));
}

XvfbServer::~XvfbServer() = default;  // the Process stops the server

Env XvfbServer::ClientEnv() const {
  Env env;
  env.Set("DISPLAY", display_).Set("QT_QPA_PLATFORM", "xcb");
  env.unset.push_back("WAYLAND_DISPLAY");
  // Our program's language follows the locale: Japanese unless a test asks
  // for another, whatever the developer's locale. C.UTF-8 has no translation
  // (so Japanese) and exists everywhere; with a locale the C library lacks,
  // X clients cannot convert the Japanese window names.
  env.Set("LC_ALL", "C.UTF-8");
  env.unset.push_back("LC_MESSAGES");
  return env;
}

RunResult XTools::Xdotool(std::vector<std::string> args) {
  args.insert(args.begin(), kXdotool);
  Env env;
  env.Set("DISPLAY", display_);
  return RunProgram(args, env, Millis(10000));
}

std::vector<unsigned long> XTools::SearchWindows(const std::string& name_regex) {
  const RunResult r = Xdotool({"search", "--onlyvisible", "--name", name_regex});
  std::vector<unsigned long> ids;
  std::istringstream in(r.output);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.find_first_not_of("0123456789") == std::string::npos) ids.push_back(std::stoul(line));
  }
  return ids;
}

std::optional<unsigned long> XTools::WaitForWindow(const std::string& name_regex, Millis timeout) {
  std::optional<unsigned long> found;
  WaitUntil(
      [&] {
        const auto ids = SearchWindows(name_regex);
        if (!ids.empty()) found = ids.front();
        return found.has_value();
      },
      timeout, Millis(100));
  return found;
}

std::optional<WindowGeometry> XTools::Geometry(unsigned long window) {
  const RunResult r = Xdotool({"getwindowgeometry", "--shell", std::to_string(window)});
  if (r.status != 0) return std::nullopt;
  WindowGeometry g;
  int seen = 0;
  std::istringstream in(r.output);
  for (std::string line; std::getline(in, line);) {
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    const std::string key = line.substr(0, eq);
    const int value = std::atoi(line.c_str() + eq + 1);
    if (key == "X") g.x = value, ++seen;
    if (key == "Y") g.y = value, ++seen;
    if (key == "WIDTH") g.width = value, ++seen;
    if (key == "HEIGHT") g.height = value, ++seen;
  }
  if (seen != 4) return std::nullopt;
  return g;
}

void XTools::Focus(unsigned long window) { Xdotool({"windowfocus", "--sync", std::to_string(window)}); }

void XTools::MoveMouse(int x, int y) { Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)}); }

void XTools::Click(int x, int y, int button) {
  MoveMouse(x, y);
  Xdotool({"click", std::to_string(button)});
}

void XTools::Key(const std::string& keys, int repeat) {
  Xdotool({"key", "--repeat", std::to_string(repeat), "--delay", "30", keys});
}

void XTools::Type(const std::string& text) { Xdotool({"type", "--delay", "20", text}); }

PpmImage XTools::Screenshot(const std::string& path) {
  Env env;
  env.Set("DISPLAY", display_);
  const RunResult r = RunProgram({kImport, "-window", "root", path}, env, Millis(20000));
  if (r.status != 0) throw std::runtime_error("import failed: " + r.output);
  return PpmImage::Load(path);
}

}  // namespace orv::e2e
