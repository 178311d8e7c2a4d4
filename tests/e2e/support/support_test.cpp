// The end-to-end harness itself: PPM reading, the text check, child
// processes and the Xvfb display.
#include <gtest/gtest.h>

#include <random>

#include "e2e/support/ppm_image.h"
#include "e2e/support/process.h"
#include "e2e/support/screen_text.h"
#include "e2e/support/x_session.h"

namespace orv::e2e {
namespace {

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s.push_back(char(v));
  return s;
}

TEST(PpmImage, ReadsHeadersWithCommentsAndScalesSamples) {
  const struct {
    std::string data;
    int width, height;
    Rgb first;
  } cases[] = {
      {"P6\n# made by import\n2 1\n255\n" + Bytes({1, 2, 3, 4, 5, 6}), 2, 1, {1, 2, 3}},
      {"P6 1 1 65535\n" + Bytes({0xFF, 0xFF, 0x80, 0x00, 0x00, 0x01}), 1, 1, {255, 128, 0}},
      {"P6\n1\n1\n15\n" + Bytes({15, 7, 0}), 1, 1, {255, 119, 0}},
      {"P6 1 1 255\t" + Bytes({9, 8, 7, 99}), 1, 1, {9, 8, 7}},  // extra bytes after the pixels
  };
  for (const auto& c : cases) {
    const PpmImage image = PpmImage::Parse(c.data);
    EXPECT_EQ(image.width(), c.width);
    EXPECT_EQ(image.height(), c.height);
    EXPECT_EQ(image.At(0, 0), c.first);
  }
  EXPECT_EQ(PpmImage::Parse("P6 2 1 255\n" + Bytes({1, 2, 3, 4, 5, 6})).At(1, 0), (Rgb{4, 5, 6}));
}

TEST(PpmImage, RefusesMalformedData) {
  const std::string cases[] = {
      "",
      "P3 1 1 255\n1 2 3\n",
      "P6 0 1 255\n",
      "P6 1 1 0\n" + Bytes({0, 0, 0}),
      "P6 1 1 70000\n" + Bytes({0, 0, 0, 0, 0, 0}),
      "P6 2 2 255\n" + std::string(11, 'x'),
      "P6 1 1 65535\n" + std::string(5, 'x'),
      "P6 99999999999 1 255\n",
      "P6 70000 1 255\n",
      "P6 1 1 255",
      "P6 1 1 255x" + Bytes({0, 0, 0}),
      "P6 # only a comment",
  };
  for (const std::string& data : cases) EXPECT_THROW(PpmImage::Parse(data), std::runtime_error) << data;
}

TEST(PpmImage, SavesLoadsAndCropsWithinItsEdges) {
  ScratchDir dir;
  PpmImage image(4, 3, {10, 20, 30});
  image.Set(3, 2, {1, 2, 3});
  image.Save(dir / "a.ppm");
  const PpmImage back = PpmImage::Load(dir / "a.ppm");
  ASSERT_EQ(back.width(), 4);
  EXPECT_EQ(back.At(3, 2), (Rgb{1, 2, 3}));
  const PpmImage part = back.Crop({2, 1, 10, 10});
  EXPECT_EQ(part.width(), 2);
  EXPECT_EQ(part.height(), 2);
  EXPECT_EQ(part.At(1, 1), (Rgb{1, 2, 3}));
  EXPECT_EQ(back.Crop({-5, -5, 3, 3}).width(), 0);
  EXPECT_THROW(back.At(4, 0), std::out_of_range);
  EXPECT_THROW(PpmImage::Load(dir / "missing.ppm"), std::runtime_error);
}

// A line of glyphs on a light background: each drawn by draw(glyph, x0).
template <class Draw>
PpmImage Line(int glyphs, Draw draw) {
  PpmImage image(glyphs * 14 + 10, 20, {240, 240, 240});
  for (int g = 0; g < glyphs; ++g) draw(image, g, 5 + g * 14);
  return image;
}

void Box(PpmImage& image, int, int x0) {
  for (int y = 4; y < 16; ++y)
    for (int x = x0; x < x0 + 10; ++x)
      if (x == x0 || x == x0 + 9 || y == 4 || y == 15) image.Set(x, y, {30, 30, 30});
}

TEST(TextCheck, TellsVariedGlyphsFromBoxesAndBlanks) {
  std::mt19937 random(7);
  const PpmImage varied = Line(10, [&](PpmImage& image, int, int x0) {
    for (int y = 3; y < 17; ++y)
      for (int x = x0 + 1; x < x0 + 11; ++x)
        if (random() % 3 == 0 || y == 3 + (x * 5) % 14) image.Set(x, y, {20, 20, 20});  // no blank column
  });
  const PpmImage boxes = Line(10, Box);
  const PpmImage jittered = Line(10, [&](PpmImage& image, int g, int x0) {
    Box(image, g, x0);
    image.Set(x0 + 1 + g % 8, 5 + g % 3, {120, 120, 120});  // antialiasing noise
  });
  const PpmImage dashes = Line(10, [](PpmImage& image, int, int x0) {
    for (int x = x0; x < x0 + 10; ++x) image.Set(x, 10, {0, 0, 0});
  });
  const PpmImage blank(150, 20, {240, 240, 240});

  const Rect all{0, 0, 1000, 100};
  const TextRendering real = AnalyzeText(varied, all);
  EXPECT_TRUE(LooksLikeRealText(real, 8)) << Describe(real);
  EXPECT_EQ(real.glyphs, 10);
  EXPECT_EQ(real.boxes, 0);
  for (const PpmImage* image : {&boxes, &jittered}) {
    const TextRendering tofu = AnalyzeText(*image, all);
    EXPECT_FALSE(LooksLikeRealText(tofu, 8)) << Describe(tofu);
    EXPECT_EQ(tofu.boxes, 10) << Describe(tofu);
    EXPECT_LE(tofu.distinct, 2) << Describe(tofu);
  }
  EXPECT_FALSE(LooksLikeRealText(AnalyzeText(dashes, all), 8));
  const TextRendering none = AnalyzeText(blank, all);
  EXPECT_EQ(none.ink, 0);
  EXPECT_FALSE(LooksLikeRealText(none, 1));
  // Only the area asked about counts.
  EXPECT_EQ(AnalyzeText(varied, {0, 0, 5 + 14 * 3, 20}).glyphs, 3);
}

TEST(Process, RunsWithAChangedEnvironmentAndCollectsOutput) {
  Env env;
  env.Set("ORV_E2E_VALUE", "hello world");
  env.unset.push_back("HOME");
  const RunResult r = RunProgram({"/bin/sh", "-c", "echo \"$ORV_E2E_VALUE\"; echo ${HOME-none} >&2; exit 3"}, env);
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.output, "hello world\nnone\n");
}

