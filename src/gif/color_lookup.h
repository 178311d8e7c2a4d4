// Colour look-ups: each maps an RGB colour to an entry of its palette and
// gives back the entry's own colour.
#pragma once

#include <array>
#include <cstdint>
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

// The 216-colour cube: each component c goes to level (c + 3) / 51.
class TNetscapeColorLookup final : public TColorLookup {
 public:
  TNetscapeColorLookup() { colors_ = 216; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
};

// 256 greys by luminance (77 r + 150 g + 29 b) / 256.
class TGrayScaleLookup final : public TColorLookup {
 public:
  TGrayScaleLookup() { colors_ = 256; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
};

// Black (0) or white (1) by the same luminance, white above half.
class TMonochromeLookup final : public TColorLookup {
 public:
  TMonochromeLookup() { colors_ = 2; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
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

  static int Key(int red, int green, int blue) {
    return (red >> 3) | ((green & 0xF8) << 2) | ((blue & 0xF8) << 7);
  }

 private:
  int Search(int red, int green, int blue) const;

  std::array<TLookupColor, 256> entries_{};
  std::vector<int16_t> inverse_;  // kKeys entry indexes, -1 while unknown
};

}  // namespace orv
