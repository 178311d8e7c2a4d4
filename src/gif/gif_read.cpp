#include "gif/gif_read.h"

#include <cstring>

#include "gif/gif_item.h"

namespace orv {

void ThrowPrematureEnd() { throw GIFException("Premature end of data"); }

void ReadTextSubBlocks(TGIFReader& in, std::vector<std::string>& strings) {
  strings.clear();
  uint8_t size;
  while (in.TryU8(size) && size != 0) {
    const char* block = reinterpret_cast<const char*>(in.Bytes(size));
    strings.emplace_back(block, strnlen(block, size));
  }
}

void SkipSubBlocks(TGIFReader& in) {
  uint8_t n;
  while (in.TryU8(n) && n != 0) in.SkipUpTo(n);
}

}  // namespace orv
