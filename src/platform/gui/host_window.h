// A screen-saver host's window on X11: the root window, a window's size, and
// the screenshot a host leaves on its window (_SCREENSAVER_SCREENSHOT).
#pragma once

#include <optional>
#include <string>

#include "platform/bitmap.h"
#include "platform/gui/screen.h"

namespace orv {

// The root window of the default screen; 0 without an X11 connection.
unsigned long RootWindowId();
// The window's size in pixels; nullopt when it names no window.
std::optional<TSize> HostWindowSize(unsigned long id);
// The X display's name as the client sees it (":0").
std::string DisplayName();

// A screen of the host window's size whose snapshot is the host's
// screenshot where it left one, else black.
class THostWindowScreen : public IScreen {
 public:
  THostWindowScreen(unsigned long window, TSize size) : window_(window), size_(size) {}
  TSize Size() override { return size_; }
  void Snapshot(TBitmap& bmp) override;

 private:
  unsigned long window_;
  TSize size_;
};

}  // namespace orv
