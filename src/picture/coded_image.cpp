#include "picture/coded_image.h"

#include <algorithm>

namespace orv {

namespace {
// A compressed file larger than its biggest possible picture is not one.
constexpr int64_t kMaxFileBytes = kMaxPicturePixels * 4;
}  // namespace

void TCodedImage::Fail(const std::string& reason) const {
  throw EInvalidGraphic(std::string(FormatName()) + ": %s", reason);
}

void TCodedImage::CheckCancel() const {
  if (cancel_ && cancel_->load(std::memory_order_relaxed)) Fail("stopped");
}

void TCodedImage::CheckSize(int64_t width, int64_t height) const {
  if (width <= 0 || height <= 0) Fail("no picture");
  if (width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels)
    Fail("picture too large (" + std::to_string(width) + " x " + std::to_string(height) + ")");
}

void TCodedImage::AllocateBitmap(TBitmap& out, int width, int height) const {
  CheckSize(width, height);
  out.Allocate(width, height, pf24bit, false);
}

void TCodedImage::LoadFromStream(TStream& stream) {
  bitmap_.reset();
  decode_error_.clear();
  width_ = height_ = 0;
  orientation_ = 1;
  const int64_t available = std::max<int64_t>(0, stream.Size() - stream.Position());
  if (available > kMaxFileBytes) Fail("file too large");
  bytes_.resize(size_t(available));
  bytes_.resize(size_t(std::max<int64_t>(0, stream.Read(bytes_.data(), available))));
  if (!bytes_.empty()) {
    int w = 0, h = 0, o = 1;
    ReadHeader(bytes_.data(), bytes_.size(), w, h, o);
    CheckSize(w, h);
    width_ = w, height_ = h, orientation_ = (o >= 1 && o <= 8) ? o : 1;
  }
  Changed();
}

void TCodedImage::SetScaleShift(int shift) {
  shift = std::clamp(shift, 0, MaxScaleShift());
  if (shift == shift_) return;
  shift_ = shift;
  bitmap_.reset();
  decode_error_.clear();
}

int TCodedImage::Width() const { return bitmap_ && !bitmap_->Empty() ? bitmap_->Width() : ReducedSide(width_, shift_); }

int TCodedImage::Height() const {
  return bitmap_ && !bitmap_->Empty() ? bitmap_->Height() : ReducedSide(height_, shift_);
}

bool TCodedImage::Empty() const { return bytes_.empty() && (!bitmap_ || bitmap_->Empty()); }

void TCodedImage::DIBNeeded() {
  if (bitmap_) {
    if (!decode_error_.empty()) throw EInvalidGraphic(decode_error_);
    return;
  }
  bitmap_ = std::make_unique<TBitmap>();
  if (bytes_.empty()) return;
  Progress(psStarting, 0, false, TRect{}, "");
  try {
    CheckCancel();
    Decode(bytes_.data(), bytes_.size(), shift_, *bitmap_);
  } catch (const Exception& e) {
    decode_error_ = e.Message();
    bitmap_->Clear();
    throw;
  }
  Progress(psEnding, 100, false, TRect{}, "");
}

void TCodedImage::Draw(TCanvas& canvas, const TRect& r) {
  DIBNeeded();
  canvas.StretchDraw(r, *bitmap_);
}

void TCodedImage::AssignTo(TBitmap& dest) {
  DIBNeeded();
  dest.Assign(*bitmap_);
}

void TCodedImage::ReleaseTo(TBitmap& dest) {
  DIBNeeded();
  dest = std::move(*bitmap_);
  bitmap_.reset();
  bytes_.clear();
  bytes_.shrink_to_fit();
}

}  // namespace orv
