#include "gif/paint/gif_painter.h"

#include <algorithm>
#include <cmath>

#include "gif/gif_image.h"

namespace orv {

namespace {
std::atomic<int> g_live_threads{0};
}

int TGIFPainter::LiveThreads() { return g_live_threads.load(); }

TGIFPainter::TGIFPainter(TGIFImage* image, TCanvas* canvas, const TRect& rect, uint16_t options, int speed,
                         MainThread* main, std::shared_ptr<IGIFPainterClock> clock)
    : image_(image),
      canvas_(canvas),
      rect_(rect),
      options_(options),
      speed_(speed),
      threaded_(options & DrawThreaded),
      main_(main),
      clock_(std::move(clock)) {
  const TGIFImageList& images = image->Images();
  if (threaded_ && (options_ & DrawAnimate) && images.Count() > 1 && speed_ >= 0)
    wake_ = std::make_unique<TPainterEvent>();

  logical_width_ = image->Width();
  logical_height_ = image->Height();
  if (image->BackgroundColorOverride != clNone)
    background_ = image->BackgroundColorOverride;
  else if (image->GlobalColorMap().Count() == 0)
    background_ = clWhite;  // the platform's window colour
  else
    background_ = image->GlobalColorMap().Colors(image->Header().BackgroundColorIndex());

  bool used[8] = {};
  frames_.resize(size_t(images.Count()));
  for (int i = 0; i < images.Count(); ++i) {
    TGIFSubImage& frame = *images[i];
    FrameInfo& info = frames_[size_t(i)];
    info.empty = frame.Empty();
    if (frame.GraphicControlExtension()) info.delay = frame.GraphicControlExtension()->Delay();
    for (int e = 0; e < frame.Extensions().Count(); ++e) {
      TGIFExtension* ext = frame.Extensions()[e];
      if (auto* gce = dynamic_cast<TGIFGraphicControlExtension*>(ext)) {
        info.disposal = gce->Disposal();
        used[gce->Disposal()] = true;
      } else if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(ext); loop && !info.has_loop) {
        info.has_loop = true;
        info.loop_count = loop->LoopCount();
      }
    }
  }
  if (options_ & DrawClearOnLoop) used[2] = true;

  const int w = rect_.Width(), h = rect_.Height();
  auto copy_target = [&] {
    auto bmp = std::make_unique<TBitmap>(w, h, pf32bit);
    TCanvas c(*bmp);
    c.CopyRect(orv::Rect(0, 0, w, h), canvas_->Bitmap(), rect_);
    return bmp;
  };
  if (used[2] && (options_ & DrawTransparent)) saved_background_ = copy_target();
  if (used[2] || used[3]) {
    composite_ = copy_target();
    scratch_ = std::make_unique<TBitmap>(0, 0, pf32bit);
  }
}

TGIFPainter::~TGIFPainter() {
  if (thread_.joinable()) {
    if (thread_.get_id() == std::this_thread::get_id())
      thread_.detach();  // the thread itself let go of the last reference
    else
      thread_.join();
  }
}

void TGIFPainter::Start() {
  if (!threaded_ || thread_.joinable()) return;
  ++g_live_threads;
  thread_ = std::thread([self = shared_from_this()]() mutable {
    self->Execute();
    self->finished_ = true;
    self.reset();
    --g_live_threads;
  });
}

void TGIFPainter::Stop() {
  terminated_ = true;
  if (wake_) wake_->Set();
}

void TGIFPainter::Restart() {
  restart_ = true;
  if (wake_) wake_->Set();
}

