// TPNGReadStream: reads a PNG file into a TBitmap (chunk parsing here, the
// image data in png_scanlines.cpp) with an optional 8-bit alpha mask.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "png/byte_stream.h"
#include "png/png_error.h"
#include "png/zlib_adapter.h"

namespace orv {

// tIME as stored: year, month, day, hour, minute, second.
struct TPNGTime {
  uint16_t year = 0;
  uint8_t month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool operator==(const TPNGTime&) const = default;
};
using TPNGChromaticity = std::array<uint32_t, 8>;
using TPNGGIFControl = std::array<uint8_t, 4>;

// Chunk flags.
enum : uint8_t { cfIHDR = 1, cfDataDone = 2, cfIEND = 4, cfPLTE = 8, cftpNG = 16 };

constexpr uint32_t ChunkType(const char (&s)[5]) {
  return (uint32_t(uint8_t(s[0])) << 24) | (uint32_t(uint8_t(s[1])) << 16) | (uint32_t(uint8_t(s[2])) << 8) |
         uint32_t(uint8_t(s[3]));
}

// Marks a palette tRNS until SetupBitmap decides what it means.
constexpr int32_t kPendingPaletteTransparency = 0x1FFFFFF;

class TPNGReadStream : public TCustomGraphicReadStream {
 public:
  TPNGReadStream();
  ~TPNGReadStream() override;

  // Options and caller-owned storage (all optional).
  bool CheckSignature = true;
  bool Use16BitPixels = false;
  TBitmap* MaskBitmap = nullptr;
  TPNGTime* TimeStorage = nullptr;
  TPNGChromaticity* ChromaticityStorage = nullptr;
  TPNGGIFControl* GIFControlStorage = nullptr;
  std::vector<uint8_t>* ExifStorage = nullptr;  // the first eXIf chunk's bytes

  // What the read found.
  int64_t ChunkRemaining = 0;
  uint8_t ChunkFlags = 0;
  int32_t BaseColorType = -1;
  bool HasAlpha = false;
  bool IsGrey = false;
  int32_t InterlaceMethod = 0;
  int32_t TransparentColorValue = -1;
  int32_t BackgroundColorValue = -1;
  std::array<uint8_t, 256> PaletteAlpha{};
  bool UsePaletteMask = false;
  double Gamma = 0;
  uint32_t SignificantBits = 0;
  bool MaskActive() const { return mask_ != nullptr; }

 protected:
  void ReadGraphic() override;
  void SetupBitmap() override;

 private:
  void ChunkLoop();
  void ReadIHDR();
  void ReadPLTE();
  void ReadtRNS();
  void ReadbKGD();
  void ReadtEXt();
  void ReadtpNG();
  void ReadeXIf();
  int32_t SampleColor(int bits, uint16_t grey_or_red, uint16_t green, uint16_t blue) const;
  int32_t GreyColor(uint16_t sample) const;
  // Reads of a chunk's fields, each counted off the chunk's remaining length.
  uint8_t TakeByte();
  uint16_t TakeWord();
  uint32_t TakeLong();
  int64_t TakeBytes(uint8_t* out, int64_t count);  // the count read
  // Ends the inflate stream and frees the row buffers (on every way out of a read).
  void ReleaseDecoding();
  struct ReleaseOnExit {
    TPNGReadStream* stream;
    ~ReleaseOnExit() { stream->ReleaseDecoding(); }
  };

  // Image data (png_scanlines.cpp).
  void ReadImageData();
  void ChooseLayout();
  int FillInput();
  int ReadRow();
  int TakeStaged(uint8_t* dst, int64_t count, int* result);
  void DecodePasses();
  void ConvertAndStore(int y);
  void BuildPaletteMask();
  void ClearUnstoredRows();

  uint32_t chunk_type_ = 0;
  int ihdr_depth_ = 0;
  TBitmap* mask_ = nullptr;  // the mask bitmap while active
  TInflateAdapter inflate_;

  // Row pipeline.
  enum class Conv { kNone, kGrey2, kGrey16, kGreyAlpha8, kGreyAlpha16, kRGB8, kRGB16, kRGBA8, kRGBA16,
                    kRGB565, kRGBA565 };
  Conv conv_ = Conv::kNone;
  int filter_bpp_ = 0;  // filter bits per pixel
  int passes_minus_one_ = 0;
  int64_t pass_width_ = 0;
  int64_t row_length_ = 0;
  std::unique_ptr<uint8_t[]> row_block_;
  uint8_t* cur_row_ = nullptr;
  uint8_t* prev_row_ = nullptr;
  uint8_t* next_row_ = nullptr;  // a row already read and undone ahead
  bool next_ready_ = false;
  int64_t rows_left_in_pass_ = 0;
  uint8_t* conv_row_ = nullptr;
  uint8_t* mask_row_ = nullptr;
  int64_t conv_row_length_ = 0;
  int64_t rows_stored_ = 0;
  // Inflation runs in blocks of many rows (zlib's fast path needs room);
  // rows are then taken from the block. A failure inside a block surfaces
  // only when the rows reach it, so every row before it is still stored.
  std::unique_ptr<uint8_t[]> stage_;
  int64_t stage_size_ = 0, stage_pos_ = 0, stage_len_ = 0, image_bytes_left_ = 0;
  int stage_error_ = 0;
  bool pending_end_ = false, pending_stop_ = false;
  int RaisePending(int r);
  int64_t x_start_ = 0, x_step_ = 1, mask_x_start_ = 0, mask_x_step_ = 1;
};

}  // namespace orv
