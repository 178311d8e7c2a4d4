#include "platform/area_stretch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
#define ORV_STRETCH_AVX2 1
#endif

namespace orv {

namespace {

constexpr int kOne = 1 << 12;  // the weights of one output pixel sum to this

struct Taps {
  std::vector<int> first;  // per output pixel: its first source pixel
  // The same number of weights per output pixel (zeros after its own), an
  // even number, so that loops take two source pixels a step; sources are
  // read up to first + span.
  int span = 2;
  std::vector<int16_t> weights;  // span per output pixel; each at most kOne
  // Each two neighbouring weights as a 32-bit pair, four times: a step's
  // weights for a vector of four channels.
  std::vector<int32_t> quads;
};

// Rows of more than this many sources are summed in groups of it.
constexpr int kGroup = 8;

int32_t Pair(const int16_t* w) {
  int32_t pair;
  std::memcpy(&pair, w, 4);
  return pair;
}

// Weights of the source pixels for each output pixel on one axis: the
// overlap of the areas when shrinking, the two neighbours of the centre
// when growing. Each output pixel's weights sum to kOne exactly.
Taps MakeTaps(int src, int dst) {
  Taps t;
  t.first.resize(size_t(dst));
  std::vector<std::vector<int>> all(static_cast<size_t>(dst));
  for (int d = 0; d < dst; ++d) {
    std::vector<int64_t> raw;
    int first = 0;
    if (src >= dst) {
      // Output pixel d covers [d * src, (d + 1) * src) in units of 1/dst.
      const int64_t lo = int64_t(d) * src, hi = lo + src;
      first = int(lo / dst);
      for (int64_t s = first; s * dst < hi; ++s)
        raw.push_back(std::min<int64_t>(hi, (s + 1) * dst) - std::max<int64_t>(lo, s * dst));
    } else {
      // The centre (d + 0.5) * src / dst - 0.5 in units of 1/(2 dst).
      const int64_t c = std::max<int64_t>(0, int64_t(2 * d + 1) * src - dst);
      first = int(std::min<int64_t>(c / (2 * dst), src - 1));
      const int64_t frac = c - int64_t(first) * 2 * dst;
      if (first + 1 < src && frac > 0) {
        raw = {2 * dst - frac, frac};
      } else {
        raw = {1};
      }
    }
    int64_t total = 0;
    for (int64_t w : raw) total += w;
    std::vector<int>& w = all[size_t(d)];
    int sum = 0, largest = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
      w.push_back(int((raw[i] * kOne + total / 2) / total));
      sum += w.back();
      if (w.back() > w[size_t(largest)]) largest = int(i);
    }
    w[size_t(largest)] += kOne - sum;
    t.first[size_t(d)] = first;
    t.span = std::max(t.span, int(raw.size() + 1) & ~1);
  }
  t.weights.assign(size_t(dst) * size_t(t.span), 0);
  for (int d = 0; d < dst; ++d)
    std::copy(all[size_t(d)].begin(), all[size_t(d)].end(), t.weights.begin() + ptrdiff_t(d) * t.span);
  t.quads.resize(t.weights.size() * 2);
  for (size_t i = 0; i < t.weights.size(); i += 2)
    std::fill_n(t.quads.begin() + ptrdiff_t(i) * 2, 4, Pair(&t.weights[i]));
  return t;
}

// One source row resampled across for output pixels [d0, d1): four 16-bit
// channels per output pixel, sixteen times the colour value (the fourth
// channel 0). row holds the source pixels from `base` on, Bpp bytes each
// (blue, green, red first), readable up to first + span of every pixel
// done, plus sixteen bytes from the last two.
template <int Bpp>
void AcrossPlain(const uint8_t* row, int base, const Taps& t, int d0, int d1, uint16_t* out) {
  for (int d = d0; d < d1; ++d) {
    const uint8_t* p = row + size_t(t.first[size_t(d)] - base) * Bpp;
    const int16_t* w = &t.weights[size_t(d) * size_t(t.span)];
    uint32_t b = 0, g = 0, r = 0;
    for (int i = 0; i < t.span; ++i, p += Bpp) {
      b += p[0] * uint32_t(w[i]);
      g += p[1] * uint32_t(w[i]);
      r += p[2] * uint32_t(w[i]);
    }
    uint16_t* o = out + size_t(d - d0) * 4;
    o[0] = uint16_t((b + 128) >> 8);
    o[1] = uint16_t((g + 128) >> 8);
    o[2] = uint16_t((r + 128) >> 8);
    o[3] = 0;
  }
}

// Output pixels [0, m) of one row from the resampled rows h[0..n) (n even)
// with their weights: back to eight bits, rounded, as BGRX.
void DownPlain(const uint16_t* const* h, const int16_t* w, int n, int m, uint32_t* sum, uint32_t* out) {
  std::fill(sum, sum + size_t(m) * 4, 0u);
  for (int i = 0; i < n; ++i)
    for (size_t k = 0; k < size_t(m) * 4; ++k) sum[k] += h[i][k] * uint32_t(w[i]);
  for (int x = 0; x < m; ++x) {
    const uint32_t* s = &sum[size_t(x) * 4];
    const uint32_t b = std::min<uint32_t>(255, (s[0] + (1u << 15)) >> 16);
    const uint32_t g = std::min<uint32_t>(255, (s[1] + (1u << 15)) >> 16);
    const uint32_t r = std::min<uint32_t>(255, (s[2] + (1u << 15)) >> 16);
    out[x] = b | g << 8 | r << 16 | 0xFF000000u;
  }
}

#if defined(__SSE2__)
// Two neighbouring source pixels as the 16-bit pairs (b0 b1 g0 g1 r0 r1 . .),
// so that one multiply-add weighs both.
template <int Bpp>
inline __m128i PixelPair(const uint8_t* p) {
  const __m128i v = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
  return _mm_unpacklo_epi8(_mm_unpacklo_epi8(v, _mm_srli_si128(v, Bpp)), _mm_setzero_si128());
}

template <int Bpp>
void AcrossSse2(const uint8_t* row, int base, const Taps& t, int d0, int d1, uint16_t* out) {
  const __m128i round = _mm_set1_epi32(128), keep3 = _mm_set_epi16(0, 0, 0, 0, 0, -1, -1, -1);
  for (int d = d0; d < d1; ++d) {
    const uint8_t* p = row + size_t(t.first[size_t(d)] - base) * Bpp;
    const __m128i* wq = reinterpret_cast<const __m128i*>(&t.quads[size_t(d) * size_t(t.span) * 2]);
    __m128i acc = _mm_madd_epi16(PixelPair<Bpp>(p), _mm_loadu_si128(wq));
    for (int i = 2; i < t.span; i += 2)
      acc = _mm_add_epi32(acc, _mm_madd_epi16(PixelPair<Bpp>(p + i * Bpp), _mm_loadu_si128(wq + i / 2)));
    acc = _mm_srli_epi32(_mm_add_epi32(acc, round), 8);
    acc = _mm_and_si128(_mm_packs_epi32(acc, acc), keep3);  // at most 4080: no saturation
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + size_t(d - d0) * 4), acc);
  }
}

