#include "gif/reduction/color_lookup.h"

#include <algorithm>
#include <cstdlib>

namespace orv {

namespace {
// Callers outside the ditherers may hand in anything; tables are indexed by
// components, so they are kept to a byte.
inline int Byte(int v) { return std::clamp(v, 0, 255); }
}  // namespace

int TColorLookup::NearestEntry(int, int, int, TLookupColor& entry) {
  entry = TLookupColor{};
  return 0;
}

int TNetscapeColorLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  return Map(Byte(red), Byte(green), Byte(blue), entry);
}

int TGrayScaleLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  return Map(Byte(red), Byte(green), Byte(blue), entry);
}

int TMonochromeLookup::NearestEntry(int red, int green, int blue, TLookupColor& entry) {
  return Map(Byte(red), Byte(green), Byte(blue), entry);
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
  return Map(Byte(red), Byte(green), Byte(blue), entry);
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
