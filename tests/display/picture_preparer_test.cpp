// The slideshow's picture path on real files: EXIF orientation from JPEG's
// APP1 and PNG's eXIf through the decoders, and the reduced-size JPEG
// decode against the full-size one.
#include <gtest/gtest.h>

#include <cmath>

#include "formats/formats.h"
#include "display/picture_preparer.h"
#include "picture/jpeg_image.h"
#include "picture/picture.h"
#include "picture/picture_test_util.h"
#include "platform/gui/gui_canvas.h"
#include "png_test_util.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

constexpr TColor kGrey = 0x808080;

std::shared_ptr<const TBitmap> Background(int w, int h) {
  auto bmp = std::make_shared<TBitmap>(w, h, pf32bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp->SetPixel(x, y, kGrey);
  return bmp;
}

TPrepareRequest Request(const std::string& name, int w, int h, bool extend, bool autoRotate = true) {
  TPrepareRequest r;
  r.name = name;
  r.frameWidth = w;
  r.frameHeight = h;
  r.extend = extend;
  r.autoRotate = autoRotate;
  r.background = Background(w, h);
  return r;
}

bool Near(TColor a, TColor b, int tolerance) {
  for (int shift = 0; shift < 24; shift += 8)
    if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > tolerance) return false;
  return true;
}

// Its directory offset points far past the end.
std::vector<uint8_t> BrokenTiff() { return {'I', 'I', 42, 0, 0xF0, 0xFF, 0xFF, 0xFF, 1, 0}; }

// 32 x 16 in four 16 x 8 quadrants of distinct colours (0x00BBGGRR), so that
// each turn and mirror of it looks different; JPEG's 8 x 8 blocks keep them flat.
constexpr int kW = 32, kH = 16;
constexpr TColor kQuadrant[2][2] = {{0x0000FF, 0x00FF00}, {0xFF0000, 0x00FFFF}};

RgbImage Quadrants() {
  RgbImage img{kW, kH, std::vector<uint8_t>(size_t(kW) * kH * 3)};
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const TColor c = kQuadrant[y / 8][x / 16];
      uint8_t* p = &img.rgb[size_t(y * kW + x) * 3];
      p[0] = uint8_t(c), p[1] = uint8_t(c >> 8), p[2] = uint8_t(c >> 16);
    }
  return img;
}

std::vector<uint8_t> JpegWithExif(const std::vector<uint8_t>& tiff) {
  JpegOptions opts;
  opts.quality = 95;
  std::vector<uint8_t> jpeg = EncodeJpeg(Quadrants(), opts);
  return tiff.empty() ? jpeg : WithExifSegment(std::move(jpeg), tiff);
}

std::vector<uint8_t> PngWithExif(const std::vector<uint8_t>& tiff) {
  pngtest::Image img;
  img.w = kW, img.h = kH, img.depth = 8, img.color_type = 2;
  const RgbImage rgb = Quadrants();
  img.samples.assign(rgb.rgb.begin(), rgb.rgb.end());
  pngtest::BuildOptions opt;
  if (!tiff.empty()) opt.before_idat.push_back({"eXIf", tiff});
  return pngtest::BuildPng(img, opt);
}

// Where the stored pixel shown at (x, y) of the upright picture comes from,
// by the eight values' definitions (row 0 at the top, right, bottom, left).
void StoredPixel(int orientation, int x, int y, int* sx, int* sy) {
  switch (orientation) {
    case 2: *sx = kW - 1 - x, *sy = y; break;
    case 3: *sx = kW - 1 - x, *sy = kH - 1 - y; break;
    case 4: *sx = x, *sy = kH - 1 - y; break;
    case 5: *sx = y, *sy = x; break;
    case 6: *sx = y, *sy = kH - 1 - x; break;
    case 7: *sx = kW - 1 - y, *sy = kH - 1 - x; break;
    case 8: *sx = kW - 1 - y, *sy = x; break;
    default: *sx = x, *sy = y; break;
  }
}

class PreparerTest : public ::testing::Test {
 protected:
  void SetUp() override { RegisterPictureFormats(); }
  TempDir dir;
};

