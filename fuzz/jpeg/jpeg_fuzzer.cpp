// JPEG files are untrusted: loading and converting any bytes gives a picture
// or EJPEG. The last byte picks the decoding settings (0xD9, the end marker
// of a well-formed file, picks the defaults).
#include <cstddef>
#include <cstdint>

#include "../graphic_fuzz.h"
#include "picture/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t mode = size > 0 ? uint8_t(data[size - 1] ^ 0xD9) : 0;
  orv::TJPEGImage img;
  if (mode & 1) img.SetPixelFormat(orv::jf8Bit);
  if (mode & 2) img.SetPerformance(orv::jpBestSpeed);
  if (mode & 4) img.SetGrayscale(true);
  if (mode & 8) img.SetSmoothing(false);
  img.SetScale(static_cast<orv::TJPEGScale>((mode >> 4) & 3));
  LoadAndConvert<orv::EJPEG>(img, data, size, [](orv::TJPEGImage& i) { (void)i.Width(); });
  return 0;
}
