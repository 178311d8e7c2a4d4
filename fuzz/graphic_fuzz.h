// The body the picture fuzzers share: any bytes load and convert to a
// picture or raise the format's own error (Refused). Every row of the result
// is read, so a row left unwritten shows under the sanitizers.
#pragma once

#include <cstddef>
#include <cstdint>

#include "picture/coded_image.h"

// after_load(img) runs between loading and converting (settings that need
// the header, or reading the size).
template <class Refused, class Graphic, class AfterLoad>
void LoadAndConvert(Graphic& img, const uint8_t* data, size_t size, AfterLoad after_load) {
  orv::TMemoryStream stream(data, size);
  try {
    img.LoadFromStream(stream);
    after_load(img);
    orv::TBitmap bmp;
    img.AssignTo(bmp);
    const orv::TBitmap& result = bmp;
    uint32_t sum = 0;
    for (int y = 0; y < result.Height(); ++y) sum += result.ScanLine(y)[result.Stride() - 1];
    static volatile uint32_t sink;
    sink = sum;
    (void)sink;
  } catch (const Refused&) {
  }
}

// The adapters over outside libraries: the last byte picks the reduced
// decode where the format has one.
template <class Image>
int FuzzCodedImage(const uint8_t* data, size_t size) {
  Image img;
  LoadAndConvert<orv::EInvalidGraphic>(img, data, size,
                                       [&](Image& i) { i.SetScaleShift(size > 0 ? data[size - 1] & 3 : 0); });
  return 0;
}
