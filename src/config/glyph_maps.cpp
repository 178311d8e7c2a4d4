#include "config/glyph_maps.h"

namespace orv {

namespace {

using Map = const char* const[kGlyphSize];

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

uint32_t ColorOf(char c) {
  switch (c) {
    case 'k': return 0x000000;
    case 'y': return 0xFFFF00;
    case 'd': return 0xC0A000;
    case 'D': return 0x404040;
    case 'w': return 0xFFFFFF;
    case 'c': return 0x00FFFF;
    case 'g': return 0x00FF00;
    case 'M': return 0xFF00FF;
    case 'r': return 0xFF0000;
    case 'b': return 0x0000FF;
    default: return 0x808000;  // the background, olive
  }
}

}  // namespace

uint32_t GlyphPixel(TGlyphId glyph, int x, int y) {
  const char* const* map = glyph == TGlyphId::kFolderSelect ? kSelect : glyph == TGlyphId::kFolderOpen ? kOpen : kBars;
  return ColorOf(map[y][x]);
}

}  // namespace orv
