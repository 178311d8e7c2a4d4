// TPNGGraphic: loading, transparency synchronisation, assignment, saving
// with its settings, form data, size changes and registration.
#include <gtest/gtest.h>

#include <cstring>

#include "picture/bitmap_graphic.h"
#include "picture/picture.h"
#include "png/png_graphic.h"
#include "png_test_util.h"
#include "support/test_support.h"

namespace orv::pngtest {
namespace {

Bytes PaletteFile(Bytes trns) {
  const Image img = RandomImage(6, 4, 4, 3, 0, 21, 16);
  BuildOptions opt;
  opt.before_idat = {{"PLTE", TestPalette(16)}, {"tRNS", trns}};
  return BuildPng(img, opt);
}

void Load(TPNGGraphic& g, const Bytes& file) {
  TMemoryStream ms(file);
  g.LoadFromStream(ms);
}

TEST(PngGraphic, FreshGraphicIsEmpty) {
  TPNGGraphic g;
  EXPECT_EQ(g.Width(), 0);
  EXPECT_EQ(g.Height(), 0);
  EXPECT_TRUE(g.Empty());
  EXPECT_DOUBLE_EQ(g.Gamma(), 0.45455);
  EXPECT_EQ(g.IDATSize(), 32768);
  EXPECT_EQ(g.FilterMode(), 1);
  EXPECT_GE(g.Time().year, 2020);
  int changes = 0;
  g.OnChange = [&] { ++changes; };
  g.SetWidth(10);
  g.SetHeight(10);
  EXPECT_TRUE(g.Empty());
  EXPECT_EQ(changes, 2);
}

TEST(PngGraphic, TransparencyFollowsTheFile) {
  TPNGGraphic pal;
  int changes = 0;
  pal.OnChange = [&] { ++changes; };
  Load(pal, PaletteFile({255, 255, 0}));
  EXPECT_TRUE(pal.Transparent());
  EXPECT_TRUE(pal.Bitmap().Transparent());
  EXPECT_EQ(pal.TransparentColorValue(), 0x01000002);
  EXPECT_GE(changes, 1);
  EXPECT_TRUE(pal.PaletteModified());
  TBitmap out;
  pal.AssignTo(out);
  EXPECT_TRUE(out.Transparent());
  EXPECT_EQ(out.TransparentColor(), 0x01000002);

  TPNGGraphic rgba;
  Load(rgba, BuildPng(RandomImage(5, 5, 8, 6, 0, 22)));
  EXPECT_TRUE(rgba.HasMask());
  EXPECT_FALSE(rgba.Transparent());
  EXPECT_FALSE(rgba.Bitmap().Transparent());
  EXPECT_EQ(rgba.MaskBitmap().Width(), 5);

  // Loading an opaque file afterwards clears the flag on both.
  Load(pal, BuildPng(RandomImage(3, 3, 8, 2, 0, 23)));
  EXPECT_FALSE(pal.Transparent());
  EXPECT_FALSE(pal.HasMask());
  EXPECT_TRUE(pal.MaskBitmap().Empty());

  // Setting the flag on the graphic reaches the bitmap.
  pal.SetTransparent(true);
  EXPECT_TRUE(pal.Bitmap().Transparent());
}

TEST(PngGraphic, DrawLeavesTheTransparentColourOut) {
  TPNGGraphic g;
  Image img;
  img.w = 2, img.h = 1, img.depth = 8, img.color_type = 3;
  img.samples = {0, 1};
  BuildOptions opt;
  opt.before_idat = {{"PLTE", {10, 20, 30, 40, 50, 60}}, {"tRNS", {0}}};
  Load(g, BuildPng(img, opt));
  TBitmap target(2, 1, pf24bit);
  TCanvas canvas(target);
  canvas.BrushColor = RGB(1, 2, 3);
  canvas.FillRect(Rect(0, 0, 2, 1));
  g.Draw(canvas, Rect(0, 0, 2, 1));
  EXPECT_EQ(target.GetPixel(0, 0), RGB(1, 2, 3));
  EXPECT_EQ(target.GetPixel(1, 0), RGB(40, 50, 60));
}

TEST(PngGraphic, SaveKeepsTheDescription) {
  TPNGGraphic g;
  Load(g, BuildPng(RandomImage(9, 7, 8, 6, 1, 24)));
  g.SetComment("first line");
  g.SetBackgroundColor(RGB(9, 8, 7));
  g.SetGamma(1.0);
  g.SetPhysical(1, 3000, 4000);
  g.SetWriteTime(false);
  g.SetTime(TPNGTime{1999, 12, 31, 1, 2, 3});
  g.SetChromaticity({31270, 32900, 1, 2, 3, 4, 5, 6});
  g.SetGIFControl({2, 0, 0, 9});
  g.SetFilterMode(5);
  g.SetInterlaced(true);
  TMemoryStream ms;
  g.SaveToStream(ms);
  ms.SetPosition(0);
  TPNGGraphic back;
  back.LoadFromStream(ms);
  EXPECT_EQ(back.Comment(), "first line\r\n");
  EXPECT_EQ(back.BackgroundColor(), RGB(9, 8, 7));
  EXPECT_DOUBLE_EQ(back.Gamma(), 1.0);
  EXPECT_EQ(back.PixelsPerUnitX(), 3000);
  EXPECT_EQ(back.PhysicalUnit(), 1);
  EXPECT_EQ(back.Time(), (TPNGTime{1999, 12, 31, 1, 2, 3}));
  EXPECT_EQ(back.Chromaticity()[1], 32900u);
  EXPECT_EQ(back.GIFControl(), (TPNGGIFControl{2, 0, 0, 9}));
  EXPECT_TRUE(back.Interlaced());
  EXPECT_TRUE(back.HasMask());
  EXPECT_TRUE(DecodeWithOurs(ms.Bytes()).rgb == DecodeWithLibpng(ms.Bytes()).rgb);
  for (int y = 0; y < 7; ++y)
    EXPECT_EQ(std::memcmp(back.MaskBitmap().ScanLine(y), g.MaskBitmap().ScanLine(y), 9), 0);

  g.SetIDATSize(100);
  TMemoryStream refused;
  EXPECT_THROW(g.SaveToStream(refused), EPNGError);
  EXPECT_EQ(refused.Size(), 0);
}

TEST(PngGraphic, FormDataAndAssignment) {
  TPNGGraphic g;
  TMemoryStream empty;
  g.WriteData(empty);
  EXPECT_EQ(empty.Size(), 0);  // nothing for an empty picture

  Load(g, BuildPng(RandomImage(4, 4, 8, 4, 0, 25)));
  g.SetIDATSize(1);  // WriteData keeps the writer's own defaults
  TMemoryStream data;
  g.WriteData(data);
  data.SetPosition(0);
  TPNGGraphic h;
  int changes = 0;
  h.OnChange = [&] { ++changes; };
  h.ReadData(data);
  EXPECT_GE(changes, 1);
  EXPECT_TRUE(h.HasMask());
  EXPECT_TRUE(h.Grey());

  TPNGGraphic copy;
  copy.Assign(g);
  EXPECT_EQ(copy.Width(), 4);
  EXPECT_EQ(copy.MaskBitmap().Width(), 4);
  EXPECT_EQ(copy.IDATSize(), 1);
  EXPECT_TRUE(copy.Grey());
  EXPECT_TRUE(copy.HasMask());

  TBitmapGraphic bmp;
  bmp.Bitmap() = TBitmap(3, 2, pf24bit);
  bmp.Bitmap().SetPixel(1, 1, RGB(5, 6, 7));
  copy.Assign(bmp);
  EXPECT_EQ(copy.Width(), 3);
  EXPECT_EQ(copy.Bitmap().GetPixel(1, 1), RGB(5, 6, 7));
}

TEST(PngGraphic, ProgressGoesThroughTheGraphicsHandler) {
  TPNGGraphic g;
  int own = 0, graphic = 0;
  g.Bitmap().OnProgress = [&](void*, TProgressStage, int, bool, const TRect&, const std::string&) { ++own; };
  g.OnProgress = [&](void*, TProgressStage, int, bool, const TRect&, const std::string&) { ++graphic; };
  Load(g, BuildPng(RandomImage(8, 8, 8, 2, 0, 26)));
  EXPECT_GT(graphic, 1);
  EXPECT_EQ(own, 0);
  ASSERT_TRUE(bool(g.Bitmap().OnProgress));
  g.Bitmap().OnProgress(nullptr, psRunning, 1, false, TRect{}, "");
  EXPECT_EQ(own, 1);  // the bitmap's own handler is back
}

TEST(PngGraphic, SizeChangesReachBothBitmaps) {
  TPNGGraphic g;
  Load(g, BuildPng(RandomImage(8, 8, 8, 6, 0, 27)));
  g.SetWidth(5);
  g.SetHeight(3);
  EXPECT_EQ(g.Width(), 5);
  EXPECT_EQ(g.MaskBitmap().Height(), 3);
}

TEST(PngGraphic, RegistrationIsCounted) {
  auto& list = TFileFormatsList::Instance();
  RegisterPNGFormat();
  RegisterPNGFormat();
  EXPECT_EQ(list.FindExt("png"), &kPNGGraphicClass);
  EXPECT_EQ(list.FindExt("PNG"), &kPNGGraphicClass);
  int entries = 0;
  for (const auto& f : list.Formats())
    if (f.graphic_class == &kPNGGraphicClass) {
      ++entries;
      EXPECT_EQ(f.description, "PNG Format");
    }
  EXPECT_EQ(entries, 1);
  UnregisterPNGFormat();
  EXPECT_EQ(list.FindExt("png"), &kPNGGraphicClass);
  UnregisterPNGFormat();
  EXPECT_EQ(list.FindExt("png"), nullptr);

  RegisterPNGFormat();
  test::TempDir dir;
  const Bytes file = BuildPng(RandomImage(3, 3, 8, 2, 0, 28));
  test::WriteFile(dir / "a.png", file);
  TPicture picture;
  picture.LoadFromFile(dir / "a.png");
  ASSERT_NE(picture.Graphic(), nullptr);
  EXPECT_EQ(picture.Graphic()->ClassType(), &kPNGGraphicClass);
  EXPECT_EQ(picture.Width(), 3);
  UnregisterPNGFormat();
}

}  // namespace
}  // namespace orv::pngtest
