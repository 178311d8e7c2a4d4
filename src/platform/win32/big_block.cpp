// Big pixel blocks straight from the system: committed pages arrive zeroed.
#include <windows.h>

#include "platform/native.h"

namespace orv {

uint8_t* native::AllocateBigBlock(size_t capacity) {
  return static_cast<uint8_t*>(VirtualAlloc(nullptr, capacity, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
}

void native::FreeBigBlock(uint8_t* block) {
  if (block) VirtualFree(block, 0, MEM_RELEASE);
}

}  // namespace orv
