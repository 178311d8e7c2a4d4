// Untrusted files through the TJXLImage adapter and its library.
#include "../graphic_fuzz.h"
#include "formats/jxl_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzCodedImage<orv::TJXLImage>(data, size);
}
