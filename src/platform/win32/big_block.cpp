// Big pixel blocks straight from the system: committed pages arrive zeroed.
#include <windows.h>

#include <cstring>

#include "platform/native.h"

namespace orv {

uint8_t* native::AllocateBigBlock(size_t capacity) {
  return static_cast<uint8_t*>(VirtualAlloc(nullptr, capacity, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void native::FreeBigBlock(uint8_t* block, size_t) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

void native::ZeroBigBlockRange(uint8_t* block, size_t offset, size_t size) {
  // Decommitting whole pages and committing them again gives zero pages that
  // cost nothing until written; the edges are cleared by hand.
  constexpr size_t kPage = 4096;
  uint8_t* from = block + offset;
  uint8_t* to = from + size;
  uint8_t* first = block + (offset + kPage - 1) / kPage * kPage;
  uint8_t* last = block + (offset + size) / kPage * kPage;
  if (last > first && VirtualFree(first, size_t(last - first), MEM_DECOMMIT) &&
      VirtualAlloc(first, size_t(last - first), MEM_COMMIT, PAGE_READWRITE)) {
    std::memset(from, 0, size_t(first - from));
    std::memset(last, 0, size_t(to - last));
  } else {
    std::memset(from, 0, size);
  }
}

}  // namespace orv
