// The GIF flavour of LZW decoding: codes packed least significant bit first in
// a chain of sub-blocks, read through a bit buffer refilled one sub-block at a
// time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "gif/gif_read.h"
#include "platform/stream.h"

namespace orv {

// Output buffers handed to the decoder need this many bytes beyond the
// pixels asked for: the last string is always written whole.
constexpr size_t kLZWOutputSlack = 4096 + 64;
// Largest minimum code size the tables can serve (codes stay below 4096).
constexpr int kMaxLZWCodeSize = 11;

class TGIFLZWDecoder {
 public:
  using WarningFn = std::function<void(const std::string&)>;

  // The decoder reads from the byte after the minimum code size.
  TGIFLZWDecoder(TGIFReader& in, int min_code_size, WarningFn warn);
  ~TGIFLZWDecoder();
  TGIFLZWDecoder(const TGIFLZWDecoder&) = delete;
  TGIFLZWDecoder& operator=(const TGIFLZWDecoder&) = delete;

  // Decodes count pixels into out (count + kLZWOutputSlack bytes of room),
  // then asks for one pixel more, which normally meets the end code and skips
  // what is left of the data. Returns the number of pixels decoded (less than
  // count when the data ended early). Raises GIFException "Circular decoder
  // table entry" on a table that loops.
  size_t Decode(uint8_t* out, size_t count);

  // The next code of the given width, or -1 when no more data can be had.
  int ReadCode(int width);

 private:
  struct State;
  bool Refill(int width);
  long DecodeCodes(uint8_t* out, size_t pos);
  long DecodeSlow(uint8_t* out, int code);
  void ResetTable();

  TGIFReader& in_;
  WarningFn warn_;
  std::unique_ptr<State> s_;
};

// Decodes a frame's image data (minimum code size byte and sub-blocks) into
// pixels, width x height bytes in top-to-bottom row order; interlaced data is
// put into its rows. The buffer needs kLZWOutputSlack spare bytes and is
// first filled with `fill`; pixels the data does not reach keep it.
void DecodeGIFImageData(TGIFReader& in, uint8_t* pixels, int width, int height, bool interlaced, uint8_t fill,
                        const TGIFLZWDecoder::WarningFn& warn);
// The same from a stream's position; the stream is left after what was read,
// whether the decoding ends or raises.
void DecodeGIFImageData(TStream& stream, uint8_t* pixels, int width, int height, bool interlaced, uint8_t fill,
                        const TGIFLZWDecoder::WarningFn& warn);

// Row order of an interlaced frame: entry i is the row that the i-th row of
// data fills.
void InterlacedRowOrder(int height, int* rows);

}  // namespace orv
