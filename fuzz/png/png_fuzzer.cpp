// PNG files are untrusted: any bytes must load or fail with an exception of
// ours, never crash, hang or touch memory they should not.
#include <cstddef>
#include <cstdint>

#include "png/png_graphic.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orv::TPNGGraphic graphic;
  graphic.Use16BitPixels = (size & 1) != 0;
  orv::TMemoryStream stream(data, size);
  try {
    graphic.LoadFromStream(stream);
  } catch (const orv::Exception&) {
  }
  orv::TBitmap out;
  graphic.AssignTo(out);
  return 0;
}
