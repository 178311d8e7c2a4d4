#include "png/adler32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace orv {

namespace {
constexpr uint32_t kBase = 65521;
constexpr size_t kNMax = 5552;  // the most bytes before the sums could pass 2^32
}  // namespace

uint32_t Adler32Portable(uint32_t adler, const uint8_t* data, size_t n) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  while (n > 0) {
    const size_t k = n < kNMax ? n : kNMax;
    for (size_t i = 0; i < k; ++i) {
      a += data[i];
      b += a;
    }
    a %= kBase;
    b %= kBase;
    data += k;
    n -= k;
  }
  return (b << 16) | a;
}

#if defined(__SSE2__)
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t n) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  const __m128i zero = _mm_setzero_si128();
  const __m128i w_hi = _mm_setr_epi16(16, 15, 14, 13, 12, 11, 10, 9);
  const __m128i w_lo = _mm_setr_epi16(8, 7, 6, 5, 4, 3, 2, 1);
  while (n >= 16) {
    const size_t blocks = (n < kNMax ? n : kNMax) / 16;
    // b gains a for every byte, then each byte times the bytes from it on.
    b += a * uint32_t(blocks * 16);
    __m128i s1 = zero, prefix = zero, s2 = zero;
    for (size_t k = 0; k < blocks; ++k) {
      const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + 16 * k));
      prefix = _mm_add_epi32(prefix, s1);
      s1 = _mm_add_epi32(s1, _mm_sad_epu8(v, zero));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpacklo_epi8(v, zero), w_hi));
      s2 = _mm_add_epi32(s2, _mm_madd_epi16(_mm_unpackhi_epi8(v, zero), w_lo));
    }
    s2 = _mm_add_epi32(s2, _mm_slli_epi32(prefix, 4));
    alignas(16) uint32_t l1[4], l2[4];
    _mm_store_si128(reinterpret_cast<__m128i*>(l1), s1);
    _mm_store_si128(reinterpret_cast<__m128i*>(l2), s2);
    a += l1[0] + l1[2];
    b += l2[0] + l2[1] + l2[2] + l2[3];
    a %= kBase;
    b %= kBase;
    data += blocks * 16;
    n -= blocks * 16;
  }
  return Adler32Portable((b << 16) | a, data, n);
}
#else
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t n) { return Adler32Portable(adler, data, n); }
#endif

}  // namespace orv
