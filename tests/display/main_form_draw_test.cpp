// What the tick draws: fitted and centred pictures, the caption, the error
// lines, and the frame handed to the control in each presentation.
#include "display/image_control.h"
#include "display/outlined_text.h"
#include "display_fixture.h"
#include "platform/gui/gui_canvas.h"
#include "platform/pixel_pool.h"

namespace orv::test {
namespace {

constexpr TColor kBg = 0x336699;
constexpr TColor kRed = 0x0000FF;
constexpr TColor kGreen = 0x00FF00;
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kYellow = 0x00FFFF;
constexpr TColor kCyan = 0xFFFF00;

struct PlaceCase {
  const char* name;
  int w, h;
  bool extend;
  TRect want;  // where the picture lands on 1920 x 1080
};

class PlacementTest : public DisplayTest, public ::testing::WithParamInterface<PlaceCase> {};

// The picture is red with a green bottom-right quarter, so a flip or a
// mirror shows as well as a wrong place.
TEST_P(PlacementTest, FitsAndCentresOnTheBackground) {
  const PlaceCase& c = GetParam();
  TstSpec spec{c.w, c.h, kRed, true, c.w / 2, c.h / 2, c.w - c.w / 2, c.h - c.h / 2, kGreen};
  WriteSettings(std::string("Extend=") + (c.extend ? "1" : "0") + "\n");
  auto form = Create();
  form->pictures = {Picture("p.tst", TstText(spec))};
  StartFullScreen(*form);
  Run(*form, 1);
  ASSERT_TRUE(form->lastChange.changed);
  const TBitmap& b = form->bmpCompose;
  const TRect r = c.want;
  // Inside, near each corner; halftone scaling may blend one pixel at the quarter edges.
  EXPECT_PRED3(Near, b.GetPixel(r.Left, r.Top), kRed, 2);
  EXPECT_PRED3(Near, b.GetPixel(r.Right - 1, r.Top), kRed, 2);
  EXPECT_PRED3(Near, b.GetPixel(r.Left, r.Bottom - 1), kRed, 2);
  EXPECT_PRED3(Near, b.GetPixel(r.Right - 1, r.Bottom - 1), kGreen, 2);
  // Outside, next to each edge that is not the screen's: the background, untouched.
  if (r.Left > 0) {
    EXPECT_EQ(b.GetPixel(r.Left - 1, (r.Top + r.Bottom) / 2), kBg);
  }
  if (r.Right < 1920) {
    EXPECT_EQ(b.GetPixel(r.Right, (r.Top + r.Bottom) / 2), kBg);
  }
  if (r.Top > 0) {
    EXPECT_EQ(b.GetPixel((r.Left + r.Right) / 2, r.Top - 1), kBg);
  }
  if (r.Bottom < 1080) {
    EXPECT_EQ(b.GetPixel((r.Left + r.Right) / 2, r.Bottom), kBg);
  }
  const int area = r.Width() * r.Height();
  EXPECT_EQ(CountColour(b, kBg, Rect(0, 0, 1920, 1080)), 1920 * 1080 - area);
}

INSTANTIATE_TEST_SUITE_P(
    Screen1920x1080, PlacementTest,
    ::testing::Values(PlaceCase{"Wide", 4000, 1000, false, Bounds(0, 300, 1920, 480)},
                      PlaceCase{"WideTruncated", 3000, 1001, false, Bounds(0, 220, 1920, 640)},
                      PlaceCase{"Tall", 1000, 3000, false, Bounds(780, 0, 360, 1080)},
                      PlaceCase{"SmallExtended", 800, 600, true, Bounds(240, 0, 1440, 1080)},
                      PlaceCase{"SmallAtOwnSize", 800, 600, false, Bounds(560, 240, 800, 600)},
                      PlaceCase{"FullWidthExtended", 1920, 500, true, Bounds(0, 290, 1920, 500)},
                      PlaceCase{"ScreenSize", 1920, 1080, true, Bounds(0, 0, 1920, 1080)},
                      PlaceCase{"OddOffsets", 7, 5, false, Bounds(956, 537, 7, 5)}),
    [](const ::testing::TestParamInfo<PlaceCase>& info) { return std::string(info.param.name); });

using DrawTest = DisplayTest;

TEST_F(DrawTest, TransparentColourIsLeftOutOnlyAtOwnSize) {
  // Red frame marked transparent around a green centre.
  TstSpec spec{40, 40, kRed, true, 10, 10, 20, 20, kGreen};
  const std::string path = Picture("t.tst", TstText(spec, "transparent bits=24"));
  for (bool extend : {false, true}) {
    SCOPED_TRACE(extend ? "scaled" : "own size");
    WriteSettings(std::string("Extend=") + (extend ? "1" : "0") + "\n");
    auto form = Create();
    form->pictures = {path};
    StartFullScreen(*form);
    Run(*form, 1);
    const TBitmap& b = form->bmpCompose;
    if (!extend) {
      EXPECT_EQ(b.GetPixel(940, 520), kBg);     // the frame's corner
      EXPECT_EQ(b.GetPixel(960, 540), kGreen);  // the centre
      EXPECT_EQ(CountColour(b, kRed, Rect(0, 0, 1920, 1080)), 0);
    } else {
      // The halftone stretch copies every pixel, the transparent colour too.
      EXPECT_PRED3(Near, b.GetPixel(430, 10), kRed, 2);
      EXPECT_PRED3(Near, b.GetPixel(960, 540), kGreen, 2);
    }
  }
}

TEST_F(DrawTest, FirstCaptionMeasuresInTheDefaultFontLaterOnesInTheCaptionFont) {
  const std::string a = Picture("photo.2024.tst", TstText({400, 300, kRed}));
  const std::string b = Picture("photo.2024.bak.tst", TstText({400, 300, kRed}));
  // The composition without a caption, as the oracle's base.
  auto plain = Create();
  plain->pictures = {a};
  StartFullScreen(*plain);
  Run(*plain, 1);
  const TBitmap base = plain->bmpCompose;
  plain.reset();

  WriteSettings("ChangeSec=1\n[Filename]\nPutFilename=1\nPutFullPath=0\nPutExtention=0\n");
  auto form = Create();
  form->pictures = {a, b};
  StartFullScreen(*form);

  TBitmap probe(1, 1, pf32bit);
  TGuiCanvas measure(probe);
  const int wA_default = measure.TextWidth("A");
  measure.Font.Size = 12;
  measure.Font.Bold = true;
  const int wA_caption = measure.TextWidth("A");
  ASSERT_NE(wA_default, wA_caption) << "the two fonts must tell the cases apart";

  auto expected = [&](const std::string& text, int wA) {
    TBitmap want = base;
    TGuiCanvas canvas(want);
    DrawOutlinedText(canvas, text, 16, 1080 - 16 - wA, 12, kWhite);
    return want;
  };
  Run(*form, 1);
  ASSERT_TRUE(form->lastChange.changed);
  EXPECT_TRUE(SameBitmap(form->bmpCompose, expected("photo.2024", wA_default)));
  Run(*form, 10);
  ASSERT_TRUE(form->lastChange.changed);
  EXPECT_TRUE(SameBitmap(form->bmpCompose, expected("photo.2024.bak", wA_caption)));
  // The caption sits in the lower left corner, white over the picture area's left.
  EXPECT_GT(CountColour(form->bmpCompose, kWhite, Rect(16, 1080 - 60, 300, 1080)), 50);
  EXPECT_EQ(CountColour(form->bmpCompose, kWhite, Rect(0, 0, 1920, 1000)), 0);
}

// Rows and columns of the pixels of one colour inside a band of rows.
TRect Extent(const TBitmap& b, TColor c, int top, int bottom) {
  TRect r{INT32_MAX, INT32_MAX, -1, -1};
  for (int y = top; y < bottom; ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (Near(b.GetPixel(x, y), c, 0)) {
        r.Left = std::min(r.Left, x);
        r.Right = std::max(r.Right, x + 1);
        r.Top = std::min(r.Top, y);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

TEST_F(DrawTest, EmptyListWritesThreeCentredErrorLines) {
  for (int drawMode : {0, 1}) {
    SCOPED_TRACE(drawMode);
    WriteSettings("[Settings]\nDrawMode=" + std::to_string(drawMode) + "\n");
    auto form = Create();
    StartFullScreen(*form);
    Run(*form, 1);
    // Mode 1 finishes the frame in bmpDisplay; the other mode writes on the control's own picture.
    const TBitmap& frame = form->imgMain->Picture();
    if (drawMode == 1) EXPECT_TRUE(SameBitmap(form->bmpDisplay, frame));
    else EXPECT_TRUE(SameBitmap(form->bmpDisplay, form->bmpBackground));
    const TRect line1 = Extent(frame, kYellow, 540 - 56 - 4, 540 - 20 - 2);
    const TRect line2 = Extent(frame, kCyan, 540 - 20 - 2, 540 + 4 - 1);
    const TRect line3 = Extent(frame, kCyan, 540 + 4 - 1, 540 + 40);
    for (const TRect& r : {line1, line2, line3}) {
      ASSERT_GT(r.Right, r.Left);
      EXPECT_LE(std::abs((r.Left + r.Right) - 1920), 4) << r.Left << ".." << r.Right;
    }
    EXPECT_GT(line1.Width(), line3.Width());
    EXPECT_EQ(Extent(frame, kYellow, 540 + 4, 1080).Right, -1);  // no yellow below line 1's band
  }
}

TEST_F(DrawTest, ThirdErrorLineNamesTheFolder) {
  int widths[2];
  for (int i = 0; i < 2; ++i) {
    std::string folder = dir / (i == 0 ? "f" : "a-much-longer-folder-name-for-the-third-line");
    WriteFile(dir / "orvanne.ini", "[BGIllust]\nFolder=" + folder + "\n");
    auto form = Create();
    StartFullScreen(*form);
    Run(*form, 1);
    EXPECT_EQ(form->illustFolder, folder);
    widths[i] = Extent(form->imgMain->Picture(), kCyan, 540 + 3, 540 + 40).Width();
  }
  EXPECT_GT(widths[1], widths[0] + 100);
}

TEST_F(DrawTest, PreviewShrinksTheScreenSizeFrameIntoTheHost) {
  // A full-screen picture: red left half, green right half.
  TstSpec spec{1920, 1080, kRed, true, 960, 0, 960, 1080, kGreen};
  auto form = Create();
  form->pictures = {Picture("half.tst", TstText(spec))};
  StartPreview(*form, 320, 240);
  ASSERT_EQ(form->bmpDisplay.Width(), 1920);  // composed at screen size
  Run(*form, 1);
  const TBitmap& shown = form->imgMain->Picture();
  ASSERT_EQ(shown.Width(), 320);
  ASSERT_EQ(shown.Height(), 240);
  EXPECT_EQ(CountColour(shown, kRed, Rect(0, 0, 160, 240)), 160 * 240);
  EXPECT_EQ(CountColour(shown, kGreen, Rect(160, 0, 320, 240)), 160 * 240);
}

TEST_F(DrawTest, PreviewOfAnEmptyListShowsTheBackgroundOnly) {
  auto form = Create();
  StartPreview(*form, 320, 240);
  Run(*form, 3);
  EXPECT_EQ(CountColour(form->imgMain->Picture(), kBg, Rect(0, 0, 320, 240)), 320 * 240);
}

TEST_F(DrawTest, ChangesReuseTheirBigBuffers) {
  const std::string a = Picture("a.tst", TstText({2400, 1800, kRed}, "bits=24"));
  const std::string b = Picture("b.tst", TstText({2000, 2000, kGreen}));
  WriteSettings("ChangeSec=1\n");
  auto form = Create();
  form->pictures = {a, b};
  StartFullScreen(*form);
  Run(*form, 40);  // four changes to warm up
  const size_t fresh = GetPixelPoolStats().fresh;
  Run(*form, 300);  // thirty more
  EXPECT_EQ(GetPixelPoolStats().fresh, fresh);
  EXPECT_LE(GetPixelPoolStats().retained_blocks, 6u);
}

}  // namespace
}  // namespace orv::test
