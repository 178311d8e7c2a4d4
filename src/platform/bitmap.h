// TBitmap: a device-independent bitmap that owns its pixels. Rows are stored
// top row first, each padded to the DIB row size. Pixel layouts are those of a
// DIB: 24-bit blue, green, red; 32-bit blue, green, red, x; 16-bit 5-6-5;
// 15-bit 5-5-5 (in 16-bit words); 1, 4 and 8 bits index a palette that always
// has room for 256 entries (unused ones black).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/color.h"
#include "platform/pixel_pool.h"

namespace orv {

enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };

// Bits each pixel takes in memory (15-bit pixels are 16-bit words; the device
// format is 32-bit here).
int StorageBits(TPixelFormat pf);
bool IsPaletteFormat(TPixelFormat pf);
TPixelFormat PixelFormatForBits(int bits);  // 1,4,8,15,16,24,32; other values give pf24bit

// The DIB row size: ((width * bits + 7) / 8 + 3) rounded down to a multiple of
// 4. Returns 0 when the width is negative or the result would not fit.
size_t DibStride(int64_t width, int bits);

// Largest picture any decoder accepts: 2^28 pixels (2^22 in fuzz builds) and
// 65,535 pixels a side.
#ifndef ORV_MAX_PICTURE_PIXELS
#define ORV_MAX_PICTURE_PIXELS (int64_t(1) << 28)
#endif
constexpr int64_t kMaxPicturePixels = ORV_MAX_PICTURE_PIXELS;
constexpr int64_t kMaxPictureSide = 65535;
// True when a picture of this size may be allocated.
bool PictureSizeAllowed(int64_t width, int64_t height);
// The same by pixels alone, for formats whose sides may pass 65,535: a long
// thin picture costs no more than a square one.
bool PicturePixelsAllowed(int64_t width, int64_t height);

enum TTransparentMode { tmAuto, tmFixed };

enum TProgressStage { psStarting, psRunning, psEnding };

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};
inline TRect Rect(int l, int t, int r, int b) { return TRect{l, t, r, b}; }
inline TRect Bounds(int l, int t, int w, int h) { return TRect{l, t, l + w, t + h}; }

using TProgressEvent = std::function<void(void* sender, TProgressStage stage, int percent,
                                          bool redraw_now, const TRect& r, const std::string& msg)>;

// A handler that belongs to one object: a copy or a move of the object
// starts without it, and assigning another object keeps it.
template <class Function>
class TOwnHandler : public Function {
 public:
  using Function::Function;
  using Function::operator=;
  TOwnHandler() = default;
  TOwnHandler(const TOwnHandler&) noexcept : Function() {}
  TOwnHandler& operator=(const TOwnHandler&) noexcept { return *this; }
  TOwnHandler(TOwnHandler&&) noexcept : Function() {}
  TOwnHandler& operator=(TOwnHandler&&) noexcept { return *this; }
};

// A size that a move leaves at zero, so a moved-from bitmap is empty.
template <class T>
class TMovedZero {
 public:
  TMovedZero() = default;
  explicit TMovedZero(T v) : v_(v) {}
  TMovedZero& operator=(T v) {
    v_ = v;
    return *this;
  }
  TMovedZero(const TMovedZero&) = default;
  TMovedZero& operator=(const TMovedZero&) = default;
  TMovedZero(TMovedZero&& other) noexcept : v_(std::exchange(other.v_, T{})) {}
  TMovedZero& operator=(TMovedZero&& other) noexcept {
    v_ = std::exchange(other.v_, T{});
    return *this;
  }
  operator T() const { return v_; }

 private:
  T v_{};
};

class TBitmap {
 public:
  TBitmap() = default;
  TBitmap(int width, int height, TPixelFormat pf);

  // Copies pixels, format, palette and transparency (not the event handlers).
  void Assign(const TBitmap& other) { *this = other; }
  // Makes the bitmap empty (0 x 0), keeping its pixel format.
  void Clear();

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool Empty() const { return width_ == 0 || height_ == 0; }

  TPixelFormat PixelFormat() const { return format_; }
  int BitsPerPixel() const { return StorageBits(format_); }
  // Converts the pixels to the new format.
  void SetPixelFormat(TPixelFormat pf);