// Two rows at a time, eight channels (two pixels) a step; sums stay in
// registers, so a row costs one pass whatever its number of sources.
void DownSse2(const uint16_t* const* h, const int16_t* w, int n, int m, uint32_t*, uint32_t* out) {
  const __m128i round = _mm_set1_epi32(1 << 15), alpha = _mm_set1_epi32(int(0xFF000000u));
  const int words = m * 4;  // rows hold room for a pixel more, zero
  for (int k = 0; k < words; k += 8) {
    __m128i lo = _mm_setzero_si128(), hi = _mm_setzero_si128();
    for (int i = 0; i < n; i += 2) {
      const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h[i] + k));
      const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h[i + 1] + k));
      const __m128i wp = _mm_set1_epi32(Pair(w + i));
      lo = _mm_add_epi32(lo, _mm_madd_epi16(_mm_unpacklo_epi16(a, b), wp));
      hi = _mm_add_epi32(hi, _mm_madd_epi16(_mm_unpackhi_epi16(a, b), wp));
    }
    lo = _mm_srli_epi32(_mm_add_epi32(lo, round), 16);
    hi = _mm_srli_epi32(_mm_add_epi32(hi, round), 16);
    const __m128i words8 = _mm_packs_epi32(lo, hi);
    const __m128i px = _mm_or_si128(_mm_packus_epi16(words8, words8), alpha);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + k / 4), px);
  }
}
#endif

