// Frames as bitmaps, the image's bitmap of its first frame, palettes,
// dithering on palette displays, and still drawing onto a canvas.
#include <gtest/gtest.h>

#include "formats/formats.h"
#include "gif/reduction/color_reduction.h"
#include "gif/gif_test_util.h"
#include "picture/picture.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

const std::vector<uint32_t> kPalette = {0x000000, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x808080};

TColor C(uint32_t rgb) { return RGB(int(rgb >> 16), int((rgb >> 8) & 0xFF), int(rgb & 0xFF)); }

FramePlan Frame(int x, int y, int w, int h, const Bytes& pixels) {
  FramePlan f;
  f.left = x;
  f.top = y;
  f.width = w;
  f.height = h;
  f.pixels = pixels;
  f.lzw.min_code_size = 3;
  return f;
}

std::unique_ptr<TGIFImage> Load(const GifPlan& plan) {
  Loaded r = LoadGif(BuildGif(plan));
  EXPECT_EQ(r.error, "");
  return std::move(r.image);
}

GifPlan OffsetFrame() {
  GifPlan s;
  s.width = 5;
  s.height = 4;
  s.global = kPalette;
  s.frames.push_back(Frame(2, 1, 2, 2, {1, 2, 3, 4}));
  return s;
}

TEST(GIFFrameBitmap, IsAnEightBitBitmapWithTheFramePalette) {
  GifPlan s = OffsetFrame();
  s.frames.push_back(Frame(0, 0, 3, 1, {0, 1, 2}));
  s.frames.back().local = {0x102030, 0x405060, 0x708090};
  auto img = Load(s);
  const TBitmap& a = img->Images()[0]->Bitmap();
  EXPECT_EQ(a.PixelFormat(), pf8bit);
  EXPECT_EQ(a.Width(), 2);
  EXPECT_EQ(a.ScanLine(1)[0], 3);
  EXPECT_EQ(a.GetPixel(1, 1), C(0xFFFF00));
  EXPECT_EQ(a.PaletteCount(), 8);  // the global table of 6 stored as 8
  const TBitmap& b = img->Images()[1]->Bitmap();
  EXPECT_EQ(b.GetPixel(2, 0), C(0x708090));
  ASSERT_NE(img->Images()[1]->Palette(), nullptr);
  EXPECT_EQ(img->Images()[1]->Palette()->at(1), (TGIFPaletteEntry{0x40, 0x50, 0x60, PC_NOCOLLAPSE}));
}

TEST(GIFImageBitmap, PlacesTheFirstFrameOnTheLogicalScreen) {
  auto img = Load(OffsetFrame());
  TBitmap bmp;
  img->AssignTo(bmp);
  ASSERT_EQ(bmp.Width(), 5);
  ASSERT_EQ(bmp.Height(), 4);
  const std::vector<int32_t> expect = {0, 0, 0, 0, 0,                     //
                                       0, 0, C(0xFF0000), C(0x00FF00), 0,  //
                                       0, 0, C(0x0000FF), C(0xFFFF00), 0,  //
                                       0, 0, 0, 0, 0};
  EXPECT_EQ(Colors(bmp), expect);
}

TEST(GIFImageBitmap, FullSizeFirstFrameIsCopiedAndTransparentPixelsShowTheirColour) {
  GifPlan s;
  s.width = 3;
  s.height = 1;
  s.global = kPalette;
  s.frames.push_back(Frame(0, 0, 3, 1, {5, 1, 5}));
  s.frames[0].transparent = 5;
  s.frames.push_back(Frame(0, 0, 3, 1, {2, 2, 2}));
  s.frames.push_back(Frame(1, 0, 1, 1, {3}));
  auto img = Load(s);
  TBitmap bmp;
  img->CopyToBitmap(bmp);  // what the slideshow does: the first frame, no thread
  EXPECT_EQ(bmp.PixelFormat(), pf8bit);
  EXPECT_EQ(Colors(bmp), (std::vector<int32_t>{C(0x808080), C(0xFF0000), C(0x808080)}));
  EXPECT_EQ(img->PainterCount(), 0);
  EXPECT_EQ(TGIFPainter::LiveThreads(), 0);
}

TEST(GIFImageBitmap, WithoutAnyColourTableItFails) {
  GifPlan s = OffsetFrame();
  s.global.clear();
  for (int depth : {24, 8}) {
    ScreenDepth screen(depth);
    auto img = Load(s);
    TBitmap bmp;
    try {
      img->CopyToBitmap(bmp);
      ADD_FAILURE() << "no error at depth " << depth;
    } catch (const GIFException& e) {
      EXPECT_STREQ(e.what(), "No global or local color table defined");
    }
  }
  // A later frame with its own table still renders.
  s.frames.push_back(Frame(0, 0, 1, 1, {1}));
  s.frames.back().local = {0x111111, 0x222222};
  auto img = Load(s);
  EXPECT_EQ(img->Images()[1]->Bitmap().GetPixel(0, 0), C(0x222222));
}

