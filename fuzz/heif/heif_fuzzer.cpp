// Untrusted files through the THEIFImage adapter and its library.
#include "../graphic_fuzz.h"
#include "formats/heif_image.h"

// libheif 1.15's AV1 path loses a small dav1d block on some broken streams;
// the leak is the library's, not ours to report on every run.
extern "C" const char* __lsan_default_suppressions() { return "leak:libdav1d.so\n"; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  return FuzzCodedImage<orv::THEIFImage>(data, size);
}
