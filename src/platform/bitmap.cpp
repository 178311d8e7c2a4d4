#include "platform/bitmap.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/exceptions.h"

namespace orv {

int StorageBits(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pf16bit:
    case pfCustom: return 16;
    case pf24bit: return 24;
    case pf32bit:
    case pfDevice: return 32;
  }
  return 32;
}

bool IsPaletteFormat(TPixelFormat pf) { return pf == pf1bit || pf == pf4bit || pf == pf8bit; }

TPixelFormat PixelFormatForBits(int bits) {
  switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 15: return pf15bit;
    case 16: return pf16bit;
    case 32: return pf32bit;
    default: return pf24bit;
  }
}

size_t DibStride(int64_t width, int bits) {
  if (width < 0 || bits <= 0 || bits > 64) return 0;
  uint64_t w = uint64_t(width);
  if (w > (uint64_t(1) << 40)) return 0;
  uint64_t bytes = (w * uint64_t(bits) + 7) / 8;
  return size_t((bytes + 3) & ~uint64_t(3));
}

bool PictureSizeAllowed(int64_t width, int64_t height) {
  if (width < 0 || height < 0 || width > kMaxPictureSide || height > kMaxPictureSide) return false;
  return width * height <= kMaxPicturePixels;
}

bool PicturePixelsAllowed(int64_t width, int64_t height) {
  if (width < 0 || height < 0 || width > kMaxPicturePixels || height > kMaxPicturePixels) return false;
  return width * height <= kMaxPicturePixels;
}

namespace {

void CheckSize(int width, int height) {
  if (!PicturePixelsAllowed(width, height)) throw EOutOfMemory(ORV_TRANSLATE_NOOP("Exception", "画像が大きすぎます"));
}

// Default palettes for palette formats that get no palette of their own.
void FillDefaultPalette(TRGBQuad* pal, int* count, TPixelFormat pf) {
  if (pf == pf1bit) {
    pal[0] = ColorToQuad(clBlack);
    pal[1] = ColorToQuad(clWhite);
    *count = 2;
  } else if (pf == pf4bit) {
    static const TColor vga[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                   0x808000, 0x808080, 0xC0C0C0, 0x0000FF, 0x00FF00, 0x00FFFF,
                                   0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) pal[i] = ColorToQuad(vga[i]);
    *count = 16;
  } else {
    int n = 0;
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b) pal[n++] = ColorToQuad(RGB(r * 51, g * 51, b * 51));
    for (int i = 0; n < 256; ++i, ++n) {
      int v = 8 + i * 6;  // greys between the cube's levels
      pal[n] = ColorToQuad(RGB(v, v, v));
    }
    *count = 256;
  }
}

inline uint32_t Expand5(uint32_t v) { return (v << 3) | (v >> 2); }
inline uint32_t Expand6(uint32_t v) { return (v << 2) | (v >> 4); }

inline uint32_t QuadToPixel(const TRGBQuad& q) {
  return 0xFF000000u | uint32_t(q.rgbBlue) | (uint32_t(q.rgbGreen) << 8) | (uint32_t(q.rgbRed) << 16);
}

}  // namespace

TBitmap::TBitmap(int width, int height, TPixelFormat pf) {
  format_ = pf;
  if (IsPaletteFormat(pf)) FillDefaultPalette(palette_.data(), &palette_count_, pf);
  SetSize(width, height);
}


void TBitmap::Clear() {
  pixels_.reset();
  width_ = height_ = 0;
  stride_ = 0;
  data_top_ = data_bottom_ = 0;
}

void TBitmap::ZeroRows(int from, int to) {
  from = std::max(from, 0);
  to = std::min(to, int(height_));
  if (from >= to) return;
  pixels_.Zero(size_t(from) * stride_, size_t(to - from) * stride_);
  if (from <= data_top_)
    data_top_ = std::min(std::max(int(data_top_), to), int(data_bottom_));
  else if (to >= data_bottom_)
    data_bottom_ = std::max(from, int(data_top_));
}