#if defined(ORV_STRETCH_AVX2)
// The same as the SSE2 steps, twice as wide: two output pixels at once
// across, four down.
template <int Bpp>
__attribute__((target("avx2"))) void AcrossAvx2(const uint8_t* row, int base, const Taps& t, int d0, int d1,
                                                uint16_t* out) {
  const __m256i round = _mm256_set1_epi32(128);
  const __m256i keep3 = _mm256_set_epi16(0, 0, 0, 0, 0, -1, -1, -1, 0, 0, 0, 0, 0, -1, -1, -1);
  // Sixteen bytes from a pixel on give the pairs of it and the next one.
  const __m256i pairs = _mm256_broadcastsi128_si256(_mm_setr_epi8(0, -1, Bpp, -1, 1, -1, Bpp + 1, -1, 2, -1, Bpp + 2,
                                                                  -1, 3, -1, Bpp + 3, -1));
  const size_t span = size_t(t.span);
  int d = d0;
  for (; d + 2 <= d1; d += 2) {
    const uint8_t* p0 = row + size_t(t.first[size_t(d)] - base) * Bpp;
    const uint8_t* p1 = row + size_t(t.first[size_t(d) + 1] - base) * Bpp;
    const int32_t* w0 = &t.quads[size_t(d) * span * 2];
    const int32_t* w1 = w0 + span * 2;
    __m256i acc = _mm256_setzero_si256();
    for (size_t i = 0; i < span; i += 2) {
      const __m256i v = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(p1 + i * Bpp),
                                            reinterpret_cast<const __m128i*>(p0 + i * Bpp));
      const __m256i wp = _mm256_loadu2_m128i(reinterpret_cast<const __m128i*>(w1 + i * 2),
                                             reinterpret_cast<const __m128i*>(w0 + i * 2));
      acc = _mm256_add_epi32(acc, _mm256_madd_epi16(_mm256_shuffle_epi8(v, pairs), wp));
    }
    acc = _mm256_srli_epi32(_mm256_add_epi32(acc, round), 8);
    acc = _mm256_and_si256(_mm256_packs_epi32(acc, acc), keep3);
    // Lanes: pixel d in the low half, d + 1 in the high half.
    const __m128i both = _mm_unpacklo_epi64(_mm256_castsi256_si128(acc), _mm256_extracti128_si256(acc, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + size_t(d - d0) * 4), both);
  }
  if (d < d1) AcrossSse2<Bpp>(row, base, t, d, d1, out + size_t(d - d0) * 4);
}

__attribute__((target("avx2"))) void DownAvx2(const uint16_t* const* h, const int16_t* w, int n, int m, uint32_t* sum,
                                              uint32_t* out) {
  const __m256i round = _mm256_set1_epi32(1 << 15), alpha = _mm256_set1_epi32(int(0xFF000000u));
  const int words = m * 4;
  int k = 0;
  for (; k + 16 <= words; k += 16) {
    __m256i lo = _mm256_setzero_si256(), hi = _mm256_setzero_si256();
    for (int i = 0; i < n; i += 2) {
      const __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h[i] + k));
      const __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(h[i + 1] + k));
      const __m256i wp = _mm256_set1_epi32(Pair(w + i));
      lo = _mm256_add_epi32(lo, _mm256_madd_epi16(_mm256_unpacklo_epi16(a, b), wp));
      hi = _mm256_add_epi32(hi, _mm256_madd_epi16(_mm256_unpackhi_epi16(a, b), wp));
    }
    lo = _mm256_srli_epi32(_mm256_add_epi32(lo, round), 16);
    hi = _mm256_srli_epi32(_mm256_add_epi32(hi, round), 16);
    // In-lane packing keeps the pixels in order within each 128-bit half.
    const __m256i words16 = _mm256_packs_epi32(lo, hi);
    const __m256i px = _mm256_or_si256(_mm256_packus_epi16(words16, words16), alpha);
    const __m128i both = _mm_unpacklo_epi64(_mm256_castsi256_si128(px), _mm256_extracti128_si256(px, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + k / 4), both);
  }
  if (k < words) {
    const uint16_t* rest[kGroup];
    for (int i = 0; i < n; ++i) rest[i] = h[i] + k;
    DownSse2(rest, w, n, (words - k) / 4, sum, out + k / 4);
  }
}
#endif

