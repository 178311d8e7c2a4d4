// Keeping a window visible and in charge: raising it above others, holding
// the keyboard and pointer, and getting requests to the window system at once.
#pragma once

#include "platform/gui/window_handle.h"

namespace orv {

// Takes the top-level window out of the taskbar: a tool window, which
// taskbars and pagers skip. Keeps its other window flags.
void HideTaskbarButton(TWindowHandle window);

// Sends what is queued for the window system now (on X11 an xcb flush):
// requests such as a raise would otherwise wait until the event loop idles.
void FlushWindowSystem();

// Raises the top-level window above its siblings and flushes. Where no window
// manager keeps a stay-on-top window on top, calling this regularly does.
void RaiseWindow(TWindowHandle window);

// Routes every key to keyboard_target and every pointer event to
// mouse_target, also those meant for other programs' windows. False while the
// window system refuses (the window is not viewable yet, or another client
// holds a grab); callers retry. True at once where no client can grab (Wayland).
bool GrabInput(TWindowHandle keyboard_target, TWindowHandle mouse_target);
void ReleaseInput(TWindowHandle keyboard_target, TWindowHandle mouse_target);

// Gives the window system up to max_ms milliseconds to expose a window that
// has just been shown, processing its events but no user input. True once the
// window is exposed (only then do immediate repaints reach the screen).
bool WaitUntilExposed(TWindowHandle window, int max_ms);

}  // namespace orv
