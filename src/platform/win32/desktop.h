// The desktop as the display face sees it: the monitors, a snapshot of what
// they show, the system's screen-saver-running mark, and the scale of text.
#pragma once

#include <vector>

#include "platform/bitmap.h"

struct HWND__;

namespace orv::win32 {

// The monitors' rectangles on the desktop in device pixels, the primary first.
std::vector<TRect> MonitorRects();

// What the screen shows in rect (desktop coordinates), as a 32-bit bitmap of
// rect's size; black where the system gives nothing.
void TakeSnapshot(const TRect& rect, TBitmap& out);

// Sets or clears the system-wide mark that a screen saver runs.
void SetScreenSaverRunning(bool running);
bool ScreenSaverRunning();

// Device pixels per pixel at 96 dpi for a window (its monitor's scale with
// per-monitor awareness, else the system's).
double WindowScale(HWND__* window);

}  // namespace orv::win32
