#include "platform/area_stretch.h"

#include <algorithm>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

constexpr int kOne = 1 << 12;  // the weights of one output pixel sum to this

struct Taps {
  std::vector<int> first;   // per output pixel: its first source pixel
  std::vector<int> count;   // how many
  std::vector<int> offset;  // where its weights start in weights
  std::vector<int> weights;
  // The same as `span` weights per output pixel (zeros after its own), for
  // loops of one length; sources are read up to first + span.
  int span = 1;
  std::vector<int32_t> padded;
};

// Weights of the source pixels for each output pixel on one axis: the
// overlap of the areas when shrinking, the two neighbours of the centre
// when growing. Each output pixel's weights sum to kOne exactly.
Taps MakeTaps(int src, int dst) {
  Taps t;
  t.first.resize(size_t(dst));
  t.count.resize(size_t(dst));
  t.offset.resize(size_t(dst));
  for (int d = 0; d < dst; ++d) {
    t.offset[size_t(d)] = int(t.weights.size());
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
    int sum = 0, largest = 0;
    for (size_t i = 0; i < raw.size(); ++i) {
      const int w = int((raw[i] * kOne + total / 2) / total);
      t.weights.push_back(w);
      sum += w;
      if (w > t.weights[size_t(t.offset[size_t(d)] + largest)]) largest = int(i);
    }
    t.weights[size_t(t.offset[size_t(d)] + largest)] += kOne - sum;
    t.first[size_t(d)] = first;
    t.count[size_t(d)] = int(raw.size());
    t.span = std::max(t.span, int(raw.size()));
  }
  t.padded.assign(size_t(dst) * size_t(t.span), 0);
  for (int d = 0; d < dst; ++d)
    for (int i = 0; i < t.count[size_t(d)]; ++i)
      t.padded[size_t(d) * size_t(t.span) + size_t(i)] = t.weights[size_t(t.offset[size_t(d)] + i)];
  return t;
}

// One source row resampled across: four 16-bit channels per output pixel,
// sixteen times the colour value.
void Across(const uint32_t* row, const Taps& t, int x0, int x1, uint16_t* out) {
  for (int d = x0; d < x1; ++d) {
    const uint32_t* p = row + t.first[size_t(d)];
    const int* w = &t.weights[size_t(t.offset[size_t(d)])];
    const int n = t.count[size_t(d)];
    uint16_t* o = out + size_t(d - x0) * 4;
#if defined(__SSE2__)
    // Each pixel's bytes widened to 32-bit lanes as (value, 0) pairs of
    // 16-bit halves, so one multiply-add gives value * weight per channel.
    // Two pixels a step: the row has room past its end for the padding.
    const __m128i zero = _mm_setzero_si128();
    const int32_t* pw = &t.padded[size_t(d) * size_t(t.span)];
    __m128i acc = _mm_setzero_si128();
    int i = 0;
    for (; i + 2 <= t.span; i += 2) {
      const __m128i two = _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p + i)), zero);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_unpacklo_epi16(two, zero), _mm_set1_epi32(pw[i])));
      acc = _mm_add_epi32(acc, _mm_madd_epi16(_mm_unpackhi_epi16(two, zero), _mm_set1_epi32(pw[i + 1])));
    }
    if (i < t.span) {
      const __m128i px = _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(int(p[i])), zero), zero);
      acc = _mm_add_epi32(acc, _mm_madd_epi16(px, _mm_set1_epi32(pw[i])));
    }
    (void)w;
    (void)n;
    acc = _mm_srli_epi32(_mm_add_epi32(acc, _mm_set1_epi32(128)), 8);
    acc = _mm_packs_epi32(acc, acc);  // at most 4080: no saturation
    _mm_storel_epi64(reinterpret_cast<__m128i*>(o), acc);
#else
    uint32_t b = 0, g = 0, r = 0;
    for (int i = 0; i < n; ++i) {
      const uint32_t px = p[i];
      b += (px & 0xFF) * uint32_t(w[i]);
      g += (px >> 8 & 0xFF) * uint32_t(w[i]);
      r += (px >> 16 & 0xFF) * uint32_t(w[i]);
    }
    o[0] = uint16_t((b + 128) >> 8);
    o[1] = uint16_t((g + 128) >> 8);
    o[2] = uint16_t((r + 128) >> 8);
