// The 16 x 16 glyphs of the dialog's buttons as character maps, so that every
// face draws the same pixels.
#pragma once

#include <cstdint>

#include "config/config_model.h"

namespace orv {

constexpr int kGlyphSize = 16;

// The glyph's pixel at x, y as 0xRRGGBB; the bottom-left pixel's colour is
// the transparent one.
uint32_t GlyphPixel(TGlyphId glyph, int x, int y);

}  // namespace orv
