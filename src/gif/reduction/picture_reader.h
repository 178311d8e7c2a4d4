// A picture as rows of 24-bit pixels (blue, green, red), the form in which
// the colour reductions read it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/bitmap.h"

namespace orv {

class TPictureReader {
 public:
  virtual ~TPictureReader() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  // Row y (0 <= y < Height()) as Width() blue, green, red triples; valid
  // until the next call.
  virtual const uint8_t* Row(int y) = 0;
};

// Reads a bitmap of any pixel format without changing it: 24-bit rows are
// handed out as they are, other formats are converted a row at a time, as
// switching the bitmap to 24 bits would convert them.
class TBitmapPictureReader final : public TPictureReader {
 public:
  explicit TBitmapPictureReader(const TBitmap& bitmap);
  int Width() const override { return bitmap_.Width(); }
  int Height() const override { return bitmap_.Height(); }
  const uint8_t* Row(int y) override;

 private:
  const TBitmap& bitmap_;
  std::vector<uint32_t> bgrx_;
  std::vector<uint8_t> bgr_;
};

}  // namespace orv
