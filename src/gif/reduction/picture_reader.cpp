#include "gif/reduction/picture_reader.h"

namespace orv {

TBitmapPictureReader::TBitmapPictureReader(const TBitmap& bitmap) : bitmap_(bitmap) {
  if (bitmap_.PixelFormat() != pf24bit && !bitmap_.Empty()) {
    bgrx_.resize(size_t(bitmap_.Width()));
    bgr_.resize(size_t(bitmap_.Width()) * 3);
  }
}

const uint8_t* TBitmapPictureReader::Row(int y) {
  if (bitmap_.PixelFormat() == pf24bit) return bitmap_.ScanLine(y);
  ReadRowBGRX(bitmap_, y, 0, bitmap_.Width(), bgrx_.data());
  uint8_t* d = bgr_.data();
  for (uint32_t p : bgrx_) {
    d[0] = uint8_t(p);
    d[1] = uint8_t(p >> 8);
    d[2] = uint8_t(p >> 16);
    d += 3;
  }
  return bgr_.data();
}

}  // namespace orv
