#include "png/png_filters.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

// Scalar undo of bytes [from, n); the bytes before `from` are already done.
void UnSub(uint8_t* row, size_t from, size_t n, int bpp) {
  for (size_t i = std::max<size_t>(from, size_t(bpp)); i < n; ++i) row[i] = uint8_t(row[i] + row[i - bpp]);
}

void UnUp(uint8_t* row, const uint8_t* prev, size_t from, size_t n) {
  for (size_t i = from; i < n; ++i) row[i] = uint8_t(row[i] + prev[i]);
}

void UnAvg(uint8_t* row, const uint8_t* prev, size_t from, size_t n, int bpp) {
  size_t i = from;
  for (; i < n && i < size_t(bpp); ++i) row[i] = uint8_t(row[i] + (prev[i] >> 1));
  for (; i < n; ++i) row[i] = uint8_t(row[i] + ((row[i - bpp] + prev[i]) >> 1));
}

void UnPaeth(uint8_t* row, const uint8_t* prev, size_t from, size_t n, int bpp) {
  size_t i = from;
  // Left and up-left are zero in the first pixel, so the predictor is up.
  for (; i < n && i < size_t(bpp); ++i) row[i] = uint8_t(row[i] + prev[i]);
  for (; i < n; ++i) row[i] = uint8_t(row[i] + PaethPredictor(row[i - bpp], prev[i], prev[i - bpp]));
}

#if defined(__SSE2__)

// Loads of L bytes (4 or 8) start at a pixel; only the pixel's BPP bytes
// are stored back, so no store overlaps the next pixel's load (an overlap
// would defeat store-to-load forwarding and stall every pixel).
template <int L>
inline __m128i Load(const uint8_t* p) {
  if constexpr (L == 4) {
    uint32_t v;
    std::memcpy(&v, p, 4);
    return _mm_cvtsi32_si128(int(v));
  } else {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  }
}

template <int BPP>
inline void StorePixel(uint8_t* p, __m128i v) {
  if constexpr (BPP <= 4) {
    const uint32_t x = uint32_t(_mm_cvtsi128_si32(v));
    std::memcpy(p, &x, BPP);
  } else {
    uint64_t x;
    _mm_storel_epi64(reinterpret_cast<__m128i*>(&x), v);
    std::memcpy(p, &x, BPP);
  }
}

template <int BPP>
inline __m128i ByteMask() {
  alignas(16) uint8_t m[16] = {};
  for (int i = 0; i < BPP; ++i) m[i] = 0xFF;
  return _mm_load_si128(reinterpret_cast<const __m128i*>(m));
}

template <int BPP, int L = (BPP <= 4 ? 4 : 8)>
size_t SubSimd(uint8_t* row, size_t n) {
  const __m128i mask = ByteMask<BPP>();
  __m128i a = _mm_setzero_si128();
  size_t i = 0;
  for (; i + L <= n; i += BPP) {
    a = _mm_and_si128(_mm_add_epi8(Load<L>(row + i), a), mask);
    StorePixel<BPP>(row + i, a);
  }
  return i;
}

// Average keeps its running value complemented: with n = ~a,
// floor((a + b) / 2) = ~pavgb(~a, ~b), so the next ~a is pavgb(n, ~b) - x.
// That is two dependent instructions per pixel instead of four.
template <int BPP, int L = (BPP <= 4 ? 4 : 8)>
size_t AvgSimd(uint8_t* row, const uint8_t* prev, size_t n) {
  const __m128i ones = _mm_set1_epi8(-1);
  __m128i na = ones;
  size_t i = 0;
  for (; i + L <= n; i += BPP) {
    const __m128i nb = _mm_xor_si128(Load<L>(prev + i), ones);
    na = _mm_sub_epi8(_mm_avg_epu8(na, nb), Load<L>(row + i));
    StorePixel<BPP>(row + i, _mm_xor_si128(na, ones));
  }
  return i;
}

inline __m128i Abs16(__m128i v) { return _mm_max_epi16(v, _mm_sub_epi16(_mm_setzero_si128(), v)); }

