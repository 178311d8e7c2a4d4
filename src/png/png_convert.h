// Row conversions of the reader that are hot enough for a vector path:
// RGB to the bitmap's blue-green-red order, and RGBA to blue-green-red plus
// a mask byte (255 - alpha). The SSSE3 paths are picked at run time and
// give the same bytes as the portable ones.
#pragma once

#include <cstdint>

namespace orv {

void RGBToBGR(const uint8_t* src, uint8_t* dst, int64_t pixels);
void RGBToBGRPortable(const uint8_t* src, uint8_t* dst, int64_t pixels);
// mask may be null.
void RGBAToBGR(const uint8_t* src, uint8_t* dst, uint8_t* mask, int64_t pixels);
void RGBAToBGRPortable(const uint8_t* src, uint8_t* dst, uint8_t* mask, int64_t pixels);

}  // namespace orv
