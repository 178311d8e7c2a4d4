// Pixel memory. Blocks of screen size and above come from a small pool that
// keeps freed blocks: glibc hands out buffers that large as fresh mmaps, and
// touching a fresh 36 MB block costs ~90 ms of page faults on every picture.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

class PixelBlock {
 public:
  PixelBlock() = default;
  // Allocates size bytes; zeroed unless zero is false. Throws EOutOfMemory.
  PixelBlock(size_t size, bool zero);
  ~PixelBlock();
  // Copies hold the same bytes in a block of their own.
  PixelBlock(const PixelBlock& other);
  PixelBlock& operator=(const PixelBlock& other);
  PixelBlock(PixelBlock&& other) noexcept;
  PixelBlock& operator=(PixelBlock&& other) noexcept;

  uint8_t* data() const { return data_; }
  size_t size() const { return size_; }
  void reset();
  // Zeroes bytes [offset, offset + size). In a big block the whole pages
  // inside go back to the system, so rows cleared this way cost no memory.
  void Zero(size_t offset, size_t size);

 private:
  uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
};

// Blocks at least this large are pooled.
constexpr size_t kPooledBlockMin = 4u << 20;

// Pool statistics and control, for tests and benchmarks.
struct PixelPoolStats {
  size_t retained_blocks;
  size_t retained_bytes;
  size_t reuses;
  size_t fresh;
};
PixelPoolStats GetPixelPoolStats();
void TrimPixelPool();

}  // namespace orv
