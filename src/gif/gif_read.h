// Reading helpers shared by the GIF stream parts.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

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

inline uint16_t GetLE16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t GetLE32(const uint8_t* p) {
  return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

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
