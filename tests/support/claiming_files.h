// Small picture files that claim huge pictures: the data runs out (or lies
// off the screen) long before the claimed size is reached.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace orv::test {

struct ClaimingFile {
  std::string name;  // with the format's extension
  std::vector<uint8_t> bytes;
  int width, height;  // the size the slideshow gets (the GIF's screen)
};

// A 69-byte PNG, a 118-byte BMP and a JPEG of a few kilobytes claiming
// side x side, and a 158-byte GIF whose only frame of side x side lies
// wholly beyond its 11 x 29 screen.
std::vector<ClaimingFile> ClaimingFiles(int side);

// PNG pieces for crafted files: a big-endian word, and a chunk with its CRC
// appended to png.
void PutBE32(std::vector<uint8_t>& v, uint32_t x);
void AppendPngChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data);

}  // namespace orv::test
