// Drawing helpers of the GIF codec: placing a frame in a rectangle, tiling,
// and masked stretching.
#pragma once

#include <functional>

#include "platform/bitmap.h"
#include "platform/canvas.h"

namespace orv {

// a * b / c rounded to the nearest (halves away from zero); -1 when c is 0.
int MulDiv(int a, int b, int c);

// The frame's place on the logical screen scaled into r.
TRect ScaleFrameRect(const TRect& frame, const TRect& r, int logical_width, int logical_height);

// Calls visit(x, y) for the top-left corner of every tile of the logical
// size that steps from r's top-left corner until r's right and bottom are
// passed, skipping tiles that lie wholly outside `clip`.
void ForEachTile(const TRect& r, int tile_width, int tile_height, const TRect& clip,
                 const std::function<void(int x, int y)>& visit);

// Draws source stretched into r, leaving the destination where mask (1 bit
// per source pixel) is set.
void MaskedStretchBlit(TCanvas& dest, const TRect& r, const TBitmap& source, const TBitmap& mask);

}  // namespace orv
