#include "png/byte_stream.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/exceptions.h"

namespace orv {

bool TCustomReadStream::DoProgress(int) { return false; }

void TCustomReadStream::OpenSource(TStream& stream, int64_t count) {
  source_ = &stream;
  start_ = stream.Position();
  consumed_ = 0;
  buffered_ = 0;
  cursor_ = nullptr;
  StopFlag = EndFlag = false;
  macbinary_found_ = false;
  const int64_t available = stream.Size() - start_;
  data_size_ = count > 0 ? count : available;
  auto* memory = dynamic_cast<TMemoryStream*>(&stream);
  // Read in place: never hand out bytes the memory stream does not hold.
  if (memory && data_size_ > available) data_size_ = available;
  if (data_size_ <= 0) {
    EndFlag = true;
    return;
  }
  in_memory_ = memory != nullptr;
  if (in_memory_) {
    cursor_ = memory->Memory() + start_;
    buffered_ = data_size_;
  } else {
    if (!buffer_) buffer_.reset(new uint8_t[kWindowSize]);
    Refill(0);
  }
  if (SkipMacBinary && data_size_ > 128 && buffered_ > 128 && cursor_[0] == 0 && cursor_[74] == 0) {
    cursor_ += 128;
    buffered_ -= 128;
    consumed_ += 128;
    macbinary_found_ = true;
  }
}

void TCustomReadStream::CloseSource() {
  buffer_.reset();
  cursor_ = nullptr;
  buffered_ = 0;
  if (source_) source_->Seek(start_ + consumed_, soBeginning);
  source_ = nullptr;
}

void TCustomReadStream::Refill(int64_t keep) {
  const int64_t n = std::min(kWindowSize - keep, data_size_ - consumed_ - keep);
  if (n > 0 && source_->Read(buffer_.get() + keep, n) != n) throw EReadError();
  buffered_ = keep + std::max<int64_t>(n, 0);
  cursor_ = buffer_.get();
}

bool TCustomReadStream::Want(int64_t n) {
  if (StopFlag || EndFlag) return false;
  if (n > data_size_ - consumed_) {
    EndFlag = true;
    return false;
  }
  if (buffered_ < n) {
    std::memmove(buffer_.get(), cursor_, size_t(buffered_));
    Refill(buffered_);
  }
  return true;
}

int64_t TCustomReadStream::ReadBytes(void* buffer, int64_t count) {
  if (StopFlag || EndFlag) return 0;
  if (count <= 0) {
    StopFlag = true;
    return 0;
  }
  if (count > data_size_ - consumed_) {
    EndFlag = true;
    return 0;
  }
  auto* out = static_cast<uint8_t*>(buffer);
  int64_t n = std::min(buffered_, count);
  std::memcpy(out, cursor_, size_t(n));
  cursor_ += n;
  buffered_ -= n;
  consumed_ += n;
  int64_t rest = count - n;
  if (rest > 0) {
    // Large reads go straight to the caller; the last window goes through
    // the buffer so that the bytes behind it are buffered too.
    if (rest >= kWindowSize) {
      const int64_t direct = rest - kWindowSize;
      if (direct > 0 && source_->Read(out + n, direct) != direct) throw EReadError();
      n += direct;
      consumed_ += direct;
      rest -= direct;
    }
    Refill(0);
    std::memcpy(out + n, cursor_, size_t(rest));
    cursor_ += rest;
    buffered_ -= rest;
    consumed_ += rest;
  }
  return count;
}

uint8_t TCustomReadStream::ReadByte() {
  if (!Want(1)) return 0;
  uint8_t v = cursor_[0];
  ++cursor_;
  --buffered_;
  ++consumed_;
  return v;
}

uint16_t TCustomReadStream::ReadWordBE() {
  if (!Want(2)) return 0;
  uint16_t v = uint16_t((cursor_[0] << 8) | cursor_[1]);
  cursor_ += 2;
  buffered_ -= 2;
  consumed_ += 2;
  return v;
}

uint32_t TCustomReadStream::ReadLongBE() {
  if (!Want(4)) return 0;
  uint32_t v = (uint32_t(cursor_[0]) << 24) | (uint32_t(cursor_[1]) << 16) | (uint32_t(cursor_[2]) << 8) |
               uint32_t(cursor_[3]);
  cursor_ += 4;
  buffered_ -= 4;
  consumed_ += 4;
  return v;
}

void TCustomReadStream::SkipBytes(int64_t count) {
  if (StopFlag || EndFlag) return;
  if (count > data_size_ - consumed_) {
    EndFlag = true;
    return;
  }
  if (count <= 0) {
    StopFlag = true;
    return;
  }
  if (count <= buffered_) {
    cursor_ += count;
    buffered_ -= count;
    consumed_ += count;
    return;
  }
  const int64_t rest = count - buffered_;
  buffered_ = 0;
  cursor_ = buffer_.get();
  consumed_ += count;
  source_->Seek(rest, soCurrent);
}

void TCustomReadStream::Fire(int percent) {
  if (DoProgress(percent)) StopFlag = true;
}

void TCustomReadStream::ProgressStart() {
  progress_base_ = progress_last_ = progress_span_ = 0;
  progress_remaining_ = 99;
  Fire(0);
}

void TCustomReadStream::ProgressPhase(int kind, int64_t total, int percent) {
  progress_base_ += progress_span_;
  progress_last_ = progress_base_;
  progress_remaining_ -= progress_span_;
  phase_kind_ = kind;
  if (kind == 0) {
    phase_total_ = std::max<int64_t>(data_size_, 1);
    phase_start_ = consumed_;
  } else {
    phase_total_ = total <= 0 ? 1 : total;
    phase_last_row_ = 0;
  }
  progress_span_ =
      (percent <= 0 || percent >= 100) ? progress_remaining_ : percent * progress_remaining_ / 100;
}

void TCustomReadStream::ProgressUpdate(int64_t row) {
  int64_t part;
  if (phase_kind_ == 0) {
    part = int64_t(progress_span_) * std::max<int64_t>(consumed_ - phase_start_, 0) / phase_total_;
  } else {
    part = row < phase_total_ ? int64_t(progress_span_) * row / phase_total_ : progress_span_;
    phase_last_row_ = row;
  }
  const int percent = progress_base_ + int(std::min<int64_t>(part, progress_span_));
  if (percent > progress_last_) {
    progress_last_ = percent;
    Fire(percent);
  }
}

void TCustomReadStream::ProgressEnd() { Fire(100); }

// ---------------------------------------------------------------------------

void TCustomGraphicReadStream::ReadImage(TBitmap* bitmap, TStream& stream, int64_t count) {
  bitmap_ = bitmap;
  header_only_ = bitmap == nullptr;
  std::function<void()> change;
  if (bitmap_) change = std::exchange(bitmap_->OnChange, nullptr);
  struct Cleanup {
    TCustomGraphicReadStream* self;
    std::function<void()>* change;
    ~Cleanup() {
      try {
        self->CloseSource();
      } catch (...) {
        // A failing seek must not hide the error that ends the read.
      }
      self->palette_.reset();
      if (self->bitmap_) self->bitmap_->OnChange = std::move(*change);
    }
  } cleanup{this, &change};
  OpenSource(stream, count);
  comment_.clear();
  palette_count_ = 0;
  phys_unit_ = 0;
  ppu_x_ = ppu_y_ = 0;
  ReadGraphic();
}

bool TCustomGraphicReadStream::DoProgress(int percent) {
  if (bitmap_ && !header_only_ && bitmap_->OnProgress) {
    const TProgressStage stage = percent == 0 ? psStarting : percent < 100 ? psRunning : psEnding;
    bitmap_->OnProgress(bitmap_, stage, percent, false, TRect{}, progress_message_);
  }
  return false;
}

TRGBQuad* TCustomGraphicReadStream::NeedPalette() {
  if (!palette_) palette_.reset(new TRGBQuad[256]());
  return palette_.get();
}

void TCustomGraphicReadStream::SetupBitmap() {
  if (header_only_) return;
  bitmap_->Assign(TBitmap());
  bitmap_->SetTransparent(false);
  bitmap_->Allocate(int(width_), int(height_), PixelFormatForBits(target_bpp_), zero_fill_);
  if (palette_) bitmap_->SetPalette(palette_.get(), palette_count_);
}

}  // namespace orv
