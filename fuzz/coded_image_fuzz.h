// The body the adapter fuzzers share: any bytes load and convert to a
// picture or raise the format's EInvalidGraphic. The last byte picks the
// reduced decode where the format has one.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/coded_image.h"

template <class Image>
int FuzzCodedImage(const uint8_t* data, size_t size) {
  Image img;
  orv::TMemoryStream stream(data, size);
  try {
    img.LoadFromStream(stream);
    img.SetScaleShift(size > 0 ? data[size - 1] & 3 : 0);
    orv::TBitmap bmp;
    img.AssignTo(bmp);
    uint32_t sum = 0;
    for (int y = 0; y < bmp.Height(); ++y) sum += bmp.ScanLine(y)[bmp.Stride() - 1];
    static volatile uint32_t sink;
    sink = sum;
    (void)sink;
  } catch (const orv::EInvalidGraphic&) {
  }
  return 0;
}
