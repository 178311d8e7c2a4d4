#include "support/claiming_files.h"

#include <zlib.h>

#include "support/jpeg_encoder.h"
#include "support/test_support.h"

namespace orv::test {

using Bytes = std::vector<uint8_t>;

void PutBE32(Bytes& v, uint32_t x) {
  for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}

void AppendPngChunk(Bytes& png, const char* type, const Bytes& data) {
  PutBE32(png, uint32_t(data.size()));
  Bytes body(type, type + 4);
  body.insert(body.end(), data.begin(), data.end());
  png.insert(png.end(), body.begin(), body.end());
  PutBE32(png, uint32_t(crc32(0, body.data(), uInt(body.size()))));
}

namespace {

// Twelve bytes of image data: the start of a deflated run of grey rows.
Bytes TinyPng(int side) {
  Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  Bytes ihdr;
  PutBE32(ihdr, uint32_t(side));
  PutBE32(ihdr, uint32_t(side));
  ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0});
  AppendPngChunk(png, "IHDR", ihdr);
  const Bytes rows(size_t(side) * 3 * 4 + 4, 0x80);
  Bytes z(compressBound(uLong(rows.size())));
  uLongf n = uLongf(z.size());
  compress2(z.data(), &n, rows.data(), uLong(rows.size()), 9);
  z.resize(12);
  AppendPngChunk(png, "IDAT", z);
  AppendPngChunk(png, "IEND", {});
  return png;
}

// Headers and a 16-colour table, no pixels.
Bytes TinyBmp(int side) {
  Bytes b = {'B', 'M'};
  Put32(b, 118);
  Put32(b, 0);
  Put32(b, 118);
  Put32(b, 40);
  Put32(b, uint32_t(side));
  Put32(b, uint32_t(side));
  Put16(b, 1);
  Put16(b, 4);
  for (int i = 0; i < 6; ++i) Put32(b, 0);
  for (uint32_t i = 0; i < 16; ++i) Put32(b, i * 0x111111);
  return b;
}

// A 96 x 96 JPEG whose frame header is made to say side x side.
Bytes ClaimingJpeg(int side) {
  RgbImage img{96, 96, {}};
  for (int y = 0; y < 96; ++y)
    for (int x = 0; x < 96; ++x)
      img.rgb.insert(img.rgb.end(), {uint8_t(x * 2), uint8_t((x ^ y) * 5), uint8_t(y * 2 + (x * 7 % 13))});
  Bytes j = EncodeJpeg(img, JpegOptions{});
  for (size_t i = 2; i + 8 < j.size(); ++i)
    if (j[i] == 0xFF && j[i + 1] == 0xC0) {
      j[i + 5] = uint8_t(side >> 8), j[i + 6] = uint8_t(side);
      j[i + 7] = uint8_t(side >> 8), j[i + 8] = uint8_t(side);
      break;
    }
  return j;
}

// An 11 x 29 screen and a side x side frame at (40, 40), with a little data.
Bytes OffscreenGif(int side) {
  Bytes g = {'G', 'I', 'F', '8', '9', 'a'};
  Put16(g, 11);
  Put16(g, 29);
  g.insert(g.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255});
  g.push_back(',');
  for (int v : {40, 40, side, side}) Put16(g, uint32_t(v));
  g.push_back(0);
  g.push_back(2);  // LZW minimum code size
  Bytes data(125, 0x4C);
  g.push_back(uint8_t(data.size()));
  g.insert(g.end(), data.begin(), data.end());
  g.insert(g.end(), {0, ';'});
  return g;
}

}  // namespace

std::vector<ClaimingFile> ClaimingFiles(int side) {
  return {{"claims.png", TinyPng(side), side, side},
          {"claims.bmp", TinyBmp(side), side, side},
          {"claims.jpg", ClaimingJpeg(side), side, side},
          {"claims.gif", OffscreenGif(side), 11, 29}};
}

}  // namespace orv::test
