#include "gif/gif_palette.h"

#include <algorithm>

#include "gif/gif_color_map.h"

namespace orv {

TGIFPaletteRef WebPalette() {
  static const TGIFPaletteRef palette = [] {
    auto p = std::make_shared<TGIFPalette>(216);
    for (int r = 0; r < 6; ++r)
      for (int g = 0; g < 6; ++g)
        for (int b = 0; b < 6; ++b)
          (*p)[size_t(r * 36 + g * 6 + b)] = {uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51), 0};
    return p;
  }();
  return palette;
}

TGIFPaletteRef PaletteFromColorMap(const TGIFColorMap& map) {
  auto p = std::make_shared<TGIFPalette>(size_t(map.Count()));
  for (int i = 0; i < map.Count(); ++i) {
    const TGIFColor& c = map.Entry(i);
    (*p)[size_t(i)] = {c.Red, c.Green, c.Blue, PC_NOCOLLAPSE};
  }
  return p;
}

TGIFPaletteRef PaletteFromBitmap(const TBitmap& bitmap) {
  if (!IsPaletteFormat(bitmap.PixelFormat()) || bitmap.PaletteCount() == 0) return nullptr;
  auto p = std::make_shared<TGIFPalette>(size_t(bitmap.PaletteCount()));
  for (int i = 0; i < bitmap.PaletteCount(); ++i) {
    const TRGBQuad& q = bitmap.Palette()[i];
    (*p)[size_t(i)] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0};
  }
  return p;
}

void ApplyPalette(TBitmap& bitmap, const TGIFPalette& palette) {
  TRGBQuad quads[256] = {};
  const int n = int(std::min<size_t>(palette.size(), 256));
  for (int i = 0; i < n; ++i) quads[i] = TRGBQuad{palette[size_t(i)].peBlue, palette[size_t(i)].peGreen,
                                                  palette[size_t(i)].peRed, 0};
  bitmap.SetPalette(quads, n);
}

}  // namespace orv
