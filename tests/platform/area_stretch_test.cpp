// The halftone stretch of our own: averages of areas when shrinking, smooth
// when growing, exact on flat colour, the same in every pixel format.
#include "platform/area_stretch.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>

namespace orv {
namespace {

TBitmap Checker(int w, int h, TPixelFormat pf) {
  TBitmap b(w, h, pf);
  if (pf == pf1bit || pf == pf8bit) {
    TRGBQuad pal[2] = {ColorToQuad(clBlack), ColorToQuad(clWhite)};
    b.SetPalette(pal, 2);
  }
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) b.SetPixel(x, y, (x + y) % 2 ? clWhite : clBlack);
  return b;
}

TEST(AreaStretch, ACheckerboardHalvedIsMidGreyInEveryFormat) {
  for (TPixelFormat pf : {pf1bit, pf8bit, pf24bit, pf32bit}) {
    SCOPED_TRACE(int(pf));
    TBitmap src = Checker(64, 48, pf);
    src.SetTransparent(true);  // not looked at
    src.SetTransparentColor(clBlack);
    TBitmap dst(40, 30, pf24bit);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) dst.SetPixel(x, y, RGB(0, 0, 255));
    AreaStretch(dst, Bounds(4, 3, 32, 24), src);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= 4 && x < 36 && y >= 3 && y < 27;
        ASSERT_EQ(dst.GetPixel(x, y), inside ? RGB(128, 128, 128) : RGB(0, 0, 255)) << x << "," << y;
      }
  }
}

// Any ratio, up or down, keeps a flat colour exactly and the picture's mean.
TEST(AreaStretch, FlatColourStaysExactAndTheMeanIsKept) {
  const struct {
    int sw, sh, dw, dh;
  } sizes[] = {{7, 5, 3, 2}, {640, 480, 193, 97}, {3, 2, 17, 11}, {100, 1, 7, 9}, {1, 1, 5, 5}, {33, 20, 33, 20}};
  for (const auto& s : sizes) {
    SCOPED_TRACE(std::to_string(s.sw) + "x" + std::to_string(s.sh) + " to " + std::to_string(s.dw) + "x" +
                 std::to_string(s.dh));
    TBitmap flat(s.sw, s.sh, pf24bit), out(s.dw, s.dh, pf32bit);
    for (int y = 0; y < s.sh; ++y)
      for (int x = 0; x < s.sw; ++x) flat.SetPixel(x, y, RGB(17, 200, 99));
    AreaStretch(out, Bounds(0, 0, s.dw, s.dh), flat);
    for (int y = 0; y < s.dh; ++y)
      for (int x = 0; x < s.dw; ++x) ASSERT_EQ(out.GetPixel(x, y), RGB(17, 200, 99));
    // A gradient across: the output's mean follows the source's.
    TBitmap ramp(s.sw, s.sh, pf24bit);
    double src_mean = 0, dst_mean = 0;
    for (int y = 0; y < s.sh; ++y)
      for (int x = 0; x < s.sw; ++x) {
        const int v = s.sw > 1 ? x * 255 / (s.sw - 1) : 77;
        ramp.SetPixel(x, y, RGB(v, v, v));
        src_mean += v;
      }
    AreaStretch(out, Bounds(0, 0, s.dw, s.dh), ramp);
    for (int y = 0; y < s.dh; ++y)
      for (int x = 0; x < s.dw; ++x) dst_mean += GetRValue(out.GetPixel(x, y));
    EXPECT_NEAR(dst_mean / (s.dw * s.dh), src_mean / (s.sw * s.sh), s.dw > s.sw ? 3.0 : 1.0);
  }
}

TEST(AreaStretch, GrowsSmoothlyAndClipsToTheSurface) {
  TBitmap two(2, 1, pf24bit);
  two.SetPixel(1, 0, clWhite);
  TBitmap dst(8, 2, pf24bit);
  AreaStretch(dst, Rect(-8, 0, 8, 2), two);  // the left half lies off the surface
  EXPECT_EQ(GetRValue(dst.GetPixel(7, 1)), 255);
  EXPECT_LT(GetRValue(dst.GetPixel(0, 0)), 255);
  TBitmap wide(8, 1, pf32bit);
  AreaStretch(wide, Rect(0, 0, 8, 1), two);
  int previous = -1, between = 0;
  for (int x = 0; x < 8; ++x) {
    const int v = GetRValue(wide.GetPixel(x, 0));
    EXPECT_GE(v, previous);  // never steps back
    between += v > 10 && v < 245;
    previous = v;
  }
  EXPECT_EQ(GetRValue(wide.GetPixel(0, 0)), 0);
  EXPECT_EQ(GetRValue(wide.GetPixel(7, 0)), 255);
  EXPECT_GE(between, 2);
}

// The vector paths read 24- and 32-bit rows in place up to their last
// bytes, take two or four pixels a step and sum many rows in groups: every
// one must give the plain loops' pixels, at any ratio, offset and format.
TEST(AreaStretch, EveryPathGivesThePlainLoopsPixels) {
  std::mt19937 rng(20261210);
  const TPixelFormat formats[] = {pf24bit, pf32bit, pf8bit, pf16bit, pf1bit};
  for (int i = 0; i < 150; ++i) {
    int sw = 1 + int(rng() % 300), sh = 1 + int(rng() % 120), dw = 1 + int(rng() % 300), dh = 1 + int(rng() % 120);
    if (i % 5 == 0) {  // many sources per output pixel
      sw = 200 + int(rng() % 1800);
      sh = 100 + int(rng() % 400);
      dw = 1 + int(rng() % 40);
      dh = 1 + int(rng() % 30);
    }
    const TPixelFormat pf = formats[i % 5];
    TBitmap src(sw, sh, pf);
    TRGBQuad palette[256];
    for (TRGBQuad& q : palette) q = ColorToQuad(rng() & 0xFFFFFF);
    src.SetPalette(palette, 256);
    for (int y = 0; y < sh; ++y)
      for (size_t k = 0; k < src.Stride(); ++k) src.ScanLine(y)[k] = uint8_t(rng());
    const TRect r = Bounds(int(rng() % 21) - 10, int(rng() % 21) - 10, dw, dh);
    const TPixelFormat dpf = i % 3 ? pf32bit : pf24bit;
    TBitmap plain(dw + 5, dh + 5, dpf);
    AreaStretch(plain, r, src, TStretchPath::kPlain);
    for (TStretchPath path : {TStretchPath::kSse2, TStretchPath::kAvx2, TStretchPath::kBest}) {
      if (!StretchPathAvailable(path)) continue;
      SCOPED_TRACE(std::to_string(sw) + "x" + std::to_string(sh) + " pf " + std::to_string(int(pf)) + " to " +
                   std::to_string(dw) + "x" + std::to_string(dh) + " path " + std::to_string(int(path)));
      TBitmap out(dw + 5, dh + 5, dpf);
      AreaStretch(out, r, src, path);
      for (int y = 0; y < out.Height(); ++y)
        ASSERT_EQ(0, std::memcmp(out.ScanLine(y), plain.ScanLine(y), size_t(out.Width()) * (dpf == pf24bit ? 3 : 4)))
            << "row " << y;
    }
  }
}

}  // namespace
}  // namespace orv