  // Resizes, keeping the overlapping top-left area; new pixels are zero.
  // Throws EOutOfMemory for sizes beyond PictureSizeAllowed.
  void SetSize(int width, int height);
  void SetWidth(int width) { SetSize(width, height_); }
  void SetHeight(int height) { SetSize(width_, height); }
  // Like SetSize on an empty bitmap, but new memory is not cleared: for
  // decoders that write every row.
  void Allocate(int width, int height, TPixelFormat pf, bool zero = true);

  // Zeroes rows [from, to); in a big bitmap their memory goes back to the
  // system, so rows a file did not hold cost nothing. Zeroed rows at either
  // end of the data rows leave them.
  void ZeroRows(int from, int to);

  // Rows [DataTop(), DataBottom()) hold what was written; the others are
  // zero bytes nobody has touched (a file that ran out). Readers that keep
  // to these rows give the rest the colour of zero bytes without reading
  // their memory: where the kernel maps no shared zero page, reading
  // untouched memory costs as much as writing it. Writing through ScanLine
  // or Bits takes the rows written back in.
  int DataTop() const { return data_top_; }
  int DataBottom() const { return data_bottom_; }
  bool HoldsData(int y) const { return y >= data_top_ && y < data_bottom_; }

  size_t Stride() const { return stride_; }
  uint8_t* ScanLine(int y) {
    if (!HoldsData(y)) TakeInRow(y);
    return pixels_.data() + size_t(y) * stride_;
  }
  const uint8_t* ScanLine(int y) const { return pixels_.data() + size_t(y) * stride_; }
  uint8_t* Bits() {
    data_top_ = 0;
    data_bottom_ = height_;
    return pixels_.data();
  }
  const uint8_t* Bits() const { return pixels_.data(); }
  size_t ImageSize() const { return stride_ * size_t(height_); }

  // Palette: room for 256 entries; PaletteCount() of them are in use.
  int PaletteCount() const { return palette_count_; }
  const TRGBQuad* Palette() const { return palette_.data(); }
  TRGBQuad* MutablePalette() { return palette_.data(); }
  void SetPalette(const TRGBQuad* entries, int count);
  void SetPaletteCount(int count);

  bool Transparent() const { return transparent_; }
  void SetTransparent(bool value) { transparent_ = value; }
  TTransparentMode TransparentMode() const { return transparent_mode_; }
  void SetTransparentMode(TTransparentMode mode) { transparent_mode_ = mode; }
  // In auto mode, the colour of the bottom-left pixel.
  TColor TransparentColor() const;
  void SetTransparentColor(TColor color);
  // The transparent colour as plain RGB (a palette-index colour resolved).
  TColor ResolvedTransparentColor() const;

  // Colour of one pixel (0x00BBGGRR), palette indexes resolved.
  TColor GetPixel(int x, int y) const;
  // Stores a colour; palette formats take the nearest palette entry.
  void SetPixel(int x, int y, TColor color);
  // Index of the palette entry nearest to a colour (sum of squared differences).
  int NearestPaletteIndex(TColor color) const;
  // Resolves a palette-index colour through the palette.
  TColor ResolveColor(TColor color) const;

  // Change notification (one subscriber) and progress (one subscriber).
  TOwnHandler<std::function<void()>> OnChange;
  TOwnHandler<TProgressEvent> OnProgress;
  void Changed() {
    if (OnChange) OnChange();
  }

 private:
  void TakeInRow(int y);

  // The pixels come first: a copy that fails to allocate them throws before
  // any other field has changed.
  PixelBlock pixels_;
  TMovedZero<int> width_;
  TMovedZero<int> height_;
  TPixelFormat format_ = pfDevice;
  TMovedZero<size_t> stride_;
  TMovedZero<int> data_top_;
  TMovedZero<int> data_bottom_;
  std::array<TRGBQuad, 256> palette_{};
  int palette_count_ = 0;
  bool transparent_ = false;
  TTransparentMode transparent_mode_ = tmAuto;
  TColor transparent_color_ = clNone;
};

// Converts count pixels of row y, from column x, into 32-bit blue-green-red-x
// words (x byte 0xFF). The caller keeps x and count inside the row. Rows
// outside the data rows give the colour of zero bytes and are not read.
void ReadRowBGRX(const TBitmap& bmp, int y, int x, int count, uint32_t* out);
// Stores count 32-bit words into row y from column x in the bitmap's format.
void WriteRowBGRX(TBitmap& bmp, int y, int x, int count, const uint32_t* in);

}  // namespace orv
