// A bounds-checked little-endian reader over bytes in memory: every read of
// untrusted input goes through it, and a read past the end calls the
// caller's OnShort (which throws that format's own error) instead of
// reading on.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

template <auto OnShort>
class TLEReader {
 public:
  TLEReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

  uint8_t U8() {
    Need(1);
    return data_[pos_++];
  }
  uint16_t LE16() {
    Need(2);
    const uint8_t* p = data_ + pos_;
    pos_ += 2;
    return uint16_t(p[0] | (p[1] << 8));
  }
  uint32_t LE32() {
    Need(4);
    const uint8_t* p = data_ + pos_;
    pos_ += 4;
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
  }
  // The next n bytes, valid as long as the data is.
  const uint8_t* Bytes(size_t n) {
    Need(n);
    const uint8_t* p = data_ + pos_;
    pos_ += n;
    return p;
  }
  void Skip(size_t n) {
    Need(n);
    pos_ += n;
  }
  size_t Remaining() const { return size_ - pos_; }
  size_t Position() const { return pos_; }

 private:
  // Nothing moves when the read fails, so a caught failure leaves the
  // position where it was.
  void Need(size_t n) const {
    if (n > size_ - pos_) OnShort();
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
};

}  // namespace orv
