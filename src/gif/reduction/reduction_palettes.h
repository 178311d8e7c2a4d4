// The fixed palettes of the colour reductions.
#pragma once

#include "gif/gif_palette.h"

namespace orv {

// The platform's 20 static colours: the default palette.
constexpr int kStaticColors = 20;
// How many of them come first (and last) in a palette with statics.
constexpr int kStaticColorsHalf = 10;

TGIFPaletteRef SystemPalette20();
// 256 entries: the first ten statics, the 216-colour cube, 20 greys, the
// last ten statics.
TGIFPaletteRef HalftonePalette();
// Greys 0, 128, 192, 255.
TGIFPaletteRef Grey4Palette();
// Entry i is (i, i, i).
TGIFPaletteRef Grey256Palette();
// Black, white.
TGIFPaletteRef MonochromePalette();

}  // namespace orv