TEST(Process, StopsWhatOutlivesItsTime) {
  EXPECT_EQ(RunProgram({"/bin/sleep", "30"}, {}, Millis(100)).status, -1);
  auto sleeper = Process::Start({{"sleep", "30"}, {}, "", {}});
  EXPECT_TRUE(sleeper->Running());
  EXPECT_FALSE(sleeper->Wait(Millis(50)).has_value());
  EXPECT_EQ(sleeper->Stop(), 128 + 15);
  EXPECT_FALSE(sleeper->Running());
  EXPECT_THROW(Process::Start({{"/nonexistent/program"}, {}, "", {}}), std::runtime_error);
}

TEST(XvfbServer, GivesEachTestItsOwnScreen) {
  if (!XToolsAvailable()) GTEST_SKIP() << "Xvfb, xdotool or import missing";
  XvfbServer first(320, 200);
  XvfbServer second(640, 480);
  EXPECT_NE(first.display(), second.display());
  ScratchDir dir;
  XTools tools(second.display());
  const PpmImage shot = tools.Screenshot(dir / "root.ppm");
  EXPECT_EQ(shot.width(), 640);
  EXPECT_EQ(shot.height(), 480);
  EXPECT_TRUE(tools.SearchWindows("^no window has this name$").empty());
  EXPECT_EQ(AnalyzeText(shot, {0, 0, 640, 480}).ink, 0);  // an empty root window
}

}  // namespace
}  // namespace orv::e2e
