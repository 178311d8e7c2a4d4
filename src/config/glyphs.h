// The 16 x 16 glyphs of the dialog's buttons, drawn from character maps.
#pragma once

#include <QImage>

namespace orv {

enum class TGlyph { kFolderSelect, kFolderOpen, kColorBars };

// The glyph with every pixel of its bottom-left pixel's colour made
// transparent, as a button draws it.
QImage GlyphImage(TGlyph glyph);

// The glyph as drawn, before any colour is taken as transparent.
QImage GlyphImageOpaque(TGlyph glyph);

}  // namespace orv
