#include "display/cross_fade.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {

// 16 bytes at a time: from * (256 - w) + to * w fits 16 bits (at most 255 * 256).
void BlendBytes(const uint8_t* from, const uint8_t* to, unsigned weight, uint8_t* out, size_t n) {
  size_t i = 0;
#if defined(__SSE2__)
  const __m128i zero = _mm_setzero_si128();
  const __m128i wt = _mm_set1_epi16(int16_t(weight));
  const __m128i wf = _mm_set1_epi16(int16_t(256 - weight));
  for (; i + 16 <= n; i += 16) {
    const __m128i a = _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i));
    const __m128i b = _mm_loadu_si128(reinterpret_cast<const __m128i*>(to + i));
    const __m128i lo = _mm_add_epi16(_mm_mullo_epi16(_mm_unpacklo_epi8(a, zero), wf),
                                     _mm_mullo_epi16(_mm_unpacklo_epi8(b, zero), wt));
    const __m128i hi = _mm_add_epi16(_mm_mullo_epi16(_mm_unpackhi_epi8(a, zero), wf),
                                     _mm_mullo_epi16(_mm_unpackhi_epi8(b, zero), wt));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i),
                     _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8)));
  }
#endif
  for (; i < n; ++i) out[i] = uint8_t((from[i] * (256 - weight) + to[i] * weight) >> 8);
}

bool Blendable(const TBitmap& a, const TBitmap& b) {
  // 32-bit pixels (a device bitmap's are too), one format for both.
  return !a.Empty() && a.Width() == b.Width() && a.Height() == b.Height() && a.PixelFormat() == b.PixelFormat() &&
         StorageBits(a.PixelFormat()) == 32;
}

}  // namespace

void BlendFrames(const TBitmap& from, const TBitmap& to, unsigned weight, TBitmap& out) {
  if (!Blendable(from, to)) return;
  weight = std::min(weight, 256u);
  if (out.Width() != from.Width() || out.Height() != from.Height() || out.PixelFormat() != from.PixelFormat())
    out.Allocate(from.Width(), from.Height(), from.PixelFormat(), false);
  // 32-bit rows have no padding: the frame is one run of bytes.
  BlendBytes(from.Bits(), to.Bits(), weight, out.Bits(), from.Stride() * size_t(from.Height()));
}

bool TCrossFade::Start(TBitmap&& from, TBitmap&& to, uint32_t now, uint32_t durationMs) {
  Stop();
  if (durationMs == 0 || !Blendable(from, to)) return false;
  from_ = std::move(from);
  to_ = std::move(to);
  start_ = now;
  duration_ = durationMs;
  weight_ = 0;
  active_ = true;
  return true;
}

bool TCrossFade::Step(uint32_t now, TBitmap& out) {
  if (!active_) return false;
  // Unsigned difference: the millisecond clock wraps.
  const uint32_t elapsed = now - start_;
  if (elapsed >= duration_) {
    out = std::move(to_);
    weight_ = 256;
    Stop();
    return false;
  }
  // Never backwards, also when the clock reads the same twice.
  weight_ = std::max(weight_, unsigned(uint64_t(elapsed) * 256 / duration_));
  BlendFrames(from_, to_, weight_, out);
  return true;
}

void TCrossFade::Stop() {
  active_ = false;
  from_.Clear();
  to_.Clear();
}

}  // namespace orv
