// Helpers for the picture tests: bitmap files built byte by byte, RGB images
// (and JPEG files of them, from test support), and running referee tools.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/bitmap.h"
#include "support/jpeg_encoder.h"

namespace orv::test {

// A deterministic picture with gradients, edges and noise.
RgbImage MakeTestImage(int width, int height, unsigned seed = 1);
// The bitmap's colours, whatever its pixel format.
RgbImage BitmapRgb(const TBitmap& bmp);
// Number of bytes that differ and the largest difference.
struct ImageDiff {
  size_t differing = 0;
  int max_delta = 0;
};
ImageDiff Compare(const RgbImage& a, const RgbImage& b);

// A bitmap file, field by field. Colours are 0x00RRGGBB.
struct BmpFields {
  std::string type = "BM";
  uint32_t header_size = 40;  // 12 writes a core header
  int32_t width = 1;
  int32_t height = 1;  // negative: top row first
  uint16_t planes = 1;
  uint16_t bits = 24;
  uint32_t compression = 0;
  uint32_t size_image = 0;
  uint32_t colors_used = 0;
  std::vector<uint32_t> masks;  // after a 40-byte header, inside longer ones
  std::vector<uint32_t> table;
  std::vector<uint8_t> gap;     // bytes between the table and the pixel data
  int64_t offset = -1;          // the file header's pixel-data offset; -1: where they start
  std::vector<uint8_t> pixels;  // as stored
};
std::vector<uint8_t> BuildBmp(const BmpFields& opts);
// Rows of pixel values (indexes, 16- or 32-bit words, or 0x00RRGGBB for 24
// bits), top row first, packed and padded as a bitmap file stores them.
std::vector<uint8_t> PackRows(const std::vector<std::vector<uint32_t>>& rows, int bits, bool bottom_up);


// Runs a program; returns its exit status (-1 when it did not exit normally).
struct ToolResult {
  int status = -1;
  std::string out;
  std::string err;
};
ToolResult RunTool(const std::vector<std::string>& argv);
// Reads a binary PNM (P5, P6) or a PAM (P7) file of 8-bit samples.
RgbImage ReadPnm(const std::string& path);
// Raw red, green, blue bytes of the given size (ImageMagick's rgb: output).
RgbImage ReadRaw(const std::string& path, int width, int height);

}  // namespace orv::test
