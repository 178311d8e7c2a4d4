// Row filters: the Paeth ties, the SSE2 path against the portable one, the
// writer's filters against the reader's, and the adaptive score.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

#include "png/png_convert.h"
#include "png/png_filters.h"

namespace orv {
namespace {

TEST(PngFilters, PaethTies) {
  EXPECT_EQ(PaethPredictor(10, 20, 10), 20);  // pa 10 > pb 0
  EXPECT_EQ(PaethPredictor(7, 7, 7), 7);
  EXPECT_EQ(PaethPredictor(20, 10, 10), 20);  // pa 0: left wins
  EXPECT_EQ(PaethPredictor(0, 255, 128), 128);  // pc 1 is smallest
  EXPECT_EQ(PaethPredictor(100, 0, 255), 0);    // pb 155 < pa 255, pc 410
  // Against the textbook form p = a + b - c over a grid of values.
  for (int a = 0; a < 256; a += 15)
    for (int b = 0; b < 256; b += 17)
      for (int c = 0; c < 256; c += 5) {
        const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
        const int want = (pa <= pb && pa <= pc) ? a : pb <= pc ? b : c;
        ASSERT_EQ(PaethPredictor(a, b, c), want) << a << " " << b << " " << c;
      }
}

TEST(PngFilters, VectorAndPortablePathsGiveIdenticalRows) {
  std::mt19937 rng(42);
  for (int bpp = 1; bpp <= 8; ++bpp)
    for (int type = 0; type <= 4; ++type)
      for (size_t n : {size_t(0), size_t(1), size_t(bpp), size_t(bpp + 1), size_t(3 * bpp + 2), size_t(17), size_t(64),
                       size_t(1001)}) {
        if (n % size_t(bpp) != 0 && n > size_t(bpp) * 2) n -= n % size_t(bpp);
        std::vector<uint8_t> row(n), prev(n);
        for (auto& b : row) b = uint8_t(rng());
        for (auto& b : prev) b = uint8_t(rng());
        auto a = row, b = row;
        ASSERT_TRUE(UnfilterRowPortable(type, a.data(), prev.data(), n, bpp));
        ASSERT_TRUE(UnfilterRowSimd(type, b.data(), prev.data(), n, bpp));
        ASSERT_EQ(a, b) << "type " << type << " bpp " << bpp << " n " << n;
      }
}

TEST(PngFilters, PairsMatchTwoSingleRows) {
  std::mt19937 rng(9);
  for (int type : {3, 4})
  for (int bpp = 1; bpp <= 8; ++bpp)
    for (size_t pixels : {size_t(0), size_t(1), size_t(2), size_t(3), size_t(7), size_t(100)}) {
      const size_t n = pixels * size_t(bpp);
      std::vector<uint8_t> r0(n), r1(n), prev(n);
      for (auto* v : {&r0, &r1, &prev})
        for (auto& b : *v) b = uint8_t(rng());
      auto a0 = r0, a1 = r1, b0 = r0, b1 = r1;
      UnfilterPairPortable(type, a0.data(), a1.data(), prev.data(), n, bpp);
      UnfilterPair(type, b0.data(), b1.data(), prev.data(), n, bpp);
      ASSERT_EQ(a0, b0) << type << " " << bpp << " " << pixels;
      ASSERT_EQ(a1, b1) << type << " " << bpp << " " << pixels;
      // And the portable pair is two plain rows.
      auto c0 = r0, c1 = r1;
      UnfilterRowPortable(type, c0.data(), prev.data(), n, bpp);
      UnfilterRowPortable(type, c1.data(), c0.data(), n, bpp);
      ASSERT_EQ(c1, a1);
    }
}

TEST(PngFilters, WriterFiltersInvertTheReaders) {
  std::mt19937 rng(7);
  for (int bpp : {1, 2, 3, 4, 6, 8})
    for (int type = 0; type <= 4; ++type) {
      const size_t n = size_t(bpp) * 37;
      std::vector<uint8_t> raw(n), prev(n), out(n + 1);
      for (auto& b : raw) b = uint8_t(rng() % 7 * 40);
      for (auto& b : prev) b = uint8_t(rng());
      FilterRow(type, raw.data(), prev.data(), n, bpp, out.data());
      EXPECT_EQ(out[0], type);
      std::vector<uint8_t> back(out.begin() + 1, out.end());
      ASSERT_TRUE(UnfilterRow(type, back.data(), prev.data(), n, bpp));
      EXPECT_EQ(back, raw) << "type " << type << " bpp " << bpp;
    }
}

TEST(PngConvert, VectorAndPortableConversionsAgree) {
  std::mt19937 rng(3);
  for (int64_t pixels : {0, 1, 4, 5, 6, 11, 16, 17, 333}) {
    std::vector<uint8_t> src(size_t(pixels) * 4 + 1);
    for (auto& b : src) b = uint8_t(rng());
    // Guard bytes behind each output catch stores past the row.
    std::vector<uint8_t> a(size_t(pixels) * 3 + 16, 0xEE), b = a, ma(size_t(pixels) + 16, 0xEE), mb = ma;
    RGBToBGRPortable(src.data(), a.data(), pixels);
    RGBToBGR(src.data(), b.data(), pixels);
    ASSERT_EQ(a, b) << pixels;
    if (pixels > 0) {
      EXPECT_EQ(a[0], src[2]);
    }
    RGBAToBGRPortable(src.data(), a.data(), ma.data(), pixels);
    RGBAToBGR(src.data(), b.data(), mb.data(), pixels);
    ASSERT_EQ(a, b) << pixels;
    ASSERT_EQ(ma, mb) << pixels;
    if (pixels > 0) {
      EXPECT_EQ(ma[0], 255 - src[3]);
    }
    EXPECT_EQ(a[size_t(pixels) * 3], 0xEE);
    EXPECT_EQ(ma[size_t(pixels)], 0xEE);
  }
}

TEST(PngFilters, UnknownTypeFails) {
  uint8_t row[4] = {}, prev[4] = {};
  EXPECT_FALSE(UnfilterRow(5, row, prev, 4, 1));
  EXPECT_FALSE(UnfilterRowPortable(255, row, prev, 4, 1));
}

TEST(PngFilters, Score) {
  uint32_t counters[256];
  std::vector<uint8_t> few(100, 3);
  for (int i = 0; i < 8; ++i) few[size_t(i)] = uint8_t(i);
  EXPECT_EQ(ScoreRow(few.data(), few.size(), 24, counters), -1);  // 8 distinct values
  // 9 distinct values: 92 threes and one of each of 0..7 (3 among them).
  few[8] = 200;
  // counts: value 3 -> 92, others 1: c1 + c2 + c3 = 94.
  EXPECT_EQ(ScoreRow(few.data(), 100, 24, counters), int(std::lround(100 / 1.5 / 9 * 1000 + 94.0 / 100 * 1000)));
  EXPECT_EQ(ScoreRow(few.data(), 100, 4, counters), int(std::lround(100 / 1.5 / 9 * 1500 + 93.0 / 100 * 1000)));
}

}  // namespace
}  // namespace orv
