#include "platform/canvas.h"

#include <algorithm>
#include <vector>

namespace orv {

uint32_t ApplyRop(TCopyMode rop, uint32_t d, uint32_t s) {
  switch (rop) {
    case cmSrcCopy: return s;
    case cmSrcAnd: return d & s;
    case cmSrcPaint: return d | s;
    case cmSrcInvert: return d ^ s;
    case cmNotSrcCopy: return ~s;
    case cmMergePaint: return d | ~s;
    case cmSrcErase: return s & ~d;
    case cmBlackness: return 0;
    case cmWhiteness: return 0xFFFFFFFFu;
    case cmDstInvert: return ~d;
  }
  return s;
}

void TCanvas::FillRect(const TRect& r) {
  if (BrushStyle == bsClear) return;
  TBitmap& b = *bitmap_;
  int l = std::max(r.Left, 0), t = std::max(r.Top, 0);
  int rr = std::min(r.Right, b.Width()), bb = std::min(r.Bottom, b.Height());
  if (l >= rr || t >= bb) return;
  uint32_t px = 0xFF000000u | ColorToPixel32(b.ResolveColor(BrushColor));
  std::vector<uint32_t> row(size_t(rr - l), px);
  for (int y = t; y < bb; ++y) WriteRowBGRX(b, y, l, rr - l, row.data());
}

void TCanvas::Draw(int x, int y, const TBitmap& src) {
  if (src.Empty()) return;
  Blit(Bounds(x, y, src.Width(), src.Height()), src, Rect(0, 0, src.Width(), src.Height()),
       src.Transparent() ? Mode::kTransparent : Mode::kCopy, nullptr);
}

void TCanvas::StretchDraw(const TRect& r, const TBitmap& src) {
  if (src.Empty()) return;
  Blit(r, src, Rect(0, 0, src.Width(), src.Height()),
       src.Transparent() ? Mode::kTransparent : Mode::kCopy, nullptr);
}

void TCanvas::CopyRect(const TRect& dst, const TBitmap& src, const TRect& srcRect) {
  Blit(dst, src, srcRect, CopyMode == cmSrcCopy ? Mode::kCopy : Mode::kRop, nullptr);
}

void TCanvas::MaskedCopy(const TRect& dst, const TBitmap& src, const TRect& srcRect,
                         const TBitmap& mask) {
  Blit(dst, src, srcRect, Mode::kCopy, &mask);
}

void TCanvas::Blit(const TRect& dst, const TBitmap& src, const TRect& sr, Mode mode,
                   const TBitmap* mask) {
  TBitmap& d = *bitmap_;
  int dw = dst.Width(), dh = dst.Height(), sw = sr.Width(), sh = sr.Height();
  if (dw == 0 || dh == 0 || sw == 0 || sh == 0 || d.Empty() || src.Empty()) return;
  // Mirrored rectangles are not needed by any caller; normalise them away.
  if (dw < 0 || dh < 0 || sw < 0 || sh < 0) return;
  int x0 = std::max(dst.Left, 0), x1 = std::min(dst.Right, d.Width());
  int y0 = std::max(dst.Top, 0), y1 = std::min(dst.Bottom, d.Height());
  if (x0 >= x1 || y0 >= y1) return;

  const bool mono_src = src.PixelFormat() == pf1bit;
  const bool mono_dst = d.PixelFormat() == pf1bit;
  const uint32_t text_px = 0xFF000000u | ColorToPixel32(d.ResolveColor(TextColor));
  const uint32_t bk_px = 0xFF000000u | ColorToPixel32(d.ResolveColor(BkColor));
  const uint32_t src_bk = ColorToPixel32(src.ResolveColor(BkColor));
  const uint32_t transparent =
      mode == Mode::kTransparent ? ColorToPixel32(src.ResolvedTransparentColor()) : 0;
  const bool has_mask = mask && mask->Width() >= src.Width() && mask->Height() >= src.Height() &&
                        mask->PixelFormat() == pf1bit;

  // Source column for each destination column.
  std::vector<int> sx(size_t(x1 - x0));
  for (int x = x0; x < x1; ++x)
    sx[size_t(x - x0)] = sr.Left + int(int64_t(x - dst.Left) * sw / dw);
  std::vector<uint32_t> srow(size_t(src.Width())), drow(size_t(x1 - x0));
  int last_sy = -1;
  for (int y = y0; y < y1; ++y) {
    int sy = sr.Top + int(int64_t(y - dst.Top) * sh / dh);
    if (sy < 0 || sy >= src.Height()) continue;
    if (sy != last_sy) {
      ReadRowBGRX(src, sy, 0, src.Width(), srow.data());
      if (mono_src && !mono_dst) {
        const uint8_t* bits = src.ScanLine(sy);
        for (int x = 0; x < src.Width(); ++x)
          srow[size_t(x)] = ((bits[x >> 3] >> (7 - (x & 7))) & 1) ? bk_px : text_px;
      }
      last_sy = sy;
    }
    ReadRowBGRX(d, y, x0, x1 - x0, drow.data());
    const uint8_t* mrow = has_mask ? mask->ScanLine(sy) : nullptr;
    for (int x = x0; x < x1; ++x) {
      int s = sx[size_t(x - x0)];
      if (s < 0 || s >= src.Width()) continue;
      uint32_t sp = srow[size_t(s)];
      uint32_t& dp = drow[size_t(x - x0)];
      if (mrow && ((mrow[s >> 3] >> (7 - (s & 7))) & 1)) continue;
      if (mono_dst && !mono_src) sp = ((sp & 0xFFFFFF) == src_bk) ? 0xFFFFFFFFu : 0xFF000000u;
      switch (mode) {
        case Mode::kCopy: dp = sp; break;
        case Mode::kTransparent:
          if ((sp & 0xFFFFFF) != transparent) dp = sp;
          break;
        case Mode::kRop: dp = 0xFF000000u | ApplyRop(CopyMode, dp, sp); break;
      }
    }
    WriteRowBGRX(d, y, x0, x1 - x0, drow.data());
  }
}

}  // namespace orv
