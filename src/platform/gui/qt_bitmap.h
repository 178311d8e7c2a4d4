// Views of our bitmaps as QImages for drawing, and the way back.
#pragma once

#include <QImage>

#include "platform/bitmap.h"

namespace orv {

// A QImage over the bitmap's memory without copying where Qt has the format
// (32, 24, 16, 15, 8 and 1 bits); 4-bit bitmaps are expanded into a copy.
// 32-bit pixels get their fourth byte set to 0xFF first, as Format_RGB32
// requires. The view is valid while the bitmap is alive and not resized.
QImage QImageView(TBitmap& bitmap);
// The same view, fixing the fourth bytes only inside area: for drawing that
// reads or writes just that part (a repaint, a line of text).
QImage QImageView(TBitmap& bitmap, const TRect& area);

// A copy of the bitmap as a Format_RGB32 image.
QImage ToRGB32Image(const TBitmap& bitmap);

// Stores an image into a 32-bit bitmap of the image's size.
void FromQImage(const QImage& image, TBitmap& bitmap);

}  // namespace orv
