// ReducePictureColors: methods, modes, pixel formats and odd sizes.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <set>

#include "gif/reduction/color_reduction.h"
#include "gif/color_test_util.h"
#include "platform/exceptions.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

TBitmap RandomPicture(std::mt19937& rng, int w, int h, TPixelFormat pf) {
  TBitmap b(w, h, pf);
  if (IsPaletteFormat(pf)) {
    TRGBQuad pal[256];
    for (TRGBQuad& q : pal) q = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
    b.SetPalette(pal, 1 << StorageBits(pf));
  }
  for (int y = 0; y < h; ++y)
    for (size_t i = 0; i < b.Stride(); ++i) b.ScanLine(y)[i] = uint8_t(rng());
  return b;
}

std::vector<TGIFPaletteEntry> ResultPalette(const TBitmap& b) {
  std::vector<TGIFPaletteEntry> out;
  for (int i = 0; i < b.PaletteCount(); ++i)
    out.push_back({b.Palette()[i].rgbRed, b.Palette()[i].rgbGreen, b.Palette()[i].rgbBlue, 0});
  return out;
}

std::vector<TGIFPaletteEntry> WithoutFlags(const TGIFPalette& p) {
  std::vector<TGIFPaletteEntry> out;
  for (TGIFPaletteEntry e : p) out.push_back({e.peRed, e.peGreen, e.peBlue, 0});
  return out;
}

const TPixelFormat kFormats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};

TEST(ReducePictureColors, EachMethodGivesItsPalette) {
  std::mt19937 rng(12);
  const TBitmap picture = RandomPicture(rng, 23, 11, pf24bit);
  TGIFPalette custom(5);
  for (auto& e : custom) e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), PC_NOCOLLAPSE};
  const std::pair<TColorReduction, TGIFPaletteRef> fixed[] = {
      {ReduceSystem20, SystemPalette20()},
      {ReduceHalftone, HalftonePalette()},
      {ReduceGrey4, Grey4Palette()},
      {ReduceMono, MonochromePalette()},
      {ReduceGrey256, Grey256Palette()},
      {ReduceCube216, WebPalette()},
      {ReduceCustomPalette, std::make_shared<TGIFPalette>(custom)}};
  for (int mode = 0; mode <= 6; ++mode) {
    for (auto& [method, palette] : fixed) {
      const TBitmap r = ReducePictureColors(picture, method, TDitherMode(mode), &custom, 8);
      ASSERT_EQ(r.PixelFormat(), pf8bit);
      EXPECT_EQ(r.Width(), 23);
      EXPECT_EQ(r.Height(), 11);
      EXPECT_EQ(ResultPalette(r), WithoutFlags(*palette)) << int(method) << "/" << mode;
    }
    for (auto [bits, count] : {std::pair{8, 256}, std::pair{3, 8}, std::pair{1, 2}, std::pair{0, 1},
                               std::pair{12, 256}, std::pair{-4, 1}}) {
      const TBitmap r = ReducePictureColors(picture, ReduceQuantize, TDitherMode(mode), nullptr, bits);
      EXPECT_EQ(r.PaletteCount(), count) << bits;
    }
    const TBitmap statics =
        ReducePictureColors(picture, ReduceQuantizeWithStatics, TDitherMode(mode), nullptr, 1);
    const auto got = ResultPalette(statics);
    const auto want = WithoutFlags(*SystemPalette20());
    ASSERT_EQ(got.size(), 256u);
    EXPECT_TRUE(std::equal(want.begin(), want.begin() + 10, got.begin()));
    EXPECT_TRUE(std::equal(want.begin() + 10, want.end(), got.begin() + 246));
  }
}