#endif
    o[3] = 0;
  }
}

// sum += h * w over m 16-bit values.
void AddWeighted(uint32_t* __restrict sum, const uint16_t* __restrict h, uint32_t w, size_t m) {
  size_t k = 0;
#if defined(__SSE2__)
  const __m128i wv = _mm_set1_epi32(int(w)), zero = _mm_setzero_si128();
  for (; k + 8 <= m; k += 8) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(h + k));
    __m128i* s = reinterpret_cast<__m128i*>(sum + k);
    _mm_storeu_si128(s, _mm_add_epi32(_mm_loadu_si128(s), _mm_madd_epi16(_mm_unpacklo_epi16(v, zero), wv)));
    _mm_storeu_si128(s + 1, _mm_add_epi32(_mm_loadu_si128(s + 1), _mm_madd_epi16(_mm_unpackhi_epi16(v, zero), wv)));
  }
#endif
  for (; k < m; ++k) sum[k] += h[k] * w;
}

// Output rows [ya, yb) of the stretch; each band keeps its own buffers, so
// bands can run side by side and give the same rows as one pass.
void StretchRows(TBitmap& dst, const TRect& r, const TBitmap& src, const Taps& across, const Taps& down, int x0,
                 int x1, int ya, int yb) {
  const int sw = src.Width(), n = x1 - x0;
  std::vector<uint32_t> row(static_cast<size_t>(sw + across.span + 1), 0);
  std::vector<uint32_t> sum(size_t(n) * 4);
  std::vector<uint32_t> out(static_cast<size_t>(n));
  // The two most recent resampled source rows: neighbouring output rows
  // share at most one source row when shrinking and two when growing.
  std::vector<uint16_t> cache[2] = {std::vector<uint16_t>(size_t(n) * 4), std::vector<uint16_t>(size_t(n) * 4)};
  int cached[2] = {-1, -1};
  int next = 0;
  auto resampled = [&](int sy) -> const uint16_t* {
    for (int i = 0; i < 2; ++i)
      if (cached[i] == sy) return cache[i].data();
    ReadRowBGRX(src, sy, 0, sw, row.data());
    Across(row.data(), across, x0 - r.Left, x1 - r.Left, cache[next].data());
    cached[next] = sy;
    const uint16_t* h = cache[next].data();
    next ^= 1;
    return h;
  };
  for (int y = ya; y < yb; ++y) {
    const int d = y - r.Top;
    const int first = down.first[size_t(d)], count = down.count[size_t(d)];
    const int* w = &down.weights[size_t(down.offset[size_t(d)])];
    std::fill(sum.begin(), sum.end(), 0u);
    for (int i = 0; i < count; ++i) AddWeighted(sum.data(), resampled(first + i), uint32_t(w[i]), size_t(n) * 4);
    // Sixteen times the value, times kOne: back to eight bits, rounded.
    for (int x = 0; x < n; ++x) {
      const uint32_t* s = &sum[size_t(x) * 4];
      const uint32_t b = std::min<uint32_t>(255, (s[0] + (1u << 15)) >> 16);
      const uint32_t g = std::min<uint32_t>(255, (s[1] + (1u << 15)) >> 16);
      const uint32_t rr = std::min<uint32_t>(255, (s[2] + (1u << 15)) >> 16);
      out[size_t(x)] = b | g << 8 | rr << 16 | 0xFF000000u;
    }
    WriteRowBGRX(dst, y, x0, n, out.data());
  }
}

}  // namespace

void AreaStretch(TBitmap& dst, const TRect& r, const TBitmap& src) {
  if (src.Empty() || dst.Empty() || r.Width() <= 0 || r.Height() <= 0) return;
  const int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, dst.Width());
  const int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, dst.Height());
  if (x0 >= x1 || y0 >= y1) return;
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
      helpers.emplace_back([&, ya, yb] { StretchRows(dst, r, src, across, down, x0, x1, ya, yb); });
    } catch (const std::system_error&) {
      StretchRows(dst, r, src, across, down, x0, x1, ya, yb);  // no thread to be had
    }
  }
  StretchRows(dst, r, src, across, down, x0, x1, y0, y0 + int(int64_t(y1 - y0) / bands));
  for (std::thread& t : helpers) t.join();
}

}  // namespace orv
