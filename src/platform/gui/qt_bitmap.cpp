#include "platform/gui/qt_bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace orv {

namespace {
QList<QRgb> ColorTable(const TBitmap& b, int n) {
  QList<QRgb> table(n);
  for (int i = 0; i < n; ++i) {
    const TRGBQuad& q = b.Palette()[i];
    table[i] = qRgb(q.rgbRed, q.rgbGreen, q.rgbBlue);
  }
  return table;
}
}  // namespace

QImage QImageView(TBitmap& b) { return QImageView(b, Rect(0, 0, b.Width(), b.Height())); }

QImage QImageView(TBitmap& b, const TRect& area) {
  if (b.Empty()) return QImage();
  const int w = b.Width(), h = b.Height();
  const qsizetype bpl = qsizetype(b.Stride());
  switch (b.PixelFormat()) {
    case pf32bit:
    case pfDevice: {
      const int x0 = std::max(area.Left, 0), x1 = std::min(area.Right, w);
      const int y0 = std::max(area.Top, 0), y1 = std::min(area.Bottom, h);
      for (int y = y0; y < y1; ++y) {
        uint8_t* row = b.ScanLine(y);
        for (int x = x0; x < x1; ++x) row[4 * x + 3] = 0xFF;
      }
      return QImage(b.Bits(), w, h, bpl, QImage::Format_RGB32);
    }
    case pf24bit: return QImage(b.Bits(), w, h, bpl, QImage::Format_BGR888);
    case pf16bit: return QImage(b.Bits(), w, h, bpl, QImage::Format_RGB16);
    case pf15bit:
    case pfCustom: return QImage(b.Bits(), w, h, bpl, QImage::Format_RGB555);
    case pf8bit: {
      QImage img(b.Bits(), w, h, bpl, QImage::Format_Indexed8);
      img.setColorTable(ColorTable(b, 256));
      return img;
    }
    case pf1bit: {
      QImage img(b.Bits(), w, h, bpl, QImage::Format_Mono);
      img.setColorTable(ColorTable(b, 2));
      return img;
    }
    case pf4bit: {
      QImage img(w, h, QImage::Format_Indexed8);
      img.setColorTable(ColorTable(b, 16));
      for (int y = 0; y < h; ++y) {
        const uint8_t* s = b.ScanLine(y);
        uchar* d = img.scanLine(y);
        for (int x = 0; x < w; ++x) d[x] = (x & 1) ? (s[x >> 1] & 15) : (s[x >> 1] >> 4);
      }
      return img;
    }
  }
  return QImage();
}

QImage ToRGB32Image(const TBitmap& b) {
  if (b.Empty()) return QImage();
  QImage img(b.Width(), b.Height(), QImage::Format_RGB32);
  for (int y = 0; y < b.Height(); ++y)
    ReadRowBGRX(b, y, 0, b.Width(), reinterpret_cast<uint32_t*>(img.scanLine(y)));
  return img;
}

void FromQImage(const QImage& image, TBitmap& b) {
  QImage img = image.format() == QImage::Format_RGB32 || image.format() == QImage::Format_ARGB32
                   ? image
                   : image.convertToFormat(QImage::Format_RGB32);
  b.Allocate(img.width(), img.height(), pf32bit, false);
  for (int y = 0; y < img.height(); ++y)
    std::memcpy(b.ScanLine(y), img.constScanLine(y), size_t(img.width()) * 4);
}

}  // namespace orv
