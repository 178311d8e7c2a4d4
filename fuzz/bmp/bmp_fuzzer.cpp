// Bitmap files are untrusted: any bytes give a picture or a clean refusal.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "picture/bmp_reader.h"
#include "platform/exceptions.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  orv::TMemoryStream stream(data, size);
  orv::TBitmap bmp;
  try {
    orv::ReadBitmapFile(stream, bmp);
  } catch (const orv::EInvalidGraphic&) {
    return 0;
  } catch (const orv::EReadError&) {
    return 0;
  } catch (const orv::EOSError&) {
    return 0;
  }
  // The first and last rows, through the bitmap's own conversion (every
  // write of the reader has been checked by the sanitizer already).
  uint32_t sum = 0;
  std::vector<uint32_t> row(static_cast<size_t>(bmp.Width()));
  for (int y : {0, bmp.Height() - 1}) {
    if (y < 0) continue;
    orv::ReadRowBGRX(bmp, y, 0, bmp.Width(), row.data());
    for (uint32_t p : row) sum += p;
  }
  static volatile uint32_t sink;
  sink = sum;
  (void)sink;
  return 0;
}
