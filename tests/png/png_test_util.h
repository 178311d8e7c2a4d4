// Test helpers for the PNG codec: a small independent PNG encoder for
// hand-made files (any chunk order, damaged CRCs, split IDAT), libpng as the
// referee decoder, and our decoder's result in the same form.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/bitmap.h"

namespace orv::pngtest {

using Bytes = std::vector<uint8_t>;

struct Chunk {
  std::string type;
  Bytes data;
  bool bad_crc = false;
};

Bytes ChunkBytes(const Chunk& c);
Bytes Signature();
Bytes IHDR(uint32_t w, uint32_t h, int depth, int color_type, int interlace = 0, int compression = 0,
           int filter = 0);
Bytes BE32(uint32_t v);
Bytes BE16(uint16_t v);

// An image as samples (one uint16 per channel, row-major).
struct Image {
  int w = 0, h = 0, depth = 8, color_type = 2, interlace = 0;
  std::vector<uint16_t> samples;
  int Channels() const;
};
// Random samples in range for the depth; palette images use indexes below
// palette_size.
Image RandomImage(int w, int h, int depth, int color_type, int interlace, uint32_t seed, int palette_size = 256);

struct BuildOptions {
  int filter = -1;          // -1 cycles 0..4 row by row
  size_t idat_chunk = 0;    // 0: one IDAT chunk
  int level = 6;
  std::vector<Chunk> before_idat;  // after IHDR
  std::vector<Chunk> after_idat;   // before IEND
  bool iend = true;
};
// The filtered, unfiltered-row stream (filter byte + packed samples per row, per pass).
Bytes RawImageData(const Image& img, int filter);
Bytes Deflate(const Bytes& data, int level = 6);
Bytes BuildPng(const Image& img, const BuildOptions& opt = {});
// The same image data around arbitrary chunks: signature, IHDR and `chunks`.
Bytes Assemble(const std::vector<Chunk>& chunks);

// A decoded picture after the reader's own conversions: colours as RGB bytes,
// and, when there is one, the mask (0 opaque, 255 transparent).
struct Decoded {
  bool ok = false;
  std::string error;
  int w = 0, h = 0;
  Bytes rgb;
  Bytes mask;              // empty when none
  bool transparent = false;
  int32_t transparent_color = -1;  // resolved to RGB
};

// ignore_crc: libpng accepts damaged CRCs (our reader never checks them).
Decoded DecodeWithLibpng(const Bytes& file, bool ignore_crc = false);
Decoded DecodeWithOurs(const Bytes& file);

// libpng's writer, for files made by an independent encoder.
struct LibpngExtras {
  std::vector<uint8_t> palette_rgb;  // PLTE entries, 3 bytes each
  std::vector<uint8_t> palette_alpha;
  bool trans_color = false;
  uint16_t trans_r = 0, trans_g = 0, trans_b = 0, trans_grey = 0;
  std::vector<std::pair<std::string, std::string>> texts;
  int filters = -1;  // libpng PNG_FILTER_* flags; -1 its default
};
Bytes EncodeWithLibpng(const Image& img, const LibpngExtras& extra = {});
// A palette of n entries with distinct colours.
std::vector<uint8_t> TestPalette(int n);

}  // namespace orv::pngtest
