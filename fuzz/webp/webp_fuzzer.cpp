// Untrusted files through the TWebPImage adapter and its library.
#include "../graphic_fuzz.h"
#include "formats/webp_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzCodedImage<orv::TWebPImage>(data, size);
}
