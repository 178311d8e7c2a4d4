#include "png/adler32.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__)
#include <immintrin.h>
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
uint32_t Adler32Sse2(uint32_t adler, const uint8_t* data, size_t n) {
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
#endif

#if defined(__x86_64__)
// 32 bytes a step: the byte sums by sad, the weighted sums by maddubs.
__attribute__((target("avx2"))) uint32_t Adler32Avx2(uint32_t adler, const uint8_t* data, size_t n) {
  uint32_t a = adler & 0xFFFF, b = adler >> 16;
  const __m256i zero = _mm256_setzero_si256();
  const __m256i ones = _mm256_set1_epi16(1);
  const __m256i weights = _mm256_setr_epi8(32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 20, 19, 18, 17, 16, 15,
                                           14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1);
  while (n >= 32) {
    const size_t blocks = (n < kNMax ? n : kNMax) / 32;
    b += a * uint32_t(blocks * 32);
    __m256i s1 = zero, prefix = zero, s2 = zero;
    for (size_t k = 0; k < blocks; ++k) {
      const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + 32 * k));
      prefix = _mm256_add_epi32(prefix, s1);
      s1 = _mm256_add_epi32(s1, _mm256_sad_epu8(v, zero));
      s2 = _mm256_add_epi32(s2, _mm256_madd_epi16(_mm256_maddubs_epi16(v, weights), ones));
    }
    s2 = _mm256_add_epi32(s2, _mm256_slli_epi32(prefix, 5));
    alignas(32) uint32_t l1[8], l2[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(l1), s1);
    _mm256_store_si256(reinterpret_cast<__m256i*>(l2), s2);
    a += l1[0] + l1[2] + l1[4] + l1[6];
    for (uint32_t v : l2) b += v;
    a %= kBase;
    b %= kBase;
    data += blocks * 32;
    n -= blocks * 32;
  }
  return Adler32Sse2((b << 16) | a, data, n);
}

bool HasAvx2() {
  static const bool has = __builtin_cpu_supports("avx2");
  return has;
}
#endif

uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t n) {
#if defined(__x86_64__)
  if (HasAvx2()) return Adler32Avx2(adler, data, n);
#endif
#if defined(__SSE2__)
  return Adler32Sse2(adler, data, n);
#else
  return Adler32Portable(adler, data, n);
#endif
}

}  // namespace orv
