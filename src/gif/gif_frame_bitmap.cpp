// A frame's bitmap, mask and palette, and drawing a frame onto a canvas.
#include <cstring>
#include <new>

#include "gif/reduction/color_reduction.h"
#include "gif/gif_draw.h"
#include "gif/gif_image.h"
#include "gif/gif_subimage.h"

namespace orv {

namespace {
constexpr int kProgressRows = 32;
}

void TGIFSubImage::FreeBitmap() {
  bitmap_.reset();
  mask_.reset();
  palette_.reset();
  need_mask_ = true;
}

TGIFPaletteRef TGIFSubImage::Palette() {
  if (palette_) return palette_;
  if (bitmap_) {
    if (TGIFPaletteRef p = PaletteFromBitmap(*bitmap_)) return palette_ = p;
  }
  if (image_ && image_->DoDither()) return palette_ = WebPalette();
  if (color_map_.Count() > 0) return palette_ = PaletteFromColorMap(color_map_);
  return image_ ? image_->Palette() : nullptr;
}

const TBitmap& TGIFSubImage::Bitmap() {
  if (!bitmap_) BuildBitmap();
  return *bitmap_;
}

TBitmap TGIFSubImage::ReleaseBitmap() {
  if (!bitmap_) BuildBitmap();
  TBitmap out = std::move(*bitmap_);
  FreeBitmap();
  return out;
}

const TBitmap* TGIFSubImage::Mask() {
  if (bitmap_ && need_mask_ && transparent_) FreeBitmap();
  if (!bitmap_) BuildBitmap();
  return mask_.get();
}

void TGIFSubImage::BuildBitmap() {
  if (image_) image_->RenderProgress(psStarting, 0);
  auto bmp = std::make_unique<TBitmap>();
  std::unique_ptr<TBitmap> mask;
  TGIFPaletteRef palette = Palette();
  if (Empty() || offscreen_) {
    // Only its size and its palette (an off-screen frame's pixels are
    // never drawn, and its zero memory is never touched).
    bmp->SetPixelFormat(pf8bit);
    if (palette) ApplyPalette(*bmp, *palette);
    if (PictureSizeAllowed(Width(), Height())) bmp->SetSize(Width(), Height());
  } else {
    if (!palette) throw GIFException("No global or local color table defined");
    const int w = Width(), h = Height();
    try {
      bmp->Allocate(w, h, pf8bit, false);
    } catch (const EOutOfMemory&) {
      throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    } catch (const std::bad_alloc&) {
      throw EOutOfMemory("Failed to allocate memory for GIF DIB");
    }
    ApplyPalette(*bmp, *palette);
    const bool masked = transparent_;
    const int ti = TransparentColorIndex();
    if (image_ && image_->DoDither()) {
      DitherInto(*bmp, ti, masked);
    } else {
      for (int y = 0; y < h; ++y) {
        std::memcpy(bmp->ScanLine(y), pixels_.get() + size_t(y) * size_t(w), size_t(w));
        if (image_ && y % kProgressRows == 0) image_->RenderProgress(psRunning, int(int64_t(y) * 100 / h));
      }
    }
    if (masked) {
      bool any = false;
      mask = std::make_unique<TBitmap>(w, h, pf1bit);
      BuildMask(*mask, ti, any);
      if (!any) mask.reset();
    }
  }
  bitmap_ = std::move(bmp);
  mask_ = std::move(mask);
  need_mask_ = false;
  if (image_) image_->RenderProgress(psEnding, 100);
}

void TGIFSubImage::BuildMask(TBitmap& mask, int transparent_index, bool& any) {
  const int w = Width(), h = Height();
  const uint8_t ti = uint8_t(transparent_index);
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = pixels_.get() + size_t(y) * size_t(w);
    uint8_t* dst = mask.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      if (src[x] == ti) {
        dst[x >> 3] |= uint8_t(0x80 >> (x & 7));
        any = true;
      }
    }
  }
}

void TGIFSubImage::DitherInto(TBitmap& bmp, int transparent_index, bool mask_pixels) {
  const TGIFColorMap& map = ActiveColorMap();
  if (map.Count() == 0) throw GIFException("No global or local color table defined");
  const int w = Width(), h = Height();
  TNetscapeColorLookup lookup;
  TFloydSteinbergDitherer ditherer(w, lookup);
  // Transparent pixels are not dithered; they take the entry of their colour.
  uint8_t transparent_entry = 0;
  if (mask_pixels) {
    const TColor c = map.Colors(transparent_index);
    TLookupColor entry;
    transparent_entry = uint8_t(lookup.NearestEntry(GetRValue(c), GetGValue(c), GetBValue(c), entry));
  }
  const uint8_t ti = uint8_t(transparent_index);
  const int count = map.Count();
  for (int y = 0; y < h; ++y) {
    const uint8_t* src = pixels_.get() + size_t(y) * size_t(w);
    uint8_t* dst = bmp.ScanLine(y);
    for (int i = 0; i < w; ++i) {
      const int x = ditherer.Column();
      const uint8_t idx = src[x];
      if (mask_pixels && idx == ti) {
        dst[x] = transparent_entry;
        ditherer.AdvanceColumn();
        continue;
      }
      int k = idx;
      if (k >= count) {
        map.ReportWarning(1, "Invalid color index");
        k = 0;
      }
      const TGIFColor& c = map.Entry(k);
      dst[x] = uint8_t(ditherer.DitherPixel(c.Red, c.Green, c.Blue));
    }
    ditherer.AdvanceLine();
    if (image_ && y % kProgressRows == 0) image_->RenderProgress(psRunning, int(int64_t(y) * 100 / h));
  }
}

void TGIFSubImage::PaintFrame(TCanvas& canvas, const TRect& r, bool transparent, bool tile) {
  const TBitmap* mask = transparent && transparent_ ? Mask() : nullptr;
  const TBitmap& bmp = Bitmap();
  const int lw = image_ ? image_->Width() : Width();
  const int lh = image_ ? image_->Height() : Height();
  auto draw = [&](const TRect& dest) {
    if (mask)
      MaskedStretchBlit(canvas, dest, bmp, *mask);
    else
      canvas.StretchDraw(dest, bmp);
  };
  if (tile) {
    const TRect clip = Rect(0, 0, canvas.Bitmap().Width(), canvas.Bitmap().Height());
    ForEachTile(r, lw, lh, clip, [&](int x, int y) { draw(Bounds(x + Left(), y + Top(), Width(), Height())); });
  } else {
    draw(ScaleFrameRect(BoundsRect(), r, lw, lh));
  }
  if (mask) canvas.Bitmap().Changed();
}

}  // namespace orv
