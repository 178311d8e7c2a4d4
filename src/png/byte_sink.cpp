#include "png/byte_sink.h"

#include <algorithm>
#include <cstring>

namespace orv {

bool TCustomWriteStream::DoProgress(int) { return false; }

void TCustomWriteStream::BindSink(TStream& stream) {
  target_ = &stream;
  pos_ = 0;
  total_ = 0;
  StopFlag = false;
}

void TCustomWriteStream::WriteBytes(const void* buffer, int64_t count) {
  if (StopFlag) return;
  if (count <= 0) {
    StopFlag = true;
    return;
  }
  if (count < 65520) {
    if (pos_ + count > kBufferSize - 1) FlushSink();
    std::memcpy(buffer_.get() + pos_, buffer, size_t(count));
    pos_ += count;
    return;
  }
  FlushSink();
  target_->WriteBuffer(buffer, count);
  total_ += count;
}

void TCustomWriteStream::WriteLongBE(uint32_t value) {
  if (StopFlag) return;
  if (pos_ + 4 > kBufferSize - 1) FlushSink();
  uint8_t* p = buffer_.get() + pos_;
  p[0] = uint8_t(value >> 24);
  p[1] = uint8_t(value >> 16);
  p[2] = uint8_t(value >> 8);
  p[3] = uint8_t(value);
  pos_ += 4;
}

void TCustomWriteStream::FlushSink() {
  if (pos_ > 0 && target_) {
    const int64_t n = pos_;
    pos_ = 0;
    target_->WriteBuffer(buffer_.get(), n);
    total_ += n;
  }
}

void TCustomWriteStream::Fire(int percent) {
  if (DoProgress(percent)) StopFlag = true;
}

void TCustomWriteStream::ProgressStart() {
  progress_base_ = progress_last_ = progress_span_ = 0;
  progress_remaining_ = 99;
  Fire(0);
}

void TCustomWriteStream::ProgressPhase(int64_t total, int percent) {
  progress_base_ += progress_span_;
  progress_last_ = progress_base_;
  progress_remaining_ -= progress_span_;
  phase_total_ = total <= 0 ? 1 : total;
  progress_span_ =
      (percent <= 0 || percent >= 100) ? progress_remaining_ : percent * progress_remaining_ / 100;
}

void TCustomWriteStream::ProgressUpdate(int64_t row) {
  const int64_t part = row < phase_total_ ? int64_t(progress_span_) * row / phase_total_ : progress_span_;
  const int percent = progress_base_ + int(part);
  if (percent > progress_last_) {
    progress_last_ = percent;
    Fire(percent);
  }
}

void TCustomWriteStream::ProgressEnd() { Fire(100); }

void TCustomGraphicWriteStream::WriteImage(const TBitmap& bitmap, TStream& stream) {
  BindSink(stream);
  bitmap_ = &bitmap;
  try {
    WriteGraphic();
  } catch (...) {
    // What was written before the failure still reaches the stream.
    try {
      FlushSink();
    } catch (...) {
    }
    throw;
  }
  FlushSink();
}

bool TCustomGraphicWriteStream::DoProgress(int percent) {
  if (bitmap_ && bitmap_->OnProgress) {
    const TProgressStage stage = percent == 0 ? psStarting : percent < 100 ? psRunning : psEnding;
    bitmap_->OnProgress(const_cast<TBitmap*>(bitmap_), stage, percent, false, TRect{}, std::string());
  }
  return false;
}

}  // namespace orv
