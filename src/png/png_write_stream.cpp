#include "png/png_write_stream.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>
#include <vector>

#include "png/png_filters.h"
#include "platform/native.h"

namespace orv {

namespace {

constexpr uint8_t kSignature[8] = {137, 80, 78, 71, 13, 10, 26, 10};

void PutBE32(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x >> 24));
  v.push_back(uint8_t(x >> 16));
  v.push_back(uint8_t(x >> 8));
  v.push_back(uint8_t(x));
}
void PutBE16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(uint8_t(x >> 8));
  v.push_back(uint8_t(x));
}

int SourceBits(TPixelFormat pf) {
  switch (pf) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf15bit:
    case pfCustom: return 15;
    case pf16bit: return 16;
    // Device bitmaps hold 32-bit pixels on this platform.
    case pf32bit:
    case pfDevice: return 32;
    default: return 24;
  }
}

}  // namespace

TPNGWriteStream::TPNGWriteStream() = default;
TPNGWriteStream::~TPNGWriteStream() = default;

void TPNGWriteStream::SetIDATSize(int size) {
  if (size < 256 || size > 100000) throw EPNGError("Write PNG Param: Err IDAT Size(min:256  max:100000)");
  idat_size_ = size;
}

void TPNGWriteStream::WriteChunk(uint32_t type, const uint8_t* data, int64_t length) {
  const uint8_t t[4] = {uint8_t(type >> 24), uint8_t(type >> 16), uint8_t(type >> 8), uint8_t(type)};
  uLong crc = crc32(0L, t, 4);
  if (length > 0) crc = crc32_z(crc, data, size_t(length));
  WriteLongBE(uint32_t(length));
  WriteLongBE(type);
  if (length > 0) WriteBytes(data, length);
  WriteLongBE(uint32_t(crc));
}

int TPNGWriteStream::Luminance(TColor color) const {
  const TColor c = bitmap_->ResolveColor(color);
  return (GetRValue(c) * 77 + GetGValue(c) * 150 + GetBValue(c) * 29) / 256;
}

// A colour as a grey sample at the written depth.
int TPNGWriteStream::GreyLevel(TColor color) const {
  const int lum = Luminance(color);
  if (depth_ == 1) return lum >= 128 ? 1 : 0;
  if (depth_ == 4) return lum / 16;
  return lum;
}

void TPNGWriteStream::WriteGraphic() {
  const TBitmap& bmp = *bitmap_;
  source_bits_ = SourceBits(bmp.PixelFormat());
  row_bits_ = (source_bits_ == 15 || source_bits_ == 16) ? 24 : source_bits_;
  if (Grey && row_bits_ > 8) row_bits_ = 8;
  const TBitmap* alpha = AlphaSource;
  const bool alpha_usable = alpha && alpha != &bmp && !alpha->Empty() && alpha->Width() == bmp.Width() &&
                            alpha->Height() == bmp.Height() && alpha->PixelFormat() == pf8bit;
  use_alpha_ = false;
  if (Grey) {
    depth_ = row_bits_;
    color_type_ = 0;
    png_bpp_ = row_bits_;
    if (row_bits_ == 8 && alpha_usable) {
      color_type_ = 4;
      png_bpp_ = 16;
      use_alpha_ = true;
    }
  } else if (row_bits_ <= 8) {
    depth_ = row_bits_;
    color_type_ = 3;
    png_bpp_ = row_bits_;
  } else {
    depth_ = 8;
    use_alpha_ = alpha_usable;
    color_type_ = use_alpha_ ? 6 : 2;
    png_bpp_ = use_alpha_ ? 32 : 24;
  }

  struct Release {
    TPNGWriteStream* s;
    ~Release() {
      s->deflate_.ReleaseDeflate();
      s->rows_.reset();
    }
  } release{this};

  ProgressStart();
  ProgressPhase(10, 30);
  if (WriteSignature) WriteBytes(kSignature, 8);
  WriteHeaderChunks();
  ProgressUpdate(10);
  if (!StopFlag) WriteImageData();
  if (!StopFlag) {
    WriteChunk(ChunkType("IEND"), nullptr, 0);
    ProgressEnd();
  }
}

void TPNGWriteStream::WriteText(const std::string& keyword, const std::string& text) {
  if (text.empty() || keyword.size() >= 80) return;
  std::vector<uint8_t> data(keyword.begin(), keyword.end());
  data.push_back(0);
  data.insert(data.end(), text.begin(), text.end());
  WriteChunk(ChunkType("tEXt"), data.data(), int64_t(data.size()));
}

