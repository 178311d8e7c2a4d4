// The halftone stretch in our own code: area averaging where a side
// shrinks, linear interpolation where it grows. Integer arithmetic only, so
// every platform gets the same pixels.
#pragma once

#include "platform/bitmap.h"

namespace orv {

// Draws src stretched to r on dst (clipped to dst). Every pixel is copied:
// transparency is not looked at. Source rows are read one at a time, so
// the source costs no copy whatever its pixel format.
void AreaStretch(TBitmap& dst, const TRect& r, const TBitmap& src);

}  // namespace orv
