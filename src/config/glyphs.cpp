#include "config/glyphs.h"

#include <QColor>

namespace orv {

namespace {

constexpr int kSize = 16;
using Map = const char* const[kSize];

// Three stacked folders.
Map kSelect = {
    "kkkk............", "kyyykkkkkk......", "kyyyyyyyyk......", "kyyyyyyyyk......",
    "kyykkkkyyk......", "kddkyyykkkkkk...", "kkkkyyyyyyyyk...", "...kyyyyyyyyk...",
    "...kyykkkkyyk...", "...kddkyyykkkkkk", "...kkkkyyyyyyyyk", "......kyyyyyyyyk",
    "......kyyyyyyyyk", "......kddddddddk", "......kkkkkkkkkk", "................",
};
// An open folder: the darker back and the front flap.
Map kOpen = {
    "................", "................", ".kkkk...........", "kddddk..........",
    "kdddddkkkkkkk...", "kdddddddddddk...", "kdddddddddddk...", "kdddkkkkkkkkkkkk",
    "kddkyyyyyyyyyyyk", "kddkyyyyyyyyyyk.", "kdkyyyyyyyyyyyk.", "kdkyyyyyyyyyyk..",
    "kkyyyyyyyyyyyk..", "kkkkkkkkkkkkk...", "................", "................",
};
// Colour bars in a dark frame: white, yellow, cyan, green, magenta, red, blue.
Map kBars = {
    "................", "................", "DDDDDDDDDDDDDDDD", "DwwyyccggMMrrbbD",
    "DwwyyccggMMrrbbD", "DwwyyccggMMrrbbD", "DwwyyccggMMrrbbD", "DwwyyccggMMrrbbD",
    "DwwyyccggMMrrbbD", "DwwyyccggMMrrbbD", "DwwyyccggMMrrbbD", "DwwyyccggMMrrbbD",
    "DwwyyccggMMrrbbD", "DDDDDDDDDDDDDDDD", "................", "................",
};

QRgb ColorOf(char c) {
  switch (c) {
    case 'k': return qRgb(0, 0, 0);
    case 'y': return qRgb(255, 255, 0);
    case 'd': return qRgb(192, 160, 0);
    case 'D': return qRgb(64, 64, 64);
    case 'w': return qRgb(255, 255, 255);
    case 'c': return qRgb(0, 255, 255);
    case 'g': return qRgb(0, 255, 0);
    case 'M': return qRgb(255, 0, 255);
    case 'r': return qRgb(255, 0, 0);
    case 'b': return qRgb(0, 0, 255);
    default: return qRgb(128, 128, 0);  // the background, olive
  }
}

}  // namespace

QImage GlyphImageOpaque(TGlyph glyph) {
  const char* const* map = glyph == TGlyph::kFolderSelect ? kSelect : glyph == TGlyph::kFolderOpen ? kOpen : kBars;
  QImage image(kSize, kSize, QImage::Format_ARGB32);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x) image.setPixel(x, y, ColorOf(map[y][x]));
  return image;
}

QImage GlyphImage(TGlyph glyph) {
  QImage image = GlyphImageOpaque(glyph);
  const QRgb transparent = image.pixel(0, kSize - 1);
  for (int y = 0; y < kSize; ++y)
    for (int x = 0; x < kSize; ++x)
      if (image.pixel(x, y) == transparent) image.setPixel(x, y, qRgba(0, 0, 0, 0));
  return image;
}

}  // namespace orv