void TPNGWriteStream::WriteHeaderChunks() {
  const TBitmap& bmp = *bitmap_;
  std::vector<uint8_t> d;
  PutBE32(d, uint32_t(bmp.Width()));
  PutBE32(d, uint32_t(bmp.Height()));
  d.insert(d.end(), {uint8_t(depth_), uint8_t(color_type_), 0, 0, uint8_t(Interlaced ? 1 : 0)});
  WriteChunk(ChunkType("IHDR"), d.data(), int64_t(d.size()));

  TPNGTime t{};
  bool have_time = false;
  if (WriteCurrentTime) {
    const native::UtcTime u = native::UtcNow();
    t = TPNGTime{uint16_t(u.year), uint8_t(u.month), uint8_t(u.day),
                 uint8_t(u.hour), uint8_t(u.minute), uint8_t(u.second)};
    have_time = true;
  } else if (TimeStorage) {
    t = *TimeStorage;
    have_time = true;
  }
  if (have_time && t.year > 0 && t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31 && t.hour < 24 &&
      t.minute < 60 && t.second < 61) {
    d.clear();
    PutBE16(d, t.year);
    d.insert(d.end(), {t.month, t.day, t.hour, t.minute, t.second});
    WriteChunk(ChunkType("tIME"), d.data(), 7);
  }

  WriteText("Comment", Comment);
  WriteText("Software", "OrvannePNG ver 3.4");

  static const uint8_t tpng[8] = {'O', 'R', 'V', '3', 0, 0, 0, 0};
  WriteChunk(ChunkType("tpNG"), tpng, 8);

  if (GIFControlStorage) {
    const TPNGGIFControl& g = *GIFControlStorage;
    if (g[0] || g[1] || g[2] || g[3]) WriteChunk(ChunkType("gIFg"), g.data(), 4);
  }
  const long gamma = std::lround(Gamma * 100000);
  if (gamma > 0 && gamma <= 0xFFFFFFFFL) {
    d.clear();
    PutBE32(d, uint32_t(gamma));
    WriteChunk(ChunkType("gAMA"), d.data(), 4);
  }
  if (ChromaticityStorage && (*ChromaticityStorage)[0] != 0 && (*ChromaticityStorage)[1] != 0) {
    d.clear();
    for (uint32_t v : *ChromaticityStorage) PutBE32(d, v);
    WriteChunk(ChunkType("cHRM"), d.data(), 32);
  }
  int32_t sbit = SignificantBits;
  if (source_bits_ == 15) sbit = 0x050505;
  if (source_bits_ == 16) sbit = 0x050605;
  if ((source_bits_ == 15 || source_bits_ == 16) && use_alpha_) sbit |= 0x08000000;
  if (sbit > 0 && !Grey) {
    d.clear();
    const int n = use_alpha_ ? 4 : 3;
    for (int i = 0; i < n; ++i) d.push_back(uint8_t(uint32_t(sbit) >> (8 * i)));
    WriteChunk(ChunkType("sBIT"), d.data(), n);
  }
  const bool palette_mode = !Grey && row_bits_ <= 8;
  if (palette_mode && bmp.PaletteCount() > 0) {
    d.clear();
    const int count = std::min(bmp.PaletteCount(), 256);
    for (int i = 0; i < count; ++i) {
      const TRGBQuad& q = bmp.Palette()[i];
      d.insert(d.end(), {q.rgbRed, q.rgbGreen, q.rgbBlue});
    }
    WriteChunk(ChunkType("PLTE"), d.data(), int64_t(d.size()));
  }
  // bKGD and tRNS share the colour forms; the palette form differs.
  auto palette_index = [&](TColor c) -> int {
    if (IsPaletteIndexColor(c)) return c & 0xFF;
    if (bmp.PaletteCount() <= 0) return -1;
    return bmp.NearestPaletteIndex(c);
  };
  auto color_form = [&](TColor c) {
    d.clear();
    if (Grey) {
      PutBE16(d, uint32_t(GreyLevel(c)));
    } else {
      const TColor rgb = bmp.ResolveColor(c);
      PutBE16(d, uint32_t(GetRValue(rgb)));
      PutBE16(d, uint32_t(GetGValue(rgb)));
      PutBE16(d, uint32_t(GetBValue(rgb)));
    }
  };
  if (BackgroundColor != -1) {
    if (palette_mode) {
      const int index = palette_index(BackgroundColor);
      if (index >= 0) {
        const uint8_t b = uint8_t(index);
        WriteChunk(ChunkType("bKGD"), &b, 1);
      }
    } else {
      color_form(BackgroundColor);
      WriteChunk(ChunkType("bKGD"), d.data(), int64_t(d.size()));
    }
  }
  if (TransparentColor != -1 && !use_alpha_) {
    if (palette_mode) {
      const int index = palette_index(TransparentColor);
      if (index >= 0) {
        std::vector<uint8_t> alpha(size_t(index) + 1, 255);
        alpha[size_t(index)] = 0;
        WriteChunk(ChunkType("tRNS"), alpha.data(), int64_t(alpha.size()));
      }
    } else {
      color_form(TransparentColor);
      WriteChunk(ChunkType("tRNS"), d.data(), int64_t(d.size()));
    }
  }
  if (PixelsPerUnitX >= 1 && PixelsPerUnitY >= 1) {
    uint32_t x = uint32_t(PixelsPerUnitX), y = uint32_t(PixelsPerUnitY);
    uint8_t unit = 0;
    if (PhysicalUnit == 1) {
      unit = 1;
    } else if (PhysicalUnit == 2) {
      x = uint32_t(std::llround(x * 100 / 2.54));
      y = uint32_t(std::llround(y * 100 / 2.54));
      unit = 1;
    }
    d.clear();
    PutBE32(d, x);
    PutBE32(d, y);
    d.push_back(unit);
    WriteChunk(ChunkType("pHYs"), d.data(), 9);
  }
}

}  // namespace orv