TEST_F(PreparerTest, EveryOrientationThroughJpegAndPngFiles) {
  const struct {
    const char* what;
    std::vector<uint8_t> tiff;
    bool autoRotate;
    int shown;  // the orientation the picture must be shown in
  } cases[] = {
      {"1", OrientationTiff(1), true, 1}, {"2", OrientationTiff(2), true, 2},
      {"3", OrientationTiff(3), true, 3}, {"4", OrientationTiff(4), true, 4},
      {"5", OrientationTiff(5), true, 5}, {"6", OrientationTiff(6), true, 6},
      {"7", OrientationTiff(7), true, 7}, {"8", OrientationTiff(8), true, 8},
      {"no EXIF block", {}, true, 1},     {"a broken EXIF block", BrokenTiff(), true, 1},
      {"6 with AutoRotate off", OrientationTiff(6), false, 1},
  };
  for (const bool png : {false, true}) {
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(png ? "PNG, " : "JPEG, ") + c.what);
      const std::string path = dir / (png ? "p.png" : "p.jpg");
      WriteFile(path, png ? PngWithExif(c.tiff) : JpegWithExif(c.tiff));
      // The frame is larger than the picture: drawn at its own upright size, centred.
      const TPreparedPicture out = PreparePicture(Request(path, 100, 60, false, c.autoRotate));
      ASSERT_TRUE(out.ok);
      const bool swapped = c.shown >= 5;
      const int w = swapped ? kH : kW, h = swapped ? kW : kH;
      const int left = (100 - w) / 2, top = (60 - h) / 2;
      EXPECT_EQ(out.frame.GetPixel(left - 1, top + h / 2), kGrey);
      EXPECT_EQ(out.frame.GetPixel(left + w / 2, top - 1), kGrey);
      EXPECT_EQ(out.frame.GetPixel(left + w, top + h / 2), kGrey);
      EXPECT_EQ(out.frame.GetPixel(left + w / 2, top + h), kGrey);
      // The middle of each quarter of the upright picture.
      for (int qy = 0; qy < 2; ++qy)
        for (int qx = 0; qx < 2; ++qx) {
          const int x = qx * w / 2 + w / 4, y = qy * h / 2 + h / 4;
          int sx, sy;
          StoredPixel(c.shown, x, y, &sx, &sy);
          const TColor got = out.frame.GetPixel(left + x, top + y);
          EXPECT_TRUE(Near(got, kQuadrant[sy / 8][sx / 16], 12))
              << "at " << x << "," << y << ": " << std::hex << got;
        }
    }
  }
}

TEST_F(PreparerTest, TurnedPictureIsFittedAtItsUprightSize) {
  const std::string path = dir / "p.jpg";
  WriteFile(path, JpegWithExif(OrientationTiff(6)));
  // Upright 16 x 32 into 20 x 20: 10 x 20 at (5, 0); stored, it would be 20 x 10.
  const TPreparedPicture out = PreparePicture(Request(path, 20, 20, true));
  ASSERT_TRUE(out.ok);
  for (int y : {0, 10, 19}) {
    EXPECT_EQ(out.frame.GetPixel(4, y), kGrey) << y;
    EXPECT_NE(out.frame.GetPixel(5, y), kGrey) << y;
    EXPECT_NE(out.frame.GetPixel(14, y), kGrey) << y;
    EXPECT_EQ(out.frame.GetPixel(15, y), kGrey) << y;
  }
}

// A photo-like picture: smooth shading, a sharp-edged disc, fine grain.
RgbImage Photo(int w, int h) {
  RgbImage img{w, h, std::vector<uint8_t>(size_t(w) * h * 3)};
  uint32_t state = 99;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      state = state * 1664525u + 1013904223u;
      const int grain = int(state >> 29) - 4;
      const double fx = x / double(w), fy = y / double(h);
      const bool disc = (x - w / 3) * (x - w / 3) + (y - h / 2) * (y - h / 2) < (h / 4) * (h / 4);
      const double v[3] = {128 + 90 * std::sin(6.1 * fx + 2 * fy), 120 + 80 * std::cos(9 * fx) * std::sin(4 * fy),
                           disc ? 40.0 : 200 - 100 * fx};
      for (int i = 0; i < 3; ++i)
        img.rgb[size_t(y * w + x) * 3 + i] = uint8_t(std::clamp(int(v[i]) + grain, 0, 255));
    }
  return img;
}

// The reduced decode (libjpeg's scaled inverse DCT, then the halftone
// stretch) against decoding at full size and stretching that, per channel:
// the mean difference stays below 1 level and no pixel differs by more than
// 24 (the disc's edge, where the two filters smooth it a little apart; today
// about 0.6 and 11).
TEST_F(PreparerTest, ReducedSizeDecodeLooksLikeTheFullSizeOne) {
  const std::string path = dir / "photo.jpg";
  JpegOptions opts;
  opts.h_samp = opts.v_samp = 2;
  WriteFile(path, EncodeJpeg(Photo(1600, 1200), opts));
  const struct {
    int w, h, shift;
  } frames[] = {{400, 300, 2}, {500, 375, 1}, {200, 150, 3}};
  for (const auto& f : frames) {
    SCOPED_TRACE(f.w);
    const TPrepareRequest r = Request(path, f.w, f.h, true);
    const TPreparedPicture reduced = PreparePicture(r);
    ASSERT_TRUE(reduced.ok);
    EXPECT_EQ(reduced.scaleShift, f.shift);
    TPicture picture;
    picture.LoadFromFile(path);
    TBitmap full;
    picture.Graphic()->AssignTo(full);
    ASSERT_EQ(full.Width(), 1600);
    TBitmap expected = *r.background;
    HalftoneStretch(expected, Bounds(0, 0, f.w, f.h), full);
    const RgbImage a = BitmapRgb(reduced.frame), b = BitmapRgb(expected);
    ASSERT_EQ(a.rgb.size(), b.rgb.size());
    double sum[3] = {0, 0, 0};
    int worst = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
      const int d = std::abs(int(a.rgb[i]) - int(b.rgb[i]));
      sum[i % 3] += d;
      worst = std::max(worst, d);
    }
    for (double s : sum) EXPECT_LT(s / double(f.w * f.h), 1.0);
    EXPECT_LE(worst, 24);
  }
}

}  // namespace
}  // namespace orv::test
