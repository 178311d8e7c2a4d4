// A fuzzed bitmap (format, size, pixels, palette, mask) and fuzzed writer
// settings: what the writer produces must read back, with the same colours
// and mask wherever the written form keeps them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "png/png_graphic.h"

namespace {

struct Input {
  const uint8_t* p;
  size_t n;
  uint8_t Byte() {
    if (n == 0) return 0;
    --n;
    return *p++;
  }
};

void Check(bool ok) {
  if (!ok) std::abort();
}

int Expand(int v, int bits) { return bits == 5 ? v * 8 + v / 4 : v * 4 + v / 16; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace orv;
  Input in{data, size};
  const int w = 1 + in.Byte() % 40, h = 1 + in.Byte() % 40;
  static const TPixelFormat kFormats[] = {pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit};
  const TPixelFormat pf = kFormats[in.Byte() % 7];
  const uint8_t flags = in.Byte();
  TPNGGraphic src;
  TBitmap& bmp = src.Bitmap();
  bmp.Allocate(w, h, pf, true);
  if (IsPaletteFormat(pf)) {
    const int count = 1 << StorageBits(pf);
    TRGBQuad pal[256];
    for (int i = 0; i < count; ++i) pal[i] = TRGBQuad{in.Byte(), in.Byte(), in.Byte(), 0};
    bmp.SetPalette(pal, count);
  }
  for (int y = 0; y < h; ++y) {
    uint8_t* line = bmp.ScanLine(y);
    for (size_t i = 0; i < bmp.Stride(); ++i) line[i] = in.Byte();
  }
  const bool alpha = flags & 1;
  if (alpha) {
    TBitmap& mask = src.MaskBitmap();
    mask.Allocate(w, h, pf8bit, true);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x) mask.ScanLine(y)[x] = in.Byte();
    src.SetHasMask(true);
  }
  src.SetGrey(flags & 2);
  src.SetInterlaced(flags & 4);
  src.SetFilterMode(uint8_t((flags >> 3) % 7));
  src.SetCompressionLevel((flags >> 6) == 0 ? 0 : -1);
  src.SetIDATSize(256 + in.Byte());
  src.SetWriteTime(false);

  TMemoryStream stream;
  src.SaveToStream(stream);
  stream.SetPosition(0);
  TPNGGraphic back;
  back.LoadFromStream(stream);  // our own output must never be refused
  const TBitmap& got = back.Bitmap();
  Check(got.Width() == w && got.Height() == h);
  if (flags & 2) return 0;  // grey output keeps only luminance

  const bool palette = IsPaletteFormat(pf);
  const bool alpha_written = alpha && !palette;
  Check(back.HasMask() == alpha_written);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      TColor want;
      if (pf == pf15bit || pf == pf16bit) {
        const uint8_t* px = bmp.ScanLine(y) + 2 * x;
        const int word = px[0] | (px[1] << 8);
        if (pf == pf15bit) {
          const int g5 = (word >> 5) & 31;
          want = RGB(Expand((word >> 10) & 31, 5), g5 * 8 + g5 / 8, Expand(word & 31, 5));
        } else {
          want = RGB(Expand(word >> 11, 5), Expand((word >> 5) & 63, 6), Expand(word & 31, 5));
        }
      } else {
        want = bmp.GetPixel(x, y);
      }
      Check(got.GetPixel(x, y) == want);
      if (alpha_written) Check(back.MaskBitmap().ScanLine(y)[x] == src.MaskBitmap().ScanLine(y)[x]);
    }
  return 0;
}
