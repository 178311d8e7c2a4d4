// The zlib adapter: inflation fed through the fill operation in arbitrary
// pieces, early ends and damage, and deflation flushed in buffer-sized blocks.
#include <gtest/gtest.h>

#include <cstring>

#include "png/zlib_adapter.h"
#include "png_test_util.h"

namespace orv {
namespace {

std::vector<uint8_t> Sample(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t((i * i) >> 3);
  return v;
}

// Feeds the compressed bytes `piece` at a time.
struct Feeder {
  TInflateAdapter& a;
  std::vector<uint8_t> z;
  size_t piece, pos = 0;
  int operator()() {
    if (pos >= z.size()) return -1;
    const size_t n = std::min({piece, z.size() - pos, size_t(a.InputBufferSize())});
    std::memcpy(a.InputBuffer(), z.data() + pos, n);
    a.SetInput(int(n));
    pos += n;
    return 0;
  }
};

TEST(ZlibAdapter, InflatesExactRequestsWhateverThePieces) {
  const auto data = Sample(100000);
  const auto z = pngtest::Deflate(data);
  for (size_t piece : {size_t(1), size_t(7), size_t(32768), size_t(1) << 20}) {
    TInflateAdapter a;
    ASSERT_EQ(a.InitInflate(), 0);
    EXPECT_EQ(a.InputBufferSize(), 32768);
    Feeder f{a, z, piece};
    a.fill = [&] { return f(); };
    std::vector<uint8_t> out(data.size());
    size_t pos = 0;
    for (size_t step : {size_t(1), size_t(999), size_t(50000)}) {
      ASSERT_GE(a.InflateBytes(out.data() + pos, int64_t(step)), 0);
      pos += step;
    }
    ASSERT_GE(a.InflateBytes(out.data() + pos, int64_t(out.size() - pos)), 0);
    EXPECT_EQ(out, data) << piece;
    // Asking beyond the end of the compressed data fails.
    uint8_t extra;
    EXPECT_LT(a.InflateBytes(&extra, 1), 0);
    a.ResetInflate();
    a.ReleaseInflate();
    EXPECT_EQ(a.InputBufferSize(), 0);
  }
}

TEST(ZlibAdapter, FailuresAreNegative) {
  const auto z = pngtest::Deflate(Sample(5000));
  std::vector<uint8_t> out(5000);
  {  // the fill operation fails: its result is returned
    TInflateAdapter a;
    a.InitInflate();
    Feeder f{a, std::vector<uint8_t>(z.begin(), z.begin() + 100), 1000};
    a.fill = [&] { return f(); };
    EXPECT_EQ(a.InflateBytes(out.data(), 5000), -1);
  }
  {  // damaged data
    TInflateAdapter a;
    a.InitInflate();
    auto bad = z;
    bad[0] = 0x00;
    Feeder f{a, bad, 1000};
    a.fill = [&] { return f(); };
    EXPECT_LT(a.InflateBytes(out.data(), 5000), 0);
  }
  {  // no input at all: zlib cannot progress
    TInflateAdapter a;
    a.InitInflate();
    a.fill = [&] {
      a.SetInput(0);
      return 0;
    };
    EXPECT_LT(a.InflateBytes(out.data(), 10), 0);
  }
}

TEST(ZlibAdapter, DeflationFlushesWholeBuffers) {
  const std::pair<int, int> sizes[] = {{0, 32768}, {300000, 32768}, {-5, 32768}, {1000, 1000}, {262143, 262143}};
  for (auto [asked, expected] : sizes) {
    TDeflateAdapter d;
    ASSERT_EQ(d.InitDeflate(0, asked), 0);
    EXPECT_EQ(d.BufferSize(), expected);
    std::vector<std::vector<uint8_t>> blocks;
    d.flush = [&](const uint8_t* p, int n) {
      blocks.emplace_back(p, p + n);
      return 0;
    };
    const auto data = Sample(70000);
    ASSERT_EQ(d.DeflateBytes(data.data(), 30000), 0);
    ASSERT_EQ(d.DeflateBytes(data.data() + 30000, 40000), 0);
    ASSERT_EQ(d.FinishDeflate(), 0);
    ASSERT_FALSE(blocks.empty());
    std::vector<uint8_t> all;
    for (size_t i = 0; i < blocks.size(); ++i) {
      if (i + 1 < blocks.size()) {
        EXPECT_EQ(blocks[i].size(), size_t(expected));
      }
      all.insert(all.end(), blocks[i].begin(), blocks[i].end());
    }
    uLongf size = 70000;
    std::vector<uint8_t> back(size);
    ASSERT_EQ(uncompress(back.data(), &size, all.data(), uLong(all.size())), Z_OK);
    EXPECT_EQ(back, data);
  }
}

TEST(ZlibAdapter, FlushFailureIsReturned) {
  TDeflateAdapter d;
  d.InitDeflate(0, 256);
  d.flush = [](const uint8_t*, int) { return 7; };
  const auto data = Sample(200000);
  EXPECT_EQ(d.DeflateBytes(data.data(), 200000), 7);
}

}  // namespace
}  // namespace orv
