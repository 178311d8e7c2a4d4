// Drawing the image onto a canvas, and the painters that animate it.
#include <chrono>

#include "gif/gif_image.h"

namespace orv {

MainThread& TGIFImage::Main() const { return main_thread_ ? *main_thread_ : DefaultMainThread(); }

int TGIFImage::PainterCount() {
  std::lock_guard<std::recursive_mutex> lock(painters_mu_);
  return int(painters_.size());
}

std::shared_ptr<TGIFPainter> TGIFImage::FindPainter(TGIFPainter* p) {
  for (auto& q : painters_)
    if (q.get() == p) return q;
  return nullptr;
}

void TGIFImage::PainterEnded(TGIFPainter* painter) {
  std::lock_guard<std::recursive_mutex> lock(painters_mu_);
  if (active_ == painter) active_ = nullptr;
  for (auto it = painters_.begin(); it != painters_.end(); ++it) {
    if (it->get() != painter) continue;
    if ((*it)->Threaded()) ended_.push_back(*it);
    painters_.erase(it);
    break;
  }
}

std::exception_ptr TGIFImage::ReapPainters(bool wait) {
  std::lock_guard<std::recursive_mutex> lock(painters_mu_);
  std::exception_ptr error;
  for (auto it = ended_.begin(); it != ended_.end();) {
    // An ended painter only has to leave its thread function; it waits on nothing.
    if (wait || (*it)->Finished()) {
      (*it)->JoinThread();
      if (!error) error = (*it)->Error();
      it = ended_.erase(it);
    } else {
      ++it;
    }
  }
  return error;
}

bool TGIFImage::WaitForPainter(const std::shared_ptr<TGIFPainter>& painter) {
  // Painter steps run here while we wait, or the painter could never end.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(stop_timeout_ms_);
  auto clock = clock_ ? clock_ : SystemPainterClock();
  for (;;) {
    {
      std::lock_guard<std::recursive_mutex> lock(painters_mu_);
      if (!FindPainter(painter.get())) return true;
    }
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Main().ProcessPending();
    clock->Yield();
  }
}

void TGIFImage::StopActivePainter() {
  std::lock_guard<std::recursive_mutex> lock(painters_mu_);
  if (active_) {
    std::shared_ptr<TGIFPainter> painter = FindPainter(active_);
    if (painter) {
      painter->Stop();
      if (painter->Threaded() && !WaitForPainter(painter)) {
        // The thread did not end in time: it keeps its own share of what it
        // uses and ends later, touching nothing of this image.
        painter->AbandonThread();
        std::erase(painters_, painter);
      }
    }
    active_ = nullptr;
  }
  frame_bitmap_.reset();
  frame_canvas_.reset();
  ReapPainters(true);
}

void TGIFImage::StopAllPainters() {
  std::lock_guard<std::recursive_mutex> lock(painters_mu_);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(stop_timeout_ms_);
  auto clock = clock_ ? clock_ : SystemPainterClock();
  for (;;) {
    bool threaded = false;
    std::vector<std::shared_ptr<TGIFPainter>> list = painters_;
    for (auto& p : list) {
      p->Stop();
      threaded = threaded || p->Threaded();
    }
    if (!threaded) break;
    if (std::chrono::steady_clock::now() >= deadline) {
      for (auto& p : list) {
        if (!p->Threaded()) continue;
        p->AbandonThread();
        std::erase(painters_, p);
        if (active_ == p.get()) active_ = nullptr;
      }
      break;
    }
    Main().ProcessPending();
    clock->Yield();
  }
  frame_bitmap_.reset();
  frame_canvas_.reset();
  ReapPainters(true);
}

void TGIFImage::PaintOnCanvas(TCanvas& canvas, const TRect& r) {
  // A painter thread's failure is raised where its painter is let go of.
  if (std::exception_ptr error = ReapPainters(false)) std::rethrow_exception(error);
  if (images_.Count() == 0 || drawing_) return;
  drawing_ = true;
  struct Reset {
    bool& flag;
    ~Reset() { flag = false; }
  } reset{drawing_};

  if (images_.Count() == 1 || !(DrawOptions & DrawAnimate)) {
    images_[0]->PaintFrame(canvas, r, DrawOptions & DrawTransparent, DrawOptions & DrawTiling);
    return;
  }
  if (frame_bitmap_ && !(DrawOptions & DrawDirect)) {
    DrawFrameBitmap(canvas, r);
    return;
  }

  std::shared_ptr<TGIFPainter> painter;
  {
    std::lock_guard<std::recursive_mutex> lock(painters_mu_);
    if (active_ && active_->Canvas() == &canvas && active_->Rect() == r) return;
    StopActivePainter();
    if (Empty() || r.Width() <= 0 || r.Height() <= 0) return;
    TCanvas* target = &canvas;
    TRect target_rect = r;
    if (!(DrawOptions & DrawDirect)) {
      if (!PictureSizeAllowed(Width(), Height())) throw GIFException("Image exceeds maximum size");
      TGIFPaletteRef palette = Palette();
      auto bmp = std::make_unique<TBitmap>();
      if (palette) ApplyPalette(*bmp, *palette);
      bmp->SetSize(Width(), Height());
      bmp->OnChange = [this] { Changed(); };
      frame_bitmap_ = std::move(bmp);
      frame_canvas_ = std::make_unique<TCanvas>(*frame_bitmap_);
      target_rect = Rect(0, 0, Width(), Height());
      frame_canvas_->CopyRect(target_rect, canvas.Bitmap(), r);
      target = frame_canvas_.get();
    }
    TGIFDrawOptions options = DrawOptions;
    if (images_.Count() == 1) options &= TGIFDrawOptions(~(DrawThreaded | DrawAnimate));
    // Steps of a painter thread must run on the GUI thread; without a queue
    // that takes them there, the painter runs inside this call.
    if (dynamic_cast<SynchronousMainThread*>(&Main())) options &= TGIFDrawOptions(~DrawThreaded);
    painter = std::make_shared<TGIFPainter>(this, target, target_rect, options, SpeedPercent, &Main(),
                                            clock_ ? clock_ : SystemPainterClock());
    painter->Events = Events;
    painters_.push_back(painter);
    active_ = painter.get();
    if (painter->Threaded()) {
      painter->Start();
    } else {
      painter->Execute();
      if (painter->Error()) std::rethrow_exception(painter->Error());
      return;
    }
  }
  if (DrawOptions & DrawDirect) return;
  auto clock = clock_ ? clock_ : SystemPainterClock();
  while (!painter->Started() && !painter->Finished() && !painter->Stopped()) {
    Main().ProcessPending();
    clock->Yield();
  }
  DrawFrameBitmap(canvas, r);
}

}  // namespace orv
