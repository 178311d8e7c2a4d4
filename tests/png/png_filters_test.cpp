// Row filters: the Paeth ties, the SSE2 path against the portable one, the
// writer's filters against the reader's, and the adaptive score.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <random>

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
