#include "display/picture_preparer.h"

#include "display/fit_picture.h"
#include "display/upright.h"
#include "picture/coded_image.h"
#include "picture/jpeg_image.h"
#include "picture/picture.h"
#include "platform/area_stretch.h"
#include "platform/canvas.h"
#include "platform/native.h"

namespace orv {

namespace {

using SteadyClock = std::chrono::steady_clock;

int64_t Ns(SteadyClock::time_point from, SteadyClock::time_point to) {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(to - from).count();
}

int64_t ThreadCpuNs() { return int64_t(native::ThreadCpuMilliseconds()) * 1000000; }

// Lets the decoder (libjpeg, libwebp) decode the smallest size that is still
// at least the fitted size; the halftone stretch does the rest. Returns the
// shift to ask for.
int ReducedShift(int w, int h, int orientation, const TPrepareRequest& r) {
  if (w <= 0 || h <= 0) return 0;
  const bool swap = SwapsSides(orientation);
  const TFitResult fit = FitPicture(swap ? h : w, swap ? w : h, r.frameWidth, r.frameHeight, r.extend);
  if (!fit.scaled) return 0;
  return ReducedScaleShift(w, h, swap ? fit.dh : fit.dw, swap ? fit.dw : fit.dh);
}

}  // namespace

TPreparedPicture PreparePicture(const TPrepareRequest& r, const std::atomic<bool>* cancel) {
  TPreparedPicture out;
  out.request = r;
  const int64_t cpu0 = ThreadCpuNs();
  const auto t0 = SteadyClock::now();
  auto t1 = t0, t2 = t0;
  try {
    TBitmap P;
    int Wp = 0, Hp = 0;  // the stored size, before any reduction
    int orientation = 1;
    {
      // A container of its own: the graphic and its compressed data go as
      // soon as the bitmap is out.
      TPicture picture;
      picture.BitmapOnly = true;
      picture.LoadFromFile(r.name);
      t1 = SteadyClock::now();
      TGraphic* graphic = picture.Graphic();
      if (!graphic) return out;
      orientation = r.autoRotate ? graphic->Orientation() : 1;
      Wp = graphic->Width();
      Hp = graphic->Height();
      if (auto* jpeg = dynamic_cast<TJPEGImage*>(graphic)) {
        jpeg->SetCancelFlag(cancel);
        out.scaleShift = ReducedShift(Wp, Hp, orientation, r);
        jpeg->SetScale(TJPEGScale(out.scaleShift));
      } else if (auto* coded = dynamic_cast<TCodedImage*>(graphic)) {
        coded->SetCancelFlag(cancel);
        coded->SetScaleShift(ReducedShift(Wp, Hp, orientation, r));
        out.scaleShift = coded->ScaleShift();
      }
      // Lazy decoders (JPEG, GIF frames) decode here and fail here.
      graphic->ReleaseTo(P);
    }
    t2 = SteadyClock::now();
    if (P.Empty() || Wp <= 0 || Hp <= 0 || !r.background) return out;
    if (out.scaleShift == 0) Wp = P.Width(), Hp = P.Height();
    if (orientation != 1) {
      P = Upright(P, orientation);
      if (SwapsSides(orientation)) std::swap(Wp, Hp);
    }
    // Fitted at the picture's full upright size, whatever size it was decoded at.
    const int Wd = r.frameWidth, Hd = r.frameHeight;
    const TFitResult fit = FitPicture(Wp, Hp, Wd, Hd, r.extend);
    out.frame = *r.background;
    if (fit.scaled) {
      // Halftone quality; every pixel is copied, transparency is not looked at.
      AreaStretch(out.frame, Bounds((Wd - fit.dw) / 2, (Hd - fit.dh) / 2, fit.dw, fit.dh), P);
    } else {
      // As a canvas draws a bitmap: a transparent bitmap leaves its colour out.
      TCanvas(out.frame).Draw((Wd - P.Width()) / 2, (Hd - P.Height()) / 2, P);
    }
    out.ok = true;
  } catch (...) {
    // Any failure, also while drawing, skips the file like a failed load.
    out.ok = false;
    out.frame = TBitmap();
  }
  const auto t3 = SteadyClock::now();
  out.load = Ns(t0, t1);
  out.convert = Ns(t1, t2);
  out.scale = Ns(t2, t3);
  out.cpu = ThreadCpuNs() - cpu0;
  return out;
}

TPicturePreparer::TPicturePreparer(bool threaded) : threaded_(threaded) {
  // Decided here, on the GUI thread, before any worker decodes.
  JPEGDefaults();
  if (threaded_) worker_ = std::thread([this] { Run(); });
}

TPicturePreparer::~TPicturePreparer() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    quit_ = true;
    cancel_ = true;
  }
  wake_.notify_all();
  if (worker_.joinable()) worker_.join();
}

void TPicturePreparer::RequestLocked(const TPrepareRequest& r) {
  if ((ready_ && ready_->request.SameAs(r)) || (working_ && working_->SameAs(r) && !cancel_) ||
      (pending_ && pending_->SameAs(r)))
    return;
  ready_.reset();  // nobody will take it now
  if (working_) cancel_ = true;
  pending_ = r;
  wake_.notify_one();
}

void TPicturePreparer::Request(const TPrepareRequest& r) {
  if (!threaded_) return;
  std::lock_guard<std::mutex> lock(mu_);
  RequestLocked(r);
}

std::optional<TPreparedPicture> TPicturePreparer::Take(const TPrepareRequest& r) {
  if (!threaded_) return PreparePicture(r);
  std::lock_guard<std::mutex> lock(mu_);
  if (ready_ && ready_->request.SameAs(r)) {
    std::optional<TPreparedPicture> out = std::move(ready_);
    ready_.reset();
    return out;
  }
  RequestLocked(r);
  return std::nullopt;
}

bool TPicturePreparer::WaitReady(const TPrepareRequest& r, std::chrono::milliseconds limit) {
  if (!threaded_) return true;
  std::unique_lock<std::mutex> lock(mu_);
  return done_.wait_for(lock, limit, [&] { return ready_ && ready_->request.SameAs(r); });
}

bool TPicturePreparer::Working() {
  std::lock_guard<std::mutex> lock(mu_);
  return working_.has_value();
}

int TPicturePreparer::Stopped() {
  std::lock_guard<std::mutex> lock(mu_);
  return stopped_;
}

void TPicturePreparer::Run() {
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    wake_.wait(lock, [this] { return quit_ || pending_; });
    if (quit_) return;
    working_ = std::move(pending_);
    pending_.reset();
    cancel_ = false;
    const TPrepareRequest request = *working_;
    lock.unlock();
    TPreparedPicture result = PreparePicture(request, &cancel_);
    lock.lock();
    // A stopped decode failed only because it was stopped: never a result.
    if (cancel_) {
      if (!result.ok) ++stopped_;
    } else {
      ready_ = std::move(result);
    }
    working_.reset();
    done_.notify_all();
  }
}

}  // namespace orv
