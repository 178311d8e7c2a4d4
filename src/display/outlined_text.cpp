#include "display/outlined_text.h"

#include <cmath>

namespace orv {

int ScaledPixels(const TGuiCanvas& canvas, int pixels) {
  return canvas.TextScale == 1.0 ? pixels : int(std::lround(pixels * canvas.TextScale));
}

namespace {
void SetTextStyle(TGuiCanvas& canvas, int size) {
  canvas.Font.Size = size;
  canvas.Font.Bold = true;
  canvas.BrushStyle = bsClear;
}
}  // namespace

void DrawOutlinedText(TGuiCanvas& canvas, const std::string& text, int x, int y, int size, TColor colour) {
  SetTextStyle(canvas, size);
  canvas.Font.Color = clBlack;
  // The outline grows with the text, so that it reads as at 96 dpi.
  const int dx = ScaledPixels(canvas, 2), dy = ScaledPixels(canvas, 1);
  canvas.TextOut(x, y - dy, text);
  canvas.TextOut(x - dx, y, text);
  canvas.TextOut(x + dx, y, text);
  canvas.TextOut(x, y + dy, text);
  canvas.Font.Color = colour;
  canvas.TextOut(x, y, text);
  canvas.BrushStyle = bsSolid;
}

void DrawCenteredText(TGuiCanvas& canvas, const std::string& text, int y, int size, TColor colour,
                      int area_width) {
  SetTextStyle(canvas, size);
  const int w = canvas.TextWidth(text);
  DrawOutlinedText(canvas, text, (area_width - w) / 2, y, size, colour);
}

}  // namespace orv
