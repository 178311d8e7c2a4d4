// The 32-bit millisecond clock. It wraps after about 49.7 days, so callers
// compare readings by unsigned difference.
#pragma once

#include <cstdint>

namespace orv {

uint32_t timeGetTime();

class IClock {
 public:
  virtual ~IClock() = default;
  virtual uint32_t Now() = 0;
};

class SystemClock : public IClock {
 public:
  uint32_t Now() override { return timeGetTime(); }
};

// Milliseconds from `since` to `now`, correct across one wrap of the clock.
inline uint32_t ElapsedMs(uint32_t since, uint32_t now) { return now - since; }

// A uniform random generator: Next(n) gives 0..n-1.
class IRandom {
 public:
  virtual ~IRandom() = default;
  virtual int Next(int n) = 0;
};

}  // namespace orv
