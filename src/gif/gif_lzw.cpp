#include "gif/gif_lzw.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "gif/gif_item.h"
#include "gif/gif_read.h"

namespace orv {

namespace {

constexpr int kTableSize = 4096;
// A chain longer than the table can only be a loop.
constexpr int kMaxChainLinks = kTableSize;

constexpr uint32_t kCodeMask[16] = {0x0000, 0x0001, 0x0003, 0x0007, 0x000F, 0x001F, 0x003F, 0x007F,
                                    0x00FF, 0x01FF, 0x03FF, 0x07FF, 0x0FFF, 0x1FFF, 0x3FFF, 0x7FFF};

// Copies a string that lies wholly before dst. Short strings move as two
// 8-byte words (loaded before stored, so reading past the string's end into
// dst is harmless); the buffer's slack covers the overshoot.
inline void CopyString(uint8_t* dst, const uint8_t* src, size_t n) {
  if (n <= 16) {
    uint64_t a, b;
    std::memcpy(&a, src, 8);
    std::memcpy(&b, src + 8, 8);
    std::memcpy(dst, &a, 8);
    std::memcpy(dst + 8, &b, 8);
  } else {
    std::memcpy(dst, src, n);
  }
}

}  // namespace

struct TGIFLZWDecoder::State {
  int clear = 0, end = 0, width = 0, next = 0, limit = 0;
  int old = 0;
  uint8_t first = 0;
  bool pending_clear = true, data_done = false, zero_seen = false, ended = false;
  int cur_bit = 0, end_bit = 0, buf_len = 2;
  // The previous code's string as it stands in the output, and whether it is
  // a faithful, final copy of that code's table string.
  bool prev_ok = false;
  size_t prev_pos = 0, prev_len = 0;
  uint16_t prefix[kTableSize] = {};
  uint8_t suffix[kTableSize] = {};
  // Where an entry's string was written; len 0 when it never was whole (the
  // entry is then expanded through the prefix chain).
  size_t pos[kTableSize] = {};
  uint16_t len[kTableSize] = {};
  uint8_t buf[257 + 15] = {};
  uint8_t stack[2 * kTableSize + 16];
};

TGIFLZWDecoder::TGIFLZWDecoder(TGIFReader& in, int min_code_size, WarningFn warn)
    : in_(in), warn_(std::move(warn)), s_(std::make_unique<State>()) {
  State& s = *s_;
  min_code_size = std::clamp(min_code_size, 0, kMaxLZWCodeSize);
  s.clear = 1 << min_code_size;
  s.end = s.clear + 1;
  s.width = min_code_size + 1;
  s.next = s.clear + 2;
  s.limit = 2 * s.clear;
  for (int k = 0; k < s.clear; ++k) s.suffix[k] = uint8_t(k);
}

TGIFLZWDecoder::~TGIFLZWDecoder() = default;

bool TGIFLZWDecoder::Refill(int width) {
  State& s = *s_;
  for (;;) {
    if (s.data_done) {
      if (s.cur_bit >= s.end_bit && warn_) warn_("Decoder bit buffer under-run");
      return false;
    }
    s.buf[0] = s.buf[s.buf_len - 2];
    s.buf[1] = s.buf[s.buf_len - 1];
    uint8_t size;
    if (!in_.TryU8(size)) return false;
    int n = size;
    if (n == 0) {
      s.data_done = s.zero_seen = true;
    } else {
      if (in_.Remaining() < size_t(n)) {
        if (warn_) warn_("Premature end of data");
        n = int(in_.Remaining());
      }
      if (n > 0) std::memcpy(s.buf + 2, in_.Bytes(size_t(n)), size_t(n));
    }
    s.buf_len = n + 2;
    s.cur_bit = s.cur_bit - s.end_bit + 16;
    s.end_bit = (n + 2) * 8;
    // A sub-block too short to finish the code (a 1-byte block under a wide
    // code) is followed by the next one rather than by stale buffer bytes.
    if (n == 0 || s.cur_bit + width <= s.end_bit) return true;
  }
}

int TGIFLZWDecoder::ReadCode(int width) {
  State& s = *s_;
  if (s.pending_clear) {
    s.pending_clear = false;
    return s.clear;
  }
  if (s.cur_bit + width >= s.end_bit && !Refill(width)) return -1;
  const int byte = s.cur_bit >> 3;
  if (byte + 2 >= int(sizeof(s.buf))) return -1;  // cannot happen; keeps the reads inside
  uint32_t v = uint32_t(s.buf[byte]) | (uint32_t(s.buf[byte + 1]) << 8) | (uint32_t(s.buf[byte + 2]) << 16);
  v = (v >> (s.cur_bit & 7)) & kCodeMask[width];
  s.cur_bit += width;
  return int(v);
}

void TGIFLZWDecoder::ResetTable() {
  State& s = *s_;
  for (int k = s.clear + 2; k < s.next; ++k) {
    s.prefix[k] = 0;
    s.suffix[k] = 0;
    s.len[k] = 0;
  }
  s.width = 0;
  while ((1 << s.width) < s.clear) ++s.width;
  s.width += 1;
  s.limit = 2 * s.clear;
  s.next = s.clear + 2;
  s.prev_ok = false;
}

long TGIFLZWDecoder::DecodeSlow(uint8_t* out, int code) {
  State& s = *s_;
  uint8_t* stack = s.stack;
  int top = 0;
  int c = code;
  if (c >= s.next) {
    stack[top++] = s.first;
    c = s.old;
  }
  int links = 0;
  while (c >= s.clear) {
    stack[top++] = s.suffix[c];
    if (s.prefix[c] == c || ++links > kMaxChainLinks) throw GIFException("Circular decoder table entry");
    c = s.prefix[c];
  }
  stack[top++] = s.suffix[c];
  for (int i = 0; i < top; ++i) out[i] = stack[top - 1 - i];
  return top;
}

long TGIFLZWDecoder::DecodeCodes(uint8_t* out, size_t pos) {
  State& s = *s_;
  if (s.ended) return -2;
  int code = ReadCode(s.width);
  if (code < 0) return code;
  if (code == s.clear) {
    ResetTable();
    do {
      code = ReadCode(s.width);
    } while (code == s.clear);
    if (code < 0) return code;
    // Taken as it comes, even when it is not a plain pixel.
    s.old = code;
    s.first = uint8_t(code);
    out[pos] = uint8_t(code);
    s.prev_ok = code < s.clear;
    s.prev_pos = pos;
    s.prev_len = 1;
    return 1;
  }
  if (code == s.end) {
    // The end of the data: nothing after it belongs to this frame.
    s.ended = true;
    if (!s.zero_seen) SkipSubBlocks(in_);
    return -2;
  }
  uint8_t* dst = out + pos;
  long n;
  bool stable;
  if (code < s.clear) {
    dst[0] = uint8_t(code);
    n = 1;
    stable = true;
  } else if (code < s.next && s.len[code]) {
    n = s.len[code];
    CopyString(dst, out + s.pos[code], size_t(n));
    stable = true;
  } else if (code >= s.next && s.prev_ok) {
    // The previous string followed by its own first pixel.
    CopyString(dst, out + s.prev_pos, s.prev_len);
    dst[s.prev_len] = s.first;
    n = long(s.prev_len) + 1;
    stable = code == s.next;
  } else {
    n = DecodeSlow(dst, code);
    stable = false;
  }
  const uint8_t first = dst[0];
  if (s.next < kTableSize) {
    const int k = s.next;
    s.prefix[k] = uint16_t(s.old);
    s.suffix[k] = first;
    if (s.prev_ok) {
      s.pos[k] = s.prev_pos;
      s.len[k] = uint16_t(s.prev_len + 1);
    } else {
      s.len[k] = 0;
    }
    ++s.next;
    if (s.next >= s.limit && s.limit < kTableSize) {
      s.limit *= 2;
      ++s.width;
    }
  }
  s.old = code;
  s.first = first;
  s.prev_ok = stable;
  s.prev_pos = pos;
  s.prev_len = size_t(n);
  return n;
}

size_t TGIFLZWDecoder::Decode(uint8_t* out, size_t count) {
  size_t pos = 0;
  while (pos < count) {
    long n = DecodeCodes(out, pos);
    if (n < 0) break;
    pos += size_t(n);
  }
  const size_t produced = std::min(pos, count);
  // One pixel more: taken from the last string when it ran past the frame,
  // else from the next code, which is normally the end code.
  if (pos <= count) DecodeCodes(out, pos);
  return produced;
}

void InterlacedRowOrder(int height, int* rows) {
  int row = 0, step = 8, pass = 0;
  for (int i = 0; i < height; ++i) {
    rows[i] = row;
    row += step;
    while (row >= height && i + 1 < height) {
      if (pass > 0) step /= 2;
      ++pass;
      row = step / 2;
    }
  }
}

void DecodeGIFImageData(TGIFReader& in, uint8_t* pixels, int width, int height, bool interlaced, uint8_t fill,
                        const TGIFLZWDecoder::WarningFn& warn) {
  const size_t count = (width > 0 && height > 0) ? size_t(width) * size_t(height) : 0;
  if (count) {
    std::memset(pixels, fill, count);
    std::memset(pixels + count, 0, kLZWOutputSlack);
  }
  uint8_t code_size;
  if (!in.TryU8(code_size)) return;
  if (code_size > kMaxLZWCodeSize) {
    // Codes would outgrow the 4096-entry table: the frame keeps its fill.
    if (warn) warn("Invalid LZW code size");
    SkipSubBlocks(in);
    return;
  }
  TGIFLZWDecoder decoder(in, code_size, warn);
  if (count == 0) {
    std::vector<uint8_t> scratch(kLZWOutputSlack);
    decoder.Decode(scratch.data(), 0);
    return;
  }
  if (!interlaced) {
    size_t got = decoder.Decode(pixels, count);
    if (got < count) std::memset(pixels + got, fill, count - got);
    return;
  }
  std::vector<uint8_t> linear(count + kLZWOutputSlack);
  size_t got = decoder.Decode(linear.data(), count);
  std::vector<int> rows(static_cast<size_t>(height));
  InterlacedRowOrder(height, rows.data());
  const size_t w = size_t(width);
  for (size_t i = 0; i * w < got; ++i)
    std::memcpy(pixels + size_t(rows[i]) * w, linear.data() + i * w, std::min(w, got - i * w));
}

void DecodeGIFImageData(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced, uint8_t fill,
                        const TGIFLZWDecoder::WarningFn& warn) {
  TStreamBytes bytes(stream);
  TGIFReader in(bytes.Data(), bytes.Size());
  try {
    DecodeGIFImageData(in, pixels, width, height, interlaced, fill, warn);
  } catch (...) {
    bytes.SetConsumed(in.Position());
    throw;
  }
  bytes.SetConsumed(in.Position());
}

}  // namespace orv
