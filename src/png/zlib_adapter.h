// The codec's bridge to zlib: an inflation side that hands out exactly the
// bytes asked for and pulls its input through a fill operation, and a
// deflation side that empties full output buffers through a flush operation.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <functional>
#include <memory>

namespace orv {

class TInflateAdapter {
 public:
  static constexpr int kInputSize = 32768;

  TInflateAdapter() = default;
  ~TInflateAdapter() { ReleaseInflate(); }
  TInflateAdapter(const TInflateAdapter&) = delete;
  TInflateAdapter& operator=(const TInflateAdapter&) = delete;

  // Refills the input (SetInput); 0 on success, non-zero on failure.
  std::function<int()> fill;

  int InitInflate();
  // Fills dst with count decompressed bytes; negative on failure.
  int InflateBytes(uint8_t* dst, int64_t count);
  // The same, also telling how many bytes arrived before a failure.
  int InflateBytes(uint8_t* dst, int64_t count, int64_t* produced);
  void ResetInflate();
  void ReleaseInflate();

  uint8_t* InputBuffer() { return input_.get(); }
  int InputBufferSize() const { return input_size_; }
  // Points the stream at the first n bytes of the input buffer.
  void SetInput(int n) {
    stream_.next_in = input_.get();
    stream_.avail_in = uInt(n);
  }

 private:
  z_stream stream_{};
  std::unique_ptr<uint8_t[]> input_;
  int input_size_ = 0;
  bool initialised_ = false;
  // zlib's own check is off (it cost about 7% of a decode); ours runs over
  // the output and is compared with the trailer when zlib reaches it.
  uint32_t adler_ = 1;
  bool CheckMatches() const;
};

class TDeflateAdapter {
 public:
  static constexpr int kDefaultBufferSize = 32768;
  static constexpr int kMaxBufferSize = 0x3FFFF;

  TDeflateAdapter() = default;
  ~TDeflateAdapter() { ReleaseDeflate(); }
  TDeflateAdapter(const TDeflateAdapter&) = delete;
  TDeflateAdapter& operator=(const TDeflateAdapter&) = delete;

  // Takes the used part of the output buffer; 0 on success.
  std::function<int(const uint8_t* data, int length)> flush;

  int InitDeflate(int level, int buffer_size);
  int DeflateBytes(const uint8_t* src, int64_t count);
  int FinishDeflate();
  void ReleaseDeflate();
  int BufferSize() const { return output_size_; }

 private:
  int Flush(int length);

  z_stream stream_{};
  std::unique_ptr<uint8_t[]> output_;
  int output_size_ = 0;
  bool initialised_ = false;
};

}  // namespace orv
