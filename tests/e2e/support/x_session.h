// An X display of its own for a test (Xvfb), and the X tools that drive and
// watch it: xdotool for input and windows, ImageMagick's import for
// screenshots.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "e2e/support/ppm_image.h"
#include "e2e/support/process.h"

namespace orv::e2e {

constexpr char kXvfb[] = "/usr/bin/Xvfb";
constexpr char kXdotool[] = "/usr/bin/xdotool";
constexpr char kImport[] = "/usr/bin/import";
constexpr char kConvert[] = "/usr/bin/convert";

// Whether Xvfb, xdotool and import are installed.
bool XToolsAvailable();

// An Xvfb server on a display number it picks itself; stopped (by its pid)
// when the object goes.
class XvfbServer {
 public:
  explicit XvfbServer(int width = 1920, int height = 1080, int depth = 24);
  // Xvfb with these arguments instead of the one screen (e.g. "-screen", "1",
  // "1024x768x24" for a second X screen; "-noreset" keeps RandR monitors and
  // resources after their client goes).
  explicit XvfbServer(const std::vector<std::string>& args);
  ~XvfbServer();
  const std::string& display() const { return display_; }  // ":N"
  Env ClientEnv() const;  // DISPLAY set, Qt on X

 private:
  std::unique_ptr<Process> server_;
  std::string display_;
};

struct WindowGeometry {
  int x = 0, y = 0, width = 0, height = 0;
};

class XTools {
 public:
  explicit XTools(std::string display) : display_(std::move(display)) {}

  // Visible windows whose name matches the regular expression.
  std::vector<unsigned long> SearchWindows(const std::string& name_regex);
  std::optional<unsigned long> WaitForWindow(const std::string& name_regex, Millis timeout);
  std::optional<WindowGeometry> Geometry(unsigned long window);
  // Gives the window the keyboard focus (works without a window manager).
  void Focus(unsigned long window);
  void MoveMouse(int x, int y);
  void Click(int x, int y, int button = 1);
  // Key names as xdotool knows them: "Return", "ctrl+a", "Up".
  void Key(const std::string& keys, int repeat = 1);
  void Type(const std::string& text);
  // The whole screen, written to path (a .ppm file) and read back.
  PpmImage Screenshot(const std::string& path);
  // Any other xdotool command ("click 1" where the pointer is, "mousemove_relative 1 0").
  RunResult Xdotool(std::vector<std::string> args);

 private:
  std::string display_;
};

}  // namespace orv::e2e
