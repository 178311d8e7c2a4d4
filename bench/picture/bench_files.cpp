#include "bench_files.h"

#include <malloc.h>

#include <cmath>
#include <cstdlib>

#include "platform/pixel_pool.h"
#include "support/jpeg_encoder.h"

namespace orv::bench {

const std::vector<uint8_t>& PhotoRgb() {
  static const std::vector<uint8_t> rgb = [] {
    std::vector<uint8_t> v(size_t(kWidth) * kHeight * 3);
    uint32_t state = 12345;
    for (int y = 0; y < kHeight; ++y) {
      for (int x = 0; x < kWidth; ++x) {
        state = state * 1664525u + 1013904223u;
        const int noise = int(state >> 29) - 4;
        const double fx = x / double(kWidth), fy = y / double(kHeight);
        const bool disc = (x - 2600) * (x - 2600) + (y - 1200) * (y - 1200) < 700 * 700;
        double r = 128 + 90 * std::sin(6.1 * fx + 2.0 * fy) + (disc ? 40 : 0);
        double g = 120 + 80 * std::sin(4.3 * fy - 1.7 * fx) * std::cos(9.0 * fx);
        double b = disc ? 60 + 40 * fy : 170 - 60 * fx + 30 * std::sin(31.0 * fy);
        uint8_t* p = &v[(size_t(y) * kWidth + size_t(x)) * 3];
        p[0] = uint8_t(std::lround(std::fmin(255, std::fmax(0, r + noise))));
        p[1] = uint8_t(std::lround(std::fmin(255, std::fmax(0, g + noise))));
        p[2] = uint8_t(std::lround(std::fmin(255, std::fmax(0, b - noise))));
      }
    }
    return v;
  }();
  return rgb;
}

namespace {

void Put32(std::vector<uint8_t>& v, uint32_t x) {
  for (int i = 0; i < 4; ++i) v.push_back(uint8_t(x >> (8 * i)));
}

}  // namespace

std::vector<uint8_t> BitmapFile(int bits) {
  const std::vector<uint8_t>& rgb = PhotoRgb();
  const size_t stride = (size_t(kWidth) * size_t(bits) + 31) / 32 * 4;
  const uint32_t table = bits == 8 ? 256 * 4 : 0;
  std::vector<uint8_t> v = {'B', 'M'};
  Put32(v, uint32_t(54 + table + stride * kHeight));
  Put32(v, 0);
  Put32(v, 54 + table);
  for (uint32_t x : {40u, uint32_t(kWidth), uint32_t(kHeight)}) Put32(v, x);
  v.insert(v.end(), {1, 0, uint8_t(bits), 0});
  for (uint32_t x : {0u, uint32_t(stride * kHeight), 2835u, 2835u, 0u, 0u}) Put32(v, x);
  for (uint32_t i = 0; i < table / 4; ++i) {  // a 3-3-2 colour cube
    v.insert(v.end(), {uint8_t((i & 3) * 85), uint8_t(((i >> 2) & 7) * 36), uint8_t((i >> 5) * 36), 0});
  }
  for (int y = kHeight - 1; y >= 0; --y) {
    const size_t start = v.size();
    for (int x = 0; x < kWidth; ++x) {
      const uint8_t* p = &rgb[(size_t(y) * kWidth + size_t(x)) * 3];
      if (bits == 24) {
        v.insert(v.end(), {p[2], p[1], p[0]});
      } else {
        v.push_back(uint8_t((p[0] >> 5) << 5 | (p[1] >> 5) << 2 | p[2] >> 6));
      }
    }
    v.resize(start + stride, 0);
  }
  return v;
}

std::vector<uint8_t> JpegFile(int h_samp, int v_samp) {
  test::JpegOptions opts;
  opts.h_samp = h_samp;
  opts.v_samp = v_samp;
  return test::EncodeJpeg(test::RgbImage{kWidth, kHeight, PhotoRgb()}, opts);
}

void DropFreedMemory() {
  TrimPixelPool();
  malloc_trim(0);
}

}  // namespace orv::bench
