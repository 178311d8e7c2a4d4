// Text on a bitmap, as the slideshow draws its caption and error lines. The
// face that shows the slideshow implements it with its own font engine; the
// surface keeps its font between calls, as a bitmap's canvas does.
#pragma once

#include <string>

#include "platform/color.h"

namespace orv {

class ITextCanvas {
 public:
  virtual ~ITextCanvas() = default;
  // Size in points at 96 dpi, keeping the face.
  virtual void SetTextFont(int size, bool bold) = 0;
  virtual void SetTextColor(TColor colour) = 0;
  // A clear brush draws no background box behind the text.
  virtual void SetClearBrush(bool clear) = 0;
  // Text with its top-left corner at (x, y).
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  virtual int TextWidth(const std::string& text) const = 0;
  // Device pixels per pixel at 96 dpi: text grows with the display's scale.
  virtual double Scale() const = 0;
  virtual void SetScale(double scale) = 0;
};

}  // namespace orv
