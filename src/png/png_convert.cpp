#include "png/png_convert.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define ORV_HAVE_SSSE3_PATH 1
#endif

namespace orv {

void RGBToBGRPortable(const uint8_t* src, uint8_t* dst, int64_t pixels) {
  for (int64_t i = 0; i < pixels; ++i) {
    const uint8_t r = src[3 * i], g = src[3 * i + 1], b = src[3 * i + 2];
    dst[3 * i] = b, dst[3 * i + 1] = g, dst[3 * i + 2] = r;
  }
}

void RGBAToBGRPortable(const uint8_t* src, uint8_t* dst, uint8_t* mask, int64_t pixels) {
  for (int64_t i = 0; i < pixels; ++i) {
    dst[3 * i] = src[4 * i + 2], dst[3 * i + 1] = src[4 * i + 1], dst[3 * i + 2] = src[4 * i];
  }
  if (mask)
    for (int64_t i = 0; i < pixels; ++i) mask[i] = uint8_t(255 - src[4 * i + 3]);
}

#ifdef ORV_HAVE_SSSE3_PATH

namespace {

bool HasSSSE3() {
  static const bool has = __builtin_cpu_supports("ssse3");
  return has;
}

// Five pixels per 16-byte load; the store's last byte is rewritten by the
// next step, so the loop stops while 16 bytes still fit.
__attribute__((target("ssse3"))) int64_t RGBToBGRSsse3(const uint8_t* src, uint8_t* dst, int64_t pixels) {
  const __m128i shuffle = _mm_setr_epi8(2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
  int64_t i = 0;
  for (; 3 * i + 16 <= 3 * pixels; i += 5) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 3 * i));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + 3 * i), _mm_shuffle_epi8(v, shuffle));
  }
  return i;
}

// Four pixels per step: 12 colour bytes (stored as 8 + 4) and 4 mask bytes.
__attribute__((target("ssse3"))) int64_t RGBAToBGRSsse3(const uint8_t* src, uint8_t* dst, uint8_t* mask,
                                                        int64_t pixels) {
  const __m128i colour = _mm_setr_epi8(2, 1, 0, 6, 5, 4, 10, 9, 8, 14, 13, 12, -1, -1, -1, -1);
  const __m128i alpha = _mm_setr_epi8(3, 7, 11, 15, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1);
  const __m128i ones = _mm_set1_epi8(-1);
  int64_t i = 0;
  for (; i + 4 <= pixels; i += 4) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + 4 * i));
    const __m128i c = _mm_shuffle_epi8(v, colour);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(dst + 3 * i), c);
    const int hi = _mm_cvtsi128_si32(_mm_srli_si128(c, 8));
    __builtin_memcpy(dst + 3 * i + 8, &hi, 4);
    if (mask) {
      const int a = _mm_cvtsi128_si32(_mm_sub_epi8(ones, _mm_shuffle_epi8(v, alpha)));
      __builtin_memcpy(mask + i, &a, 4);
    }
  }
  return i;
}

}  // namespace

void RGBToBGR(const uint8_t* src, uint8_t* dst, int64_t pixels) {
  const int64_t done = HasSSSE3() ? RGBToBGRSsse3(src, dst, pixels) : 0;
  RGBToBGRPortable(src + 3 * done, dst + 3 * done, pixels - done);
}

void RGBAToBGR(const uint8_t* src, uint8_t* dst, uint8_t* mask, int64_t pixels) {
  const int64_t done = HasSSSE3() ? RGBAToBGRSsse3(src, dst, mask, pixels) : 0;
  RGBAToBGRPortable(src + 4 * done, dst + 3 * done, mask ? mask + done : nullptr, pixels - done);
}

#else

void RGBToBGR(const uint8_t* src, uint8_t* dst, int64_t pixels) { RGBToBGRPortable(src, dst, pixels); }
void RGBAToBGR(const uint8_t* src, uint8_t* dst, uint8_t* mask, int64_t pixels) {
  RGBAToBGRPortable(src, dst, mask, pixels);
}

#endif

}  // namespace orv
