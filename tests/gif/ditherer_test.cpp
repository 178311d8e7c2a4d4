// The ditherers, against a reference that keeps every row of errors of the
// whole picture, written from the matrix tables below; and small pictures
// worked out by hand.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <random>
#include <set>

#include "gif/reduction/color_reduction.h"

namespace orv::test {
namespace {

struct Share {
  int row, offset, weight;
};
struct Matrix {
  const char* name;
  TDitherMode mode;
  int divisor;
  std::vector<Share> shares;
};

// clang-format off
const Matrix kMatrices[] = {
    {"FloydSteinberg", DitherFloydSteinberg, 16, {{0, 1, 7}, {1, -1, 3}, {1, 0, 5}, {1, 1, 1}}},
    {"Stucki", DitherStucki, 42,
     {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
      {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}},
    {"Sierra", DitherSierra, 32,
     {{0, 1, 5}, {0, 2, 3}, {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2}, {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}},
    {"JarvisJudiceNinke", DitherJarvisJudiceNinke, 48,
     {{0, 1, 7}, {0, 2, 5}, {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
      {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}},
    {"StevensonArce", DitherStevensonArce, 200,
     {{0, 2, 32}, {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16}, {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
      {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}},
    {"Burkes", DitherBurkes, 32, {{0, 1, 8}, {0, 2, 4}, {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}},
};
// clang-format on

struct Picture {
  int w, h;
  std::vector<int> rgb;    // red, green, blue per pixel
  std::vector<bool> skip;  // pixels passed over with AdvanceColumn
};

using LookupFactory = std::function<std::unique_ptr<TColorLookup>()>;

// Whole-picture error planes; shares beyond the picture are dropped.
std::vector<int> Reference(const Matrix& m, const Picture& pic, TColorLookup& lookup) {
  std::vector<long> err(size_t(pic.w) * pic.h * 3, 0);
  std::vector<int> out(size_t(pic.w) * pic.h, -1);
  for (int y = 0; y < pic.h; ++y) {
    const int d = y % 2 == 0 ? 1 : -1;
    for (int i = 0; i < pic.w; ++i) {
      const int x = d > 0 ? i : pic.w - 1 - i;
      const size_t at = size_t(y) * pic.w + x;
      if (!pic.skip.empty() && pic.skip[at]) continue;
      int c[3];
      for (int k = 0; k < 3; ++k) {
        const long e = err[at * 3 + k];
        c[k] = std::clamp(pic.rgb[at * 3 + k] + int((e + m.divisor / 2) / m.divisor), 0, 255);
      }
      TLookupColor entry;
      out[at] = lookup.NearestEntry(c[0], c[1], c[2], entry);
      const int e[3] = {c[0] - entry.Red, c[1] - entry.Green, c[2] - entry.Blue};
      for (const Share& s : m.shares) {
        const int tx = x + s.offset * d, ty = y + s.row;
        if (tx < 0 || tx >= pic.w || ty >= pic.h) continue;
        for (int k = 0; k < 3; ++k) err[(size_t(ty) * pic.w + tx) * 3 + k] += long(e[k]) * s.weight;
      }
    }
  }
  return out;
}

std::vector<int> Dither(TDitherEngine& d, const Picture& pic) {
  std::vector<int> out(size_t(pic.w) * pic.h, -1);
  for (int y = 0; y < pic.h; ++y) {
    for (int i = 0; i < pic.w; ++i) {
      const size_t at = size_t(y) * pic.w + d.Column();
      if (!pic.skip.empty() && pic.skip[at]) {
        d.AdvanceColumn();
        continue;
      }
      out[at] = d.DitherPixel(pic.rgb[at * 3], pic.rgb[at * 3 + 1], pic.rgb[at * 3 + 2]);
    }
    d.AdvanceLine();
  }
  return out;
}

Picture RandomPicture(std::mt19937& rng, int w, int h, bool with_skips) {
  Picture p{w, h, std::vector<int>(size_t(w) * h * 3), {}};
  // Half the pictures are smooth, where errors build up over many pixels.
  const bool smooth = rng() % 2;
  const int base[3] = {int(rng() % 256), int(rng() % 256), int(rng() % 256)};
  for (size_t i = 0; i < p.rgb.size(); ++i)
    p.rgb[i] = smooth ? std::clamp(base[i % 3] + int(rng() % 21) - 10, 0, 255) : int(rng() % 256);
  if (with_skips) {
    p.skip.resize(size_t(w) * h);
    for (size_t i = 0; i < p.skip.size(); ++i) p.skip[i] = rng() % 5 == 0;
  }
  return p;
}

std::vector<std::pair<const char*, LookupFactory>> Lookups() {
  return {
      {"cube", [] { return std::make_unique<TNetscapeColorLookup>(); }},
      {"mono", [] { return std::make_unique<TMonochromeLookup>(); }},
      {"grey4", [] { return std::make_unique<TFastColorLookup>(*Grey4Palette()); }},
      {"system20", [] { return std::make_unique<TFastColorLookup>(*SystemPalette20()); }},
  };
}

const std::pair<int, int> kSizes[] = {{1, 1}, {1, 9}, {2, 2}, {3, 7}, {4, 5}, {7, 3}, {17, 9}, {64, 13}};

// Every other picture passes over some pixels with AdvanceColumn: those
// take no error and give none.
TEST(Ditherers, EveryModeMatchesTheWholePictureReference) {
  std::mt19937 rng(1);
  for (const Matrix& m : kMatrices)
    for (const auto& [lookup_name, make] : Lookups())
      for (auto [w, h] : kSizes) {
        const Picture pic = RandomPicture(rng, w, h, rng() % 2 == 0);
        auto ref_lookup = make(), lookup = make();
        auto ditherer = CreateDitherer(m.mode, w, *lookup);
        ASSERT_TRUE(ditherer);
        EXPECT_EQ(Dither(*ditherer, pic), Reference(m, pic, *ref_lookup))
            << m.name << " " << lookup_name << " " << w << "x" << h;
      }
}

// The running-value Floyd-Steinberg and the generic matrix form with the
// same matrix give the same indexes.
TEST(Ditherers, FloydSteinbergRunningValuesEqualTheMatrixForm) {
  std::mt19937 rng(4);
  const Matrix& fs = kMatrices[0];
  std::vector<TDitherWeight> weights;
  for (const Share& s : fs.shares) weights.push_back({s.row, s.offset, s.weight});
  for (int n = 0; n < 200; ++n) {
    const int w = 1 + int(rng() % 50), h = 1 + int(rng() % 20);
    const Picture pic = RandomPicture(rng, w, h, n % 3 == 0);
    TFastColorLookup l1(*HalftonePalette()), l2(*HalftonePalette());
    TFloydSteinbergDitherer running(w, l1);
    TMatrixDitherer matrix(w, l2, fs.divisor, weights);
    ASSERT_EQ(Dither(running, pic), Dither(matrix, pic)) << w << "x" << h;
  }
}

// A look-up of a class the ditherers do not know: reached through
// NearestEntry only. Maps to the red level in eighths.
class RedEighths : public TColorLookup {
 public:
  RedEighths() { colors_ = 8; }
  int NearestEntry(int red, int, int, TLookupColor& entry) override {
    const int level = std::clamp(red, 0, 255) / 32;
    entry = TLookupColor{uint8_t(level * 32 + 16), 0, 0};
    return level;
  }
};

// Whole rows, started after a random number of single pixels.
std::vector<int> DitherByRows(TDitherEngine& d, const Picture& pic, std::mt19937& rng) {
  std::vector<int> out(size_t(pic.w) * pic.h, -1);
  std::vector<uint8_t> bgr(size_t(pic.w) * 3), indexes(size_t(pic.w));
  for (int y = 0; y < pic.h; ++y) {
    for (int x = 0; x < pic.w; ++x)
      for (int k = 0; k < 3; ++k)
        bgr[size_t(x) * 3 + size_t(2 - k)] = uint8_t(pic.rgb[(size_t(y) * pic.w + x) * 3 + k]);
    const int singles = int(rng() % uint32_t(pic.w + 1));
    for (int i = 0; i < singles; ++i) {
      const int x = d.Column();
      const size_t at = (size_t(y) * pic.w + x) * 3;
      indexes[size_t(x)] = uint8_t(d.DitherPixel(pic.rgb[at], pic.rgb[at + 1], pic.rgb[at + 2]));
    }
    d.DitherRow(bgr.data(), indexes.data());
    for (int x = 0; x < pic.w; ++x) out[size_t(y) * pic.w + x] = indexes[size_t(x)];
    d.AdvanceLine();
  }
  return out;
}

TEST(Ditherers, WholeRowsEqualPixelByPixel) {
  std::mt19937 rng(5);
  auto lookups = Lookups();
  lookups.push_back({"grey256", [] { return std::make_unique<TGrayScaleLookup>(); }});
  lookups.push_back({"other class", [] { return std::make_unique<RedEighths>(); }});
  for (int mode = 0; mode <= 6; ++mode)
    for (const auto& [lookup_name, make] : lookups)
      for (auto [w, h] : kSizes) {
        const Picture pic = RandomPicture(rng, w, h, false);
        auto l1 = make(), l2 = make();
        auto by_pixel = CreateDitherer(TDitherMode(mode), w, *l1);
        auto by_row = CreateDitherer(TDitherMode(mode), w, *l2);
        EXPECT_EQ(DitherByRows(*by_row, pic, rng), Dither(*by_pixel, pic))
            << mode << " " << lookup_name << " " << w << "x" << h;
      }
}

Picture Flat(int w, int h, int grey) { return Picture{w, h, std::vector<int>(size_t(w) * h * 3, grey), {}}; }

// Grey 128 through black and white, worked out by hand. A row:
// Floyd-Steinberg, Stucki, Sierra, Jarvis-Judice-Ninke and Burkes give the
// next pixel a large share and alternate; Stevenson-Arce sends the error two
// columns on, so pixels go in pairs. A column of one pixel keeps only the
// shares straight down: Stevenson-Arce has none in the first row below and
// pairs again.
TEST(Ditherers, MidGreyHandWorked) {
  const std::vector<int> alternate = {1, 0, 1, 0, 1, 0, 1, 0};
  const std::vector<int> pairs = {1, 1, 0, 0, 1, 1, 0, 0};
  for (const Matrix& m : kMatrices) {
    const bool sa = m.mode == DitherStevensonArce;
    TMonochromeLookup l1, l2;
    auto row = CreateDitherer(m.mode, 8, l1);
    EXPECT_EQ(Dither(*row, Flat(8, 1, 128)), sa ? pairs : alternate) << m.name;
    auto column = CreateDitherer(m.mode, 1, l2);
    EXPECT_EQ(Dither(*column, Flat(1, 8, 128)), sa ? pairs : alternate) << m.name;
  }
}

// Floyd-Steinberg by hand on 2 x 2 of grey 128: row 0 gives white (error
// -127), then 128 + (-889 + 8) / 16 = 73, black (error 73). Row 1 runs right
// to left: column 1 holds -127 + 5 * 73 = 238, 128 + 246 / 16 = 143, white
// (error -112); column 0 holds -635 + 219 - 784 = -1200, 128 - 74 = 54, black.
TEST(Ditherers, FloydSteinbergTwoByTwoHandWorked) {
  TMonochromeLookup lookup;
  TFloydSteinbergDitherer fs(2, lookup);
  EXPECT_EQ(Dither(fs, Flat(2, 2, 128)), (std::vector<int>{1, 0, 0, 1}));
}

TEST(Ditherers, CallsPastTheRowEndStayInside) {
  // Twice the calls a row needs, in both directions, under the sanitizers:
  // those past the end map their colour plainly.
  for (const Matrix& m : kMatrices)
    for (int w : {1, 2, 5}) {
      TGrayScaleLookup lookup;
      auto d = CreateDitherer(m.mode, w, lookup);
      for (int y = 0; y < 5; ++y) {
        for (int i = 0; i < 2 * w + 6; ++i) {
          const bool outside = d->Column() < 0 || d->Column() >= w;
          if (i % 3 == 2) {
            d->AdvanceColumn();
            continue;
          }
          const int got = d->DitherPixel(200, 10, 10);
          if (outside) {
            EXPECT_EQ(got, (77 * 200 + 150 * 10 + 29 * 10) >> 8) << m.name;
          }
        }
        d->AdvanceLine();
        EXPECT_EQ(d->Column(), y % 2 == 0 ? w - 1 : 0);
      }
    }
}

TEST(Ditherers, UnknownModeAndBadMatrices) {
  TGrayScaleLookup lookup;
  EXPECT_EQ(CreateDitherer(TDitherMode(7), 4, lookup), nullptr);
  EXPECT_EQ(CreateDitherer(TDitherMode(255), 4, lookup), nullptr);
  EXPECT_THROW(TMatrixDitherer(4, lookup, 0, {{0, 1, 1}}), std::invalid_argument);
  EXPECT_THROW(TMatrixDitherer(4, lookup, 16, {{0, -1, 1}}), std::invalid_argument);  // behind, in this row
  EXPECT_THROW(TMatrixDitherer(4, lookup, 16, {{1, 9, 1}}), std::invalid_argument);
}

}  // namespace
}  // namespace orv::test