void TBitmap::TakeInRow(int y) {
  if (y < 0 || y >= height_) return;
  if (data_top_ >= data_bottom_) {
    data_top_ = y;
    data_bottom_ = y + 1;
  } else {
    data_top_ = std::min(int(data_top_), y);
    data_bottom_ = std::max(int(data_bottom_), y + 1);
  }
}

void TBitmap::Allocate(int width, int height, TPixelFormat pf, bool zero) {
  CheckSize(width, height);
  if (IsPaletteFormat(pf) && !IsPaletteFormat(format_) && palette_count_ == 0)
    FillDefaultPalette(palette_.data(), &palette_count_, pf);
  size_t stride = DibStride(width, StorageBits(pf));
  PixelBlock block;
  if (width > 0 && height > 0) block = PixelBlock(stride * size_t(height), zero);
  pixels_ = std::move(block);
  format_ = pf;
  width_ = width;
  height_ = height;
  stride_ = (width > 0 && height > 0) ? stride : 0;
  data_top_ = 0;
  data_bottom_ = stride_ ? height : 0;
}

void TBitmap::SetSize(int width, int height) {
  if (width == width_ && height == height_) return;
  CheckSize(width, height);
  size_t stride = DibStride(width, BitsPerPixel());
  PixelBlock block;
  if (width > 0 && height > 0) {
    block = PixelBlock(stride * size_t(height), true);
    int rows = std::min<int>(height, height_);
    int64_t bits = int64_t(std::min<int>(width, width_)) * BitsPerPixel();
    size_t whole = size_t(bits / 8);
    int rest = int(bits % 8);
    for (int y = 0; y < rows; ++y) {
      uint8_t* dst = block.data() + size_t(y) * stride;
      const uint8_t* src = ScanLine(y);
      std::memcpy(dst, src, whole);
      if (rest) dst[whole] = uint8_t(src[whole] & (0xFF00 >> rest));
    }
  }
  pixels_ = std::move(block);
  width_ = width;
  height_ = height;
  stride_ = (width > 0 && height > 0) ? stride : 0;
  data_top_ = 0;
  data_bottom_ = stride_ ? height : 0;
}

void TBitmap::SetPixelFormat(TPixelFormat pf) {
  if (pf == format_) return;
  TPixelFormat old = format_;
  bool had_palette = IsPaletteFormat(old) && palette_count_ > 0;
  if (Empty()) {
    format_ = pf;
    if (IsPaletteFormat(pf) && !had_palette) FillDefaultPalette(palette_.data(), &palette_count_, pf);
    if (!IsPaletteFormat(pf)) palette_count_ = 0;
    pixels_.reset();
    stride_ = 0;
    data_top_ = data_bottom_ = 0;
    width_ = width_ < 0 ? 0 : width_;
    return;
  }
  TBitmap out;
  out.palette_ = palette_;
  out.palette_count_ = palette_count_;
  if (IsPaletteFormat(pf) && !had_palette) FillDefaultPalette(out.palette_.data(), &out.palette_count_, pf);
  if (IsPaletteFormat(pf) && IsPaletteFormat(old) && StorageBits(pf) < StorageBits(old)) {
    // Fewer index bits: keep only the entries the new format can address.
    out.palette_count_ = std::min(out.palette_count_, 1 << StorageBits(pf));
  }
  out.Allocate(width_, height_, pf, true);
  if (IsPaletteFormat(pf) && IsPaletteFormat(old) && StorageBits(pf) >= StorageBits(old)) {
    // More index bits: indexes stay as they are.
    int ob = StorageBits(old), nb = StorageBits(pf);
    for (int y = 0; y < height_; ++y) {
      const uint8_t* s = ScanLine(y);
      uint8_t* d = out.ScanLine(y);
      for (int x = 0; x < width_; ++x) {
        int64_t sb = int64_t(x) * ob;
        int idx = (s[sb / 8] >> (8 - ob - int(sb % 8))) & ((1 << ob) - 1);
        int64_t db = int64_t(x) * nb;
        int shift = 8 - nb - int(db % 8);
        uint8_t& byte = d[db / 8];
        byte = uint8_t((byte & ~(((1 << nb) - 1) << shift)) | (idx << shift));
      }
    }
  } else {
    std::vector<uint32_t> row(static_cast<size_t>(width_));
    for (int y = 0; y < height_; ++y) {
      ReadRowBGRX(*this, y, 0, width_, row.data());
      WriteRowBGRX(out, y, 0, width_, row.data());
    }
  }
  if (!IsPaletteFormat(pf)) out.palette_count_ = 0;
  pixels_ = std::move(out.pixels_);
  stride_ = out.stride_;
  data_top_ = out.data_top_;
  data_bottom_ = out.data_bottom_;
  format_ = pf;
  palette_ = out.palette_;
  palette_count_ = out.palette_count_;
}

