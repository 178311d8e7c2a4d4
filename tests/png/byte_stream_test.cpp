// The buffered byte source: window refills, large reads, skips, end and stop
// flags, in-place memory reading, and the stream position left behind.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "png/byte_stream.h"

namespace orv {
namespace {

// A stream that is not a TMemoryStream, so the reader goes through its window.
class PlainStream : public TStream {
 public:
  explicit PlainStream(std::vector<uint8_t> data) : data_(std::move(data)) {}
  int64_t Read(void* buffer, int64_t count) override {
    const int64_t n = std::max<int64_t>(0, std::min<int64_t>(count, int64_t(data_.size()) - pos_));
    if (n > 0) std::memcpy(buffer, data_.data() + pos_, size_t(n));
    pos_ += n;
    ++reads;
    largest_read = std::max(largest_read, count);
    return n;
  }
  int64_t Write(const void*, int64_t) override { return 0; }
  int64_t Seek(int64_t offset, TSeekOrigin origin) override {
    pos_ = origin == soBeginning ? offset : origin == soCurrent ? pos_ + offset : int64_t(data_.size()) + offset;
    return pos_;
  }
  int reads = 0;
  int64_t largest_read = 0;

 private:
  std::vector<uint8_t> data_;
  int64_t pos_ = 0;
};

class Probe : public TCustomReadStream {
 public:
  using TCustomReadStream::CloseSource;
  using TCustomReadStream::OpenSource;
  using TCustomReadStream::ProgressPhase;
  using TCustomReadStream::ProgressStart;
  using TCustomReadStream::ProgressUpdate;
  using TCustomReadStream::ReadByte;
  using TCustomReadStream::ReadBytes;
  using TCustomReadStream::ReadLongBE;
  using TCustomReadStream::ReadWordBE;
  using TCustomReadStream::SkipBytes;
  bool DoProgress(int percent) override {
    fired.push_back(percent);
    return false;
  }
  std::vector<int> fired;
};

std::vector<uint8_t> Counting(size_t n) {
  std::vector<uint8_t> v(n);
  for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + i / 256);
  return v;
}

uint32_t BE32At(const std::vector<uint8_t>& v, size_t i) {
  return (uint32_t(v[i]) << 24) | (uint32_t(v[i + 1]) << 16) | (uint32_t(v[i + 2]) << 8) | v[i + 3];
}

TEST(ByteStream, WindowedAndInPlaceReadsGiveTheSameBytes) {
  const auto data = Counting(300000);
  for (bool in_memory : {false, true}) {
    PlainStream plain(data);
    TMemoryStream mem(data);
    TStream& s = in_memory ? static_cast<TStream&>(mem) : plain;
    Probe p;
    p.OpenSource(s, 0);
    size_t pos = 0;
    // Numbers that straddle the window's edge force a refill with leftovers.
    std::vector<uint8_t> big(200000);
    for (int i = 0; i < 16383; ++i, pos += 4) ASSERT_EQ(p.ReadLongBE(), BE32At(data, pos));
    EXPECT_EQ(p.ReadWordBE(), (data[pos] << 8) | data[pos + 1]);
    pos += 2;
    EXPECT_EQ(p.ReadLongBE(), BE32At(data, pos));  // crosses 65,536
    pos += 4;
    EXPECT_EQ(p.ReadBytes(big.data(), 200000), 200000);
    EXPECT_TRUE(std::equal(big.begin(), big.end(), data.begin() + long(pos)));
    pos += 200000;
    p.SkipBytes(30000);
    pos += 30000;
    EXPECT_EQ(p.ReadByte(), data[pos]);
    ++pos;
    EXPECT_EQ(p.Consumed(), int64_t(pos));
    if (!in_memory) {
      EXPECT_LE(plain.largest_read, 200000 - 65536 + 1);  // only the excess bypasses the window
    }
    p.CloseSource();
    EXPECT_EQ(s.Position(), int64_t(pos));
  }
}

TEST(ByteStream, EndAndStopFlags) {
  TMemoryStream mem(Counting(10));
  Probe p;
  p.OpenSource(mem, 0);
  uint8_t buf[16];
  EXPECT_EQ(p.ReadBytes(buf, 11), 0);  // would pass the end: nothing read
  EXPECT_TRUE(p.EndFlag);
  EXPECT_EQ(p.ReadByte(), 0);  // every read after the flag does nothing
  EXPECT_EQ(p.Consumed(), 0);

  Probe q;
  TMemoryStream mem2(Counting(10));
  q.OpenSource(mem2, 0);
  EXPECT_EQ(q.ReadBytes(buf, 0), 0);
  EXPECT_TRUE(q.StopFlag);
  EXPECT_EQ(q.ReadLongBE(), 0u);

  Probe r;
  TMemoryStream mem3(Counting(10));
  r.OpenSource(mem3, 0);
  EXPECT_EQ(r.ReadLongBE(), BE32At(Counting(10), 0));
  r.SkipBytes(5);
  EXPECT_EQ(r.ReadWordBE(), 0);  // 9 + 2 > 10
  EXPECT_TRUE(r.EndFlag);

  Probe empty;
  TMemoryStream none;
  empty.OpenSource(none, 0);
  EXPECT_TRUE(empty.EndFlag);
}

TEST(ByteStream, CountAndStartLimitTheData) {
  const auto data = Counting(1000);
  for (bool in_memory : {false, true}) {
    PlainStream plain(data);
    TMemoryStream mem(data);
    TStream& s = in_memory ? static_cast<TStream&>(mem) : plain;
    s.SetPosition(100);
    Probe p;
    p.OpenSource(s, 50);
    EXPECT_EQ(p.DataSize(), 50);
    EXPECT_EQ(p.ReadByte(), data[100]);
    p.SkipBytes(49);
    EXPECT_FALSE(p.EndFlag);
    p.ReadByte();
    EXPECT_TRUE(p.EndFlag);
    p.CloseSource();
    EXPECT_EQ(s.Position(), 150);
  }
  // A count beyond a memory stream's end is cut to what it holds.
  TMemoryStream mem(data);
  Probe p;
  p.OpenSource(mem, 5000);
  EXPECT_EQ(p.DataSize(), 1000);
}

TEST(ByteStream, ProgressPhases) {
  TMemoryStream mem(Counting(1000));
  Probe p;
  p.OpenSource(mem, 0);
  p.ProgressStart();
  p.ProgressPhase(0, 0, 30);  // by position: 29 of the 99 remaining
  p.SkipBytes(500);
  p.ProgressUpdate(0);
  p.ProgressPhase(1, 10, 98);  // by rows
  p.ProgressUpdate(5);
  p.ProgressUpdate(5);  // nothing new: not fired again
  p.ProgressUpdate(10);
  EXPECT_EQ(p.fired, (std::vector<int>{0, 14, 29 + 34, 29 + 68}));
}

}  // namespace
}  // namespace orv
