#include "platform/bitmap.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/exceptions.h"
#include "support/test_support.h"

namespace orv {
namespace {

struct StrideCase {
  int64_t width;
  int bits;
  size_t stride;
};

TEST(DibStride, FollowsTheRowRule) {
  const StrideCase cases[] = {
      {0, 24, 0},   {1, 1, 4},    {32, 1, 4},   {33, 1, 8},   {1, 4, 4},     {9, 4, 8},
      {1, 8, 4},    {5, 8, 8},    {1, 16, 4},   {3, 16, 8},   {1, 24, 4},    {2, 24, 8},
      {5, 24, 16},  {1, 32, 4},   {3, 32, 12},  {4000, 24, 12000}, {65535, 32, 262140},
  };
  for (const auto& c : cases) EXPECT_EQ(DibStride(c.width, c.bits), c.stride) << c.width << "x" << c.bits;
}

TEST(DibStride, RefusesNegativeAndAbsurdWidths) {
  EXPECT_EQ(DibStride(-1, 24), 0u);
  EXPECT_EQ(DibStride(int64_t(1) << 50, 32), 0u);
}

TEST(PictureSize, CapsPixelsAndSides) {
  EXPECT_TRUE(PictureSizeAllowed(0, 0));
  EXPECT_TRUE(PictureSizeAllowed(65535, 1));
  EXPECT_FALSE(PictureSizeAllowed(65536, 1));
  EXPECT_TRUE(PicturePixelsAllowed(70000, 1));
  EXPECT_TRUE(PicturePixelsAllowed(1, kMaxPicturePixels));
  EXPECT_FALSE(PicturePixelsAllowed(0, kMaxPicturePixels + 1));
  EXPECT_FALSE(PicturePixelsAllowed(16384, kMaxPicturePixels / 16384 + 1));
  EXPECT_FALSE(PictureSizeAllowed(1, -1));
  EXPECT_FALSE(PictureSizeAllowed(65535, 65535));
  EXPECT_TRUE(PictureSizeAllowed(16384, kMaxPicturePixels / 16384));
  EXPECT_FALSE(PictureSizeAllowed(16384, kMaxPicturePixels / 16384 + 1));
}

TEST(TBitmap, RefusesSizesBeyondTheCapWithoutAllocating) {
  TBitmap b;
  b.SetPixelFormat(pf32bit);
  EXPECT_THROW(b.SetSize(65535, 65535), EOutOfMemory);
  EXPECT_TRUE(b.Empty());
  EXPECT_THROW(b.SetSize(-5, 10), EOutOfMemory);
}

TEST(TBitmap, NewMemoryIsZeroAndRowsFollowTheStride) {
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap b(13, 7, pf);
    ASSERT_EQ(b.Stride(), DibStride(13, StorageBits(pf)));
    EXPECT_EQ(b.ScanLine(1) - b.ScanLine(0), ptrdiff_t(b.Stride()));
    for (size_t i = 0; i < b.ImageSize(); ++i) ASSERT_EQ(b.Bits()[i], 0) << pf;
  }
}

// Colours that every true-colour format stores exactly.
TEST(TBitmap, PixelsRoundTripInEveryFormat) {
  struct Case {
    TPixelFormat pf;
    TColor in;
    TColor out;
  };
  const Case cases[] = {
      {pf32bit, RGB(1, 2, 3), RGB(1, 2, 3)},       {pf24bit, RGB(200, 100, 50), RGB(200, 100, 50)},
      {pf16bit, RGB(255, 255, 255), RGB(255, 255, 255)}, {pf16bit, RGB(8, 4, 16), RGB(8, 4, 16)},
      {pf15bit, RGB(255, 0, 255), RGB(255, 0, 255)}, {pf15bit, RGB(9, 9, 9), RGB(8, 8, 8)},
  };
  for (const auto& c : cases) {
    TBitmap b(3, 2, c.pf);
    b.SetPixel(2, 1, c.in);
    EXPECT_EQ(b.GetPixel(2, 1), c.out) << c.pf;
    EXPECT_EQ(b.GetPixel(1, 1), clBlack);
  }
}

TEST(TBitmap, TwentyFourBitPixelsAreBlueGreenRed) {
  TBitmap b(2, 1, pf24bit);
  b.SetPixel(1, 0, RGB(10, 20, 30));
  const uint8_t* p = b.ScanLine(0) + 3;
  EXPECT_EQ(p[0], 30);
  EXPECT_EQ(p[1], 20);
  EXPECT_EQ(p[2], 10);
}

TEST(TBitmap, SixteenBitPixelsAre565AndFifteenBit555) {
  TBitmap b16(1, 1, pf16bit), b15(1, 1, pf15bit);
  b16.SetPixel(0, 0, RGB(255, 0, 0));
  b15.SetPixel(0, 0, RGB(255, 0, 0));
  EXPECT_EQ(b16.ScanLine(0)[0] | (b16.ScanLine(0)[1] << 8), 0xF800);
  EXPECT_EQ(b15.ScanLine(0)[0] | (b15.ScanLine(0)[1] << 8), 0x7C00);
}

TEST(TBitmap, PaletteFormatsIndexTheirPalette) {
  TRGBQuad pal[4] = {ColorToQuad(clBlack), ColorToQuad(RGB(255, 0, 0)), ColorToQuad(RGB(0, 255, 0)),
                     ColorToQuad(clWhite)};
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit}) {
    TBitmap b(9, 1, pf);
    b.SetPalette(pal, pf == pf1bit ? 2 : 4);
    b.SetPixel(8, 0, RGB(255, 0, 0));
    b.SetPixel(1, 0, RGB(250, 0, 0));  // nearest entry
    const TColor want = RGB(255, 0, 0);
    EXPECT_EQ(b.GetPixel(8, 0), want) << pf;
    EXPECT_EQ(b.GetPixel(1, 0), want) << pf;
    EXPECT_EQ(b.GetPixel(0, 0), clBlack) << pf;
  }
}

