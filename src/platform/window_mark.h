// One hosted copy per target window: an exclusive advisory lock on a file
// named after the display and the window, beside the user-wide instance mark.
// The kernel drops it when the process dies.
#pragma once

#include <string>

#include "platform/native.h"

namespace orv {

// The lock file's path for a window of a display (":0" and 0x2a00007).
std::string WindowMarkPath(const std::string& display, unsigned long window);

class WindowMark {
 public:
  WindowMark() = default;
  ~WindowMark();
  WindowMark(const WindowMark&) = delete;
  WindowMark& operator=(const WindowMark&) = delete;
  // Takes the mark, waiting up to wait_ms for a copy that is on its way out
  // (hosts start the next copy while they stop the last). False when another
  // live copy keeps it.
  bool Acquire(const std::string& display, unsigned long window, int wait_ms);

 private:
  NativeHandle fd_ = kNoHandle;
};

}  // namespace orv
