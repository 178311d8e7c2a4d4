// EXIF blocks are untrusted: any bytes give an orientation from 1 to 8.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "picture/exif_orientation.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const int o = orv::ExifOrientation(data, size);
  if (o < 1 || o > 8) std::abort();
  return 0;
}
