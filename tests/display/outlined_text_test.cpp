// The outlined text: black copies one pixel above and below and two to each
// side, the colour on top, no background box, the canvas's face kept.
#include "display/outlined_text.h"
#include "platform/gui/gui_canvas.h"

#include "display_fixture.h"

namespace orv::test {
namespace {

constexpr TColor kGrey = 0x808080;

TBitmap Grey(int w, int h) {
  TBitmap b(w, h, pf32bit);
  TCanvas c(b);
  c.BrushColor = kGrey;
  c.FillRect(Rect(0, 0, w, h));
  return b;
}

// The pixels that plain text covers (anything not grey).
std::vector<bool> Ink(const std::string& text, int x, int y, int size, int w, int h) {
  TBitmap b = Grey(w, h);
  TGuiCanvas c(b);
  c.Font.Size = size;
  c.Font.Bold = true;
  c.BrushStyle = bsClear;
  c.Font.Color = 0x0000FF;
  c.TextOut(x, y, text);
  std::vector<bool> ink(size_t(w * h));
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) ink[size_t(j * w + i)] = b.GetPixel(i, j) != kGrey;
  return ink;
}

TEST(DrawOutlinedText, OutlinesAroundTheColouredText) {
  const int w = 200, h = 60, x = 20, y = 20;
  const std::string text = "Hi 写";
  TBitmap b = Grey(w, h);
  TGuiCanvas canvas(b);
  canvas.Font.Name = kDefaultFontName;
  DrawOutlinedText(canvas, text, x, y, 12, 0xFFFFFF);
  EXPECT_EQ(canvas.BrushStyle, bsSolid);
  EXPECT_EQ(canvas.Font.Size, 12);
  EXPECT_TRUE(canvas.Font.Bold);
  EXPECT_EQ(canvas.Font.Name, kDefaultFontName);

  const auto centre = Ink(text, x, y, 12, w, h);
  std::vector<bool> outline(size_t(w * h), false);
  for (auto [dx, dy] : {std::pair{0, -1}, {-2, 0}, {2, 0}, {0, 1}}) {
    const auto shifted = Ink(text, x + dx, y + dy, 12, w, h);
    for (size_t i = 0; i < shifted.size(); ++i) outline[i] = outline[i] || shifted[i];
  }
  int white = 0, dark = 0;
  for (int j = 0; j < h; ++j)
    for (int i = 0; i < w; ++i) {
      const size_t k = size_t(j * w + i);
      const TColor p = b.GetPixel(i, j);
      if (!centre[k] && !outline[k]) {
        ASSERT_EQ(p, kGrey) << "no box around the text at " << i << "," << j;
      } else if (!centre[k]) {
        // Only the black copies reach here: darker than the background.
        ASSERT_LT(GetRValue(p), GetRValue(kGrey)) << i << "," << j;
        ++dark;
      } else if (p == 0xFFFFFF) {
        ++white;
      }
    }
  EXPECT_GT(white, 20);
  EXPECT_GT(dark, 20);
}

TEST(DrawCenteredText, CentresOnTheGivenWidth) {
  TBitmap b = Grey(400, 60);
  TGuiCanvas canvas(b);
  const std::string text = "センター";
  DrawCenteredText(canvas, text, 10, 16, 0x00FFFF, 400);
  int left = 400, right = -1;
  for (int j = 0; j < 60; ++j)
    for (int i = 0; i < 400; ++i)
      if (b.GetPixel(i, j) == 0x00FFFF) {
        left = std::min(left, i);
        right = std::max(right, i + 1);
      }
  ASSERT_GT(right, left);
  EXPECT_LE(std::abs((left + right) - 400), 4);
  // The area is the given width, not the bitmap's: centred on 200 pixels it lands further left.
  TBitmap c = Grey(400, 60);
  TGuiCanvas narrow(c);
  DrawCenteredText(narrow, text, 10, 16, 0x00FFFF, 200);
  int left2 = 400;
  for (int j = 0; j < 60; ++j)
    for (int i = 0; i < 400; ++i)
      if (c.GetPixel(i, j) == 0x00FFFF) left2 = std::min(left2, i);
  EXPECT_EQ(left - left2, 100);
}

}  // namespace
}  // namespace orv::test
