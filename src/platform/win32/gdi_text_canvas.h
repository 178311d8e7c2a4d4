// Text on a TBitmap through GDI: the caption and the error lines of the
// Windows face. Only the text's cell goes through a DIB section, so a text
// costs a few small copies, not a copy of the frame.
#pragma once

#include <string>

#include "platform/bitmap.h"
#include "platform/text_canvas.h"

struct HDC__;
struct HFONT__;

namespace orv::win32 {

// The face the forms and surfaces ask for (GDI substitutes another where it is missing).
extern const wchar_t* const kDefaultFontName;

// The height in pixels of a font of size points at 96 dpi, grown by scale.
int FontPixels(int size, double scale);

class TGdiTextCanvas : public ITextCanvas {
 public:
  // A surface's default font: 9 points, regular.
  explicit TGdiTextCanvas(TBitmap& bitmap);
  ~TGdiTextCanvas() override;
  TGdiTextCanvas(const TGdiTextCanvas&) = delete;
  TGdiTextCanvas& operator=(const TGdiTextCanvas&) = delete;

  void SetTextFont(int size, bool bold) override;
  void SetTextColor(TColor colour) override { colour_ = colour; }
  void SetClearBrush(bool clear) override { clearBrush_ = clear; }
  // Draws only on 32-bit bitmaps (the slideshow's frames); others are left as they are.
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) const override;
  double Scale() const override { return scale_; }
  void SetScale(double scale) override;

 private:
  void SelectFont() const;
  void DropFont();

  TBitmap& bitmap_;
  HDC__* dc_;
  mutable HFONT__* font_ = nullptr;  // made when first needed after a change
  int size_ = 9;
  bool bold_ = false;
  double scale_ = 1.0;
  TColor colour_ = clBlack;
  bool clearBrush_ = false;
};

}  // namespace orv::win32
