// The screen: its size, a snapshot of what it shows, the system-wide mark that
// a screen saver runs, and the cursor. Injectable for tests.
#pragma once

#include <functional>

#include "platform/bitmap.h"
#include "platform/gui/window_handle.h"

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

  // Every monitor (RandR output or X screen), the primary first. Geometry is
  // in the logical coordinates of its desktop; sizes and snapshots are in
  // device pixels.
  virtual int Monitors() { return 1; }
  virtual TRect MonitorGeometry(int) { return Rect(0, 0, Size().Width, Size().Height); }
  virtual TSize MonitorSize(int) { return Size(); }
  virtual void MonitorSnapshot(int, TBitmap& bmp) { Snapshot(bmp); }
};

// Puts the window on the screen of a monitor index (the primary when out of
// range), so that it lands on the right X screen.
void PlaceOnMonitor(TWindowHandle window, int monitor);

// The widget's size in the device pixels of its window: the size frames are
// composed at, so that they are drawn 1:1 at any scale.
TSize DevicePixelSize(TWindowHandle window);
// How much larger than at 96 dpi text must be on the widget's screen to stay
// as legible: the device pixel ratio times the logical dpi over 96.
double TextScale(TWindowHandle window);

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