// One Paeth step in 16-bit lanes: x plus the predictor of a (left), b (up)
// and c (up-left), modulo 256.
inline __m128i PaethStep(__m128i x, __m128i a, __m128i b, __m128i c) {
  // What does not depend on `a` comes first, off the serial chain.
  const __m128i bc = _mm_sub_epi16(b, c);
  const __m128i pa = Abs16(bc);
  const __m128i d = _mm_sub_epi16(a, c);
  const __m128i pb = Abs16(d);
  const __m128i pc = Abs16(_mm_add_epi16(d, bc));
  const __m128i not_a = _mm_or_si128(_mm_cmpgt_epi16(pa, pb), _mm_cmpgt_epi16(pa, pc));
  const __m128i take_c = _mm_and_si128(not_a, _mm_cmpgt_epi16(pb, pc));
  const __m128i take_b = _mm_andnot_si128(take_c, not_a);
  __m128i pred = _mm_andnot_si128(not_a, a);
  pred = _mm_or_si128(pred, _mm_and_si128(take_b, b));
  pred = _mm_or_si128(pred, _mm_and_si128(take_c, c));
  return _mm_and_si128(_mm_add_epi16(x, pred), _mm_set1_epi16(0xFF));
}

template <int L>
inline __m128i Load16(const uint8_t* p, __m128i mask16) {
  return _mm_and_si128(_mm_unpacklo_epi8(Load<L>(p), _mm_setzero_si128()), mask16);
}

template <int BPP, int L = (BPP <= 4 ? 4 : 8)>
size_t AvgPairSimd(uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n) {
  const __m128i ones = _mm_set1_epi8(-1);
  if (L > n) return 0;
  // Complemented running values, as in AvgSimd; row 1's up is row 0's.
  __m128i na0 = _mm_sub_epi8(_mm_avg_epu8(ones, _mm_xor_si128(Load<L>(prev), ones)), Load<L>(row0));
  StorePixel<BPP>(row0, _mm_xor_si128(na0, ones));
  __m128i na1 = ones;
  size_t i = BPP;
  for (; i + L <= n; i += BPP) {
    const __m128i nb0 = _mm_xor_si128(Load<L>(prev + i), ones);
    const __m128i x0 = Load<L>(row0 + i);
    const __m128i x1 = Load<L>(row1 + i - BPP);
    na1 = _mm_sub_epi8(_mm_avg_epu8(na1, na0), x1);  // row 0's pixel above is na0, not yet replaced
    na0 = _mm_sub_epi8(_mm_avg_epu8(na0, nb0), x0);
    StorePixel<BPP>(row0 + i, _mm_xor_si128(na0, ones));
    StorePixel<BPP>(row1 + i - BPP, _mm_xor_si128(na1, ones));
  }
  return i;
}

// Row 1 runs one pixel behind row 0, whose results it takes as up and
// up-left straight from registers.
template <int BPP, int L = (BPP <= 4 ? 4 : 8)>
size_t PaethPairSimd(uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i mask16 = _mm_unpacklo_epi8(ByteMask<BPP>(), zero);
  __m128i a0 = zero, c0 = zero, a1 = zero, c1 = zero;
  size_t i = 0;
  if (L > n) return 0;
  {
    const __m128i b0 = Load16<L>(prev, mask16);
    a0 = PaethStep(Load16<L>(row0, mask16), a0, b0, c0);
    StorePixel<BPP>(row0, _mm_packus_epi16(a0, a0));
    c0 = b0;
  }
  for (i = BPP; i + L <= n; i += BPP) {
    const __m128i b0 = Load16<L>(prev + i, mask16);
    const __m128i x0 = Load16<L>(row0 + i, mask16);
    const __m128i x1 = Load16<L>(row1 + i - BPP, mask16);
    const __m128i b1 = a0;  // row 0's pixel above row 1's current one
    a0 = PaethStep(x0, a0, b0, c0);
    a1 = PaethStep(x1, a1, b1, c1);
    StorePixel<BPP>(row0 + i, _mm_packus_epi16(a0, a0));
    StorePixel<BPP>(row1 + i - BPP, _mm_packus_epi16(a1, a1));
    c0 = b0;
    c1 = b1;
  }
  return i;
}

template <int BPP>
size_t UndoSimd(int type, uint8_t* row, const uint8_t* prev, size_t n) {
  if (type == 1) return SubSimd<BPP>(row, n);
  return AvgSimd<BPP>(row, prev, n);
}

#endif

}  // namespace

bool UnfilterRowPortable(int type, uint8_t* row, const uint8_t* prev, size_t n, int bpp) {
  switch (type) {
    case 0: return true;
    case 1: UnSub(row, 0, n, bpp); return true;
    case 2: UnUp(row, prev, 0, n); return true;
    case 3: UnAvg(row, prev, 0, n, bpp); return true;
    case 4: UnPaeth(row, prev, 0, n, bpp); return true;
    default: return false;
  }
}