void TBitmap::SetPalette(const TRGBQuad* entries, int count) {
  count = std::clamp(count, 0, 256);
  palette_.fill(TRGBQuad{});
  if (count > 0) std::memcpy(palette_.data(), entries, size_t(count) * sizeof(TRGBQuad));
  palette_count_ = count;
}

void TBitmap::SetPaletteCount(int count) { palette_count_ = std::clamp(count, 0, 256); }

TColor TBitmap::TransparentColor() const {
  if (transparent_mode_ == tmFixed) return transparent_color_;
  if (Empty()) return clNone;
  return GetPixel(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color) {
  transparent_color_ = color;
  transparent_mode_ = tmFixed;
}

TColor TBitmap::ResolveColor(TColor color) const {
  if (IsPaletteIndexColor(color)) return QuadToColor(palette_[size_t(color & 0xFF)]);
  return color & 0x00FFFFFF;
}

TColor TBitmap::ResolvedTransparentColor() const {
  TColor c = TransparentColor();
  return c == clNone ? clNone : ResolveColor(c);
}

TColor TBitmap::GetPixel(int x, int y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return clNone;
  uint32_t p;
  ReadRowBGRX(*this, y, x, 1, &p);
  return Pixel32ToColor(p);
}

void TBitmap::SetPixel(int x, int y, TColor color) {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return;
  uint32_t p = 0xFF000000u | ColorToPixel32(ResolveColor(color));
  WriteRowBGRX(*this, y, x, 1, &p);
}

int TBitmap::NearestPaletteIndex(TColor color) const {
  int n = palette_count_ > 0 ? palette_count_ : 1;
  int best = 0;
  int64_t best_d = INT64_MAX;
  int r = GetRValue(color), g = GetGValue(color), b = GetBValue(color);
  for (int i = 0; i < n; ++i) {
    const TRGBQuad& q = palette_[size_t(i)];
    int64_t dr = q.rgbRed - r, dg = q.rgbGreen - g, db = q.rgbBlue - b;
    int64_t d = dr * dr + dg * dg + db * db;
    if (d < best_d) {
      best_d = d;
      best = i;
      if (d == 0) break;
    }
  }
  return best;
}

void ReadRowBGRX(const TBitmap& bmp, int y, int x, int count, uint32_t* out) {
  const TRGBQuad* pal = bmp.Palette();
  if (!bmp.HoldsData(y)) {
    std::fill_n(out, count, IsPaletteFormat(bmp.PixelFormat()) ? QuadToPixel(pal[0]) : 0xFF000000u);
    return;
  }
  const uint8_t* row = bmp.ScanLine(y);
  switch (bmp.PixelFormat()) {
    case pf32bit:
    case pfDevice: {
      const uint8_t* s = row + size_t(x) * 4;
      for (int i = 0; i < count; ++i, s += 4) {
        uint32_t v;
        std::memcpy(&v, s, 4);
        out[i] = v | 0xFF000000u;
      }
      break;
    }
    case pf24bit: {
      const uint8_t* s = row + size_t(x) * 3;
      for (int i = 0; i < count; ++i, s += 3)
        out[i] = 0xFF000000u | s[0] | (uint32_t(s[1]) << 8) | (uint32_t(s[2]) << 16);
      break;
    }
    case pf16bit: {
      const uint8_t* s = row + size_t(x) * 2;
      for (int i = 0; i < count; ++i, s += 2) {
        uint32_t w = s[0] | (uint32_t(s[1]) << 8);
        out[i] = 0xFF000000u | Expand5(w & 31) | (Expand6((w >> 5) & 63) << 8) | (Expand5(w >> 11) << 16);
      }
      break;
    }
    case pf15bit:
    case pfCustom: {
      const uint8_t* s = row + size_t(x) * 2;
      for (int i = 0; i < count; ++i, s += 2) {
        uint32_t w = s[0] | (uint32_t(s[1]) << 8);
        out[i] = 0xFF000000u | Expand5(w & 31) | (Expand5((w >> 5) & 31) << 8) |
                 (Expand5((w >> 10) & 31) << 16);
      }
      break;
    }
    case pf8bit:
      for (int i = 0; i < count; ++i) out[i] = QuadToPixel(pal[row[x + i]]);
      break;
    case pf4bit:
      for (int i = 0; i < count; ++i) {
        int px = x + i;
        uint8_t b = row[px >> 1];
        out[i] = QuadToPixel(pal[(px & 1) ? (b & 15) : (b >> 4)]);
      }
      break;
    case pf1bit:
      for (int i = 0; i < count; ++i) {
        int px = x + i;
        out[i] = QuadToPixel(pal[(row[px >> 3] >> (7 - (px & 7))) & 1]);
      }
      break;
  }
}

void WriteRowBGRX(TBitmap& bmp, int y, int x, int count, const uint32_t* in) {
  uint8_t* row = bmp.ScanLine(y);
  switch (bmp.PixelFormat()) {
    case pf32bit:
    case pfDevice:
      std::memcpy(row + size_t(x) * 4, in, size_t(count) * 4);
      break;
    case pf24bit: {
      uint8_t* d = row + size_t(x) * 3;
      for (int i = 0; i < count; ++i, d += 3) {
        d[0] = uint8_t(in[i]);
        d[1] = uint8_t(in[i] >> 8);
        d[2] = uint8_t(in[i] >> 16);
      }
      break;
    }
    case pf16bit: {
      uint8_t* d = row + size_t(x) * 2;
      for (int i = 0; i < count; ++i, d += 2) {
        uint32_t p = in[i];
        uint32_t w = ((p >> 3) & 31) | (((p >> 10) & 63) << 5) | (((p >> 19) & 31) << 11);
        d[0] = uint8_t(w);
        d[1] = uint8_t(w >> 8);
      }
      break;
    }
    case pf15bit:
    case pfCustom: {
      uint8_t* d = row + size_t(x) * 2;
      for (int i = 0; i < count; ++i, d += 2) {
        uint32_t p = in[i];
        uint32_t w = ((p >> 3) & 31) | (((p >> 11) & 31) << 5) | (((p >> 19) & 31) << 10);
        d[0] = uint8_t(w);
        d[1] = uint8_t(w >> 8);
      }
      break;
    }
    case pf8bit:
    case pf4bit:
    case pf1bit: {
      uint32_t last = 0;
      int last_idx = -1;
      for (int i = 0; i < count; ++i) {
        uint32_t p = in[i] & 0xFFFFFF;
        if (last_idx < 0 || p != last) {
          last = p;
          last_idx = bmp.NearestPaletteIndex(Pixel32ToColor(p));
        }
        int px = x + i;
        if (bmp.PixelFormat() == pf8bit) {
          row[px] = uint8_t(last_idx);
        } else if (bmp.PixelFormat() == pf4bit) {
          uint8_t& b = row[px >> 1];
          b = (px & 1) ? uint8_t((b & 0xF0) | (last_idx & 15)) : uint8_t((b & 0x0F) | ((last_idx & 15) << 4));
        } else {
          uint8_t mask = uint8_t(0x80 >> (px & 7));
          if (last_idx & 1)
            row[px >> 3] |= mask;
          else
            row[px >> 3] &= uint8_t(~mask);
        }
      }
      break;
    }
  }
}

}  // namespace orv
