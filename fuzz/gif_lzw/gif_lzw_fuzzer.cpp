// The LZW decoder alone: the first three bytes choose the frame's width,
// height and interlacing; the rest is image data (code size byte and
// sub-blocks).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "gif/gif_item.h"
#include "gif/gif_lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 3) return 0;
  const int width = data[0], height = data[1] & 0x7F;
  const bool interlaced = data[1] & 0x80;
  const uint8_t fill = data[2];
  orv::TMemoryStream stream(data + 3, size - 3);
  std::vector<uint8_t> pixels(size_t(width) * size_t(height) + orv::kLZWOutputSlack);
  try {
    orv::DecodeGIFImageData(stream, pixels.data(), width, height, interlaced, fill, [](const std::string&) {});
  } catch (const orv::GIFException&) {
  }
  return 0;
}
