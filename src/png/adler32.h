// Adler-32 of inflated data, ours: zlib's own costs several per cent of a
// decode, a vectorised one a fraction of that.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orv {

// Continues the checksum adler (1 for a new one) over n bytes, with the
// widest vector code the processor has.
uint32_t Adler32(uint32_t adler, const uint8_t* data, size_t n);
#if defined(__SSE2__)
uint32_t Adler32Sse2(uint32_t adler, const uint8_t* data, size_t n);
#endif
#if defined(__x86_64__)
// Call only where HasAvx2().
uint32_t Adler32Avx2(uint32_t adler, const uint8_t* data, size_t n);
bool HasAvx2();
#endif
// The same one byte at a time: the twin the vector code is tested against.
uint32_t Adler32Portable(uint32_t adler, const uint8_t* data, size_t n);

}  // namespace orv
