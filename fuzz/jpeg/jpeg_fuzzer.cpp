// JPEG files are untrusted: loading and converting any bytes gives a picture
// or EJPEG. The last byte picks the decoding settings (0xD9, the end marker
// of a well-formed file, picks the defaults).
#include <cstddef>
#include <cstdint>

#include "picture/jpeg_image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const uint8_t mode = size > 0 ? uint8_t(data[size - 1] ^ 0xD9) : 0;
  orv::TJPEGImage img;
  if (mode & 1) img.SetPixelFormat(orv::jf8Bit);
  if (mode & 2) img.SetPerformance(orv::jpBestSpeed);
  if (mode & 4) img.SetGrayscale(true);
  if (mode & 8) img.SetSmoothing(false);
  img.SetScale(static_cast<orv::TJPEGScale>((mode >> 4) & 3));
  orv::TMemoryStream stream(data, size);
  try {
    img.LoadFromStream(stream);
    (void)img.Width();
    orv::TBitmap bmp;
    img.AssignTo(bmp);
    uint32_t sum = 0;
    for (int y = 0; y < bmp.Height(); ++y) sum += bmp.ScanLine(y)[bmp.Stride() - 1];
    static volatile uint32_t sink;
    sink = sum;
    (void)sink;
  } catch (const orv::EJPEG&) {
  }
  return 0;
}