using AcrossFn = void (*)(const uint8_t*, int, const Taps&, int, int, uint16_t*);
using DownFn = void (*)(const uint16_t* const*, const int16_t*, int, int, uint32_t*, uint32_t*);

struct Steps {
  AcrossFn across3, across4;
  DownFn down;
};

Steps StepsFor(TStretchPath path) {
  switch (path) {
#if defined(ORV_STRETCH_AVX2)
    case TStretchPath::kAvx2:
      return {AcrossAvx2<3>, AcrossAvx2<4>, DownAvx2};
#endif
#if defined(__SSE2__)
    case TStretchPath::kSse2:
      return {AcrossSse2<3>, AcrossSse2<4>, DownSse2};
#endif
    default:
      return {AcrossPlain<3>, AcrossPlain<4>, DownPlain};
  }
}

// Output rows [ya, yb) of the stretch; each band keeps its own buffers, so
// bands can run side by side and give the same rows as one pass.
void StretchRows(TBitmap& dst, const TRect& r, const TBitmap& src, const Taps& across, const Taps& down, int x0,
                 int x1, int ya, int yb, const Steps& steps) {
  const int sw = src.Width(), n = x1 - x0, d0 = x0 - r.Left, d1 = x1 - r.Left;
  const int pf = src.PixelFormat();
  const int bpp = pf == pf24bit ? 3 : pf == pf32bit || pf == pfDevice ? 4 : 0;
  // Output pixels whose sources (and the bytes a step reads past them: a
  // step reads sixteen from its first pixel) lie inside the row are read in
  // place; the rest from a copy.
  int direct_end = d0;
  if (bpp)
    while (direct_end < d1 &&
           (int64_t(across.first[size_t(direct_end)]) + across.span - 2) * bpp + 16 <= int64_t(sw) * bpp)
      ++direct_end;
  const int copy_base = direct_end < d1 ? across.first[size_t(direct_end)] : 0;
  std::vector<uint32_t> row(static_cast<size_t>(sw - copy_base + across.span + 2), 0);
  // Resampled rows, with room for a pixel more (zero) so the steps down
  // go two pixels at a time; neighbouring output rows share source rows,
  // kept in a ring.
  constexpr int kRing = kGroup;
  const size_t row_words = (size_t(n) + 1) * 4;
  std::vector<uint16_t> ring(size_t(kRing) * row_words, 0);
  int cached[kRing];
  std::fill(cached, cached + kRing, -1);
  int next = 0;
  auto resampled = [&](int sy) -> const uint16_t* {
    for (int i = 0; i < kRing; ++i)
      if (cached[i] == sy) return &ring[size_t(i) * row_words];
    uint16_t* h = &ring[size_t(next) * row_words];
    if (bpp == 3 || bpp == 4) {
      const uint8_t* line = src.ScanLine(sy);
      (bpp == 3 ? steps.across3 : steps.across4)(line, 0, across, d0, direct_end, h);
    }
    if (direct_end < d1) {
      ReadRowBGRX(src, sy, copy_base, sw - copy_base, row.data());
      steps.across4(reinterpret_cast<const uint8_t*>(row.data()), copy_base, across, direct_end, d1,
                    h + size_t(direct_end - d0) * 4);
    }
    cached[next] = sy;
    next = (next + 1) % kRing;
    return h;
  };
  const bool in_place = dst.PixelFormat() == pf32bit || dst.PixelFormat() == pfDevice;
  std::vector<uint32_t> out(static_cast<size_t>(n) + 1);
  std::vector<uint32_t> sum(row_words);
  std::vector<uint32_t> partial(row_words);
  for (int y = ya; y < yb; ++y) {
    const int d = y - r.Top;
    const int first = down.first[size_t(d)];
    const int16_t* w = &down.weights[size_t(d) * size_t(down.span)];
    const uint16_t* h[kGroup];
    // Padding rows weigh nothing; any cached row stands in for them.
    auto rows_of_group = [&](int g, int count) {
      for (int i = 0; i < count; ++i)
        h[i] = (w[g + i] != 0 || i == 0) ? resampled(std::min(first + g + i, src.Height() - 1)) : h[0];
    };
    if (down.span <= kGroup) {
      rows_of_group(0, down.span);
      steps.down(h, w, down.span, n, sum.data(), out.data());
    } else {
      // Many sources per row (a large picture much reduced): groups summed
      // exactly in 32 bits, then rounded once.
      std::fill(partial.begin(), partial.end(), 0u);
      for (int g = 0; g < down.span; g += kGroup) {
        const int count = std::min(kGroup, down.span - g);
        rows_of_group(g, count);
        for (int i = 0; i < count; ++i)
          for (size_t k = 0; k < size_t(n) * 4; ++k) partial[k] += h[i][k] * uint32_t(w[g + i]);
      }
      for (int x = 0; x < n; ++x) {
        const uint32_t* s = &partial[size_t(x) * 4];
        out[size_t(x)] = std::min<uint32_t>(255, (s[0] + (1u << 15)) >> 16) |
                         std::min<uint32_t>(255, (s[1] + (1u << 15)) >> 16) << 8 |
                         std::min<uint32_t>(255, (s[2] + (1u << 15)) >> 16) << 16 | 0xFF000000u;
      }
    }
    if (in_place)
      std::memcpy(dst.ScanLine(y) + size_t(x0) * 4, out.data(), size_t(n) * 4);
    else
      WriteRowBGRX(dst, y, x0, n, out.data());
  }
}