TEST(ReducePictureColors, UnknownMethodModeOrNoColoursGiveAnEmptyBitmap) {
  std::mt19937 rng(13);
  const TBitmap picture = RandomPicture(rng, 8, 8, pf24bit);
  const TGIFPalette none;
  const TGIFPalette big(300, TGIFPaletteEntry{9, 9, 9, 0});
  EXPECT_TRUE(ReducePictureColors(picture, TColorReduction(10), DitherNearest, nullptr, 8).Empty());
  EXPECT_TRUE(ReducePictureColors(picture, TColorReduction(255), DitherNearest, nullptr, 8).Empty());
  EXPECT_TRUE(ReducePictureColors(picture, ReduceCube216, TDitherMode(7), nullptr, 8).Empty());
  EXPECT_TRUE(ReducePictureColors(picture, ReduceQuantize, TDitherMode(200), nullptr, 8).Empty());
  EXPECT_TRUE(ReducePictureColors(picture, ReduceCustomPalette, DitherBurkes, nullptr, 8).Empty());
  EXPECT_TRUE(ReducePictureColors(picture, ReduceCustomPalette, DitherNearest, &none, 8).Empty());
  EXPECT_EQ(ReducePictureColors(picture, ReduceCustomPalette, DitherNearest, &big, 8).PaletteCount(), 256);
  // A copy is made whatever the mode.
  EXPECT_EQ(ReducePictureColors(picture, ReduceNone, TDitherMode(9), nullptr, 8).Width(), 8);
}

TEST(ReducePictureColors, NoneIsA24BitCopyEvenOfAPalettePicture) {
  std::mt19937 rng(14);
  for (TPixelFormat pf : kFormats) {
    const TBitmap picture = RandomPicture(rng, 9, 5, pf);
    const TBitmap r = ReducePictureColors(picture, ReduceNone, DitherNearest, nullptr, 8);
    ASSERT_EQ(r.PixelFormat(), pf24bit);
    EXPECT_EQ(Colors(r), Colors(picture)) << StorageBits(pf);
  }
}

// Red, green, blue, each on its own key of the fast look-up.
TEST(ReducePictureColors, ThreeColoursQuantizeToThemselves) {
  TBitmap picture(6, 4, pf24bit);
  const TColor colors[3] = {RGB(200, 30, 30), RGB(20, 180, 60), RGB(10, 40, 250)};
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 6; ++x) picture.SetPixel(x, y, colors[(x + 2 * y) % 3]);
  for (TDitherMode mode : {DitherNearest, DitherFloydSteinberg, DitherStevensonArce}) {
    const TBitmap r = ReducePictureColors(picture, ReduceQuantize, mode, nullptr, 8);
    ASSERT_EQ(r.PaletteCount(), 256);
    // Tree order: blue's first bits are 0,0,1; green's 0,1,0; red's 1,0,0.
    EXPECT_EQ(QuadToColor(r.Palette()[0]), colors[2]);
    EXPECT_EQ(QuadToColor(r.Palette()[1]), colors[1]);
    EXPECT_EQ(QuadToColor(r.Palette()[2]), colors[0]);
    for (int i = 3; i < 256; ++i) EXPECT_EQ(QuadToColor(r.Palette()[i]), clBlack);
    EXPECT_EQ(Colors(r), Colors(picture)) << int(mode);
  }
}

TEST(ReducePictureColors, FlatColours) {
  TBitmap picture(10, 6, pf24bit);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) picture.SetPixel(x, y, RGB(128, 128, 128));
  const TBitmap nearest = ReducePictureColors(picture, ReduceMono, DitherNearest, nullptr, 8);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(nearest.ScanLine(y)[x], 1);
  // Halfway between black and white: a checkerboard.
  const TBitmap fs = ReducePictureColors(picture, ReduceMono, DitherFloydSteinberg, nullptr, 8);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 10; ++x) EXPECT_EQ(fs.ScanLine(y)[x], (x + y + 1) % 2) << x << "," << y;
}

TEST(ReducePictureColors, EveryFormatReadsLikeA24BitCopyAndStaysUntouched) {
  std::mt19937 rng(15);
  for (TPixelFormat pf : kFormats) {
    const TBitmap picture = RandomPicture(rng, 13, 7, pf);
    const TBitmap before(picture);
    TBitmap as24(picture);
    as24.SetPixelFormat(pf24bit);
    for (TColorReduction method : {ReduceHalftone, ReduceQuantize, ReduceGrey256}) {
      const TBitmap a = ReducePictureColors(picture, method, DitherSierra, nullptr, 8);
      const TBitmap b = ReducePictureColors(as24, method, DitherSierra, nullptr, 8);
      ASSERT_EQ(a.ImageSize(), b.ImageSize());
      EXPECT_EQ(std::memcmp(a.Bits(), b.Bits(), a.ImageSize()), 0) << StorageBits(pf) << " " << int(method);
      EXPECT_EQ(ResultPalette(a), ResultPalette(b));
    }
    EXPECT_EQ(picture.PixelFormat(), pf);
    EXPECT_EQ(std::memcmp(picture.Bits(), before.Bits(), picture.ImageSize()), 0);
    EXPECT_EQ(std::memcmp(picture.Palette(), before.Palette(), 256 * sizeof(TRGBQuad)), 0);
  }
}

