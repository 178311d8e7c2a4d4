#include "display/second_counter.h"

#include <gtest/gtest.h>

#include <climits>

namespace orv {
namespace {

struct ElapsedCase {
  uint32_t start, now;
  bool want;
};

TEST(SecondElapsed, ComparesByUnsignedDifferenceAcrossTheWrap) {
  const ElapsedCase cases[] = {
      {0, 999, false},
      {0, 1000, true},
      {5000, 6500, true},
      // Started 256 ms before the wrap: 743 ms after it is 999 ms in all.
      {0xFFFFFF00u, 0x2E7u, false},
      {0xFFFFFF00u, 0x2E8u, true},
      // Just before the wrap: start + 1000 would wrap to a small number that
      // every later reading exceeds at once.
      {0xFFFFFC18u, 0xFFFFFFFFu, false},
      {0xFFFFFC18u, 0u, true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(SecondElapsed(c.start, c.now), c.want) << std::hex << c.start << " -> " << c.now;
}

struct CounterCase {
  int32_t counter, changeSec, want;
};

TEST(NextSecondCounter, WrapsAtChangeSecWithoutOverflow) {
  const CounterCase cases[] = {
      {0, 10, 1},
      {9, 10, 10},
      {10, 10, 0},
      {1, 1, 0},
      // changeSec 0 behaves like 1.
      {1, 0, 0},
      {0, 0, 0},
      // changeSec + 1 would overflow 32 bits.
      {5, INT32_MAX, 6},
      {INT32_MAX - 1, INT32_MAX, INT32_MAX},
      {INT32_MAX, INT32_MAX, 0},
      // Hand-edited negative values: never a division by zero, never negative.
      {1, -1, 0},
      {1, -3, 0},
      {0, -3, 1},
      {1, INT32_MIN, 2},
  };
  for (const auto& c : cases)
    EXPECT_EQ(NextSecondCounter(c.counter, c.changeSec), c.want) << c.counter << " mod " << c.changeSec;
}

TEST(NextSecondCounter, StaysInRangeForEveryChangeSec) {
  for (int32_t changeSec : {INT32_MIN, -1000, -2, -1, 0, 1, 2, 60, INT32_MAX}) {
    int32_t counter = 1;
    for (int step = 0; step < 200; ++step) {
      counter = NextSecondCounter(counter, changeSec);
      ASSERT_GE(counter, 0) << changeSec;
      if (changeSec > 0) {
        ASSERT_LE(counter, changeSec);
      }
    }
  }
}

}  // namespace
}  // namespace orv
