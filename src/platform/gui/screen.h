// The screen: its size, a snapshot of what it shows, the system-wide mark that
// a screen saver runs, and the cursor. Injectable for tests.
#pragma once

#include <functional>

#include "platform/bitmap.h"

namespace orv {

struct TSize {
  int Width = 0;
  int Height = 0;
};

class IScreen {
 public:
  virtual ~IScreen() = default;
  // Size of the primary screen in pixels.
  virtual TSize Size() = 0;
  // Copies the screen's current contents into bmp (resized to the screen, 32
  // bits). Where the platform refuses (Wayland, the offscreen platform) the
  // bitmap is black.
  virtual void Snapshot(TBitmap& bmp) = 0;
};

// The primary screen through Qt, unless a test has installed another.
IScreen& Screen();
void SetScreenForTesting(IScreen* screen);  // nullptr restores Qt's
// Hosted mode's screen: the host's window.
inline void SetScreen(IScreen* screen) { SetScreenForTesting(screen); }

// The mark that a screen saver runs. Listeners (the full-screen form, which
// holds the keyboard and pointer grab while it is set; tests) are told of
// every change.
void SetScreenSaverRunning(bool running);
bool ScreenSaverRunning();
void SetScreenSaverRunningListener(std::function<void(bool)> listener);

}  // namespace orv
