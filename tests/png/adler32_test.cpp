// Our Adler-32: every vector kernel the processor runs, the portable twin and zlib agree on every
// length and alignment, and on sums near the modulus (all bytes 255).
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "png/adler32.h"

namespace orv {
namespace {

using Kernel = uint32_t (*)(uint32_t, const uint8_t*, size_t);

std::vector<std::pair<const char*, Kernel>> Kernels() {
  std::vector<std::pair<const char*, Kernel>> k = {{"dispatch", Adler32}, {"portable", Adler32Portable}};
#if defined(__SSE2__)
  k.emplace_back("sse2", Adler32Sse2);
#endif
#if defined(__x86_64__)
  if (HasAvx2()) k.emplace_back("avx2", Adler32Avx2);
#endif
  return k;
}

TEST(Adler32, AgreesWithZlib) {
  std::mt19937 rng(5);
  std::vector<uint8_t> data(70000);
  for (auto& b : data) b = uint8_t(rng());
  std::vector<uint8_t> ones(data.size(), 255);
  for (const auto* v : {&data, &ones})
    for (size_t n : {size_t(0), size_t(1), size_t(15), size_t(16), size_t(31), size_t(32), size_t(63),
                     size_t(64), size_t(5535), size_t(5536), size_t(5567), size_t(5552),
                     size_t(5553), size_t(11104), size_t(69990)})
      for (size_t off : {size_t(0), size_t(3)}) {
        const uint32_t ref = uint32_t(adler32(7, v->data() + off, uInt(n)));
        for (const auto& [name, kernel] : Kernels())
          EXPECT_EQ(kernel(7, v->data() + off, n), ref) << name << " " << n << "+" << off;
      }
  // Continued in pieces, as inflation delivers it.
  uint32_t a = 1;
  for (size_t p = 0; p < data.size(); p += 1000) a = Adler32(a, data.data() + p, std::min<size_t>(1000, data.size() - p));
  EXPECT_EQ(a, uint32_t(adler32(1, data.data(), uInt(data.size()))));
}

}  // namespace
}  // namespace orv
