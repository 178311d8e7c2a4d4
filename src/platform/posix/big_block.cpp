// Big pixel blocks with transparent huge pages: first-touch page faults of a
// fresh 36 MB block drop from ~110 ms to a few ms.
#include <sys/mman.h>

#include <cstdlib>

#include "platform/native.h"

namespace orv {

uint8_t* native::AllocateBigBlock(size_t capacity) {
  auto* p = static_cast<uint8_t*>(std::aligned_alloc(size_t(2) << 20, capacity));
  if (!p) return nullptr;
#ifdef MADV_HUGEPAGE
  ::madvise(p, capacity, MADV_HUGEPAGE);
#endif
  return p;
}

void native::FreeBigBlock(uint8_t* block) { std::free(block); }

}  // namespace orv
