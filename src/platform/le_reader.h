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
  // A reader over the next n bytes, so that a short record fails whole
  // before any of its fields is taken.
  TLEReader Slice(size_t n) { return TLEReader(Bytes(n), n); }

  // For formats where the end of the data is not an error at every step.
  bool TryU8(uint8_t& value) {
    if (pos_ == size_) return false;
    value = data_[pos_++];
    return true;
  }
  // The next byte without taking it; false at the end.
  bool PeekU8(uint8_t& value) const {
    if (pos_ == size_) return false;
    value = data_[pos_];
    return true;
  }
  // Skips n bytes or up to the end; returns how many were skipped.
  size_t SkipUpTo(size_t n) {
    n = n < size_ - pos_ ? n : size_ - pos_;
    pos_ += n;
    return n;
  }
  // Returns to a position read before (or any other up to the end).
  void Seek(size_t pos) {
    if (pos > size_) OnShort();
    pos_ = pos;
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
