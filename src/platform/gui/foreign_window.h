// Foreign windows: a host's window, named by its X11 id, that a form lives in.
#pragma once

#include <functional>

#include "platform/gui/window_handle.h"

namespace orv {

// True when the id names an existing window on the display.
bool ForeignWindowExists(unsigned long id);

// Makes the window a child of the foreign window, sized to it. False when
// the foreign window does not exist (or the platform has no foreign windows).
bool EmbedInForeignWindow(TWindowHandle window, unsigned long id);

// Sizes the window to a host window of width x height device pixels: a
// toolkit's sizes may be logical, so at scale 2 the child would be twice the
// host's size.
void SizeToForeignWindow(TWindowHandle window, int width, int height);

// Tells, for as long as window lives, when the foreign window is destroyed
// or resized (in device pixels). The window system reports neither to the
// toolkit, so the watch listens to the server (and polls as a fallback).
void WatchForeignWindow(unsigned long id, TWindowHandle window, std::function<void()> hostDestroyed,
                        std::function<void(int width, int height)> resized);

}  // namespace orv
