// The image data of a PNG file: layout choice, row decoding through the
// inflater, filter undo, conversion into the bitmap's pixel layout, Adam7
// scattering, and the alpha and palette masks.
#include <algorithm>
#include <cstring>
#include <utility>

#include "png/png_convert.h"
#include "png/png_filters.h"
#include "png/png_read_stream.h"

namespace orv {

namespace {

constexpr uint32_t kIDAT = ChunkType("IDAT");
// Each inflate call ends by copying up to 32 KiB into zlib's window, so the
// staging block is large enough to make that copy rare (256 KiB cost 4%).
constexpr int64_t kStageSize = 1024 * 1024;

struct Adam7Pass {
  int x_start, x_step, y_start, y_step;
};
constexpr Adam7Pass kAdam7[7] = {{0, 8, 0, 8}, {4, 8, 0, 8}, {0, 4, 4, 8}, {2, 4, 0, 4},
                                 {0, 2, 2, 4}, {1, 2, 0, 2}, {0, 1, 1, 2}};

int64_t PassCount(int64_t size, int start, int step) { return size > start ? (size - start + step - 1) / step : 0; }

int64_t Adam7TotalRows(int64_t h) {
  return (h + 7) / 8 * 2 + (h + 3) / 8 + (h + 3) / 4 + (h + 1) / 4 + (h + 1) / 2 + h / 2;
}

inline uint16_t Pack565(int r, int g, int b) { return uint16_t((b >> 3) | ((g >> 2) << 5) | ((r >> 3) << 11)); }

}  // namespace

void TPNGReadStream::ChooseLayout() {
  const int d = ihdr_depth_;
  conv_ = Conv::kNone;
  switch (BaseColorType) {
    case 0:
      if (d != 1 && d != 2 && d != 4 && d != 8 && d != 16) throw EPNGError("Read Header(PNG): Error Bitdepth");
      if (HasAlpha && d < 8) throw EPNGError("Read Header(PNG): not Use AlphaChannel");
      if (HasAlpha) {
        target_bpp_ = 8;
        conv_ = d == 8 ? Conv::kGreyAlpha8 : Conv::kGreyAlpha16;
        filter_bpp_ = 2 * d;
      } else {
        target_bpp_ = d == 2 ? 4 : d == 16 ? 8 : d;
        conv_ = d == 2 ? Conv::kGrey2 : d == 16 ? Conv::kGrey16 : Conv::kNone;
        filter_bpp_ = d;
      }
      break;
    case 2: {
      if (d != 8 && d != 16) throw EPNGError("Read Header(PNG): Error BitDepth");
      target_bpp_ = 24;
      filter_bpp_ = (HasAlpha ? 4 : 3) * d;
      bit_depth_ = 3 * d;
      if (d == 8) {
        conv_ = HasAlpha ? Conv::kRGBA8 : Conv::kRGB8;
      } else {
        conv_ = HasAlpha ? Conv::kRGBA16 : Conv::kRGB16;
      }
      // 16-bit pixels only from 8-bit samples: the packing reads bytes.
      const uint32_t sig = SignificantBits & 0xFFFFFF;
      if (Use16BitPixels && d == 8 && (sig == 0x050505 || sig == 0x050605)) {
        target_bpp_ = 16;
        conv_ = HasAlpha ? Conv::kRGBA565 : Conv::kRGB565;
        bit_depth_ = sig == 0x050505 ? 15 : 16;
      }
      break;
    }
    case 3:
      if (d != 1 && d != 2 && d != 4 && d != 8) throw EPNGError("Read Header(PNG): Error BitDepth");
      target_bpp_ = d == 2 ? 4 : d;
      conv_ = d == 2 ? Conv::kGrey2 : Conv::kNone;
      filter_bpp_ = d;
      break;
    default:  // image data before IHDR: an empty picture
      target_bpp_ = 24;
      filter_bpp_ = 0;
      break;
  }
  passes_minus_one_ = InterlaceMethod == 1 ? 6 : 0;
}

int TPNGReadStream::FillInput() {
  if (ChunkRemaining <= 0) {
    SkipBytes(4);  // the CRC of the chunk just finished
    ChunkRemaining = ReadLongBE();
    chunk_type_ = ReadLongBE();
    if (chunk_type_ != kIDAT) return -1;
    // An empty IDAT where more data is needed is a read error even when the
    // rows inflated so far end on a row boundary (stored data may).
    if (ChunkRemaining <= 0) return -1;
  }
  const int n = int(std::min<int64_t>(ChunkRemaining, inflate_.InputBufferSize()));
  inflate_.SetInput(int(TakeBytes(inflate_.InputBuffer(), n)));
  return EndFlag ? -1 : 0;
}

// Copies count decompressed bytes out of the staging block, inflating more
// when it runs dry; 0 or a negative zlib result.
int TPNGReadStream::TakeStaged(uint8_t* dst, int64_t count, int* result) {
  while (count > 0) {
    if (stage_pos_ == stage_len_) {
      if (stage_error_ != 0) return RaisePending(stage_error_);
      const int64_t ask = std::min(stage_size_, image_bytes_left_);
      if (ask <= 0) return -1;
      int64_t got = 0;
      const bool end_before = EndFlag, stop_before = StopFlag;
      const int r = inflate_.InflateBytes(stage_.get(), ask, &got);
      // Flags that the read-ahead raised belong to the row that reaches
      // the end of this block, not to the rows before it.
      pending_end_ = EndFlag && !end_before;
      pending_stop_ = StopFlag && !stop_before;
      EndFlag = end_before;
      StopFlag = stop_before;
      if (r >= 0 && (pending_end_ || pending_stop_)) stage_error_ = -1;
      if (r < 0 && got == ask) --got;  // a failed check: the last row must not complete
      stage_pos_ = 0;
      stage_len_ = got;
      image_bytes_left_ -= got;
      if (r < 0) {
        stage_error_ = r;
        if (got == 0) return RaisePending(r);
      } else {
        *result = r;
      }
    }
    const int64_t n = std::min(count, stage_len_ - stage_pos_);
    std::memcpy(dst, stage_.get() + stage_pos_, size_t(n));
    stage_pos_ += n;
    dst += n;
    count -= n;
    if (stage_pos_ == stage_len_) RaisePending(0);
  }
  return 0;
}

int TPNGReadStream::RaisePending(int r) {
  EndFlag = EndFlag || pending_end_;
  StopFlag = StopFlag || pending_stop_;
  pending_end_ = pending_stop_ = false;
  return r;
}

int TPNGReadStream::ReadRow() {
  --rows_left_in_pass_;
  if (next_ready_) {
    std::swap(cur_row_, next_row_);
    next_ready_ = false;
    return 0;
  }
  int result = 0;
  const int r = TakeStaged(cur_row_, row_length_, &result);
  if (r < 0) return r;
  const int bpp = std::max(1, (filter_bpp_ + 7) / 8);
  const size_t n = size_t(row_length_ - 1);
  // Two Average or two Paeth rows in a row are undone together when the
  // second one is already inflated (so no error can come between them).
  const uint8_t type = cur_row_[0];
  if ((type == 3 || type == 4) && bpp >= 3 && rows_left_in_pass_ > 0 && stage_len_ - stage_pos_ >= row_length_ &&
      stage_[size_t(stage_pos_)] == type) {
    TakeStaged(next_row_, row_length_, &result);
    UnfilterPair(type, cur_row_ + 1, next_row_ + 1, prev_row_ + 1, n, bpp);
    next_ready_ = true;
    return result;
  }
  if (!UnfilterRow(cur_row_[0], cur_row_ + 1, prev_row_ + 1, n, bpp)) return -1;
  return result;
}

void TPNGReadStream::ReadImageData() {
  if (ChunkFlags & cfDataDone) {
    if (ChunkRemaining > 0) SkipBytes(ChunkRemaining);
    ChunkRemaining = 0;
    return;
  }
  ChooseLayout();
  if (header_only_) {
    if (ChunkRemaining > 0) SkipBytes(ChunkRemaining);
    ChunkRemaining = 0;
    ChunkFlags |= cfDataDone;
    return;
  }
  if (!PicturePixelsAllowed(width_, height_)) throw EPNGError("Read Header(PNG): Image too large");
  inflate_.fill = [this] { return FillInput(); };
  if (inflate_.InitInflate() != 0) {
    inflate_.ReleaseInflate();
    throw EPNGError("PNG LoadStream: Error ZLIB");
  }
  const int64_t w = width_, h = height_;
  rows_stored_ = 0;
  // Plain images write every row, so their pixels need no clearing unless
  // the read fails (see below); Adam7 passes keep neighbouring pixels.
  zero_fill_ = passes_minus_one_ != 0;
  struct Finally {
    TPNGReadStream* s;
    ~Finally() {
      s->ReleaseDecoding();
      s->stage_.reset();
      s->ClearUnstoredRows();
      s->ProgressPhase(0, 0, 0);
    }
  } finally{this};

  SetupBitmap();
  const size_t raw = DibStride(w, std::max(filter_bpp_, 1)) + 4;
  const size_t conv = DibStride(w, target_bpp_) + 4;
  const size_t mask = DibStride(w, 8);
  row_block_.reset(new uint8_t[3 * raw + conv + mask]);
  cur_row_ = row_block_.get();
  prev_row_ = cur_row_ + raw;
  next_row_ = prev_row_ + raw;
  next_ready_ = false;
  conv_row_ = next_row_ + raw;
  mask_row_ = conv_row_ + conv;
  conv_row_length_ = int64_t(conv) - 4;
  image_bytes_left_ = 0;
  for (int pass = 0; pass <= passes_minus_one_; ++pass) {
    const Adam7Pass p = passes_minus_one_ ? kAdam7[pass] : Adam7Pass{0, 1, 0, 1};
    const int64_t pass_w = PassCount(w, p.x_start, p.x_step), rows = PassCount(h, p.y_start, p.y_step);
    if (passes_minus_one_ && pass > 0 && (pass_w == 0 || rows == 0)) continue;
    image_bytes_left_ += rows * ((pass_w * filter_bpp_ + 7) / 8 + 1);
  }
  stage_size_ = std::min<int64_t>(kStageSize, std::max<int64_t>(image_bytes_left_, 1));
  stage_.reset(new uint8_t[size_t(stage_size_)]);
  stage_pos_ = stage_len_ = 0;
  stage_error_ = 0;
  pending_end_ = pending_stop_ = false;
  ProgressPhase(1, passes_minus_one_ ? Adam7TotalRows(h) : h, 98);
  DecodePasses();
  ChunkFlags |= cfDataDone;
}

void TPNGReadStream::DecodePasses() {
  const int64_t w = width_, h = height_;
  const int mult = target_bpp_ == 16 ? 2 : target_bpp_ == 24 ? 3 : 1;
  int64_t counter = 1;
  for (int pass = 0; pass <= passes_minus_one_; ++pass) {
    Adam7Pass p = passes_minus_one_ ? kAdam7[pass] : Adam7Pass{0, 1, 0, 1};
    const int64_t pass_w = PassCount(w, p.x_start, p.x_step);
    const int64_t rows = PassCount(h, p.y_start, p.y_step);
    if (passes_minus_one_ && pass > 0 && (pass_w == 0 || rows == 0)) continue;
    pass_width_ = pass_w;
    row_length_ = (pass_w * filter_bpp_ + 7) / 8 + 1;
    x_start_ = int64_t(p.x_start) * mult;
    x_step_ = int64_t(p.x_step) * mult;
    mask_x_start_ = p.x_start;
    mask_x_step_ = p.x_step;
    std::memset(prev_row_, 0, size_t(row_length_));
    rows_left_in_pass_ = rows;
    next_ready_ = false;
    int64_t y = p.y_start;
    for (int64_t i = 0; i < rows; ++i) {
      if (ReadRow() < 0) throw EPNGError("Read Image (PNG): Read Error");
      ConvertAndStore(int(y));
      std::swap(cur_row_, prev_row_);
      y += p.y_step;
      if (counter % 4 == 2 || h < 4) ProgressUpdate(counter);
      ++counter;
      if (StopFlag) break;
    }
    if (EndFlag || StopFlag) break;
  }
}

void TPNGReadStream::ClearUnstoredRows() {
  if (zero_fill_ || !bitmap_ || header_only_ || bitmap_->Empty()) return;
  bitmap_->ZeroRows(int(rows_stored_), bitmap_->Height());
  if (mask_ && !mask_->Empty()) mask_->ZeroRows(int(rows_stored_), mask_->Height());
  zero_fill_ = true;
}

void TPNGReadStream::ConvertAndStore(int y) {
  if (bitmap_->Empty()) return;
  const bool plain = passes_minus_one_ == 0;
  const uint8_t* src = cur_row_ + 1;
  const int64_t n = pass_width_;
  uint8_t* line = bitmap_->ScanLine(y);
  uint8_t* mline = mask_ ? mask_->ScanLine(y) : nullptr;
  // A plain row is converted straight into the scan line.
  uint8_t* out = plain ? line : conv_row_;
  uint8_t* mout = mask_ ? (plain ? mline : mask_row_) : nullptr;
  const uint8_t* stored = out;
  switch (conv_) {
    case Conv::kNone:
      if (plain) std::memcpy(line, src, size_t(row_length_ - 1));
      stored = src;
      break;
    case Conv::kGrey2:
      for (int64_t i = 0, bytes = (n + 3) / 4; i < bytes; ++i) {
        const uint8_t s = src[i];
        out[2 * i] = uint8_t(((s >> 6) << 4) | ((s >> 4) & 3));
        out[2 * i + 1] = uint8_t((((s >> 2) & 3) << 4) | (s & 3));
      }
      break;
    case Conv::kGrey16:
      for (int64_t i = 0; i < n; ++i) out[i] = src[2 * i];
      break;
    case Conv::kGreyAlpha8:
    case Conv::kGreyAlpha16: {
      const int step = conv_ == Conv::kGreyAlpha8 ? 2 : 4;
      for (int64_t i = 0; i < n; ++i) out[i] = src[step * i];
      if (mout)
        for (int64_t i = 0; i < n; ++i) mout[i] = uint8_t(255 - src[step * i + step / 2]);
      break;
    }
    case Conv::kRGB8:
      RGBToBGR(src, out, n);
      break;
    case Conv::kRGBA8:
      RGBAToBGR(src, out, mout, n);
      break;
    case Conv::kRGB16:
    case Conv::kRGBA16: {
      const int step = conv_ == Conv::kRGB16 ? 6 : 8;
      const int c = 2;  // bytes per sample
      for (int64_t i = 0; i < n; ++i) {
        const uint8_t* s = src + step * i;
        uint8_t* o = out + 3 * i;
        o[0] = s[2 * c], o[1] = s[c], o[2] = s[0];
      }
      if (mout && conv_ != Conv::kRGB16)
        for (int64_t i = 0; i < n; ++i) mout[i] = uint8_t(255 - src[step * i + 3 * c]);
      break;
    }
    case Conv::kRGB565:
    case Conv::kRGBA565: {
      const int step = conv_ == Conv::kRGB565 ? 3 : 4;
      for (int64_t i = 0; i < n; ++i) {
        const uint8_t* s = src + step * i;
        const uint16_t v = Pack565(s[0], s[1], s[2]);
        out[2 * i] = uint8_t(v);
        out[2 * i + 1] = uint8_t(v >> 8);
      }
      if (mout && step == 4)
        for (int64_t i = 0; i < n; ++i) mout[i] = uint8_t(255 - src[4 * i + 3]);
      break;
    }
  }
  if (plain) {
    rows_stored_ = y + 1;
    return;
  }
  // Adam7: scatter pixel i of the pass row to x = start + i * step.
  switch (target_bpp_) {
    case 1:
      for (int64_t i = 0; i < n; ++i) {
        const int bit = (stored[i >> 3] >> (7 - (i & 7))) & 1;
        const int64_t x = x_start_ + i * x_step_;
        const uint8_t m = uint8_t(0x80 >> (x & 7));
        line[x >> 3] = bit ? uint8_t(line[x >> 3] | m) : uint8_t(line[x >> 3] & ~m);
      }
      break;
    case 4:
      for (int64_t i = 0; i < n; ++i) {
        const int v = (stored[i >> 1] >> ((i & 1) ? 0 : 4)) & 15;
        const int64_t x = x_start_ + i * x_step_;
        uint8_t& b = line[x >> 1];
        b = (x & 1) ? uint8_t((b & 0xF0) | v) : uint8_t((b & 0x0F) | (v << 4));
      }
      break;
    case 8:
      for (int64_t i = 0; i < n; ++i) line[x_start_ + i * x_step_] = stored[i];
      break;
    case 16:
      for (int64_t i = 0; i < n; ++i) std::memcpy(line + x_start_ + i * x_step_, stored + 2 * i, 2);
      break;
    default:
      for (int64_t i = 0; i < n; ++i) std::memcpy(line + x_start_ + i * x_step_, stored + 3 * i, 3);
      break;
  }
  if (mline && mout)
    for (int64_t i = 0; i < n; ++i) mline[mask_x_start_ + i * mask_x_step_] = mout[i];
}

void TPNGReadStream::BuildPaletteMask() {
  const int bits = bitmap_->BitsPerPixel();
  const int w = std::min(bitmap_->Width(), mask_->Width());
  const int h = std::min(bitmap_->Height(), mask_->Height());
  for (int y = 0; y < h; ++y) {
    const uint8_t* line = bitmap_->ScanLine(y);
    uint8_t* m = mask_->ScanLine(y);
    for (int x = 0; x < w; ++x) {
      int index;
      if (bits == 1)
        index = (line[x / 8] >> (7 - x % 8)) & 1;
      else if (bits == 4)
        index = (x % 2 == 0) ? line[x / 2] >> 4 : line[x / 2] & 15;
      else
        index = line[x];
      m[x] = uint8_t(255 - PaletteAlpha[size_t(index)]);
    }
  }
  HasAlpha = true;
}

}  // namespace orv
