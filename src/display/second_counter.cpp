#include "display/second_counter.h"

#include "platform/clock.h"

namespace orv {

bool SecondElapsed(uint32_t start, uint32_t now) { return ElapsedMs(start, now) >= 1000; }

int32_t NextSecondCounter(int32_t counter, int32_t changeSec) {
  const int64_t modulus = int64_t(changeSec) + 1;
  if (modulus == 0) return 0;
  return static_cast<int32_t>((int64_t(counter) + 1) % modulus);
}

}  // namespace orv
