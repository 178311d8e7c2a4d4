// The 216-colour cube look-up and the Floyd-Steinberg ditherer.
#include <gtest/gtest.h>

#include <random>
#include <set>

#include "gif/reduction/color_reduction.h"

namespace orv::test {
namespace {

struct CubeCase {
  int r, g, b, index;
  int er, eg, eb;
};

TEST(NetscapeColorLookup, MapsEachComponentToItsLevel) {
  const CubeCase cases[] = {{255, 0, 0, 180, 255, 0, 0},     {47, 47, 47, 0, 0, 0, 0},
                            {48, 48, 48, 43, 51, 51, 51},     {0, 0, 255, 5, 0, 0, 255},
                            {128, 200, 30, 2 * 36 + 3 * 6, 102, 153, 0}, {255, 255, 255, 215, 255, 255, 255}};
  TNetscapeColorLookup lookup;
  EXPECT_EQ(lookup.Colors(), 216);
  for (const CubeCase& c : cases) {
    TLookupColor e;
    EXPECT_EQ(lookup.NearestEntry(c.r, c.g, c.b, e), c.index) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(e.Red, c.er);
    EXPECT_EQ(e.Green, c.eg);
    EXPECT_EQ(e.Blue, c.eb);
  }
}

TEST(DitherEngine, ScansRowsInSerpentineOrder) {
  TNetscapeColorLookup lookup;
  TDitherEngine engine(4, lookup);
  std::vector<int> cols;
  for (int row = 0; row < 3; ++row) {
    for (int i = 0; i < 4; ++i) {
      cols.push_back(engine.Column());
      engine.DitherPixel(0, 0, 0);
    }
    engine.AdvanceLine();
  }
  EXPECT_EQ(cols, (std::vector<int>{0, 1, 2, 3, 3, 2, 1, 0, 0, 1, 2, 3}));
}

// Floyd-Steinberg written out with whole error rows, as an independent check.
std::vector<int> ReferenceDither(const std::vector<int>& rgb, int w, int h) {
  TNetscapeColorLookup lookup;
  std::vector<std::vector<int>> err(size_t(h + 1) * 3, std::vector<int>(size_t(w + 2), 0));
  auto E = [&](int y, int k) -> std::vector<int>& { return err[size_t(y * 3 + k)]; };
  std::vector<int> out(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    const int d = (y % 2 == 0) ? 1 : -1;
    for (int i = 0; i < w; ++i) {
      const int x = d > 0 ? i : w - 1 - i;
      int c[3];
      for (int k = 0; k < 3; ++k)
        c[k] = std::clamp(rgb[size_t((y * w + x) * 3 + k)] + (E(y, k)[size_t(x + 1)] + 8) / 16, 0, 255);
      TLookupColor e;
      out[size_t(y * w + x)] = lookup.NearestEntry(c[0], c[1], c[2], e);
      const int ev[3] = {c[0] - e.Red, c[1] - e.Green, c[2] - e.Blue};
      for (int k = 0; k < 3; ++k) {
        E(y, k)[size_t(x + d + 1)] += 7 * ev[k];
        E(y + 1, k)[size_t(x - d + 1)] += 3 * ev[k];
        E(y + 1, k)[size_t(x + 1)] += 5 * ev[k];
        E(y + 1, k)[size_t(x + d + 1)] += ev[k];
      }
    }
  }
  return out;
}

std::vector<int> RunDitherer(const std::vector<int>& rgb, int w, int h) {
  TNetscapeColorLookup lookup;
  TFloydSteinbergDitherer fs(w, lookup);
  std::vector<int> out(size_t(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int i = 0; i < w; ++i) {
      const int x = fs.Column();
      const size_t p = size_t(y * w + x) * 3;
      out[size_t(y * w + x)] = fs.DitherPixel(rgb[p], rgb[p + 1], rgb[p + 2]);
    }
    fs.AdvanceLine();
  }
  return out;
}

TEST(FloydSteinbergDitherer, MatchesTheWholeRowFormOnAnyPicture) {
  std::mt19937 rng(42);
  for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 9}, std::pair{2, 2}, std::pair{17, 5}, std::pair{64, 48}}) {
    std::vector<int> rgb(size_t(w) * h * 3);
    for (int& v : rgb) v = int(rng() % 256);
    EXPECT_EQ(RunDitherer(rgb, w, h), ReferenceDither(rgb, w, h)) << w << "x" << h;
  }
}

TEST(FloydSteinbergDitherer, FlatColourBetweenTwoEntriesMixesThem) {
  const int w = 64, h = 16;
  std::vector<int> rgb(size_t(w) * h * 3, 25);  // between levels 0 and 51
  const std::vector<int> out = RunDitherer(rgb, w, h);
  std::set<int> used(out.begin(), out.end());
  EXPECT_EQ(used, (std::set<int>{0, 43}));
  double mean = 0;
  for (int i : out) mean += i == 43 ? 51 : 0;
  mean /= double(out.size());
  EXPECT_NEAR(mean, 25.0, 2.0);
}

TEST(FloydSteinbergDitherer, ColoursOnThePaletteStayExact) {
  const int w = 10, h = 4;
  std::vector<int> rgb;
  for (int i = 0; i < w * h; ++i) {
    const int level = (i * 7) % 6;
    rgb.insert(rgb.end(), {level * 51, 255 - level * 51, 102});
  }
  const std::vector<int> out = RunDitherer(rgb, w, h);
  for (int i = 0; i < w * h; ++i) {
    const int level = (i * 7) % 6;
    EXPECT_EQ(out[size_t(i)], level * 36 + (5 - level) * 6 + 2);
  }
}

}  // namespace
}  // namespace orv::test