TEST(GIFImageBitmap, HugeLogicalScreenIsRefusedBeforeAllocating) {
  GifPlan s = OffsetFrame();
  s.width = 65535;
  s.height = 65535;
  auto img = Load(s);
  TBitmap bmp;
  EXPECT_THROW(img->CopyToBitmap(bmp), GIFException);
}

TEST(GIFImageBitmap, EmptyImageGivesAnEmptyBitmap) {
  TGIFImage img;
  TBitmap bmp(3, 3, pf24bit);
  img.AssignTo(bmp);
  EXPECT_TRUE(bmp.Empty());
  EXPECT_EQ(img.Bitmap(), nullptr);
}

TEST(GIFFrameBitmap, MaskMarksTheTransparentIndex) {
  GifPlan s;
  s.width = 10;
  s.height = 2;
  s.global = kPalette;
  Bytes px(20, 1);
  px[0] = px[9] = px[13] = 4;
  s.frames.push_back(Frame(0, 0, 10, 2, px));
  s.frames[0].transparent = 4;
  s.frames.push_back(Frame(0, 0, 10, 2, Bytes(20, 1)));
  s.frames[1].transparent = 4;
  auto img = Load(s);
  const TBitmap* mask = img->Images()[0]->Mask();
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->PixelFormat(), pf1bit);
  for (int i = 0; i < 20; ++i)
    EXPECT_EQ((mask->ScanLine(i / 10)[(i % 10) >> 3] >> (7 - (i % 10) % 8)) & 1, (i == 0 || i == 9 || i == 13) ? 1 : 0)
        << i;
  EXPECT_EQ(img->Images()[1]->Mask(), nullptr);  // no pixel has the index
}

GifPlan Gradient(int w, int h, int transparent = -1) {
  GifPlan s;
  s.width = w;
  s.height = h;
  for (int i = 0; i < 64; ++i) s.global.push_back(uint32_t((i * 4) << 16 | (255 - i * 4) << 8 | (i * 3)));
  Bytes px(size_t(w) * h);
  for (int i = 0; i < w * h; ++i) px[size_t(i)] = uint8_t((i * 5 + i / w) % 64);
  s.frames.push_back(Frame(0, 0, w, h, px));
  s.frames[0].lzw.min_code_size = 6;
  s.frames[0].transparent = transparent;
  return s;
}

TEST(GIFFrameBitmap, PaletteDisplayDithersToTheCube) {
  const GifPlan s = Gradient(23, 9, 7);
  ScreenDepth screen(8);
  auto img = Load(s);
  EXPECT_TRUE(img->DoDither());
  const TBitmap& bmp = img->Images()[0]->Bitmap();
  ASSERT_EQ(bmp.PaletteCount(), 216);
  EXPECT_EQ(QuadToColor(bmp.Palette()[180]), RGB(255, 0, 0));
  // Expected: the ditherer over the frame's colours; transparent pixels skip
  // it and take the cube entry of their colour.
  TNetscapeColorLookup lookup;
  TFloydSteinbergDitherer fs(23, lookup);
  const Bytes& px = s.frames[0].pixels;
  TLookupColor e;
  const uint32_t tc = s.global[7];
  const int transparent_entry = lookup.NearestEntry(int(tc >> 16), int(tc >> 8) & 255, int(tc & 255), e);
  for (int y = 0; y < 9; ++y) {
    for (int i = 0; i < 23; ++i) {
      const int x = fs.Column();
      const uint8_t idx = px[size_t(y * 23 + x)];
      int want;
      if (idx == 7) {
        want = transparent_entry;
        fs.AdvanceColumn();
      } else {
        const uint32_t c = s.global[idx];
        want = fs.DitherPixel(int(c >> 16), int(c >> 8) & 255, int(c & 255));
      }
      ASSERT_EQ(bmp.ScanLine(y)[x], want) << x << "," << y;
    }
    fs.AdvanceLine();
  }
  TBitmap whole;
  img->CopyToBitmap(whole);
  EXPECT_EQ(whole.PaletteCount(), 216);
}

TEST(GIFFrameBitmap, DitherOptionsDecide) {
  struct Case {
    int depth;
    TGIFDrawOptions options;
    bool dither;
  } cases[] = {{8, DefaultDrawOptions, true},
               {4, DefaultDrawOptions, true},
               {24, DefaultDrawOptions, false},
               {24, DrawDither, true},
               {8, DefaultDrawOptions & ~DrawDither, false}};
  for (const Case& c : cases) {
    ScreenDepth screen(c.depth);
    auto img = Load(Gradient(4, 4));
    img->DrawOptions = c.options;
    EXPECT_EQ(img->DoDither(), c.dither);
    EXPECT_EQ(img->Images()[0]->Bitmap().PaletteCount(), c.dither ? 216 : 64);
  }
}

