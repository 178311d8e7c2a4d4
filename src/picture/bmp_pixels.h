// Pixel data of bitmap files that cannot be copied row for row: channels
// given by arbitrary bit masks, and run-length encoded data.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "platform/bitmap.h"
#include "platform/stream.h"

namespace orv::bmp {

// One colour channel selected by a bit mask, widened or narrowed to 8 bits by
// repeating its bits from the top (5 bits v give v<<3 | v>>2, as the 5-5-5
// and 5-6-5 bitmap formats expand). A zero mask gives 0; masks may overlap or
// have holes.
class MaskChannel {
 public:
  explicit MaskChannel(uint32_t mask);
  uint8_t operator()(uint32_t pixel) const {
    uint32_t v = (pixel & mask_) >> shift_;
    return wide_ ? uint8_t(v >> drop_) : lut_[v];
  }

 private:
  uint32_t mask_ = 0;
  int shift_ = 0;
  int drop_ = 0;
  bool wide_ = false;
  std::array<uint8_t, 256> lut_{};
};

// Converts rows of 16- or 32-bit pixels with red, green and blue masks into
// blue, green, red bytes (24-bit rows) or blue, green, red, 0 (32-bit rows).
class MaskConverter {
 public:
  MaskConverter(const uint32_t masks[3], int source_bits);
  // src holds width source pixels; dst_bytes is 3 or 4 bytes per pixel.
  void ConvertRow(const uint8_t* src, int width, uint8_t* dst, int dst_bytes) const;

 private:
  MaskChannel red_, green_, blue_;
  int source_bytes_;
};

// At most `budget` bytes of pixel data, pulled from the stream in pieces so
// that no buffer grows with what the file claims.
class PixelData {
 public:
  PixelData(TStream& stream, int64_t budget);
  // Copies up to n bytes; fewer only at the end of the data.
  size_t Read(uint8_t* dst, size_t n);

 private:
  TStream& stream_;
  int64_t budget_;
  uint8_t buf_[65536];
  size_t pos_ = 0;
  size_t len_ = 0;
};

// Decodes 8-bit (rle4 false) or 4-bit run-length data into a palette bitmap of
// the matching format whose memory is zero: pixels the data skips (deltas,
// early ends of line or of the bitmap) keep index 0, and data that ends early
// leaves the rest as it is. Stored rows run bottom-up unless top_down.
// Tolerated, as other readers do: runs that overrun a row (the excess is
// dropped, not wrapped), data without an end-of-bitmap mark, and top-down
// run-length files, which the format does not provide for.
void DecodeRle(PixelData& data, bool rle4, bool top_down, TBitmap& bmp);

}  // namespace orv::bmp
