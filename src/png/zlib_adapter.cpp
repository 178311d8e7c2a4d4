#include "png/zlib_adapter.h"

#include "png/adler32.h"

#include <cstdlib>
#include <new>

namespace orv {

namespace {

// zlib's allocation hooks: a failure is reported as Z_NULL, never thrown
// through zlib's C frames.
voidpf ZAlloc(voidpf, uInt items, uInt size) {
  if (size != 0 && items > SIZE_MAX / size) return Z_NULL;
  return std::malloc(size_t(items) * size);
}

void ZFree(voidpf, voidpf address) { std::free(address); }

}  // namespace

int TInflateAdapter::InitInflate() {
  if (input_) ReleaseInflate();
  input_.reset(new (std::nothrow) uint8_t[kInputSize]);
  if (!input_) return -1;
  stream_ = z_stream{};
  stream_.next_in = input_.get();
  stream_.avail_in = 0;
  stream_.zalloc = ZAlloc;
  stream_.zfree = ZFree;
  stream_.opaque = Z_NULL;
  input_size_ = kInputSize;
  if (inflateInit(&stream_) != Z_OK) return -1;
  initialised_ = true;
  // zlib's Adler-32 cost about 7% of a decode; ours is checked instead.
  inflateValidate(&stream_, 0);
  adler_ = 1;
  return 0;
}

bool TInflateAdapter::CheckMatches() const {
  // Output is full before the trailer, so zlib reaches it only when all four
  // bytes are in the input it already has: they end at next_in.
  if (stream_.next_in - input_.get() < 4) return true;
  const uint8_t* c = stream_.next_in - 4;
  return ((uint32_t(c[0]) << 24) | (uint32_t(c[1]) << 16) | (uint32_t(c[2]) << 8) | c[3]) == adler_;
}

int TInflateAdapter::InflateBytes(uint8_t* dst, int64_t count) {
  int64_t produced;
  return InflateBytes(dst, count, &produced);
}

int TInflateAdapter::InflateBytes(uint8_t* dst, int64_t count, int64_t* produced) {
  *produced = 0;
  if (!initialised_ || count < 0 || count > int64_t(UINT32_MAX)) return -1;
  struct Produced {
    z_stream& s;
    int64_t count;
    int64_t* out;
    ~Produced() { *out = count - int64_t(s.avail_out); }
  } report{stream_, count, produced};
  stream_.next_out = dst;
  stream_.avail_out = uInt(count);
  int result = 0;
  while (stream_.avail_out > 0) {
    if (stream_.avail_in == 0) {
      const int r = fill ? fill() : -1;
      if (r != 0) return r;
    }
    const uInt in_before = stream_.avail_in, out_before = stream_.avail_out;
    uint8_t* const out_at = stream_.next_out;
    result = inflate(&stream_, Z_NO_FLUSH);
    adler_ = Adler32(adler_, out_at, size_t(stream_.next_out - out_at));
    if (result < 0) return result;
    // No preset dictionary is ever given, and a call that moved nothing
    // would only repeat itself.
    if (result == Z_NEED_DICT) return Z_DATA_ERROR;
    if (stream_.avail_in == in_before && stream_.avail_out == out_before) return Z_BUF_ERROR;
    // The compressed data ended before the request was met.
    if (result == Z_STREAM_END && stream_.avail_out > 0) return -1;
  }
  // The trailer was reached within this request: it counts.
  if (result == Z_STREAM_END && !CheckMatches()) return Z_DATA_ERROR;
  return result;
}

void TInflateAdapter::ResetInflate() {
  if (initialised_) inflateReset(&stream_);
  stream_.next_in = input_.get();
  stream_.avail_in = 0;
  adler_ = 1;
}

void TInflateAdapter::ReleaseInflate() {
  input_.reset();
  input_size_ = 0;
  if (initialised_) inflateEnd(&stream_);
  initialised_ = false;
}

// ---------------------------------------------------------------------------

int TDeflateAdapter::InitDeflate(int level, int buffer_size) {
  if (buffer_size <= 0 || buffer_size > kMaxBufferSize) buffer_size = kDefaultBufferSize;
  if (output_) ReleaseDeflate();
  output_.reset(new (std::nothrow) uint8_t[size_t(buffer_size)]);
  if (!output_) return -1;
  output_size_ = buffer_size;
  stream_ = z_stream{};
  stream_.next_out = output_.get();
  stream_.avail_out = uInt(output_size_);
  stream_.zalloc = ZAlloc;
  stream_.zfree = ZFree;
  stream_.opaque = Z_NULL;
  if (deflateInit(&stream_, level) != Z_OK) return -1;
  initialised_ = true;
  return 0;
}

int TDeflateAdapter::Flush(int length) {
  const int r = flush ? flush(output_.get(), length) : -1;
  stream_.next_out = output_.get();
  stream_.avail_out = uInt(output_size_);
  return r;
}

int TDeflateAdapter::DeflateBytes(const uint8_t* src, int64_t count) {
  if (!initialised_ || count < 0 || count > int64_t(UINT32_MAX)) return -1;
  stream_.next_in = const_cast<Bytef*>(src);
  stream_.avail_in = uInt(count);
  int result = 0;
  while (stream_.avail_in > 0) {
    result = deflate(&stream_, Z_NO_FLUSH);
    if (result < 0) return result;
    if (stream_.avail_out == 0) {
      const int r = Flush(output_size_);
      if (r != 0) return r;
    }
  }
  return result;
}

int TDeflateAdapter::FinishDeflate() {
  if (!initialised_) return -1;
  int result;
  do {
    result = deflate(&stream_, Z_FINISH);
    if (result < 0) return -1;
    if (result != Z_STREAM_END && stream_.avail_out == 0) {
      const int r = Flush(output_size_);
      if (r != 0) return r;
    }
  } while (result != Z_STREAM_END);
  int flushed = 0;
  const int used = output_size_ - int(stream_.avail_out);
  if (used > 0) flushed = Flush(used);
  deflateEnd(&stream_);
  initialised_ = false;
  return flushed;
}

void TDeflateAdapter::ReleaseDeflate() {
  output_.reset();
  output_size_ = 0;
  if (initialised_) deflateEnd(&stream_);
  initialised_ = false;
}

}  // namespace orv
