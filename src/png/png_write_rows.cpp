// The image data of TPNGWriteStream: row conversion from the bitmap's
// layout, filter choice, and deflation into IDAT chunks.
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <utility>

#include "png/png_filters.h"
#include "png/png_write_stream.h"

namespace orv {

namespace {

struct Adam7Pass {
  int x_start, x_step, y_start, y_step;
};
constexpr Adam7Pass kAdam7[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                 {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

int64_t PassCount(int64_t size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

inline int Lum(int r, int g, int b) { return (r * 77 + g * 150 + b * 29) / 256; }

}  // namespace

void TPNGWriteStream::WriteImageData() {
  const TBitmap& bmp = *bitmap_;
  const int64_t w = bmp.Width(), h = bmp.Height();
  const size_t row_size = (DibStride(w, png_bpp_) + 39) & ~size_t(31);
  rows_.reset(new uint8_t[row_size * 4 + 256 * sizeof(uint32_t)]());
  uint8_t* raw = rows_.get();
  uint8_t* prev = raw + row_size;
  filtered_[0] = prev + row_size;
  filtered_[1] = filtered_[0] + row_size;
  counters_ = reinterpret_cast<uint32_t*>(filtered_[1] + row_size);

  grey_invert_ = false;
  if (Grey && source_bits_ <= 8) {
    const int count = bmp.PaletteCount();
    for (int i = 0; i < 256; ++i) grey_table_[i] = uint8_t(i);
    if (count > 0) {
      const TRGBQuad* pal = bmp.Palette();
      auto lum = [&](int i) { return Lum(pal[i].rgbRed, pal[i].rgbGreen, pal[i].rgbBlue); };
      if (source_bits_ == 1)
        grey_invert_ = count > 1 && lum(1) < lum(0);
      else
        for (int i = 0; i < std::min(count, 256); ++i) grey_table_[i] = uint8_t(source_bits_ == 4 ? lum(i) / 16 : lum(i));
    }
  }
  const int level = (CompressionLevel >= 0 && CompressionLevel <= 9) ? CompressionLevel : Z_DEFAULT_COMPRESSION;
  deflate_.flush = [this](const uint8_t* data, int length) {
    WriteChunk(ChunkType("IDAT"), data, length);
    return 0;
  };
  if (deflate_.InitDeflate(level, idat_size_) != 0) throw EPNGError("Write Image (PNG): Write Error");

  const int passes = Interlaced ? 7 : 1;
  int64_t total = 0;
  for (int p = 0; p < passes; ++p)
    total += Interlaced ? PassCount(h, kAdam7[p].y_start, kAdam7[p].y_step) : h;
  ProgressPhase(total, 0);
  int64_t counter = 1;
  for (int pass = 0; pass < passes && !StopFlag; ++pass) {
    const Adam7Pass p = Interlaced ? kAdam7[pass] : Adam7Pass{0, 1, 0, 1};
    const int64_t pass_w = PassCount(w, p.x_start, p.x_step);
    const int64_t rows = PassCount(h, p.y_start, p.y_step);
    if (Interlaced && pass > 0 && (pass_w == 0 || rows == 0)) continue;
    const size_t n = size_t((pass_w * png_bpp_ + 7) / 8);
    std::memset(prev, 0, n);
    for (int64_t i = 0, y = p.y_start; i < rows; ++i, y += p.y_step) {
      std::memset(raw, 0, n);
      if (pass_w > 0) ConvertRow(int(y), pass_w, p.x_start, p.x_step, raw);
      const uint8_t* out = FilterAndScore(raw, prev, n);
      if (deflate_.DeflateBytes(out, int64_t(n) + 1) < 0) throw EPNGError("Write Image (PNG): Write Error");
      std::swap(raw, prev);
      if (counter % 4 == 2 || h < 4) ProgressUpdate(counter);
      ++counter;
      if (StopFlag) break;
    }
  }
  if (deflate_.FinishDeflate() != 0) throw EPNGError("Write Image (PNG): Write Error");
}

void TPNGWriteStream::ConvertRow(int y, int64_t pass_w, int x_start, int x_step, uint8_t* raw) {
  const uint8_t* line = bitmap_->ScanLine(y);
  const uint8_t* mask = use_alpha_ ? AlphaSource->ScanLine(y) : nullptr;
  auto put_alpha = [&](uint8_t*& o, int64_t x) {
    if (mask) *o++ = uint8_t(255 - mask[x]);
  };
  switch (source_bits_) {
    case 1: {
      for (int64_t i = 0; i < pass_w; ++i) {
        const int64_t x = x_start + i * x_step;
        if ((line[x >> 3] >> (7 - (x & 7))) & 1) raw[i >> 3] |= uint8_t(0x80 >> (i & 7));
      }
      if (Grey && grey_invert_)
        for (int64_t i = 0, n = (pass_w + 7) / 8; i < n; ++i) raw[i] = uint8_t(~raw[i]);
      break;
    }
    case 4:
      for (int64_t i = 0; i < pass_w; ++i) {
        const int64_t x = x_start + i * x_step;
        int v = (x & 1) ? line[x >> 1] & 15 : line[x >> 1] >> 4;
        if (Grey) v = grey_table_[v] & 15;
        raw[i >> 1] |= uint8_t((i & 1) ? v : v << 4);
      }
      break;
    case 8: {
      uint8_t* o = raw;
      for (int64_t i = 0; i < pass_w; ++i) {
        const int64_t x = x_start + i * x_step;
        *o++ = Grey ? grey_table_[line[x]] : line[x];
        put_alpha(o, x);
      }
      break;
    }
    default: {
      uint8_t* o = raw;
      for (int64_t i = 0; i < pass_w; ++i) {
        const int64_t x = x_start + i * x_step;
        int r, g, b;
        if (source_bits_ == 15 || source_bits_ == 16) {
          const int word = line[2 * x] | (line[2 * x + 1] << 8);
          const int b5 = word & 31;
          b = b5 * 8 + b5 / 4;
          if (source_bits_ == 15) {
            const int r5 = (word >> 10) & 31, g5 = (word >> 5) & 31;
            r = r5 * 8 + r5 / 4;
            g = g5 * 8 + g5 / 8;
          } else {
            const int r5 = (word >> 11) & 31, g6 = (word >> 5) & 63;
            r = r5 * 8 + r5 / 4;
            g = g6 * 4 + g6 / 16;
          }
        } else {
          const uint8_t* px = line + x * (source_bits_ / 8);
          b = px[0], g = px[1], r = px[2];
        }
        if (Grey) {
          *o++ = uint8_t(Lum(r, g, b));
        } else {
          *o++ = uint8_t(r);
          *o++ = uint8_t(g);
          *o++ = uint8_t(b);
        }
        put_alpha(o, x);
      }
      break;
    }
  }
}

const uint8_t* TPNGWriteStream::FilterAndScore(const uint8_t* raw, const uint8_t* prev, size_t n) {
  const int bpp = std::max(1, (png_bpp_ + 7) / 8);
  if (FilterMode >= 2 && FilterMode <= 5) {
    FilterRow(FilterMode - 1, raw, prev, n, bpp, filtered_[0]);
    return filtered_[0];
  }
  FilterRow(0, raw, prev, n, bpp, filtered_[0]);
  if (FilterMode != 0) return filtered_[0];
  uint8_t* best = filtered_[0];
  int best_score = ScoreRow(best, n + 1, png_bpp_, counters_);
  if (best_score == -1) return best;
  if (row_bits_ == 1 || row_bits_ == 8)
    best_score *= 2;
  else if (row_bits_ == 4)
    return best;
  for (int type = 1; type <= 4; ++type) {
    uint8_t* cand = best == filtered_[0] ? filtered_[1] : filtered_[0];
    FilterRow(type, raw, prev, n, bpp, cand);
    const int score = ScoreRow(cand, n + 1, png_bpp_, counters_);
    if (score == -1) return cand;
    if (score > best_score) {
      best_score = score;
      best = cand;
    }
  }
  return best;
}

}  // namespace orv
