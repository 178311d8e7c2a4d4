#include "gif/gif_builder.h"

#include <map>

namespace orv::test {

namespace {

class BitWriter {
 public:
  void Put(int value, int width) {
    acc_ |= uint64_t(value) << bits_;
    bits_ += width;
    while (bits_ >= 8) {
      data_.push_back(uint8_t(acc_));
      acc_ >>= 8;
      bits_ -= 8;
    }
  }
  Bytes Finish() {
    if (bits_ > 0) data_.push_back(uint8_t(acc_));
    acc_ = 0;
    bits_ = 0;
    return data_;
  }

 private:
  Bytes data_;
  uint64_t acc_ = 0;
  int bits_ = 0;
};

Bytes Blocks(int min_code_size, const Bytes& data, int block_size, bool terminator) {
  Bytes out{uint8_t(min_code_size)};
  for (size_t i = 0; i < data.size(); i += size_t(block_size)) {
    size_t n = std::min(data.size() - i, size_t(block_size));
    out.push_back(uint8_t(n));
    out.insert(out.end(), data.begin() + long(i), data.begin() + long(i + n));
  }
  if (terminator) out.push_back(0);
  return out;
}

void Put16(Bytes& b, int v) {
  b.push_back(uint8_t(v));
  b.push_back(uint8_t(v >> 8));
}

void PutTable(Bytes& b, const std::vector<uint32_t>& table) {
  size_t n = size_t(2) << TableSizeCode(table.size());
  for (size_t i = 0; i < n; ++i) {
    uint32_t c = i < table.size() ? table[i] : 0;
    b.push_back(uint8_t(c >> 16));
    b.push_back(uint8_t(c >> 8));
    b.push_back(uint8_t(c));
  }
}

}  // namespace

Bytes EncodeLZW(const Bytes& pixels, const LZWOptions& o) {
  const int clear = 1 << o.min_code_size, end = clear + 1;
  BitWriter w;
  int width = o.min_code_size + 1, next = clear + 2;
  std::map<std::pair<int, int>, int> table;
  auto reset = [&] {
    table.clear();
    width = o.min_code_size + 1;
    next = clear + 2;
  };
  w.Put(clear, width);
  if (o.double_clear) w.Put(clear, width);
  int prefix = -1, emitted = 0;
  for (uint8_t p : pixels) {
    if (prefix < 0) {
      prefix = p;
      continue;
    }
    auto it = table.find({prefix, p});
    if (it != table.end()) {
      prefix = it->second;
      continue;
    }
    w.Put(prefix, width);
    ++emitted;
    if (next < 4096) {
      table[{prefix, p}] = next++;
      // The decoder widens once its next entry reaches 1 << width; it adds
      // entries one code behind us.
      if (next > (1 << width) && width < 12) ++width;
    } else if (o.clear_when_full) {
      w.Put(clear, width);
      reset();
    }
    if (o.clear_every > 0 && emitted % o.clear_every == 0) {
      w.Put(clear, width);
      reset();
    }
    prefix = p;
  }
  if (prefix >= 0) w.Put(prefix, width);
  if (o.end_code) {
    // The decoder adds an entry for the code just sent before reading on.
    if (prefix >= 0 && next < 4096 && next + 1 > (1 << width) && width < 12) ++width;
    w.Put(end, width);
  }
  return Blocks(o.min_code_size, w.Finish(), o.block_size, o.terminator);
}

Bytes PackCodes(int min_code_size, const std::vector<Code>& codes, int block_size, bool terminator) {
  BitWriter w;
  for (const Code& c : codes) w.Put(c.value, c.width);
  return Blocks(min_code_size, w.Finish(), block_size, terminator);
}

int TableSizeCode(size_t n) {
  int code = 0;
  while ((size_t(2) << code) < n && code < 7) ++code;
  return code;
}

Bytes CommentBlock(const std::string& text) {
  Bytes b{0x21, 0xFE, uint8_t(text.size())};
  for (char ch : text) b.push_back(uint8_t(ch));
  b.push_back(0);
  return b;
}

Bytes AppBlock(const std::string& identity, const std::vector<Bytes>& sub_blocks, int block_size) {
  Bytes b{0x21, 0xFF, uint8_t(block_size)};
  for (int i = 0; i < block_size; ++i) b.push_back(i < int(identity.size()) ? uint8_t(identity[size_t(i)]) : 0);
  for (const Bytes& s : sub_blocks) {
    b.push_back(uint8_t(s.size()));
    b.insert(b.end(), s.begin(), s.end());
  }
  b.push_back(0);
  return b;
}

Bytes GceBlock(int disposal, int delay, int transparent, int packed_extra) {
  uint8_t packed = uint8_t(((disposal & 7) << 2) | (transparent >= 0 ? 1 : 0) | packed_extra);
  return Bytes{0x21, 0xF9, 4, packed, uint8_t(delay), uint8_t(delay >> 8), uint8_t(transparent >= 0 ? transparent : 0), 0};
}

std::vector<int> InterlaceRows(int height) {
  std::vector<int> rows;
  const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
  for (int pass = 0; pass < 4; ++pass)
    for (int y = starts[pass]; y < height; y += steps[pass]) rows.push_back(y);
  return rows;
}

Bytes BuildGif(const GifPlan& plan) {
  Bytes b(plan.signature.begin(), plan.signature.end());
  Put16(b, plan.width);
  Put16(b, plan.height);
  b.push_back(plan.global.empty() ? 0x70 : uint8_t(0xF0 | TableSizeCode(plan.global.size())));
  b.push_back(uint8_t(plan.background));
  b.push_back(0);
  if (!plan.global.empty()) PutTable(b, plan.global);
  for (size_t i = 0; i < plan.frames.size(); ++i) {
    const FramePlan& f = plan.frames[i];
    if (i == 0 && plan.loop_count >= 0)
      for (uint8_t x : AppBlock("NETSCAPE2.0", {{1, uint8_t(plan.loop_count), uint8_t(plan.loop_count >> 8)}}))
        b.push_back(x);
    for (const Bytes& e : f.extensions_before) b.insert(b.end(), e.begin(), e.end());
    if (f.gce || f.transparent >= 0) {
      Bytes g = GceBlock(f.disposal, f.delay, f.transparent);
      b.insert(b.end(), g.begin(), g.end());
    }
    b.push_back(0x2C);
    Put16(b, f.left);
    Put16(b, f.top);
    Put16(b, f.width);
    Put16(b, f.height);
    uint8_t packed = f.interlaced ? 0x40 : 0;
    if (!f.local.empty()) packed |= uint8_t(0x80 | TableSizeCode(f.local.size()));
    b.push_back(packed);
    if (!f.local.empty()) PutTable(b, f.local);
    Bytes data;
    if (!f.raw_data.empty()) {
      data = f.raw_data;
    } else if (f.interlaced) {
      // Rows go into the stream in interlace order.
      Bytes order;
      for (int y : InterlaceRows(f.height))
        order.insert(order.end(), f.pixels.begin() + long(y) * f.width, f.pixels.begin() + long(y + 1) * f.width);
      data = EncodeLZW(order, f.lzw);
    } else {
      data = EncodeLZW(f.pixels, f.lzw);
    }
    b.insert(b.end(), data.begin(), data.end());
  }
  if (plan.trailer) b.push_back(0x3B);
  return b;
}

}  // namespace orv::test
