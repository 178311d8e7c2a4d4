// Buffered byte source shared by the picture readers, with progress
// reporting in phases. Counters are 64-bit so that streams beyond 2 GiB and
// lengths up to 2^32 - 1 taken from files cannot wrap.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/bitmap.h"
#include "platform/stream.h"

namespace orv {

class TCustomReadStream {
 public:
  static constexpr int64_t kWindowSize = 65536;

  TCustomReadStream() = default;
  virtual ~TCustomReadStream() = default;
  TCustomReadStream(const TCustomReadStream&) = delete;
  TCustomReadStream& operator=(const TCustomReadStream&) = delete;

  // Returns true to ask the reader to stop.
  virtual bool DoProgress(int percent);

  bool StopFlag = false;
  bool EndFlag = false;
  bool SkipMacBinary = false;
  bool MacBinaryFound() const { return macbinary_found_; }
  int64_t Consumed() const { return consumed_; }
  int64_t DataSize() const { return data_size_; }

 protected:
  // count <= 0 reads to the end of the stream.
  void OpenSource(TStream& stream, int64_t count);
  void CloseSource();
  // Copies count bytes or none; returns the count copied.
  int64_t ReadBytes(void* buffer, int64_t count);
  uint8_t ReadByte();
  uint16_t ReadWordBE();
  uint32_t ReadLongBE();
  void SkipBytes(int64_t count);
  // Moves no bytes itself: the caller has put `keep` leftover bytes at the
  // buffer's start; loads as much of the stream as fits behind them.
  void Refill(int64_t keep);

  void ProgressStart();
  void ProgressPhase(int kind, int64_t total, int percent);
  void ProgressUpdate(int64_t row);
  void ProgressEnd();

 private:
  // Makes at least n (<= 4) bytes available at the cursor; false at the end.
  bool Want(int64_t n);
  void Fire(int percent);

  TStream* source_ = nullptr;
  int64_t start_ = 0;
  int64_t data_size_ = 0;
  int64_t consumed_ = 0;
  std::unique_ptr<uint8_t[]> buffer_;
  const uint8_t* cursor_ = nullptr;
  int64_t buffered_ = 0;
  bool in_memory_ = false;
  bool macbinary_found_ = false;

  int progress_base_ = 0, progress_last_ = 0, progress_span_ = 0, progress_remaining_ = 0;
  int phase_kind_ = 0;
  int64_t phase_total_ = 1, phase_start_ = 0, phase_last_row_ = 0;
};

// A reader that builds a bitmap: the target, the picture's description and
// a palette buffer.
class TCustomGraphicReadStream : public TCustomReadStream {
 public:
  TCustomGraphicReadStream() { SkipMacBinary = true; }

  // The one entry point. A null bitmap reads the header only.
  void ReadImage(TBitmap* bitmap, TStream& stream, int64_t count);

  bool DoProgress(int percent) override;

  const std::string& Comment() const { return comment_; }
  int64_t ImageWidth() const { return width_; }
  int64_t ImageHeight() const { return height_; }
  int BitDepth() const { return bit_depth_; }
  int TargetBitsPerPixel() const { return target_bpp_; }
  int PaletteCount() const { return palette_count_; }
  uint8_t PhysicalUnit() const { return phys_unit_; }
  uint32_t PixelsPerUnitX() const { return ppu_x_; }
  uint32_t PixelsPerUnitY() const { return ppu_y_; }

 protected:
  virtual void ReadGraphic() = 0;
  // Gives the bitmap its pixel format, size and palette.
  virtual void SetupBitmap();
  TRGBQuad* NeedPalette();

  std::string comment_;
  int64_t width_ = 0, height_ = 0;
  int target_bpp_ = 24;
  int bit_depth_ = 0;
  int palette_count_ = 0;
  uint8_t phys_unit_ = 0;
  uint32_t ppu_x_ = 0, ppu_y_ = 0;
  TBitmap* bitmap_ = nullptr;
  std::unique_ptr<TRGBQuad[]> palette_;
  std::string progress_message_;
  bool header_only_ = false;
  // New pixel memory is cleared unless the reader writes every row itself.
  bool zero_fill_ = true;
};

}  // namespace orv
