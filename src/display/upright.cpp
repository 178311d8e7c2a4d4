#include "display/upright.h"

#include <vector>

namespace orv {

bool SwapsSides(int orientation) { return orientation >= 5 && orientation <= 8; }

TBitmap Upright(const TBitmap& bmp, int orientation) {
  if (orientation < 2 || orientation > 8 || bmp.Empty()) return bmp;
  const int w = bmp.Width(), h = bmp.Height();
  const bool swap = SwapsSides(orientation);
  TBitmap out;
  out.Allocate(swap ? h : w, swap ? w : h, pf32bit, false);
  std::vector<uint32_t> row(static_cast<size_t>(w));
  // Each stored row y becomes a row or a column of the upright picture.
  for (int y = 0; y < h; ++y) {
    ReadRowBGRX(bmp, y, 0, w, row.data());
    for (int x = 0; x < w; ++x) {
      int X, Y;  // where stored (x, y) lands
      switch (orientation) {
        case 2: X = w - 1 - x, Y = y; break;
        case 3: X = w - 1 - x, Y = h - 1 - y; break;
        case 4: X = x, Y = h - 1 - y; break;
        case 5: X = y, Y = x; break;
        case 6: X = h - 1 - y, Y = x; break;
        case 7: X = h - 1 - y, Y = w - 1 - x; break;
        default: X = y, Y = w - 1 - x; break;  // 8
      }
      reinterpret_cast<uint32_t*>(out.ScanLine(Y))[X] = row[size_t(x)];
    }
  }
  if (bmp.Transparent()) {
    // The automatic colour is the bottom-left pixel, which has moved.
    out.SetTransparentMode(tmFixed);
    out.SetTransparentColor(bmp.ResolvedTransparentColor());
    out.SetTransparent(true);
  }
  return out;
}

int ReducedScaleShift(int w, int h, int need_w, int need_h) {
  int shift = 0;
  while (shift < 3) {
    const int64_t d = int64_t(1) << (shift + 1);
    if ((w + d - 1) / d < need_w || (h + d - 1) / d < need_h) break;
    ++shift;
  }
  return shift;
}

}  // namespace orv
