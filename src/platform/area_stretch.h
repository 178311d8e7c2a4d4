// The halftone stretch in our own code: area averaging where a side
// shrinks, linear interpolation where it grows. Integer arithmetic only, so
// every platform gets the same pixels.
#pragma once

#include "platform/bitmap.h"

namespace orv {

// The ways the stretch can run; all give the same pixels. kBest is the
// fastest the processor has (AVX2 is chosen at run time, the build stays
// baseline x86-64).
enum class TStretchPath { kBest, kPlain, kSse2, kAvx2 };
bool StretchPathAvailable(TStretchPath path);

// Draws src stretched to r on dst (clipped to dst). Every pixel is copied:
// transparency is not looked at. 24- and 32-bit sources are read in place,
// others a row at a time, so the source costs no copy. A path the processor
// lacks runs as kBest.
void AreaStretch(TBitmap& dst, const TRect& r, const TBitmap& src, TStretchPath path = TStretchPath::kBest);

}  // namespace orv