TEST(TBitmap, IndexBeyondTheFilesTableReadsBlack) {
  TBitmap b(1, 1, pf8bit);
  TRGBQuad one = ColorToQuad(clWhite);
  b.SetPalette(&one, 1);
  b.ScanLine(0)[0] = 200;
  EXPECT_EQ(b.GetPixel(0, 0), clBlack);
}

TEST(TBitmap, SetSizeKeepsTheOverlapAndZeroesTheRest) {
  TBitmap b(4, 3, pf24bit);
  b.SetPixel(0, 0, RGB(1, 2, 3));
  b.SetPixel(3, 2, RGB(4, 5, 6));
  b.SetSize(2, 5);
  EXPECT_EQ(b.GetPixel(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(b.GetPixel(1, 4), clBlack);
  b.SetSize(6, 5);
  EXPECT_EQ(b.GetPixel(0, 0), RGB(1, 2, 3));
  for (int x = 2; x < 6; ++x) EXPECT_EQ(b.GetPixel(x, 0), clBlack) << x;
}

TEST(TBitmap, SetSizeOfSubBytePixelsClearsTheBitsPastTheOldWidth) {
  TBitmap b(3, 1, pf1bit);
  b.ScanLine(0)[0] = 0xFF;  // three pixels set, five padding bits set too
  b.SetSize(8, 1);
  EXPECT_EQ(b.ScanLine(0)[0], 0xE0);
}

TEST(TBitmap, PixelFormatChangesKeepColours) {
  TBitmap b(5, 2, pf24bit);
  b.SetPixel(4, 1, RGB(255, 255, 255));
  b.SetPixel(0, 0, RGB(255, 0, 0));
  for (TPixelFormat pf : {pf32bit, pf16bit, pf15bit, pf24bit}) {
    b.SetPixelFormat(pf);
    EXPECT_EQ(b.GetPixel(4, 1), clWhite) << pf;
    EXPECT_EQ(b.GetPixel(0, 0), RGB(255, 0, 0)) << pf;
  }
}

TEST(TBitmap, WideningAPaletteFormatKeepsTheIndexes) {
  TBitmap b(3, 1, pf4bit);
  TRGBQuad pal[16];
  for (int i = 0; i < 16; ++i) pal[i] = ColorToQuad(RGB(i, i, i));
  pal[7] = pal[3];  // two entries of the same colour stay distinct
  b.SetPalette(pal, 16);
  b.ScanLine(0)[0] = 0x73;
  b.SetPixelFormat(pf8bit);
  EXPECT_EQ(b.ScanLine(0)[0], 7);
  EXPECT_EQ(b.ScanLine(0)[1], 3);
}

TEST(TBitmap, CopiesAreDeepAndCarryTransparency) {
  TBitmap a(2, 2, pf8bit);
  a.SetTransparent(true);
  a.SetTransparentColor(PaletteIndexColor(5));
  a.ScanLine(0)[0] = 9;
  TBitmap b = a;
  b.ScanLine(0)[0] = 1;
  EXPECT_EQ(a.ScanLine(0)[0], 9);
  EXPECT_TRUE(b.Transparent());
  EXPECT_EQ(b.TransparentColor(), PaletteIndexColor(5));
  TBitmap moved = std::move(b);
  EXPECT_EQ(moved.ScanLine(0)[0], 1);
  EXPECT_TRUE(b.Empty());
  EXPECT_EQ(b.Stride(), 0u);
}

// Handlers belong to one bitmap: copies and moves start without them, and a
// bitmap assigned another keeps its own (the forms subscribe once).
TEST(TBitmap, CopiesAndMovesLeaveTheHandlersBehind) {
  int a_calls = 0, c_calls = 0;
  TBitmap a(3, 1, pf24bit);
  a.ScanLine(0)[8] = 42;
  a.OnChange = [&] { ++a_calls; };
  a.OnProgress = [](void*, TProgressStage, int, bool, const TRect&, const std::string&) {};
  TBitmap copy = a;
  EXPECT_FALSE(copy.OnChange);
  EXPECT_FALSE(copy.OnProgress);
  TBitmap c(1, 1, pf8bit);
  c.OnChange = [&] { ++c_calls; };
  c = a;
  c.Changed();
  EXPECT_EQ(c.Width(), 3);
  EXPECT_EQ(c.PixelFormat(), pf24bit);
  EXPECT_EQ(c.ScanLine(0)[8], 42);
  EXPECT_EQ(c_calls, 1);
  c = std::move(copy);
  c.Changed();
  EXPECT_EQ(c_calls, 2);
  EXPECT_EQ(c.ScanLine(0)[8], 42);
  EXPECT_TRUE(copy.Empty());
  TBitmap moved = std::move(a);
  moved.Changed();
  EXPECT_EQ(a_calls, 0);
  a.Changed();
  EXPECT_EQ(a_calls, 1);
}

TEST(TBitmap, AutoTransparentColorIsTheBottomLeftPixel) {
  TBitmap b(2, 2, pf24bit);
  b.SetPixel(0, 1, RGB(9, 8, 7));
  EXPECT_EQ(b.TransparentColor(), RGB(9, 8, 7));
  b.SetTransparentColor(RGB(1, 1, 1));
  EXPECT_EQ(b.TransparentMode(), tmFixed);
  EXPECT_EQ(b.TransparentColor(), RGB(1, 1, 1));
}

TEST(TBitmap, PaletteIndexColoursResolveThroughThePalette) {
  TBitmap b(1, 1, pf8bit);
  TRGBQuad pal[6] = {};
  pal[5] = ColorToQuad(RGB(10, 20, 30));
  b.SetPalette(pal, 6);
  b.SetTransparentColor(PaletteIndexColor(5));
  EXPECT_EQ(b.ResolvedTransparentColor(), RGB(10, 20, 30));
}

// Rows zeroed at either end of a bitmap leave its data rows; reading them
// gives what their zero bytes mean in every format (palette entry 0 for
// indexes) without looking at their memory; writing a row takes it back in.
TEST(TBitmap, RowsOutsideTheDataReadAsZeroBytesWithoutBeingRead) {
  const int cuts[][4] = {{0, 3, 3, 8}, {5, 8, 0, 5}, {2, 4, 0, 8}, {0, 8, 8, 8}};  // zeroed, data rows
  for (TPixelFormat pf : {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    for (const auto& cut : cuts) {
      SCOPED_TRACE(std::to_string(StorageBits(pf)) + " bits, zeroed from " + std::to_string(cut[0]));
      TBitmap a(13, 8, pf), full(13, 8, pf);  // full: the same bytes, every row counted
      const TRGBQuad pal[2] = {{0x56, 0x34, 0x12, 0}, {1, 2, 3, 0}};
      if (IsPaletteFormat(pf)) a.SetPalette(pal, 2), full.SetPalette(pal, 2);
      for (size_t i = 0; i < a.ImageSize(); ++i) a.Bits()[i] = uint8_t(i * 2654435761u >> 13);
      a.ZeroRows(cut[0], cut[1]);
      EXPECT_EQ(a.DataTop(), cut[2]);
      EXPECT_EQ(a.DataBottom(), cut[3]);
      const TBitmap& ca = a;
      std::memcpy(full.Bits(), ca.Bits(), a.ImageSize());
      for (int y = 0; y < a.Height(); ++y)  // bytes a reader keeping to the data rows never sees
        if (!a.HoldsData(y)) std::memset(const_cast<uint8_t*>(ca.ScanLine(y)), 0xA5, a.Stride());
      EXPECT_EQ(test::Colors(a), test::Colors(full));
      a.ScanLine(cut[0]);
      EXPECT_TRUE(a.HoldsData(cut[0]));
    }
  }
}

TEST(PixelPool, ReusesLargeBlocksAndZeroesThem) {
  TrimPixelPool();
  const int w = 1920, h = 1080;
  {
    TBitmap a(w, h, pf32bit);
    a.ScanLine(500)[100] = 77;
  }
  PixelPoolStats before = GetPixelPoolStats();
  EXPECT_GE(before.retained_blocks, 1u);
  TBitmap b(w, h, pf32bit);
  PixelPoolStats after = GetPixelPoolStats();
  EXPECT_EQ(after.reuses, before.reuses + 1);
  EXPECT_EQ(b.ScanLine(500)[100], 0);
}

TEST(PixelPool, RetainsABoundedNumberOfBlocks) {
  TrimPixelPool();
  {
    std::vector<TBitmap> many;
    for (int i = 0; i < 12; ++i) many.emplace_back(1100, 1000, pf32bit);
  }
  EXPECT_LE(GetPixelPoolStats().retained_blocks, 6u);
  EXPECT_LE(GetPixelPoolStats().retained_bytes, size_t(512) << 20);
}

}  // namespace
}  // namespace orv
