// libjpeg's encoder, shared by the tests and the benchmarks.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::test {

// Pixels as red, green, blue bytes, top row first.
struct RgbImage {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  bool operator==(const RgbImage&) const = default;
};

struct JpegOptions {
  int quality = 90;
  int h_samp = 1, v_samp = 1;  // luma sampling (2, 2 is 4:2:0)
  bool progressive = false;
  bool arithmetic = false;
  bool optimize = false;
  int restart_rows = 0;
  enum Space { kColor, kGray, kCmyk, kYcck, kTwoComponents } space = kColor;
  bool adobe_marker = true;  // for four components
};
// For kCmyk/kYcck the image's bytes are taken as given by cmyk (4 per pixel).
std::vector<uint8_t> EncodeJpeg(const RgbImage& image, const JpegOptions& opts,
                                const std::vector<uint8_t>& cmyk = {});

}  // namespace orv::test
