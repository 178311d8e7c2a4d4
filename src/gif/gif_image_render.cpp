// The image's palette and its bitmap of the first frame.
#include "gif/gif_draw.h"
#include "gif/gif_image.h"

namespace orv {

bool TGIFImage::DoDither() const {
  return (DrawOptions & DrawDither) && (!(DrawOptions & DrawAutoDither) || PaletteDisplay());
}

TGIFPaletteRef TGIFImage::Palette() {
  if (frame_bitmap_) {
    if (TGIFPaletteRef p = PaletteFromBitmap(*frame_bitmap_)) return p;
  }
  if (palette_) return palette_;
  // Asked again while being worked out: no table anywhere to take it from.
  if (palette_guard_) throw GIFException("No global or local color table defined");
  palette_guard_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{palette_guard_};
  if (DoDither())
    palette_ = WebPalette();
  else if (GlobalColorMap().Count() > 0)
    palette_ = PaletteFromColorMap(GlobalColorMap());
  else if (images_.Count() > 0)
    palette_ = images_[0]->Palette();
  return palette_;
}

const TBitmap* TGIFImage::Bitmap() {
  if (!frame_bitmap_ && images_.Count() > 0) BuildFrameBitmap();
  return frame_bitmap_.get();
}

void TGIFImage::BuildFrameBitmap() {
  TGIFSubImage& first = *images_[0];
  auto bmp = std::make_unique<TBitmap>();
  if (first.Width() == Width() && first.Height() == Height()) {
    *bmp = first.Bitmap();
  } else {
    if (!PictureSizeAllowed(Width(), Height())) throw GIFException("Image exceeds maximum size");
    TGIFPaletteRef palette = Palette();
    if (palette) ApplyPalette(*bmp, *palette);
    bmp->SetSize(Width(), Height());  // new memory is black
    TCanvas canvas(*bmp);
    first.PaintFrame(canvas, Rect(0, 0, Width(), Height()), false, false);
  }
  bmp->OnChange = [this] { Changed(); };
  frame_bitmap_ = std::move(bmp);
  frame_canvas_ = std::make_unique<TCanvas>(*frame_bitmap_);
}

void TGIFImage::CopyToBitmap(TBitmap& dest) {
  const TBitmap* bmp = Bitmap();
  if (!bmp) {
    dest = TBitmap();
    return;
  }
  dest.Assign(*bmp);
}

void TGIFImage::ReleaseTo(TBitmap& dest) {
  StopAllPainters();  // nothing draws on the bitmap that goes
  if (images_.Count() == 0) {
    dest = TBitmap();
    return;
  }
  TGIFSubImage& first = *images_[0];
  if (first.Width() == Width() && first.Height() == Height()) {
    // The frame's own bitmap, not a copy of it.
    dest = first.ReleaseBitmap();
    return;
  }
  BuildFrameBitmap();
  dest = std::move(*frame_bitmap_);
  frame_canvas_.reset();
  frame_bitmap_.reset();
}

void TGIFImage::DrawFrameBitmap(TCanvas& canvas, const TRect& r) {
  if (!frame_bitmap_) return;
  if (DrawOptions & DrawTiling) {
    const TRect clip = Rect(0, 0, canvas.Bitmap().Width(), canvas.Bitmap().Height());
    ForEachTile(r, Width(), Height(), clip, [&](int x, int y) { canvas.Draw(x, y, *frame_bitmap_); });
  } else {
    canvas.StretchDraw(r, *frame_bitmap_);
  }
}

}  // namespace orv
