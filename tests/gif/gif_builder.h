// Test-side GIF writer: an LZW encoder with knobs for the odd streams real
// encoders produce, a packer for hand-made code sequences, and a builder for
// whole GIF files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::test {

using Bytes = std::vector<uint8_t>;

struct LZWOptions {
  int min_code_size = 8;
  int block_size = 255;        // data sub-block size
  bool clear_when_full = true; // false: keep 12-bit codes once the table is full
  int clear_every = 0;         // extra clear code every n codes (0: never)
  bool double_clear = false;   // start with two clear codes
  bool end_code = true;
  bool terminator = true;
};

// Encodes pixels (each below 1 << min_code_size) as GIF image data: the
// minimum code size byte, the sub-blocks and the terminator.
Bytes EncodeLZW(const Bytes& pixels, const LZWOptions& options = {});

// Packs (code, width) pairs least significant bit first into image data.
struct Code {
  int value;
  int width;
};
Bytes PackCodes(int min_code_size, const std::vector<Code>& codes, int block_size = 255, bool terminator = true);

struct FramePlan {
  int left = 0, top = 0, width = 0, height = 0;
  Bytes pixels;                 // width * height indexes, top to bottom
  std::vector<uint32_t> local;  // 0xRRGGBB; empty: no local table
  bool interlaced = false;
  bool gce = false;
  int disposal = 0;
  int delay = 0;
  int transparent = -1;         // index, or -1
  LZWOptions lzw;
  Bytes raw_data;               // when set, used instead of encoding pixels
  std::vector<Bytes> extensions_before;  // raw extension blocks ahead of the GCE
};

struct GifPlan {
  std::string signature = "GIF89a";
  int width = 0, height = 0;
  std::vector<uint32_t> global;  // empty: no global table
  int background = 0;
  int loop_count = -1;           // >= 0: NETSCAPE2.0 block in the first frame
  std::vector<FramePlan> frames;
  bool trailer = true;
};

// Size code of a table with n entries (2 << code >= n).
int TableSizeCode(size_t n);
Bytes BuildGif(const GifPlan& plan);
Bytes CommentBlock(const std::string& text);
Bytes AppBlock(const std::string& identity, const std::vector<Bytes>& sub_blocks, int block_size = 11);
Bytes GceBlock(int disposal, int delay, int transparent, int packed_extra = 0);

// Interlaced row order of a frame of the given height (independent helper).
std::vector<int> InterlaceRows(int height);

}  // namespace orv::test
