// PNG row filters: undoing them when reading (a portable path and an SSE2
// path that must give identical rows) and applying them when writing, plus
// the score the writer's adaptive mode ranks candidate rows by.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

// Undoes filter `type` on the n bytes at `row`, in place; `prev` holds the
// previous row's n unfiltered bytes (zeros for the first row of a pass).
// bpp is the whole bytes per pixel (at least 1). False for a type above 4.
bool UnfilterRow(int type, uint8_t* row, const uint8_t* prev, size_t n, int bpp);
bool UnfilterRowPortable(int type, uint8_t* row, const uint8_t* prev, size_t n, int bpp);
// The vectorised path (the portable one where SSE2 is missing).
bool UnfilterRowSimd(int type, uint8_t* row, const uint8_t* prev, size_t n, int bpp);

// Undoes Average (3) or Paeth (4) on two consecutive rows of that type at
// once: row0 against prev, row1 against row0. The two serial chains
// interleave, which hides most of the latency of one.
void UnfilterPair(int type, uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n, int bpp);
void UnfilterPairPortable(int type, uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n, int bpp);

// The Paeth predictor, ties resolved left, then up, then up-left.
inline uint8_t PaethPredictor(int left, int up, int up_left) {
  const int pa = up > up_left ? up - up_left : up_left - up;
  const int pb = left > up_left ? left - up_left : up_left - left;
  const int d = left + up - 2 * up_left;
  const int pc = d < 0 ? -d : d;
  if (pa <= pb && pa <= pc) return uint8_t(left);
  return pb <= pc ? uint8_t(up) : uint8_t(up_left);
}

// Writes filter `type` (0 to 4) of the n raw bytes into out[1..n] with the
// type byte in out[0].
void FilterRow(int type, const uint8_t* raw, const uint8_t* prev, size_t n, int bpp, uint8_t* out);

// Score of a candidate row of `length` bytes (type byte included); -1 when
// the row has 8 or fewer distinct byte values. `counters` has 256 entries.
int ScoreRow(const uint8_t* row, size_t length, int bits_per_pixel, uint32_t* counters);

}  // namespace orv
