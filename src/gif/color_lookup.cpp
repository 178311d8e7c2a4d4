#include "gif/color_lookup.h"

#include <algorithm>
#include <cstdlib>

namespace orv {

namespace {
// Callers outside the ditherers may hand in anything; tables are indexed by
// components, so they are kept to a byte.
inline int Byte(int v) { return std::clamp(v, 0, 255); }
inline int Luminance(int r, int g, int b) { return 77 * Byte(r) + 150 * Byte(g) + 29 * Byte(b); }
}  // namespace

int TColorLookup::NearestEntry(int, int, int, TLookupColor& entry) {
  entry = TLookupColor{};
  return 0;
}

int TNetscapeColorLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  const int r = (Byte(red) + 3) / 51, g = (Byte(green) + 3) / 51, b = (Byte(blue) + 3) / 51;
  entry = TLookupColor{uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)};
  return r * 36 + g * 6 + b;
}

int TGrayScaleLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  const int y = Luminance(red, green, blue) >> 8;
  entry = TLookupColor{uint8_t(y), uint8_t(y), uint8_t(y)};
  return y;
}

int TMonochromeLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  if (Luminance(red, green, blue) > 0x7F00) {
    entry = TLookupColor{255, 255, 255};
    return 1;
  }
  entry = TLookupColor{};
  return 0;
}

TFastColorLookup::TFastColorLookup(const TGIFPalette& palette) : inverse_(kKeys, int16_t(-1)) {
  colors_ = int(std::min<size_t>(palette.size(), entries_.size()));
  for (int i = 0; i < colors_; ++i) {
    const TGIFPaletteEntry& p = palette[size_t(i)];
    entries_[size_t(i)] = TLookupColor{p.peRed, p.peGreen, p.peBlue};
    int16_t& slot = inverse_[size_t(Key(p.peRed, p.peGreen, p.peBlue))];
    if (slot < 0) slot = int16_t(i);
  }
}

int TFastColorLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  red = Byte(red);
  green = Byte(green);
  blue = Byte(blue);
  int16_t& slot = inverse_[size_t(Key(red, green, blue))];
  int index = slot;
  if (index < 0) {
    if (colors_ == 0) {
      entry = TLookupColor{};
      return 0;
    }
    index = Search(red, green, blue);
    slot = int16_t(index);
  }
  entry = entries_[size_t(index)];
  return index;
}

int TFastColorLookup::Search(int red, int green, int blue) const {
  int best = 0, best_distance = 0x30000;
  for (int i = 0; i < colors_; ++i) {
    const TLookupColor& e = entries_[size_t(i)];
    const int d = std::abs(red - e.Red) + std::abs(green - e.Green) + std::abs(blue - e.Blue);
    if (d < best_distance) {
      best_distance = d;
      best = i;
    }
  }
  return best;
}

}  // namespace orv
