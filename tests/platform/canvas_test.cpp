#include "platform/canvas.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

TBitmap Filled(int w, int h, TPixelFormat pf, TColor c) {
  TBitmap b(w, h, pf);
  TCanvas cv(b);
  cv.BrushColor = c;
  cv.FillRect(Rect(0, 0, w, h));
  return b;
}

TEST(TCanvas, FillRectClipsAndAClearBrushPaintsNothing) {
  TBitmap b(4, 4, pf32bit);
  TCanvas cv(b);
  cv.BrushColor = RGB(1, 2, 3);
  cv.FillRect(Rect(-5, 2, 2, 99));
  EXPECT_EQ(b.GetPixel(0, 3), RGB(1, 2, 3));
  EXPECT_EQ(b.GetPixel(1, 2), RGB(1, 2, 3));
  EXPECT_EQ(b.GetPixel(2, 2), clBlack);
  EXPECT_EQ(b.GetPixel(0, 1), clBlack);
  cv.BrushStyle = bsClear;
  cv.BrushColor = clWhite;
  cv.FillRect(Rect(0, 0, 4, 4));
  EXPECT_EQ(b.GetPixel(3, 0), clBlack);
}

TEST(TCanvas, DrawCopiesAcrossFormatsAndClipsAtEveryEdge) {
  for (TPixelFormat src_pf : {pf8bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap src = Filled(3, 3, src_pf, clWhite);
    for (TPixelFormat dst_pf : {pf24bit, pf32bit}) {
      TBitmap dst(4, 4, dst_pf);
      TCanvas(dst).Draw(-1, 2, src);
      EXPECT_EQ(dst.GetPixel(0, 2), clWhite) << src_pf << "->" << dst_pf;
      EXPECT_EQ(dst.GetPixel(1, 3), clWhite);
      EXPECT_EQ(dst.GetPixel(2, 3), clBlack);
      EXPECT_EQ(dst.GetPixel(0, 1), clBlack);
    }
  }
}

TEST(TCanvas, DrawOfATransparentBitmapLeavesItsColourOut) {
  TBitmap src(2, 1, pf24bit);
  src.SetPixel(0, 0, RGB(255, 0, 255));
  src.SetPixel(1, 0, RGB(0, 0, 255));
  src.SetTransparent(true);
  src.SetTransparentColor(RGB(255, 0, 255));
  TBitmap dst = Filled(2, 1, pf32bit, RGB(7, 7, 7));
  TCanvas(dst).Draw(0, 0, src);
  EXPECT_EQ(dst.GetPixel(0, 0), RGB(7, 7, 7));
  EXPECT_EQ(dst.GetPixel(1, 0), RGB(0, 0, 255));
  // Without the flag every pixel is copied.
  src.SetTransparent(false);
  TCanvas(dst).Draw(0, 0, src);
  EXPECT_EQ(dst.GetPixel(0, 0), RGB(255, 0, 255));
}

TEST(TCanvas, PaletteIndexTransparentColourMatchesThatEntrysColour) {
  TBitmap src(3, 1, pf8bit);
  TRGBQuad pal[3] = {ColorToQuad(RGB(0, 255, 0)), ColorToQuad(RGB(255, 0, 0)), ColorToQuad(RGB(0, 255, 0))};
  src.SetPalette(pal, 3);
  src.ScanLine(0)[0] = 0;
  src.ScanLine(0)[1] = 1;
  src.ScanLine(0)[2] = 2;
  src.SetTransparent(true);
  src.SetTransparentColor(PaletteIndexColor(1));
  TBitmap dst = Filled(3, 1, pf24bit, clWhite);
  TCanvas(dst).Draw(0, 0, src);
  EXPECT_EQ(dst.GetPixel(0, 0), RGB(0, 255, 0));
  EXPECT_EQ(dst.GetPixel(1, 0), clWhite);
}

TEST(TCanvas, StretchDrawPicksNearestPixels) {
  TBitmap src(2, 1, pf24bit);
  src.SetPixel(0, 0, RGB(255, 0, 0));
  src.SetPixel(1, 0, RGB(0, 0, 255));
  TBitmap dst(4, 2, pf32bit);
  TCanvas(dst).StretchDraw(Rect(0, 0, 4, 2), src);
  const TColor want[4] = {RGB(255, 0, 0), RGB(255, 0, 0), RGB(0, 0, 255), RGB(0, 0, 255)};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 4; ++x) EXPECT_EQ(dst.GetPixel(x, y), want[x]) << x << "," << y;
  // Shrinking keeps proportional samples.
  TBitmap small(1, 1, pf32bit);
  TCanvas(small).StretchDraw(Rect(0, 0, 1, 1), src);
  EXPECT_EQ(small.GetPixel(0, 0), RGB(255, 0, 0));
}

