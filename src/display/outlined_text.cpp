#include "display/outlined_text.h"

#include <cmath>

namespace orv {

int ScaledPixels(const ITextCanvas& canvas, int pixels) {
  return canvas.Scale() == 1.0 ? pixels : int(std::lround(pixels * canvas.Scale()));
}

namespace {
void SetTextStyle(ITextCanvas& canvas, int size) {
  canvas.SetTextFont(size, true);
  canvas.SetClearBrush(true);
}
}  // namespace

void DrawOutlinedText(ITextCanvas& canvas, const std::string& text, int x, int y, int size, TColor colour) {
  SetTextStyle(canvas, size);
  canvas.SetTextColor(clBlack);
  // The outline grows with the text, so that it reads as at 96 dpi.
  const int dx = ScaledPixels(canvas, 2), dy = ScaledPixels(canvas, 1);
  canvas.TextOut(x, y - dy, text);
  canvas.TextOut(x - dx, y, text);
  canvas.TextOut(x + dx, y, text);
  canvas.TextOut(x, y + dy, text);
  canvas.SetTextColor(colour);
  canvas.TextOut(x, y, text);
  canvas.SetClearBrush(false);
}

void DrawCenteredText(ITextCanvas& canvas, const std::string& text, int y, int size, TColor colour,
                      int area_width) {
  SetTextStyle(canvas, size);
  const int w = canvas.TextWidth(text);
  DrawOutlinedText(canvas, text, (area_width - w) / 2, y, size, colour);
}

}  // namespace orv
