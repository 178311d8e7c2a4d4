#include "picture/bmp_pixels.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace orv::bmp {

MaskChannel::MaskChannel(uint32_t mask) : mask_(mask) {
  if (mask == 0) return;  // lut_ stays all zero
  shift_ = std::countr_zero(mask);
  const uint32_t top = mask >> shift_;
  const int width = 32 - std::countl_zero(top);
  if (width > 8) {
    wide_ = true;
    drop_ = width - 8;
    return;
  }
  // top < 2^width <= 256, so every value the mask can give has an entry.
  for (uint32_t v = 0; v <= top; ++v) {
    uint32_t acc = 0;
    int bits = 0;
    while (bits < 8) {
      acc = (acc << width) | v;
      bits += width;
    }
    lut_[v] = uint8_t(acc >> (bits - 8));
  }
}

MaskConverter::MaskConverter(const uint32_t masks[3], int source_bits)
    : red_(masks[0]), green_(masks[1]), blue_(masks[2]), source_bytes_(source_bits / 8) {}

void MaskConverter::ConvertRow(const uint8_t* src, int width, uint8_t* dst, int dst_bytes) const {
  for (int x = 0; x < width; ++x, src += source_bytes_, dst += dst_bytes) {
    uint32_t p = uint32_t(src[0]) | (uint32_t(src[1]) << 8);
    if (source_bytes_ == 4) p |= (uint32_t(src[2]) << 16) | (uint32_t(src[3]) << 24);
    dst[0] = blue_(p);
    dst[1] = green_(p);
    dst[2] = red_(p);
    if (dst_bytes == 4) dst[3] = 0;
  }
}

namespace {

// Writes palette indexes into one row, dropping those past its end.
class RowWriter {
 public:
  RowWriter(const TBitmap& bmp, bool rle4) : rle4_(rle4), width_(bmp.Width()) {}

  void Select(uint8_t* row) { row_ = row; }
  void Put(int64_t x, uint8_t index) {
    if (x >= width_) return;
    if (!rle4_) {
      row_[x] = index;
    } else {
      uint8_t& b = row_[x >> 1];
      b = (x & 1) ? uint8_t((b & 0xF0) | (index & 0x0F)) : uint8_t((b & 0x0F) | (index << 4));
    }
  }
  int Width() const { return width_; }

 private:
  bool rle4_;
  int width_;
  uint8_t* row_ = nullptr;
};

}  // namespace

PixelData::PixelData(TStream& stream, int64_t budget) : stream_(stream), budget_(budget) {}

size_t PixelData::Read(uint8_t* dst, size_t n) {
  size_t done = 0;
  while (done < n) {
    if (pos_ == len_) {
      const int64_t want = std::min<int64_t>(budget_, int64_t(sizeof buf_));
      const int64_t got = want > 0 ? std::max<int64_t>(0, stream_.Read(buf_, want)) : 0;
      if (got == 0) break;
      budget_ = got < want ? 0 : budget_ - got;
      pos_ = 0;
      len_ = size_t(got);
    }
    const size_t k = std::min(n - done, len_ - pos_);
    std::memcpy(dst + done, buf_ + pos_, k);
    pos_ += k;
    done += k;
  }
  return done;
}

void DecodeRle(PixelData& data, bool rle4, bool top_down, TBitmap& bmp) {
  const int64_t height = bmp.Height();
  RowWriter out(bmp, rle4);
  int64_t line = 0;  // stored row, counted from the first one in the file
  int64_t x = 0;
  auto select = [&] {
    if (line < height) out.Select(bmp.ScanLine(int(top_down ? line : height - 1 - line)));
  };
  select();
  uint8_t op[2];
  uint8_t literal[256];
  // Every step consumes at least two bytes, so the loop ends with the data.
  while (line < height && data.Read(op, 2) == 2) {
    const uint8_t count = op[0];
    const uint8_t value = op[1];
    if (count > 0) {  // a run of one index, or of two alternating nibbles
      const int64_t n = std::min<int64_t>(count, std::max<int64_t>(0, out.Width() - x));
      for (int64_t i = 0; i < n; ++i) {
        uint8_t index = !rle4 ? value : (i & 1) ? uint8_t(value & 0x0F) : uint8_t(value >> 4);
        out.Put(x + i, index);
      }
      x = std::min<int64_t>(x + count, out.Width());
      continue;
    }
    switch (value) {
      case 0:  // end of line
        x = 0;
        ++line;
        select();
        break;
      case 1:  // end of bitmap
        return;
      case 2: {  // delta: move right and up (in stored order)
        uint8_t delta[2];
        if (data.Read(delta, 2) != 2) return;
        x = std::min<int64_t>(x + delta[0], out.Width());
        if (delta[1] > 0) {
          line += delta[1];
          select();
        }
        break;
      }
      default: {  // absolute run of `value` indexes, padded to a 16-bit boundary
        const size_t bytes = rle4 ? (size_t(value) + 1) / 2 : value;
        const size_t avail = data.Read(literal, bytes + (bytes & 1));
        const int64_t pixels = std::min<int64_t>(value, rle4 ? int64_t(avail) * 2 : int64_t(avail));
        for (int64_t i = 0; i < pixels && x + i < out.Width(); ++i) {
          uint8_t b = literal[rle4 ? i / 2 : i];
          out.Put(x + i, !rle4 ? b : (i & 1) ? uint8_t(b & 0x0F) : uint8_t(b >> 4));
        }
        x = std::min<int64_t>(x + value, out.Width());
        break;
      }
    }
  }
}

}  // namespace orv::bmp
