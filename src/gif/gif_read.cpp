#include "gif/gif_read.h"

#include <algorithm>
#include <cstring>

#include "gif/gif_item.h"

namespace orv {

void ThrowPrematureEnd() { throw GIFException("Premature end of data"); }

void ReadExact(TStream& stream, void* buffer, int64_t n) {
  if (n <= 0) return;
  if (stream.Read(buffer, n) != n) ThrowPrematureEnd();
}

bool ReadByte(TStream& stream, uint8_t& value) { return stream.Read(&value, 1) == 1; }

int64_t BytesLeft(TStream& stream) { return std::max<int64_t>(0, stream.Size() - stream.Position()); }

void SkipBytes(TStream& stream, int64_t n) {
  if (n > 0) stream.Seek(std::min(n, BytesLeft(stream)), soCurrent);
}

void ReadTextSubBlocks(TStream& stream, std::vector<std::string>& strings) {
  strings.clear();
  uint8_t size;
  char block[255];
  while (ReadByte(stream, size) && size != 0) {
    ReadExact(stream, block, size);
    strings.emplace_back(block, strnlen(block, size));
  }
}

namespace {
constexpr int64_t kWindowSize = 64 * 1024;
}

TGIFReadBuffer::TGIFReadBuffer(TStream& source)
    : source_(source), size_(source.Size()), pos_(source.Position()), window_start_(pos_) {}

int64_t TGIFReadBuffer::Read(void* buffer, int64_t count) {
  uint8_t* out = static_cast<uint8_t*>(buffer);
  int64_t done = 0;
  while (count > 0) {
    const int64_t window_end = window_start_ + int64_t(window_.size());
    if (pos_ >= window_start_ && pos_ < window_end) {
      int64_t n = std::min(count, window_end - pos_);
      std::memcpy(out + done, window_.data() + (pos_ - window_start_), size_t(n));
      pos_ += n;
      done += n;
      count -= n;
      continue;
    }
    if (pos_ >= size_) break;
    // Large reads go straight through; small ones refill the window.
    if (count >= kWindowSize) {
      source_.Seek(pos_, soBeginning);
      int64_t n = source_.Read(out + done, count);
      if (n <= 0) break;
      pos_ += n;
      done += n;
      count -= n;
      continue;
    }
    window_.resize(size_t(std::min(kWindowSize, size_ - pos_)));
    source_.Seek(pos_, soBeginning);
    int64_t n = source_.Read(window_.data(), int64_t(window_.size()));
    window_.resize(size_t(std::max<int64_t>(0, n)));
    window_start_ = pos_;
    if (n <= 0) break;
  }
  return done;
}

int64_t TGIFReadBuffer::Write(const void*, int64_t) { return 0; }

int64_t TGIFReadBuffer::Seek(int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soBeginning ? 0 : origin == soCurrent ? pos_ : size_;
  pos_ = std::max<int64_t>(0, base + offset);
  return pos_;
}

void TGIFReadBuffer::Sync() { source_.Seek(pos_, soBeginning); }

}  // namespace orv
