// Benchmark inputs made at run time: a photo-like picture, written as bitmap
// files and as JPEG files through libjpeg's encoder.
#pragma once

#include <cstdint>
#include <vector>

namespace orv::bench {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;

// Red, green, blue bytes, top row first: smooth shapes, edges and fine noise.
const std::vector<uint8_t>& PhotoRgb();

// A bottom-up bitmap file of the picture: 24 bits, or 8 bits with a
// 256-entry table.
std::vector<uint8_t> BitmapFile(int bits);

// A baseline JPEG file of the picture at quality 90; h_samp x v_samp is the
// luma sampling (1 x 1 for 4:4:4, 2 x 2 for 4:2:0).
std::vector<uint8_t> JpegFile(int h_samp, int v_samp);

// A camera-like JPEG of any size, made row by row (no full-size buffer):
// the same kind of picture as PhotoRgb, 4:2:0 at quality 90, baseline or
// progressive.
std::vector<uint8_t> PhotoJpeg(int width, int height, bool progressive);

// Gives freed memory back to the system, so that the next allocation of a
// large block has to fault its pages in afresh.
void DropFreedMemory();

}  // namespace orv::bench