TEST(ReducePictureColors, PicturesBeyondTheCapAreRefusedBeforeAnything) {
  for (auto [w, h] : {std::pair{65536, 1}, std::pair{1, 65536}, std::pair{32768, 32768}}) {
    for (int method : {0, 6, 7, 10}) {
      SizeOnlyReader huge(w, h);
      try {
        ReducePictureColors(huge, TColorReduction(method), DitherFloydSteinberg, nullptr, 8);
        ADD_FAILURE() << "accepted " << w << "x" << h;
      } catch (const EOutOfMemory& e) {
        EXPECT_STREQ(e.what(), "Failed to allocate memory for GIF DIB");
      }
    }
  }
}

// Random sizes, formats, methods and modes, under the sanitizers: the result
// is well formed, and where the look-up has no memory and no error is
// spread, each pixel is its own look-up.
TEST(ReducePictureColors, RandomPicturesEveryMethodAndMode) {
  std::mt19937 rng(16);
  TGIFPalette custom(1 + rng() % 256);
  for (auto& e : custom) e = {uint8_t(rng()), uint8_t(rng()), uint8_t(rng()), 0};
  for (int round = 0; round < 40; ++round) {
    const int w = 1 + int(rng() % 40), h = 1 + int(rng() % 40);
    const TBitmap picture = RandomPicture(rng, w, h, kFormats[rng() % 7]);
    for (int method = 1; method <= 9; ++method)
      for (int mode = 0; mode <= 6; ++mode) {
        const TBitmap r =
            ReducePictureColors(picture, TColorReduction(method), TDitherMode(mode), &custom, int(rng() % 9));
        ASSERT_EQ(r.PixelFormat(), pf8bit);
        ASSERT_EQ(r.Width(), w);
        ASSERT_EQ(r.Height(), h);
        for (int y = 0; y < h; ++y)
          for (int x = 0; x < w; ++x) ASSERT_LT(r.ScanLine(y)[x], r.PaletteCount());
        if (mode == DitherNearest &&
            (method == ReduceMono || method == ReduceGrey256 || method == ReduceCube216)) {
          auto lookup = CreateLookup(TColorReduction(method), TGIFPalette{});
          for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
              const TColor c = picture.GetPixel(x, y);
              TLookupColor e;
              ASSERT_EQ(r.ScanLine(y)[x], lookup->NearestEntry(GetRValue(c), GetGValue(c), GetBValue(c), e));
            }
        }
      }
  }
}

TEST(ReducePictureColors, EmptyAndSinglePixelPictures) {
  for (auto [w, h] : {std::pair{0, 0}, std::pair{0, 5}, std::pair{5, 0}, std::pair{1, 1}}) {
    TBitmap picture(w, h, pf24bit);
    if (w && h) picture.SetPixel(0, 0, RGB(255, 0, 0));
    for (int method = 0; method <= 9; ++method)
      for (int mode = 0; mode <= 6; ++mode) {
        const TBitmap r = ReducePictureColors(picture, TColorReduction(method), TDitherMode(mode),
                                              HalftonePalette().get(), 8);
        EXPECT_EQ(r.Width(), w);
        EXPECT_EQ(r.Height(), h);
        if (w == 0 || h == 0) continue;
        // Grey4: red is 255 from black, 383 from grey 128.
        const TColor expected = method == ReduceGrey4 || method == ReduceMono ? clBlack
                                : method == ReduceGrey256                     ? RGB(76, 76, 76)
                                                                              : RGB(255, 0, 0);
        EXPECT_EQ(r.GetPixel(0, 0), expected) << method << "/" << mode;
      }
  }
}

}  // namespace
}  // namespace orv::test
