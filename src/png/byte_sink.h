// Buffered byte sink shared by the picture writers, with the same phased
// progress reporting as the byte source.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/bitmap.h"
#include "platform/stream.h"

namespace orv {

class TCustomWriteStream {
 public:
  static constexpr int64_t kBufferSize = 65536;

  TCustomWriteStream() : buffer_(new uint8_t[kBufferSize]) {}
  virtual ~TCustomWriteStream() = default;
  TCustomWriteStream(const TCustomWriteStream&) = delete;
  TCustomWriteStream& operator=(const TCustomWriteStream&) = delete;

  // Returns true to ask the writer to stop.
  virtual bool DoProgress(int percent);

  bool StopFlag = false;
  int64_t TotalWritten() const { return total_; }

 protected:
  void BindSink(TStream& stream);
  void WriteBytes(const void* buffer, int64_t count);
  void WriteLongBE(uint32_t value);
  void FlushSink();

  void ProgressStart();
  void ProgressPhase(int64_t total, int percent);
  void ProgressUpdate(int64_t row);
  void ProgressEnd();

 private:
  void Fire(int percent);

  TStream* target_ = nullptr;
  std::unique_ptr<uint8_t[]> buffer_;
  int64_t pos_ = 0;
  int64_t total_ = 0;
  int progress_base_ = 0, progress_last_ = 0, progress_span_ = 0, progress_remaining_ = 0;
  int64_t phase_total_ = 1;
};

class TCustomGraphicWriteStream : public TCustomWriteStream {
 public:
  // Writes the bitmap to the stream, then flushes what is buffered.
  void WriteImage(const TBitmap& bitmap, TStream& stream);
  bool DoProgress(int percent) override;

 protected:
  virtual void WriteGraphic() = 0;
  const TBitmap* bitmap_ = nullptr;
};

}  // namespace orv
