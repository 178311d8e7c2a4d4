#include "platform/clock.h"

#include <chrono>

namespace orv {

uint32_t timeGetTime() {
  auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  return uint32_t(uint64_t(ms.count()));
}

}  // namespace orv
