// TPNGWriteStream: writes a TBitmap (and optionally its alpha mask) as a PNG
// file.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "png/byte_sink.h"
#include "png/png_error.h"
#include "png/png_read_stream.h"
#include "png/zlib_adapter.h"

namespace orv {

class TPNGWriteStream : public TCustomGraphicWriteStream {
 public:
  TPNGWriteStream();
  ~TPNGWriteStream() override;

  // Sizes from 256 to 100,000; others raise EPNGError.
  void SetIDATSize(int size);
  int IDATSize() const { return idat_size_; }

  int CompressionLevel = -1;  // 0 to 9; anything else is zlib's default
  uint8_t FilterMode = 1;     // 0 adaptive, 1 none, 2 Sub, 3 Up, 4 Average, 5 Paeth
  bool Interlaced = false;
  bool Grey = false;
  std::string Comment;
  int32_t BackgroundColor = -1;
  int32_t TransparentColor = -1;
  double Gamma = 0;
  int32_t SignificantBits = 0;
  int32_t PhysicalUnit = 0;
  int32_t PixelsPerUnitX = 0, PixelsPerUnitY = 0;
  bool WriteCurrentTime = true;
  const TPNGTime* TimeStorage = nullptr;
  const TPNGChromaticity* ChromaticityStorage = nullptr;
  const TPNGGIFControl* GIFControlStorage = nullptr;
  const TBitmap* AlphaSource = nullptr;  // 255 - alpha per pixel
  bool WriteSignature = true;

  // Writes one chunk: length, type, data, CRC-32 of type and data.
  void WriteChunk(uint32_t type, const uint8_t* data, int64_t length);

 protected:
  void WriteGraphic() override;

 private:
  void WriteHeaderChunks();
  void WriteText(const std::string& keyword, const std::string& text);
  void WriteImageData();
  void ConvertRow(int y, int64_t pass_w, int x_start, int x_step, uint8_t* raw);
  const uint8_t* FilterAndScore(const uint8_t* raw, const uint8_t* prev, size_t n);
  int GreyLevel(TColor color) const;
  int Luminance(TColor color) const;

  int idat_size_ = 32768;
  TDeflateAdapter deflate_;
  int source_bits_ = 24;
  int row_bits_ = 24;
  int png_bpp_ = 24;  // bits per PNG pixel
  int depth_ = 8;
  int color_type_ = 2;
  bool use_alpha_ = false;
  bool grey_invert_ = false;
  uint8_t grey_table_[256] = {};
  std::unique_ptr<uint8_t[]> rows_;
  uint8_t* filtered_[2] = {};
  uint32_t* counters_ = nullptr;
};

}  // namespace orv