TEST(GIFFrameBitmap, ColourIndexPastTheTableWarnsWhenDithering) {
  GifPlan s;
  s.width = 2;
  s.height = 1;
  s.global = {0xFF0000, 0x00FF00};
  s.frames.push_back(Frame(0, 0, 2, 1, {1, 6}));
  ScreenDepth screen(8);
  auto img = Load(s);
  std::vector<std::string> warnings;
  img->WarningHandler = [&](void*, int, const std::string& m) { warnings.push_back(m); };
  const TBitmap& bmp = img->Images()[0]->Bitmap();
  EXPECT_EQ(warnings, (std::vector<std::string>{"Invalid color index"}));
  EXPECT_EQ(bmp.ScanLine(0)[0], 30);  // green
}

TEST(GIFFrameBitmap, RenderingReportsProgress) {
  auto img = Load(Gradient(8, 70));
  std::vector<std::pair<TProgressStage, std::string>> seen;
  img->OnProgress = [&](void*, TProgressStage st, int, bool, const TRect&, const std::string& m) {
    seen.push_back({st, m});
  };
  img->Images()[0]->Bitmap();
  ASSERT_EQ(seen.size(), 5u);  // start, rows 0, 32, 64, end
  EXPECT_EQ(seen.front(), std::make_pair(psStarting, std::string("Rendering...")));
  EXPECT_EQ(seen.back().first, psEnding);
}

TEST(GIFPaint, SingleTransparentFrameShowsWhatWasThere) {
  GifPlan s;
  s.width = 2;
  s.height = 1;
  s.global = kPalette;
  s.frames.push_back(Frame(0, 0, 2, 1, {3, 5}));
  s.frames[0].transparent = 5;
  auto img = Load(s);
  TBitmap target(4, 2, pf32bit);
  TCanvas canvas(target);
  canvas.BrushColor = RGB(9, 9, 9);
  canvas.FillRect(Rect(0, 0, 4, 2));
  img->Draw(canvas, Rect(0, 0, 4, 2));  // stretched 2x
  const int32_t blue = C(0x0000FF), old = RGB(9, 9, 9);
  EXPECT_EQ(Colors(target), (std::vector<int32_t>{blue, blue, old, old, blue, blue, old, old}));
  EXPECT_EQ(img->PainterCount(), 0);

  img->DrawOptions &= TGIFDrawOptions(~DrawTransparent);
  img->Draw(canvas, Rect(0, 0, 4, 2));
  EXPECT_EQ(target.GetPixel(3, 1), C(0x808080));
}

TEST(GIFPaint, FrameIsScaledToItsPlaceOrTiled) {
  GifPlan s;
  s.width = 4;
  s.height = 3;
  s.global = kPalette;
  s.frames.push_back(Frame(1, 1, 2, 1, {1, 2}));
  auto img = Load(s);
  TBitmap target(8, 6, pf32bit);
  TCanvas canvas(target);
  img->Draw(canvas, Rect(0, 0, 8, 6));  // place (1,1)-(3,2) scaled 2x
  for (int x = 0; x < 8; ++x)
    for (int y = 0; y < 6; ++y) {
      const bool in = y >= 2 && y < 4 && x >= 2 && x < 6;
      EXPECT_EQ(target.GetPixel(x, y), in ? (x < 4 ? C(0xFF0000) : C(0x00FF00)) : 0) << x << "," << y;
    }
  TBitmap tiled(8, 6, pf32bit);
  TCanvas tc(tiled);
  img->DrawOptions |= DrawTiling;
  img->Draw(tc, Rect(0, 0, 8, 6));  // 2 x 2 tiles of 4 x 3, unscaled
  for (auto [x, y] : {std::pair{1, 1}, std::pair{5, 1}, std::pair{1, 4}, std::pair{5, 4}}) {
    EXPECT_EQ(tiled.GetPixel(x, y), C(0xFF0000));
    EXPECT_EQ(tiled.GetPixel(x + 1, y), C(0x00FF00));
  }
  EXPECT_EQ(tiled.GetPixel(0, 0), 0);
  EXPECT_EQ(tiled.GetPixel(3, 2), 0);
}

TEST(GIFRegistration, GifFilesLoadThroughThePictureRegistry) {
  RegisterPictureFormats();
  EXPECT_EQ(TFileFormatsList::Instance().FindExt("gif"), &kGIFImageClass);
  const auto& formats = TFileFormatsList::Instance().Formats();
  auto it = std::find_if(formats.begin(), formats.end(), [](const TFileFormat& f) { return f.extension == "gif"; });
  ASSERT_NE(it, formats.end());
  EXPECT_EQ(it->description, "GIF Image");

  TempDir dir;
  WriteFile(dir / "a.GIF", BuildGif(OffsetFrame()));
  TPicture picture;
  picture.LoadFromFile(dir / "a.GIF");
  ASSERT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);
  TBitmap bmp;
  picture.Graphic()->AssignTo(bmp);
  EXPECT_EQ(bmp.GetPixel(3, 2), C(0xFFFF00));

  WriteFile(dir / "bad.gif", std::string("GIF89a\x01"));
  EXPECT_THROW(picture.LoadFromFile(dir / "bad.gif"), GIFException);
  EXPECT_NE(dynamic_cast<TGIFImage*>(picture.Graphic()), nullptr);  // the old picture stays
}

}  // namespace
}  // namespace orv::test
