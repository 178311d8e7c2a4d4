#include "gif/gif_draw.h"

#include <algorithm>
#include <cstdlib>

namespace orv {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t p = int64_t(a) * b;
  const int64_t q = (std::llabs(p) + std::llabs(int64_t(c)) / 2) / std::llabs(int64_t(c));
  return int(((p < 0) != (c < 0)) ? -q : q);
}

TRect ScaleFrameRect(const TRect& frame, const TRect& r, int logical_width, int logical_height) {
  const int w = r.Width(), h = r.Height();
  return TRect{r.Left + MulDiv(frame.Left, w, logical_width), r.Top + MulDiv(frame.Top, h, logical_height),
               r.Left + MulDiv(frame.Right, w, logical_width), r.Top + MulDiv(frame.Bottom, h, logical_height)};
}

void ForEachTile(const TRect& r, int tile_width, int tile_height, const TRect& clip,
                 const std::function<void(int x, int y)>& visit) {
  if (tile_width <= 0 || tile_height <= 0) return;
  // Tiles left of or above the clip cannot show; start at the first that can.
  int64_t y0 = r.Top, x0 = r.Left;
  if (clip.Top > y0) y0 += (int64_t(clip.Top) - y0) / tile_height * tile_height;
  if (clip.Left > x0) x0 += (int64_t(clip.Left) - x0) / tile_width * tile_width;
  const int64_t y_end = std::min<int64_t>(r.Bottom, clip.Bottom);
  const int64_t x_end = std::min<int64_t>(r.Right, clip.Right);
  for (int64_t y = y0; y < y_end; y += tile_height)
    for (int64_t x = x0; x < x_end; x += tile_width) visit(int(x), int(y));
}

void MaskedStretchBlit(TCanvas& dest, const TRect& r, const TBitmap& source, const TBitmap& mask) {
  // Same result as ANDing the mask and ORing a copy blackened under it.
  dest.MaskedCopy(r, source, Rect(0, 0, source.Width(), source.Height()), mask);
}

}  // namespace orv
