// The screen's colour depth, decided once at start-up: the GUI sets it from
// the default screen; without a display it stays at 24 bits. Tests may force a
// palette display.
#pragma once

namespace orv {

int ScreenBitsPerPixel();
void SetScreenBitsPerPixel(int bits);
// True when the screen has 8 bits per pixel or fewer.
inline bool IsPaletteDisplay() { return ScreenBitsPerPixel() <= 8; }

}  // namespace orv
