// Reading helpers shared by the GIF stream parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/le_reader.h"
#include "platform/stream.h"

namespace orv {

// Reads n bytes or raises GIFException "Premature end of data".
void ReadExact(TStream& stream, void* buffer, int64_t n);
// Reads one byte; false at the end of the stream.
bool ReadByte(TStream& stream, uint8_t& value);
// Moves the position forward by n bytes, no further than the end.
void SkipBytes(TStream& stream, int64_t n);
// Bytes between the position and the end (0 when past it).
int64_t BytesLeft(TStream& stream);
// Reads sub-blocks up to a zero size byte or the end of the stream; each
// sub-block becomes one string, cut at its first zero byte.
void ReadTextSubBlocks(TStream& stream, std::vector<std::string>& strings);

[[noreturn]] void ThrowPrematureEnd();
// Fields of bytes already read, taken in order.
using TGIFFields = TLEReader<ThrowPrematureEnd>;

// A fixed-size record read whole from the stream (a short one fails as
// ReadExact does), its fields then taken in order.
template <size_t N>
class TGIFRecord : public TGIFFields {
 public:
  explicit TGIFRecord(TStream& stream) : TGIFFields(bytes_, N) { ReadExact(stream, bytes_, N); }
  TGIFRecord(const TGIFRecord&) = delete;
  TGIFRecord& operator=(const TGIFRecord&) = delete;

 private:
  uint8_t bytes_[N];
};

// A read-ahead window over another stream, so that the reader's many small
// reads and one-byte steps back do not each reach the file. The position of
// the underlying stream is only moved by Sync().
class TGIFReadBuffer : public TStream {
 public:
  explicit TGIFReadBuffer(TStream& source);
  int64_t Read(void* buffer, int64_t count) override;
  int64_t Write(const void* buffer, int64_t count) override;
  int64_t Seek(int64_t offset, TSeekOrigin origin) override;
  int64_t Size() override { return size_; }
  // Puts the underlying stream at this stream's position.
  void Sync();

 private:
  TStream& source_;
  int64_t size_;
  int64_t pos_;
  int64_t window_start_;
  std::vector<uint8_t> window_;
};

}  // namespace orv
