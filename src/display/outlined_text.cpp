#include "display/outlined_text.h"

namespace orv {

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
  canvas.TextOut(x, y - 1, text);
  canvas.TextOut(x - 2, y, text);
  canvas.TextOut(x + 2, y, text);
  canvas.TextOut(x, y + 1, text);
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
