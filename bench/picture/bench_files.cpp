#include "bench_files.h"

#include <malloc.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include <jpeglib.h>

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

std::vector<uint8_t> PhotoJpeg(int width, int height, bool progressive) {
  // The terms of PhotoRgb's formula split into per-column and per-row parts
  // (sin(a + b) = sin a cos b + cos a sin b), so that 50 megapixels take a
  // second, not a minute.
  struct Column {
    double s61, c61, s17, c17, c9, fx;
  };
  std::vector<Column> cols(static_cast<size_t>(width));
  for (int x = 0; x < width; ++x) {
    const double fx = x / double(width);
    cols[size_t(x)] = {std::sin(6.1 * fx), std::cos(6.1 * fx), std::sin(1.7 * fx), std::cos(1.7 * fx),
                       std::cos(9.0 * fx), fx};
  }
  const int cx = width * 13 / 20, cy = height * 2 / 5, radius = width * 7 / 40;
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(width);
  c.image_height = JDIMENSION(height);
  c.input_components = 3;
  c.in_color_space = JCS_RGB;
  jpeg_set_defaults(&c);
  jpeg_set_quality(&c, 90, TRUE);
  c.comp_info[0].h_samp_factor = 2;
  c.comp_info[0].v_samp_factor = 2;
  if (progressive) jpeg_simple_progression(&c);
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> row(size_t(width) * 3);
  uint32_t state = 12345;
  while (c.next_scanline < c.image_height) {
    const int y = int(c.next_scanline);
    const double fy = y / double(height);
    const double s2 = std::sin(2.0 * fy), c2 = std::cos(2.0 * fy);
    const double s43 = std::sin(4.3 * fy), c43 = std::cos(4.3 * fy), s31 = std::sin(31.0 * fy);
    for (int x = 0; x < width; ++x) {
      const Column& k = cols[size_t(x)];
      state = state * 1664525u + 1013904223u;
      const int noise = int((state >> 16) % 25u) - 12;  // grain: about 2 bits per pixel, as camera files
      const bool disc = int64_t(x - cx) * (x - cx) + int64_t(y - cy) * (y - cy) < int64_t(radius) * radius;
      const double r = 128 + 90 * (k.s61 * c2 + k.c61 * s2) + (disc ? 40 : 0);
      const double g = 120 + 80 * (s43 * k.c17 - c43 * k.s17) * k.c9;
      const double b = disc ? 60 + 40 * fy : 170 - 60 * k.fx + 30 * s31;
      uint8_t* p = &row[size_t(x) * 3];
      p[0] = uint8_t(std::lround(std::fmin(255, std::fmax(0, r + noise))));
      p[1] = uint8_t(std::lround(std::fmin(255, std::fmax(0, g + noise))));
      p[2] = uint8_t(std::lround(std::fmin(255, std::fmax(0, b - noise))));
    }
    JSAMPROW rows[1] = {row.data()};
    jpeg_write_scanlines(&c, rows, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

void DropFreedMemory() {
  TrimPixelPool();
  malloc_trim(0);
}

}  // namespace orv::bench