TEST(TCanvas, RasterOperationsCombineSourceAndDestination) {
  struct Case {
    TCopyMode mode;
    TColor dst, src, want;
  };
  const Case cases[] = {
      {cmSrcCopy, 0x00F0F0, 0x0F0F0F, 0x0F0F0F},   {cmSrcAnd, 0x00F0F0, 0x0FFF0F, 0x00F000},
      {cmSrcPaint, 0x00F0F0, 0x0F0F0F, 0x0FFFFF},  {cmSrcInvert, 0x00FF00, 0x0F0F0F, 0x0FF00F},
      {cmNotSrcCopy, 0x000000, 0x0F0F0F, 0xF0F0F0}, {cmMergePaint, 0x000001, 0xFFFFFF, 0x000001},
      {cmBlackness, 0x123456, 0xFFFFFF, 0x000000},
  };
  for (const auto& c : cases) {
    TBitmap src = Filled(1, 1, pf24bit, c.src);
    TBitmap dst = Filled(1, 1, pf24bit, c.dst);
    TCanvas cv(dst);
    cv.CopyMode = c.mode;
    cv.CopyRect(Rect(0, 0, 1, 1), src, Rect(0, 0, 1, 1));
    EXPECT_EQ(dst.GetPixel(0, 0), c.want) << std::hex << c.mode;
  }
}

TEST(TCanvas, MonochromeSourcesTakeTextAndBackgroundColours) {
  TBitmap mono(2, 1, pf1bit);
  mono.ScanLine(0)[0] = 0x40;  // pixel 1 set
  TBitmap dst(2, 1, pf24bit);
  TCanvas cv(dst);
  cv.TextColor = RGB(10, 0, 0);
  cv.BkColor = RGB(0, 20, 0);
  cv.CopyRect(Rect(0, 0, 2, 1), mono, Rect(0, 0, 2, 1));
  EXPECT_EQ(dst.GetPixel(0, 0), RGB(10, 0, 0));
  EXPECT_EQ(dst.GetPixel(1, 0), RGB(0, 20, 0));
}

TEST(TCanvas, MaskedCopyKeepsTheDestinationUnderSetMaskBits) {
  TBitmap src = Filled(3, 1, pf24bit, RGB(0, 0, 200));
  TBitmap mask(3, 1, pf1bit);
  mask.ScanLine(0)[0] = 0xA0;  // pixels 0 and 2 transparent
  TBitmap dst = Filled(3, 1, pf32bit, RGB(1, 1, 1));
  TCanvas(dst).MaskedCopy(Rect(0, 0, 3, 1), src, Rect(0, 0, 3, 1), mask);
  EXPECT_EQ(dst.GetPixel(0, 0), RGB(1, 1, 1));
  EXPECT_EQ(dst.GetPixel(1, 0), RGB(0, 0, 200));
  EXPECT_EQ(dst.GetPixel(2, 0), RGB(1, 1, 1));
}

TEST(TCanvas, EmptyOrOffSurfaceDrawsAreHarmless) {
  TBitmap dst(2, 2, pf32bit), empty;
  TCanvas cv(dst);
  cv.Draw(0, 0, empty);
  cv.Draw(100, 100, Filled(1, 1, pf24bit, clWhite));
  cv.StretchDraw(Rect(0, 0, 0, 5), Filled(1, 1, pf24bit, clWhite));
  cv.StretchDraw(Rect(2, 2, 0, 0), Filled(1, 1, pf24bit, clWhite));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 2; ++x) EXPECT_EQ(dst.GetPixel(x, y), clBlack);
}

}  // namespace
}  // namespace orv