TStretchPath BestPath() {
#if defined(ORV_STRETCH_AVX2)
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx2")) return TStretchPath::kAvx2;
#endif
#if defined(__SSE2__)
  return TStretchPath::kSse2;
#else
  return TStretchPath::kPlain;
#endif
}

}  // namespace

bool StretchPathAvailable(TStretchPath path) {
  switch (path) {
    case TStretchPath::kPlain:
      return true;
    case TStretchPath::kSse2:
#if defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case TStretchPath::kAvx2:
      return BestPath() == TStretchPath::kAvx2;
    case TStretchPath::kBest:
      return true;
  }
  return false;
}

void AreaStretch(TBitmap& dst, const TRect& r, const TBitmap& src, TStretchPath path) {
  if (src.Empty() || dst.Empty() || r.Width() <= 0 || r.Height() <= 0) return;
  const int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, dst.Width());
  const int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, dst.Height());
  if (x0 >= x1 || y0 >= y1) return;
  static const TStretchPath best = BestPath();
  if (path == TStretchPath::kBest || !StretchPathAvailable(path)) path = best;
  const Steps steps = StepsFor(path);
  const Taps across = MakeTaps(src.Width(), r.Width()), down = MakeTaps(src.Height(), r.Height());
  // Large pictures are done in bands on the processor's cores, as Qt's
  // smooth scaling does; the rows come out the same either way.
  const int64_t work = int64_t(src.Width()) * src.Height() + int64_t(x1 - x0) * (y1 - y0);
  const int bands = work < (int64_t(1) << 20) ? 1
                                              : int(std::clamp<unsigned>(std::thread::hardware_concurrency(), 1u, 4u));
  std::vector<std::thread> helpers;
  for (int b = 1; b < bands; ++b) {
    const int ya = y0 + int(int64_t(y1 - y0) * b / bands), yb = y0 + int(int64_t(y1 - y0) * (b + 1) / bands);
    try {
      helpers.emplace_back([&, ya, yb] { StretchRows(dst, r, src, across, down, x0, x1, ya, yb, steps); });
    } catch (const std::system_error&) {
      StretchRows(dst, r, src, across, down, x0, x1, ya, yb, steps);  // no thread to be had
    }
  }
  StretchRows(dst, r, src, across, down, x0, x1, y0, y0 + int(int64_t(y1 - y0) / bands), steps);
  for (std::thread& t : helpers) t.join();
}

}  // namespace orv
