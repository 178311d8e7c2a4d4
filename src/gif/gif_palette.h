// Logical palettes of the GIF codec: made from colour tables, or the fixed
// 216-colour cube used on palette displays.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/bitmap.h"

namespace orv {

class TGIFColorMap;

// Keeps an entry from being collapsed onto an equal one when realised.
constexpr uint8_t PC_NOCOLLAPSE = 0x04;

struct TGIFPaletteEntry {
  uint8_t peRed = 0;
  uint8_t peGreen = 0;
  uint8_t peBlue = 0;
  uint8_t peFlags = 0;
  bool operator==(const TGIFPaletteEntry&) const = default;
};

using TGIFPalette = std::vector<TGIFPaletteEntry>;
// Palettes are shared between frames, bitmaps and caches; nullptr is "none".
using TGIFPaletteRef = std::shared_ptr<const TGIFPalette>;

// Entry r * 36 + g * 6 + b is (51 r, 51 g, 51 b).
TGIFPaletteRef WebPalette();
// One entry per table entry, each marked PC_NOCOLLAPSE.
TGIFPaletteRef PaletteFromColorMap(const TGIFColorMap& map);
// The palette of a palette bitmap; nullptr for other bitmaps.
TGIFPaletteRef PaletteFromBitmap(const TBitmap& bitmap);
// Gives the bitmap the palette's entries (the rest of its 256 black).
void ApplyPalette(TBitmap& bitmap, const TGIFPalette& palette);

}  // namespace orv
