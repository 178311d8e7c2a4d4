// Colour look-ups: each maps an RGB colour to an entry of its palette and
// gives back the entry's own colour.
#pragma once

#include <array>
#include <cstdint>
#include <type_traits>
#include <vector>

#include "gif/gif_palette.h"

namespace orv {

struct TLookupColor {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
  bool operator==(const TLookupColor&) const = default;
};

// The base look-up has no colours; reductions refuse it.
class TColorLookup {
 public:
  virtual ~TColorLookup() = default;
  // Number of palette colours.
  int Colors() const { return colors_; }
  // Index of the entry for the colour; the entry's own colour in `entry`.
  virtual int NearestEntry(int red, int green, int blue, TLookupColor& entry);

 protected:
  int colors_ = 0;
};

// The look-ups below also offer `Map`, NearestEntry for components already
// within 0..255, inline and without a virtual call: the ditherers call it
// once per pixel (see MapColor).

// The 216-colour cube: each component c goes to level (c + 3) / 51.
class TNetscapeColorLookup final : public TColorLookup {
 public:
  TNetscapeColorLookup() { colors_ = 216; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
  int Map(int red, int green, int blue, TLookupColor& entry) const {
    const int r = (red + 3) / 51, g = (green + 3) / 51, b = (blue + 3) / 51;
    entry = TLookupColor{uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)};
    return r * 36 + g * 6 + b;
  }
};

// 256 greys by luminance (77 r + 150 g + 29 b) / 256.
class TGrayScaleLookup final : public TColorLookup {
 public:
  TGrayScaleLookup() { colors_ = 256; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
  int Map(int red, int green, int blue, TLookupColor& entry) const {
    const int y = (77 * red + 150 * green + 29 * blue) >> 8;
    entry = TLookupColor{uint8_t(y), uint8_t(y), uint8_t(y)};
    return y;
  }
};

// Black (0) or white (1) by the same luminance, white above half.
class TMonochromeLookup final : public TColorLookup {
 public:
  TMonochromeLookup() { colors_ = 2; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
  int Map(int red, int green, int blue, TLookupColor& entry) const {
    const bool white = 77 * red + 150 * green + 29 * blue > 0x7F00;
    const uint8_t v = white ? 255 : 0;
    entry = TLookupColor{v, v, v};
    return white ? 1 : 0;
  }
};

// Any palette of up to 256 entries. An inverse table keyed by the top five
// bits of each component remembers the entry found for the first colour of a
// key, so that a picture's colours are searched for once per key, not once
// per pixel. Entries claim their own keys first, so every palette colour maps
// to itself (or to an earlier equal entry).
class TFastColorLookup final : public TColorLookup {
 public:
  static constexpr int kKeys = 32768;
  // Takes the palette's first 256 entries.
  explicit TFastColorLookup(const TGIFPalette& palette);
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
  int Map(int red, int green, int blue, TLookupColor& entry) {
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

  static int Key(int red, int green, int blue) {
    return (red >> 3) | ((green & 0xF8) << 2) | ((blue & 0xF8) << 7);
  }

 private:
  int Search(int red, int green, int blue) const;

  std::array<TLookupColor, 256> entries_{};
  std::vector<int16_t> inverse_;  // kKeys entry indexes, -1 while unknown
};

// Maps a colour whose components are within 0..255 through the look-up:
// directly where the look-up's class is known, else through NearestEntry.
template <class L>
inline int MapColor(L& lookup, int red, int green, int blue, TLookupColor& entry) {
  if constexpr (std::is_same_v<L, TColorLookup>)
    return lookup.NearestEntry(red, green, blue, entry);
  else
    return lookup.Map(red, green, blue, entry);
}

// Calls f with the look-up as its own class where it is one of the above,
// so that a row's worth of look-ups needs no virtual call.
template <class F>
inline void WithLookupClass(TColorLookup& lookup, F&& f) {
  if (auto* cube = dynamic_cast<TNetscapeColorLookup*>(&lookup)) return f(*cube);
  if (auto* fast = dynamic_cast<TFastColorLookup*>(&lookup)) return f(*fast);
  if (auto* grey = dynamic_cast<TGrayScaleLookup*>(&lookup)) return f(*grey);
  if (auto* mono = dynamic_cast<TMonochromeLookup*>(&lookup)) return f(*mono);
  f(lookup);
}

}  // namespace orv
