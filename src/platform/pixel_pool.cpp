#include "platform/pixel_pool.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <vector>

#include "platform/exceptions.h"
#include "platform/native.h"

namespace orv {

namespace {

// A few blocks are enough: the display keeps three screen-size bitmaps and
// the current picture; anything beyond that is released at once.
constexpr size_t kMaxRetainedBlocks = 6;
constexpr size_t kMaxRetainedBytes = size_t(512) << 20;

struct Free {
  uint8_t* data;
  size_t capacity;
};

struct Pool {
  std::mutex mu;
  std::vector<Free> blocks;
  size_t bytes = 0;
  size_t reuses = 0;
  size_t fresh = 0;
};

// Big blocks sit on 2 MiB boundaries (see native::AllocateBigBlock).
constexpr size_t kHugePage = size_t(2) << 20;

uint8_t* AllocateBig(size_t size, size_t* capacity) {
  size_t cap = (size + kHugePage - 1) / kHugePage * kHugePage;
  uint8_t* p = native::AllocateBigBlock(cap);
  if (!p) return nullptr;
  *capacity = cap;
  return p;
}

Pool& ThePool() {
  static Pool* pool = new Pool;  // never destroyed: blocks may be freed during exit
  return *pool;
}

uint8_t* Take(size_t size, size_t* capacity) {
  Pool& p = ThePool();
  std::lock_guard<std::mutex> lock(p.mu);
  // Best fit, but never waste more than a quarter of a block.
  size_t best = p.blocks.size();
  for (size_t i = 0; i < p.blocks.size(); ++i) {
    size_t cap = p.blocks[i].capacity;
    if (cap >= size && cap - size <= cap / 4 &&
        (best == p.blocks.size() || cap < p.blocks[best].capacity))
      best = i;
  }
  if (best == p.blocks.size()) {
    ++p.fresh;
    return nullptr;
  }
  Free f = p.blocks[best];
  p.blocks.erase(p.blocks.begin() + static_cast<std::ptrdiff_t>(best));
  p.bytes -= f.capacity;
  ++p.reuses;
  *capacity = f.capacity;
  return f.data;
}

void Give(uint8_t* data, size_t capacity) {
  Pool& p = ThePool();
  {
    std::lock_guard<std::mutex> lock(p.mu);
    if (p.bytes + capacity <= kMaxRetainedBytes) {
      p.blocks.push_back({data, capacity});
      p.bytes += capacity;
      data = nullptr;
      while (p.blocks.size() > kMaxRetainedBlocks) {  // drop the oldest
        native::FreeBigBlock(p.blocks.front().data, p.blocks.front().capacity);
        p.bytes -= p.blocks.front().capacity;
        p.blocks.erase(p.blocks.begin());
      }
    }
  }
  if (data) native::FreeBigBlock(data, capacity);
}

}  // namespace

PixelBlock::PixelBlock(size_t size, bool zero) {
  if (size == 0) return;
  size_t capacity = size;
  uint8_t* data = nullptr;
  if (size >= kPooledBlockMin) {
    data = Take(size, &capacity);
  }
  if (data) {
    // A reused block's pages are already there: writing zeros is cheaper
    // than faulting them in again.
    if (zero) std::memset(data, 0, size);
  } else if (size >= kPooledBlockMin) {
    data = AllocateBig(size, &capacity);  // fresh, so already zero
    if (!data) throw EOutOfMemory(ORV_TRANSLATE_NOOP("Exception", "メモリが不足しています"));
  } else {
    capacity = size;
    data = static_cast<uint8_t*>(zero ? std::calloc(1, size) : std::malloc(size));
    if (!data) throw EOutOfMemory(ORV_TRANSLATE_NOOP("Exception", "メモリが不足しています"));
  }
  data_ = data;
  size_ = size;
  capacity_ = capacity;
}

PixelBlock::~PixelBlock() { reset(); }

PixelBlock::PixelBlock(const PixelBlock& other) : PixelBlock(other.size_, false) {
  if (size_) std::memcpy(data_, other.data_, size_);
}

PixelBlock& PixelBlock::operator=(const PixelBlock& other) {
  if (this != &other) *this = PixelBlock(other);
  return *this;
}

PixelBlock::PixelBlock(PixelBlock&& other) noexcept
    : data_(other.data_), size_(other.size_), capacity_(other.capacity_) {
  other.data_ = nullptr;
  other.size_ = other.capacity_ = 0;
}

PixelBlock& PixelBlock::operator=(PixelBlock&& other) noexcept {
  if (this != &other) {
    reset();
    data_ = other.data_;
    size_ = other.size_;
    capacity_ = other.capacity_;
    other.data_ = nullptr;
    other.size_ = other.capacity_ = 0;
  }
  return *this;
}

void PixelBlock::Zero(size_t offset, size_t size) {
  if (offset >= size_ || size == 0) return;
  size = std::min(size, size_ - offset);
  if (capacity_ >= kPooledBlockMin)
    native::ZeroBigBlockRange(data_, offset, size);
  else
    std::memset(data_ + offset, 0, size);
}

void PixelBlock::reset() {
  if (!data_) return;
  if (capacity_ >= kPooledBlockMin)
    Give(data_, capacity_);
  else
    std::free(data_);
  data_ = nullptr;
  size_ = capacity_ = 0;
}

PixelPoolStats GetPixelPoolStats() {
  Pool& p = ThePool();
  std::lock_guard<std::mutex> lock(p.mu);
  return {p.blocks.size(), p.bytes, p.reuses, p.fresh};
}

void TrimPixelPool() {
  Pool& p = ThePool();
  std::lock_guard<std::mutex> lock(p.mu);
  for (auto& b : p.blocks) native::FreeBigBlock(b.data, b.capacity);
  p.blocks.clear();
  p.bytes = 0;
}

}  // namespace orv
