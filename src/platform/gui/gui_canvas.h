// The drawing operations that go through QtGui: halftone-quality stretching
// and text, on top of the Qt-free TCanvas.
#pragma once

#include <string>

#include "platform/canvas.h"
#include "platform/text_canvas.h"

namespace orv {

// The face every form and surface asks for; fontconfig gives a Japanese face
// for it through the substitution installed at start-up.
extern const char* const kDefaultFontName;

struct TFont {
  std::string Name = kDefaultFontName;
  int Size = 9;  // points, at a fixed 96 dots per inch (12 pt is 16 px)
  bool Bold = false;
  TColor Color = clBlack;
};

class TGuiCanvas : public TCanvas, public ITextCanvas {
 public:
  explicit TGuiCanvas(TBitmap& bitmap) : TCanvas(bitmap) {}

  TFont Font;
  // Device pixels per pixel at 96 dpi: text grows with the display's scale.
  double TextScale = 1.0;

  // Text with its top-left corner at (x, y); a clear brush draws no background box.
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) const override;
  void SetTextFont(int size, bool bold) override {
    Font.Size = size;
    Font.Bold = bold;
  }
  void SetTextColor(TColor colour) override { Font.Color = colour; }
  void SetClearBrush(bool clear) override { BrushStyle = clear ? bsClear : bsSolid; }
  double Scale() const override { return TextScale; }
  void SetScale(double scale) override { TextScale = scale; }
  int TextHeight(const std::string& text) const;

  // Area-averaging downscale / smooth upscale of all of src into r. Every
  // pixel is copied: transparency is not looked at.
  void HalftoneStretchDraw(const TRect& r, const TBitmap& src);
};

// Halftone stretch as a free function (used by TGuiCanvas).
void HalftoneStretch(TBitmap& dst, const TRect& r, const TBitmap& src);

}  // namespace orv
