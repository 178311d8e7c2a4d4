// Untrusted files through the THEIFImage adapter and its library.
#include "../coded_image_fuzz.h"
#include "picture/heif_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzCodedImage<orv::THEIFImage>(data, size);
}
