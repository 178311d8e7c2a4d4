// The painter's paint steps; they run on the GUI thread.
#include "gif/gif_draw.h"
#include "gif/gif_image.h"
#include "gif/paint/gif_painter.h"

namespace orv {

bool TGIFPainter::CanvasValid() const {
  // The surface is gone once its bitmap has lost its pixels.
  return canvas_ && !canvas_->Bitmap().Empty();
}

void TGIFPainter::PaintStep(int index, int disposal) {
  if (Stopped() || !image_ || index >= image_->Images().Count()) return;
  TGIFSubImage& frame = *image_->Images()[index];
  if (!composite_) {
    // No frame restores anything: frames pile up on the target.
    frame.PaintFrame(*canvas_, rect_, options_ & DrawTransparent, options_ & DrawTiling);
    canvas_->Bitmap().Changed();
    started_ = true;
    return;
  }
  PaintBuffered(frame, disposal);
}

void TGIFPainter::PaintBuffered(TGIFSubImage& frame, int disposal) {
  if ((options_ & DrawValidateCanvas) && !CanvasValid()) {
    Stop();
    return;
  }
  const TRect buffer_rect = orv::Rect(0, 0, rect_.Width(), rect_.Height());
  TBitmap* chosen = nullptr;  // nullptr: the target itself
  TBitmap* show = nullptr;
  if (disposal <= 1 || disposal == 2) {
    chosen = show = composite_.get();
  } else if (disposal == 3 && previous_disposal_ <= 1) {
    chosen = nullptr;
  } else if (disposal == 3 && previous_disposal_ <= 3) {
    // Drawn on a copy, so the composite keeps the state before this frame.
    *scratch_ = *composite_;
    chosen = show = scratch_.get();
  } else {
    return;  // disposal methods 4 to 7 draw nothing
  }

  if ((options_ & DrawClearOnLoop) && active_ == 0) RestoreBackground(frame);
  if (chosen) {
    TCanvas c(*chosen);
    frame.PaintFrame(c, buffer_rect, options_ & DrawTransparent, options_ & DrawTiling);
  } else {
    frame.PaintFrame(*canvas_, rect_, options_ & DrawTransparent, options_ & DrawTiling);
  }
  if (show) {
    const TCopyMode mode = canvas_->CopyMode;
    canvas_->CopyMode = cmSrcCopy;
    canvas_->CopyRect(rect_, *show, buffer_rect);
    canvas_->CopyMode = mode;
  }
  canvas_->Bitmap().Changed();
  if (disposal == 2) RestoreBackground(frame);
  started_ = true;
}

void TGIFPainter::RestoreBackground(TGIFSubImage& frame) {
  if (!composite_) return;
  TCanvas c(*composite_);
  c.BrushColor = background_;
  c.BrushStyle = bsSolid;
  const TRect whole = orv::Rect(0, 0, composite_->Width(), composite_->Height());
  auto restore = [&](const TRect& area) {
    if (options_ & DrawTransparent) {
      if (saved_background_) c.CopyRect(area, *saved_background_, area);
    } else {
      c.FillRect(area);
    }
  };
  if (options_ & DrawTiling) {
    ForEachTile(whole, logical_width_, logical_height_, whole, [&](int x, int y) {
      restore(Bounds(x + frame.Left(), y + frame.Top(), frame.Width(), frame.Height()));
    });
  } else {
    restore(ScaleFrameRect(frame.BoundsRect(), whole, logical_width_, logical_height_));
  }
}

}  // namespace orv
