// picdump FILE OUT.pam: loads FILE through the picture registry exactly as the
// slideshow does (load, then convert to a plain bitmap) and writes the
// bitmap's colours as a PAM file of RGB tuples. On failure it prints the
// error's message and exits with status 1. More FILE OUT.pam pairs may
// follow (one start for many files where starting is slow, as under Wine);
// each failure is reported and the others still go.
#include <cstdio>
#include <string>
#include <vector>

#include "formats/formats.h"
#include "picture/picture.h"

namespace {

int Dump(const char* file, const char* out_path) {
  try {
    orv::TPicture picture;
    picture.BitmapOnly = true;
    picture.LoadFromFile(file);
    orv::TBitmap bitmap;
    picture.Graphic()->ReleaseTo(bitmap);
    if (bitmap.Empty()) {
      std::fprintf(stderr, "%s: 画像が空です\n", file);
      return 1;
    }
    const int w = bitmap.Width(), h = bitmap.Height();
    std::FILE* out = std::fopen(out_path, "wb");
    if (!out) {
      std::fprintf(stderr, "%s: cannot write\n", out_path);
      return 1;
    }
    std::fprintf(out, "P7\nWIDTH %d\nHEIGHT %d\nDEPTH 3\nMAXVAL 255\nTUPLTYPE RGB\nENDHDR\n", w, h);
    std::vector<uint32_t> row(static_cast<size_t>(w));
    std::vector<uint8_t> rgb(size_t(w) * 3);
    for (int y = 0; y < h; ++y) {
      orv::ReadRowBGRX(bitmap, y, 0, w, row.data());
      for (int x = 0; x < w; ++x) {
        rgb[size_t(x) * 3] = uint8_t(row[size_t(x)] >> 16);
        rgb[size_t(x) * 3 + 1] = uint8_t(row[size_t(x)] >> 8);
        rgb[size_t(x) * 3 + 2] = uint8_t(row[size_t(x)]);
      }
      std::fwrite(rgb.data(), 1, rgb.size(), out);
    }
    if (std::fclose(out) != 0) {
      std::fprintf(stderr, "%s: cannot write\n", out_path);
      return 1;
    }
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3 || argc % 2 != 1) {
    std::fprintf(stderr, "usage: picdump FILE OUT.pam [FILE OUT.pam ...]\n");
    return 2;
  }
  orv::RegisterPictureFormats();
  int status = 0;
  for (int i = 1; i + 1 < argc; i += 2)
    if (Dump(argv[i], argv[i + 1]) != 0) status = 1;
  return status;
}