bool UnfilterRowSimd(int type, uint8_t* row, const uint8_t* prev, size_t n, int bpp) {
#if defined(__SSE2__)
  if (type == 2) {
    size_t i = 0;
    for (; i + 16 <= n; i += 16) {
      const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row + i));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(prev + i));
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row + i), _mm_add_epi8(x, b));
    }
    UnUp(row, prev, i, n);
    return true;
  }
  // A single Paeth row stays scalar: its channels form independent chains
  // that the scalar code overlaps better than one vector chain; the vector
  // Paeth pays off on pairs of rows (UnfilterPaethPair).
  if ((type == 1 || type == 3) && (bpp == 3 || bpp == 4 || bpp == 6 || bpp == 8)) {
    // Pixels up to the last whole load run vectorised; the tail is scalar.
    const size_t done = bpp == 3   ? UndoSimd<3>(type, row, prev, n)
                        : bpp == 4 ? UndoSimd<4>(type, row, prev, n)
                        : bpp == 6 ? UndoSimd<6>(type, row, prev, n)
                                   : UndoSimd<8>(type, row, prev, n);
    if (type == 1)
      UnSub(row, done, n, bpp);
    else
      UnAvg(row, prev, done, n, bpp);
    return true;
  }
#endif
  return UnfilterRowPortable(type, row, prev, n, bpp);
}

void UnfilterPairPortable(int type, uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n, int bpp) {
  UnfilterRowPortable(type, row0, prev, n, bpp);
  UnfilterRowPortable(type, row1, row0, n, bpp);
}

namespace {
template <int BPP>
size_t PairSimd(int type, uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n) {
  return type == 3 ? AvgPairSimd<BPP>(row0, row1, prev, n) : PaethPairSimd<BPP>(row0, row1, prev, n);
}
}  // namespace

void UnfilterPair(int type, uint8_t* row0, uint8_t* row1, const uint8_t* prev, size_t n, int bpp) {
#if defined(__SSE2__)
  if ((type == 3 || type == 4) && (bpp == 3 || bpp == 4 || bpp == 6 || bpp == 8)) {
    const size_t done = bpp == 3   ? PairSimd<3>(type, row0, row1, prev, n)
                        : bpp == 4 ? PairSimd<4>(type, row0, row1, prev, n)
                        : bpp == 6 ? PairSimd<6>(type, row0, row1, prev, n)
                                   : PairSimd<8>(type, row0, row1, prev, n);
    // Row 0 is done up to `done`, row 1 one pixel less.
    const size_t done1 = done >= size_t(bpp) ? done - size_t(bpp) : 0;
    if (type == 3) {
      UnAvg(row0, prev, done, n, bpp);
      UnAvg(row1, row0, done1, n, bpp);
    } else {
      UnPaeth(row0, prev, done, n, bpp);
      UnPaeth(row1, row0, done1, n, bpp);
    }
    return;
  }
#endif
  UnfilterPairPortable(type, row0, row1, prev, n, bpp);
}

bool UnfilterRow(int type, uint8_t* row, const uint8_t* prev, size_t n, int bpp) {
  return UnfilterRowSimd(type, row, prev, n, bpp);
}

void FilterRow(int type, const uint8_t* raw, const uint8_t* prev, size_t n, int bpp, uint8_t* out) {
  out[0] = uint8_t(type);
  uint8_t* o = out + 1;
  const size_t b = size_t(bpp);
  for (size_t i = 0; i < n; ++i) {
    const int left = i >= b ? raw[i - b] : 0;
    const int up = prev[i];
    const int up_left = i >= b ? prev[i - b] : 0;
    int pred = 0;
    switch (type) {
      case 1: pred = left; break;
      case 2: pred = up; break;
      case 3: pred = (left + up) >> 1; break;
      case 4: pred = PaethPredictor(left, up, up_left); break;
      default: break;
    }
    o[i] = uint8_t(raw[i] - pred);
  }
}

int ScoreRow(const uint8_t* row, size_t length, int bits_per_pixel, uint32_t* counters) {
  std::fill(counters, counters + 256, 0u);
  for (size_t i = 0; i < length; ++i) ++counters[row[i]];
  int distinct = 0;
  uint32_t c1 = 0, c2 = 0, c3 = 0;
  for (int v = 0; v < 256; ++v) {
    const uint32_t c = counters[v];
    if (c == 0) continue;
    ++distinct;
    if (c > c1) {
      c3 = c2;
      c2 = c1;
      c1 = c;
    } else if (c > c2) {
      c3 = c2;
      c2 = c;
    } else if (c > c3) {
      c3 = c;
    }
  }
  if (distinct <= 8) return -1;
  const double len = double(length);
  if (bits_per_pixel >= 8)
    return int(std::lround(len / 1.5 / distinct * 1000 + double(c1 + c2 + c3) / len * 1000));
  return int(std::lround(len / 1.5 / distinct * 1500 + double(c1 + c2) / len * 1000));
}

}  // namespace orv
