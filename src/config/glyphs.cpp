#include "config/glyphs.h"

#include <QColor>

#include "config/glyph_maps.h"

namespace orv {

QImage GlyphImageOpaque(TGlyph glyph) {
  const TGlyphId id = glyph == TGlyph::kFolderSelect ? TGlyphId::kFolderSelect
                       : glyph == TGlyph::kFolderOpen ? TGlyphId::kFolderOpen
                                                      : TGlyphId::kColorBars;
  QImage image(kGlyphSize, kGlyphSize, QImage::Format_ARGB32);
  for (int y = 0; y < kGlyphSize; ++y)
    for (int x = 0; x < kGlyphSize; ++x) image.setPixel(x, y, 0xFF000000u | GlyphPixel(id, x, y));
  return image;
}

QImage GlyphImage(TGlyph glyph) {
  QImage image = GlyphImageOpaque(glyph);
  const QRgb transparent = image.pixel(0, kGlyphSize - 1);
  for (int y = 0; y < kGlyphSize; ++y)
    for (int x = 0; x < kGlyphSize; ++x)
      if (image.pixel(x, y) == transparent) image.setPixel(x, y, qRgba(0, 0, 0, 0));
  return image;
}

}  // namespace orv
