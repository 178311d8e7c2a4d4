// The slideshow's picture worker on WebP, HEIF and JPEG XL files: turned
// upright once, decoded at a reduced size where the library can, and a
// damaged file failing like any other.
#include <gtest/gtest.h>

#include "formats/formats.h"
#include "display/picture_preparer.h"
#include "picture/picture.h"
#include "picture/picture_test_util.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

TPrepareRequest Request(const std::string& name, int w, int h) {
  TPrepareRequest r;
  r.name = name;
  r.frameWidth = w;
  r.frameHeight = h;
  r.extend = false;
  r.background = std::make_shared<TBitmap>(w, h, pf32bit);
  return r;
}

// Left and right halves in two colours: the turn is seen in where they end up.
RgbImage Halves(int w, int h) {
  RgbImage img{w, h, std::vector<uint8_t>(size_t(w) * size_t(h) * 3)};
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      uint8_t* p = &img.rgb[size_t(y * w + x) * 3];
      p[0] = x < w / 2 ? 230 : 20, p[1] = 40, p[2] = x < w / 2 ? 20 : 230;
    }
  return img;
}

class FormatsPreparer : public ::testing::Test {
 protected:
  void SetUp() override { RegisterPictureFormats(); }
  TempDir dir;
};

TEST_F(FormatsPreparer, PicturesComeUprightOnce) {
  // A 64 x 32 JPEG marked "turn a quarter clockwise": upright it is 32 x 64,
  // red on top. Each format carries that mark its own way.
  const std::string jpeg = dir / "t.jpg";
  WriteFile(jpeg, WithExifSegment(EncodeJpeg(Halves(64, 32), JpegOptions{}), OrientationTiff(6)));
  const struct {
    const char* ext;
    std::vector<std::string> encode;
    bool turned;  // whether the picture shows turned
  } cases[] = {
      {"webp", {"/usr/bin/cwebp", "-quiet", "-metadata", "exif", jpeg, "-o", dir / "t.webp"}, true},
      {"jxl", {"/usr/bin/cjxl", jpeg, dir / "t.jxl", "--quiet"}, true},
      // HEIF keeps EXIF as metadata; only its own transforms count.
      {"heic", {"/usr/bin/heif-enc", "-q", "90", jpeg, "-o", dir / "t.heic"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.ext);
    if (!TFileFormatsList::Instance().FindExt(c.ext)) continue;
    ASSERT_EQ(RunTool(c.encode).status, 0);
    const TPreparedPicture out = PreparePicture(Request(dir / ("t." + std::string(c.ext)), 100, 100));
    ASSERT_TRUE(out.ok);
    // Centred at its own size: 32 x 64 turned, 64 x 32 as stored.
    const int w = c.turned ? 32 : 64, h = c.turned ? 64 : 32;
    const int left = (100 - w) / 2, top = (100 - h) / 2;
    const TColor first = out.frame.GetPixel(left + w / 4, top + h / 4);
    const TColor second = c.turned ? out.frame.GetPixel(left + w / 4, top + 3 * h / 4)
                                   : out.frame.GetPixel(left + 3 * w / 4, top + h / 4);
    EXPECT_GT(int(first & 0xFF), 180) << std::hex << first;    // red half first
    EXPECT_GT(int(second >> 16 & 0xFF), 180) << std::hex << second;  // blue half second
    EXPECT_EQ(out.frame.GetPixel(left - 1, top + h / 2), 0);  // nothing drawn beside it
  }
}

TEST_F(FormatsPreparer, AWebPIsDecodedReducedWhenTheFrameIsSmall) {
  if (!TFileFormatsList::Instance().FindExt("webp")) GTEST_SKIP() << "webp is not built in";
  WriteFile(dir / "big.ppm", std::string("P6\n800 600\n255\n") + std::string(size_t(800) * 600 * 3, '\x60'));
  ASSERT_EQ(RunTool({"/usr/bin/cwebp", "-quiet", dir / "big.ppm", "-o", dir / "big.webp"}).status, 0);
  const TPreparedPicture out = PreparePicture(Request(dir / "big.webp", 200, 150));
  ASSERT_TRUE(out.ok);
  EXPECT_EQ(out.scaleShift, 2);  // 200 x 150 is a quarter of each side
  EXPECT_NEAR(int(out.frame.GetPixel(100, 75) & 0xFF), 0x60, 3);
}

TEST_F(FormatsPreparer, ADamagedFileFailsLikeAnyOther) {
  for (const char* ext : {"webp", "heic", "avif", "jxl"}) {
    SCOPED_TRACE(ext);
    if (!TFileFormatsList::Instance().FindExt(ext)) continue;
    const std::string path = dir / (std::string("bad.") + ext);
    WriteFile(path, std::string(500, '\x01'));
    EXPECT_FALSE(PreparePicture(Request(path, 100, 100)).ok);
  }
}

}  // namespace
}  // namespace orv::test
