// Text with a black outline, as the caption and the error lines are drawn.
#pragma once

#include <string>

#include "platform/text_canvas.h"

namespace orv {

// A distance in pixels at 96 dpi, in the canvas's device pixels.
int ScaledPixels(const ITextCanvas& canvas, int pixels);

// Sets size (points) and bold on the canvas's font, keeping its face, and
// draws the text in black at (x, y - 1), (x - 2, y), (x + 2, y), (x, y + 1),
// then in colour at (x, y) (offsets grown by the canvas's TextScale), with
// a clear brush; the brush is solid again
// afterwards. (x, y) is the text's top-left corner.
void DrawOutlinedText(ITextCanvas& canvas, const std::string& text, int x, int y, int size, TColor colour);

// DrawOutlinedText centred horizontally on a width of area_width pixels.
void DrawCenteredText(ITextCanvas& canvas, const std::string& text, int y, int size, TColor colour,
                      int area_width);

}  // namespace orv
