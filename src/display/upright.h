// Turning a decoded picture upright by its EXIF orientation, and the
// reduced size a JPEG can be decoded at for a given fitted size.
#pragma once

#include "platform/bitmap.h"

namespace orv {

// Orientations 5 to 8 exchange width and height.
bool SwapsSides(int orientation);

// The picture as it is meant to be seen: a 32-bit copy turned and mirrored
// for orientations 2 to 8 (a transparent picture keeps its colour, fixed);
// for 1 and values out of range, a plain copy.
TBitmap Upright(const TBitmap& bmp, int orientation);

// The largest n in 0..3 for which a w x h picture decoded at 1/2^n (libjpeg
// rounds each side up) is still at least need_w x need_h.
int ReducedScaleShift(int w, int h, int need_w, int need_h);

}  // namespace orv