void TGIFPainter::JoinThread() {
  if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void TGIFPainter::AbandonThread() {
  image_ = nullptr;
  Stop();
  if (thread_.joinable()) thread_.detach();
}

void TGIFPainter::OnMain(const std::function<void()>& step) {
  if (!threaded_) {
    step();
    return;
  }
  // Steps run on the GUI thread; their failures come back to this thread.
  std::exception_ptr error;
  main_->Synchronize([&] {
    try {
      step();
    } catch (...) {
      error = std::current_exception();
    }
  });
  if (error) std::rethrow_exception(error);
}

void TGIFPainter::Dispatch(const TGIFPainterEvent& handler) {
  if (!handler || Stopped()) return;
  OnMain([&] {
    if (!Stopped()) handler(this);
  });
}

void TGIFPainter::WaitBeforeFrame(int delay, uint32_t& last, int64_t& previous_wait) {
  const uint32_t t = clock_->Now();
  int64_t wait;
  if (speed_ > 0) {
    const int64_t spent = int64_t(uint32_t(t - last)) - previous_wait;
    // Half of the time spent since the last wait is taken off this one.
    wait = std::llround(double(int64_t(delay) * DelayUnitMs - spent / 2) * 100.0 / speed_);
    previous_wait = wait;
  } else {
    wait = threaded_ ? -1 : int64_t(MaximumFrameDelay) * DelayUnitMs;
  }
  last = t;
  if (threaded_) {
    if (speed_ < 0 || !wake_) return;
    if (wait > 0 || speed_ == 0) {
      const uint32_t ms = speed_ == 0 ? kInfiniteWait : uint32_t(std::min<int64_t>(wait, 0x7FFFFFFF));
      if (clock_->Wait(*wake_, ms)) {
        previous_wait = 0;
        last = clock_->Now();
      }
    }
    return;
  }
  wait = std::max<int64_t>(wait, 1);
  while (wait > 0 && !Stopped() && !restart_) {
    const uint32_t step = uint32_t(std::min<int64_t>(wait, 100));
    const uint32_t t0 = clock_->Now();
    clock_->Sleep(step);
    main_->ProcessPending();
    wait -= std::max<int64_t>(1, int64_t(uint32_t(clock_->Now() - t0)));
  }
}

void TGIFPainter::Run() {
  const bool animate = options_ & DrawAnimate;
  const bool loop_forever = options_ & DrawLoopForever;
  restart_ = true;
  while (restart_ && !Stopped()) {
    active_ = 0;
    Dispatch(Events.OnStartPaint);
    started_ = false;
    restart_ = false;
    int loop_counter = 1, loop_start = 0;
    bool loop_seen = false;
    int delay = threaded_ ? 0 : 1;
    previous_disposal_ = 1;
    uint32_t last = clock_->Now();
    int64_t previous_wait = 0;
    while ((loop_counter != 0 || loop_forever) && !Stopped() && !restart_) {
      active_ = loop_start;
      if (started_) Dispatch(Events.OnLoop);
      int painted = 0;
      for (;;) {
        const int index = active_;
        if (index < 0 || index >= int(frames_.size()) || Stopped() || restart_ || frames_[size_t(index)].empty)
          break;
        const FrameInfo& info = frames_[size_t(index)];
        if (delay > 0) {
          OnMain([&] {
            if (!Stopped() && image_ && index < image_->Images().Count()) image_->Images()[index]->Bitmap();
          });
          WaitBeforeFrame(delay, last, previous_wait);
        } else {
          clock_->Yield();
        }
        if (Stopped()) break;
        Dispatch(Events.OnPaint);
        if (Stopped()) break;
        if (info.has_loop && !loop_seen) {
          loop_seen = true;
          loop_counter = info.loop_count;
          if ((info.loop_count == 0 || loop_forever) && threaded_) loop_counter = -1;
          loop_start = index;
        }
        OnMain([&] { PaintStep(index, info.disposal); });
        ++painted;
        previous_disposal_ = info.disposal;
        if (Stopped()) break;
        delay = DefaultFrameDelay;
        if (info.delay > 0) {
          delay = std::max(info.delay, MinimumFrameDelay);
          if (!threaded_) delay = std::min(delay, MaximumFrameDelay);
        }
        Dispatch(Events.OnAfterPaint);
        if (Stopped()) break;
        if (active_ == index) active_ = index + 1;
        if (!animate) break;
      }
      if (loop_counter > 0) --loop_counter;
      if (!(animate && (options_ & DrawLoop))) break;
      // A pass that shows no frame would repeat without ever waiting.
      if (painted == 0) break;
    }
  }
  active_ = -1;
  Dispatch(Events.OnEndPaint);
}

void TGIFPainter::Execute() {
  try {
    Run();
  } catch (...) {
    error_ = std::current_exception();
    Stop();
  }
  try {
    OnMain([&] { Ended(); });
  } catch (...) {
    if (!error_) error_ = std::current_exception();
  }
}

void TGIFPainter::Ended() {
  saved_background_.reset();
  composite_.reset();
  scratch_.reset();
  if (image_) image_->PainterEnded(this);
}

}  // namespace orv
