#include "platform/le_reader.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace orv {
namespace {

struct ShortRead {};
[[noreturn]] void ThrowShort() { throw ShortRead{}; }
using Reader = TLEReader<ThrowShort>;

// Each case runs its steps on its input; a step either returns the value
// read (and the remaining count is checked after it) or must fail.
struct Step {
  std::function<uint64_t(Reader&)> read;
  bool fails;
  uint64_t value;
  size_t remaining;
};
struct Case {
  const char* name;
  std::vector<uint8_t> input;
  std::vector<Step> steps;
};

uint64_t U8(Reader& r) { return r.U8(); }
uint64_t LE16(Reader& r) { return r.LE16(); }
uint64_t LE32(Reader& r) { return r.LE32(); }
auto Bytes(size_t n) {
  return [n](Reader& r) -> uint64_t {
    const uint8_t* p = r.Bytes(n);
    uint64_t v = 0;
    for (size_t i = 0; i < n && i < 8; ++i) v |= uint64_t(p[i]) << (8 * i);
    return v;
  };
}
auto Skip(size_t n) {
  return [n](Reader& r) -> uint64_t {
    r.Skip(n);
    return 0;
  };
}

uint64_t TryU8(Reader& r) {
  uint8_t v = 0;
  return r.TryU8(v) ? 0x100 | v : 0;
}
uint64_t PeekU8(Reader& r) {
  uint8_t v = 0;
  return r.PeekU8(v) ? 0x100 | v : 0;
}
auto SkipUpTo(size_t n) {
  return [n](Reader& r) -> uint64_t { return r.SkipUpTo(n); };
}
auto Seek(size_t pos) {
  return [pos](Reader& r) -> uint64_t {
    r.Seek(pos);
    return 0;
  };
}
// The slice's bytes as a number; a slice longer than asked for shows as ~0.
auto Slice(size_t n) {
  return [n](Reader& r) -> uint64_t {
    Reader s = r.Slice(n);
    const uint64_t v = Bytes(n)(s);
    return s.Remaining() == 0 ? v : ~uint64_t(0);
  };
}

TEST(TLEReader, ReadsLittleEndianAndFailsShortWithoutMoving) {
  const std::vector<uint8_t> seven = {0x01, 0x34, 0x12, 0x78, 0x56, 0x34, 0x12};
  const Case cases[] = {
      {"widths in order", seven,
       {{U8, false, 0x01, 6}, {LE16, false, 0x1234, 4}, {LE32, false, 0x12345678, 0}}},
      {"reads that end exactly at the end", {0xAA, 0xBB, 0xCC},
       {{LE16, false, 0xBBAA, 1}, {U8, false, 0xCC, 0}, {U8, true, 0, 0}}},
      {"high bytes stay unsigned", {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
       {{LE16, false, 0xFFFF, 4}, {LE32, false, 0xFFFFFFFF, 0}}},
      {"short 16-bit read", {0x01}, {{LE16, true, 0, 1}, {U8, false, 0x01, 0}}},
      {"short 32-bit read", {0x01, 0x02, 0x03},
       {{LE32, true, 0, 3}, {LE16, false, 0x0201, 1}, {LE32, true, 0, 1}}},
      {"short byte read", {}, {{U8, true, 0, 0}}},
      {"empty input", {},
       {{LE16, true, 0, 0}, {LE32, true, 0, 0}, {Bytes(1), true, 0, 0}, {Skip(0), false, 0, 0},
        {Bytes(0), false, 0, 0}}},
      {"Bytes(0) at the end", {0x05}, {{U8, false, 5, 0}, {Bytes(0), false, 0, 0}}},
      {"Bytes across the whole input", seven,
       {{Bytes(7), false, 0x12345678123401, 0}, {Bytes(1), true, 0, 0}}},
      {"Bytes one past the end", seven, {{Bytes(8), true, 0, 7}, {Bytes(3), false, 0x123401, 4}}},
      {"Skip to the end, then past it", seven,
       {{Skip(3), false, 0, 4}, {Skip(5), true, 0, 4}, {Skip(4), false, 0, 0}, {Skip(1), true, 0, 0}}},
      {"Skip of a huge count", seven, {{Skip(SIZE_MAX), true, 0, 7}, {U8, false, 0x01, 6}}},
      {"TryU8 up to the end and past it", {0x07}, {{TryU8, false, 0x107, 0}, {TryU8, false, 0, 0}}},
      {"PeekU8 does not move", {0x07},
       {{PeekU8, false, 0x107, 1}, {PeekU8, false, 0x107, 1}, {U8, false, 0x07, 0}, {PeekU8, false, 0, 0}}},
      {"SkipUpTo stops at the end", seven,
       {{SkipUpTo(3), false, 3, 4}, {SkipUpTo(SIZE_MAX), false, 4, 0}, {SkipUpTo(1), false, 0, 0}}},
      {"Seek back, to the end, past it", seven,
       {{Skip(5), false, 0, 2}, {Seek(1), false, 0, 6}, {LE16, false, 0x1234, 4}, {Seek(7), false, 0, 0},
        {Seek(8), true, 0, 0}}},
      {"Slice whole or not at all", seven,
       {{U8, false, 0x01, 6}, {Slice(2), false, 0x1234, 4}, {Slice(5), true, 0, 4},
        {Slice(4), false, 0x12345678, 0}}},
  };
  for (const Case& c : cases) {
    Reader r(c.input.data(), c.input.size());
    EXPECT_EQ(r.Remaining(), c.input.size()) << c.name;
    for (size_t i = 0; i < c.steps.size(); ++i) {
      const Step& s = c.steps[i];
      if (s.fails) {
        EXPECT_THROW(s.read(r), ShortRead) << c.name << ", step " << i;
      } else {
        EXPECT_EQ(s.read(r), s.value) << c.name << ", step " << i;
      }
      EXPECT_EQ(r.Remaining(), s.remaining) << c.name << ", step " << i;
      EXPECT_EQ(r.Position(), c.input.size() - s.remaining) << c.name << ", step " << i;
    }
  }
}

}  // namespace
}  // namespace orv
