// Colour look-ups and the fixed palettes of the reductions.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <tuple>

#include "gif/reduction/color_reduction.h"

namespace orv::test {
namespace {

struct LumaCase {
  int r, g, b;
  int grey;  // TGrayScaleLookup's index
  int mono;  // TMonochromeLookup's index
};

TEST(LuminanceLookups, GreyLevelAndThreshold) {
  const LumaCase cases[] = {
      {128, 128, 128, 128, 1},  // 32768 is above 32512: white
      {127, 127, 127, 127, 0},  // exactly 32512: black
      {255, 255, 255, 255, 1},
      {0, 0, 0, 0, 0},
      {255, 0, 0, 76, 0},
      {0, 255, 0, 149, 1},  // 38250
      {0, 0, 255, 28, 0},
      {1, 2, 0, 1, 0},                     // 377 >> 8
      {-40, 300, 999, 255 * 179 >> 8, 1},  // components outside a byte are clamped
  };
  TGrayScaleLookup grey;
  TMonochromeLookup mono;
  EXPECT_EQ(grey.Colors(), 256);
  EXPECT_EQ(mono.Colors(), 2);
  for (const LumaCase& c : cases) {
    TLookupColor e;
    EXPECT_EQ(grey.NearestEntry(c.r, c.g, c.b, e), c.grey) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(e, (TLookupColor{uint8_t(c.grey), uint8_t(c.grey), uint8_t(c.grey)}));
    EXPECT_EQ(mono.NearestEntry(c.r, c.g, c.b, e), c.mono) << c.r << "," << c.g << "," << c.b;
    const uint8_t v = c.mono ? 255 : 0;
    EXPECT_EQ(e, (TLookupColor{v, v, v}));
  }
}

TEST(NetscapeColorLookup, ClampsComponentsOutsideAByte) {
  TNetscapeColorLookup cube;
  TLookupColor e;
  EXPECT_EQ(cube.NearestEntry(-9, 400, 128, e), 0 * 36 + 5 * 6 + 2);
  EXPECT_EQ(e, (TLookupColor{0, 255, 102}));
}

TGIFPalette Palette(std::initializer_list<std::tuple<int, int, int>> colors) {
  TGIFPalette p;
  for (auto [r, g, b] : colors) p.push_back({uint8_t(r), uint8_t(g), uint8_t(b), 0});
  return p;
}

int Find(TFastColorLookup& lookup, int r, int g, int b) {
  TLookupColor e;
  return lookup.NearestEntry(r, g, b, e);
}

TEST(FastColorLookup, FirstEntryWinsATieAndTheKeyRemembersIt) {
  // (5, 5, 0) is 10 away from both entries and shares key 0 with (0, 7, 0).
  TFastColorLookup ab(Palette({{10, 0, 0}, {0, 10, 0}}));
  EXPECT_EQ(Find(ab, 5, 5, 0), 0);
  EXPECT_EQ(Find(ab, 0, 7, 0), 0);  // nearer to entry 1, but the key already holds 0
  TFastColorLookup ba(Palette({{0, 10, 0}, {10, 0, 0}}));
  EXPECT_EQ(Find(ba, 5, 5, 0), 0);
  TFastColorLookup fresh(Palette({{10, 0, 0}, {0, 10, 0}}));
  EXPECT_EQ(Find(fresh, 0, 7, 0), 1);  // first of its key: searched
}

TEST(FastColorLookup, EntriesClaimTheirOwnKeysInOrder) {
  // Entries 0 and 1 share a key, entry 2 repeats entry 0.
  TFastColorLookup lookup(Palette({{100, 100, 100}, {103, 100, 100}, {100, 100, 100}, {200, 0, 0}}));
  EXPECT_EQ(lookup.Colors(), 4);
  TLookupColor e;
  EXPECT_EQ(lookup.NearestEntry(103, 100, 100, e), 0);
  EXPECT_EQ(e, (TLookupColor{100, 100, 100}));
  EXPECT_EQ(Find(lookup, 200, 0, 0), 3);
  EXPECT_EQ(Find(lookup, 207, 7, 7), 3);  // same key as entry 3
}

TEST(FastColorLookup, EmptyAndOversizedPalettes) {
  TFastColorLookup none(TGIFPalette{});
  EXPECT_EQ(none.Colors(), 0);
  TLookupColor e{1, 2, 3};
  EXPECT_EQ(none.NearestEntry(50, 60, 70, e), 0);
  EXPECT_EQ(e, TLookupColor{});
  TGIFPalette big(300, TGIFPaletteEntry{});
  big[299] = {255, 255, 255, 0};
  TFastColorLookup capped(big);
  EXPECT_EQ(capped.Colors(), 256);
  EXPECT_LT(Find(capped, 255, 255, 255), 256);
}

// The rule written out with a map: an entry's own key first, else the first
// colour of a key is searched by sum of absolute differences.
TEST(FastColorLookup, AgreesWithAMapOfKeysOnRandomColours) {
  std::mt19937 rng(3);
  for (int round = 0; round < 20; ++round) {
    TGIFPalette palette(1 + rng() % 256);
    for (auto& p : palette) p = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    std::map<int, int> known;
    for (size_t i = 0; i < palette.size(); ++i)
      known.emplace(TFastColorLookup::Key(palette[i].peRed, palette[i].peGreen, palette[i].peBlue), int(i));
    TFastColorLookup lookup(palette);
    for (int n = 0; n < 3000; ++n) {
      // Small values keep keys colliding, so remembered answers are used.
      const int mask = n % 2 ? 0xFF : 0x3F;
      const int r = int(rng()) & mask, g = int(rng()) & mask, b = int(rng()) & mask;
      const int key = (r >> 3) + 32 * (g >> 3) + 1024 * (b >> 3);
      auto it = known.find(key);
      if (it == known.end()) {
        int best = 0, best_d = 1 << 30;
        for (size_t i = 0; i < palette.size(); ++i) {
          const int d = std::abs(r - palette[i].peRed) + std::abs(g - palette[i].peGreen) +
                        std::abs(b - palette[i].peBlue);
          if (d < best_d) best_d = d, best = int(i);
        }
        it = known.emplace(key, best).first;
      }
      TLookupColor e;
      ASSERT_EQ(lookup.NearestEntry(r, g, b, e), it->second) << r << "," << g << "," << b;
      const TGIFPaletteEntry& p = palette[size_t(it->second)];
      ASSERT_EQ(e, (TLookupColor{p.peRed, p.peGreen, p.peBlue}));
    }
  }
}

std::vector<std::tuple<int, int, int>> Rgb(const TGIFPalette& p) {
  std::vector<std::tuple<int, int, int>> out;
  for (const auto& e : p) out.emplace_back(e.peRed, e.peGreen, e.peBlue);
  return out;
}

const std::vector<std::tuple<int, int, int>> kStatics = {
    {0, 0, 0},       {128, 0, 0},     {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
    {128, 0, 128},   {0, 128, 128},   {192, 192, 192}, {192, 220, 192}, {166, 202, 240},
    {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},     {0, 255, 0},
    {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255},   {255, 255, 255}};

TEST(ReductionPalettes, StaticColoursInOrder) { EXPECT_EQ(Rgb(*SystemPalette20()), kStatics); }

TEST(ReductionPalettes, HalftoneHoldsStaticsCubeAndGreys) {
  const auto half = Rgb(*HalftonePalette());
  ASSERT_EQ(half.size(), 256u);
  EXPECT_TRUE(std::equal(kStatics.begin(), kStatics.begin() + 10, half.begin()));
  EXPECT_TRUE(std::equal(kStatics.begin() + 10, kStatics.end(), half.begin() + 246));
  for (int r = 0; r < 6; ++r)
    for (int g = 0; g < 6; ++g)
      for (int b = 0; b < 6; ++b)
        EXPECT_EQ(half[size_t(10 + r * 36 + g * 6 + b)], std::make_tuple(r * 51, g * 51, b * 51));
  std::set<int> greys;
  for (size_t i = 226; i < 246; ++i) {
    auto [r, g, b] = half[i];
    EXPECT_TRUE(r == g && g == b) << i;
    EXPECT_NE(r % 51, 0) << "a cube grey repeated at " << i;
    greys.insert(r);
  }
  EXPECT_EQ(greys.size(), 20u);
}

TEST(ReductionPalettes, GreyPalettesKeepTheirEntries) {
  EXPECT_EQ(Rgb(*Grey4Palette()), (std::vector<std::tuple<int, int, int>>{
                                      {0, 0, 0}, {128, 128, 128}, {192, 192, 192}, {255, 255, 255}}));
  EXPECT_EQ(Rgb(*MonochromePalette()), (std::vector<std::tuple<int, int, int>>{{0, 0, 0}, {255, 255, 255}}));
  const TGIFPalette& g256 = *Grey256Palette();
  ASSERT_EQ(g256.size(), 256u);
  for (int i = 0; i < 256; ++i)
    EXPECT_EQ(g256[size_t(i)], (TGIFPaletteEntry{uint8_t(i), uint8_t(i), uint8_t(i), PC_NOCOLLAPSE}));
  for (const TGIFPaletteRef& p : {Grey4Palette(), MonochromePalette()})
    for (const auto& e : *p) EXPECT_EQ(e.peFlags, PC_NOCOLLAPSE);
  for (const TGIFPaletteRef& p : {SystemPalette20(), HalftonePalette(), WebPalette()})
    for (const auto& e : *p) EXPECT_EQ(e.peFlags, 0);
}

}  // namespace
}  // namespace orv::test
