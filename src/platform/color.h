// Colour values: 0x00BBGGRR (red in the lowest byte). 0x01000000 + index names
// a palette entry; -1 means no colour.
#pragma once

#include <cstdint>

namespace orv {

using TColor = int32_t;

constexpr TColor clNone = -1;
constexpr TColor clBlack = 0x000000;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor kPaletteIndexFlag = 0x01000000;

constexpr TColor RGB(int r, int g, int b) {
  return TColor((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
constexpr int GetRValue(TColor c) { return c & 0xFF; }
constexpr int GetGValue(TColor c) { return (c >> 8) & 0xFF; }
constexpr int GetBValue(TColor c) { return (c >> 16) & 0xFF; }
constexpr TColor PaletteIndexColor(int index) { return kPaletteIndexFlag | (index & 0xFF); }
constexpr bool IsPaletteIndexColor(TColor c) { return (c & 0xFF000000) == kPaletteIndexFlag; }

// A palette entry as a device-independent bitmap stores it.
struct TRGBQuad {
  uint8_t rgbBlue = 0;
  uint8_t rgbGreen = 0;
  uint8_t rgbRed = 0;
  uint8_t rgbReserved = 0;
};

constexpr TColor QuadToColor(const TRGBQuad& q) { return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue); }
constexpr TRGBQuad ColorToQuad(TColor c) {
  return TRGBQuad{uint8_t(GetBValue(c)), uint8_t(GetGValue(c)), uint8_t(GetRValue(c)), 0};
}

// 0xXXRRGGBB as a 32-bit pixel in memory (blue, green, red, x).
constexpr uint32_t ColorToPixel32(TColor c) {
  return uint32_t(GetBValue(c)) | (uint32_t(GetGValue(c)) << 8) | (uint32_t(GetRValue(c)) << 16);
}
constexpr TColor Pixel32ToColor(uint32_t p) { return RGB((p >> 16) & 0xFF, (p >> 8) & 0xFF, p & 0xFF); }

}  // namespace orv
