// The JPEG adapter gives exactly what libjpeg's own djpeg gives for the same
// settings, over files of every sampling, coding and colour space.
#include <gtest/gtest.h>

#include "picture/jpeg_image.h"
#include "picture/picture_test_util.h"
#include "support/test_support.h"

namespace orv {
namespace {

using test::JpegOptions;
using test::RgbImage;

const char kDjpeg[] = "/usr/bin/djpeg";

// Four-component samples derived from a picture; Adobe's convention stores
// inks inverted.
std::vector<uint8_t> CmykOf(const RgbImage& img) {
  std::vector<uint8_t> out;
  for (size_t i = 0; i < img.rgb.size(); i += 3) {
    const uint8_t k = uint8_t(150 + (i / 3) % 106);
    out.insert(out.end(), {img.rgb[i], img.rgb[i + 1], img.rgb[i + 2], k});
  }
  return out;
}

// A length near `fraction` of the file that ends inside entropy-coded data
// (a cut inside a scan header would make both decoders refuse the file).
size_t CutInScanData(const std::vector<uint8_t>& bytes, double fraction) {
  size_t cut = size_t(double(bytes.size()) * fraction);
  size_t header_end = 0;
  for (size_t i = 2; i + 4 < bytes.size() && i < cut; ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA)
      header_end = i + 2 + (size_t(bytes[i + 2]) << 8 | bytes[i + 3]);
  return std::max(cut, header_end + 16);
}

struct RefereeCase {
  const char* name;
  JpegOptions opts;
  std::vector<std::string> djpeg;  // options besides -dct float
  TJPEGPixelFormat format = jf24Bit;
  TJPEGPerformance performance = jpBestQuality;
  TJPEGScale scale = jsFullSize;
  bool grayscale = false;
  double keep = 1.0;  // part of the file kept (truncation)
};

JpegOptions Sampling(int h, int v) {
  JpegOptions s;
  s.h_samp = h;
  s.v_samp = v;
  return s;
}

std::vector<RefereeCase> Cases() {
  JpegOptions progressive = Sampling(2, 2);
  progressive.progressive = true;
  JpegOptions arithmetic = Sampling(2, 1);
  arithmetic.arithmetic = true;
  JpegOptions restarts = Sampling(2, 2);
  restarts.restart_rows = 1;
  JpegOptions optimized = Sampling(1, 1);
  optimized.optimize = true;
  optimized.quality = 50;
  JpegOptions coarse = progressive;  // block smoothing acts on these
  coarse.quality = 8;
  JpegOptions grey;
  grey.space = JpegOptions::kGray;
  JpegOptions grey_progressive = grey;
  grey_progressive.progressive = true;
  JpegOptions cmyk;
  cmyk.space = JpegOptions::kCmyk;
  JpegOptions ycck;
  ycck.space = JpegOptions::kYcck;
  JpegOptions ycck_progressive = ycck;
  ycck_progressive.progressive = true;
  const std::vector<std::string> reduced = {"-colors", "236"};
  return {
      {"4:4:4", Sampling(1, 1), {}},
      {"4:2:0", Sampling(2, 2), {}},
      {"4:2:2", Sampling(2, 1), {}},
      {"4:4:0", Sampling(1, 2), {}},
      {"4:1:1", Sampling(4, 1), {}},
      {"progressive", progressive, {}},
      {"arithmetic coding", arithmetic, {}},
      {"restart markers", restarts, {}},
      {"optimised Huffman tables", optimized, {}},
      {"coarse progressive, block smoothing", coarse, {}},
      {"grey", grey, reduced},
      {"grey progressive", grey_progressive, reduced},
      {"truncated", Sampling(2, 2), {}, jf24Bit, jpBestQuality, jsFullSize, false, 0.55},
      {"truncated progressive", progressive, {}, jf24Bit, jpBestQuality, jsFullSize, false, 0.4},
      {"truncated grey", grey, reduced, jf24Bit, jpBestQuality, jsFullSize, false, 0.5},
      {"Adobe CMYK", cmyk, {}},
      {"YCCK", ycck, {}},
      {"YCCK progressive, truncated", ycck_progressive, {}, jf24Bit, jpBestQuality, jsFullSize, false, 0.7},
      {"8 bits: two-pass colour reduction", Sampling(2, 2), reduced, jf8Bit},
      {"8 bits, grey", grey, reduced, jf8Bit},
      {"best speed", Sampling(2, 2), {"-dct", "fast"}, jf24Bit, jpBestSpeed},
      {"best speed, 8 bits",
       Sampling(2, 2),
       {"-dct", "fast", "-colors", "236", "-onepass", "-dither", "ordered"},
       jf8Bit,
       jpBestSpeed},
      {"half size", Sampling(2, 2), {"-scale", "1/2"}, jf24Bit, jpBestQuality, jsHalf},
      {"quarter size", progressive, {"-scale", "1/4"}, jf24Bit, jpBestQuality, jsQuarter},
      {"eighth size, grey", grey, {"-scale", "1/8", "-colors", "236"}, jf24Bit, jpBestQuality, jsEighth},
      {"grey output of a colour file",
       Sampling(2, 2),
       {"-grayscale", "-colors", "236"},
       jf24Bit,
       jpBestQuality,
       jsFullSize,
       true},
  };
}

TEST(JpegReferee, DecodesAsDjpeg) {
  test::TempDir dir;
  for (int size : {0, 1}) {
    const RgbImage src = size == 0 ? test::MakeTestImage(45, 29, 3) : test::MakeTestImage(67, 131, 5);
    for (const RefereeCase& c : Cases()) {
      SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(src.width) + "x" +
                   std::to_string(src.height));
      const bool four = c.opts.space == JpegOptions::kCmyk || c.opts.space == JpegOptions::kYcck;
      std::vector<uint8_t> bytes = test::EncodeJpeg(src, c.opts, four ? CmykOf(src) : std::vector<uint8_t>{});
      if (c.keep < 1) bytes.resize(CutInScanData(bytes, c.keep));
      test::WriteFile(dir / "in.jpg", bytes);

      std::vector<std::string> cmd = {kDjpeg, "-dct", "float"};
      cmd.insert(cmd.end(), c.djpeg.begin(), c.djpeg.end());
      cmd.insert(cmd.end(), {"-outfile", dir / "ref.pnm", dir / "in.jpg"});
      const test::ToolResult r = test::RunTool(cmd);
      // djpeg exits with 2 after warnings, which a truncated file gives.
      ASSERT_TRUE(r.status == 0 || (c.keep < 1 && r.status == 2)) << r.status << " " << r.err;

      TJPEGImage img;
      img.SetPixelFormat(c.format);
      img.SetPerformance(c.performance);
      img.SetScale(c.scale);
      img.SetGrayscale(c.grayscale);
      TMemoryStream stream(bytes);
      img.LoadFromStream(stream);
      TBitmap bmp;
      img.AssignTo(bmp);
      const bool reduced = c.format == jf8Bit || c.grayscale || c.opts.space == JpegOptions::kGray;
      EXPECT_EQ(bmp.PixelFormat(), reduced ? pf8bit : pf24bit);
      if (reduced) {
        EXPECT_LE(bmp.PaletteCount(), 236);
      }
      RgbImage ref = test::ReadPnm(dir / "ref.pnm");
      EXPECT_EQ(img.Width(), ref.width);
      EXPECT_EQ(img.Height(), ref.height);
      // Past the rows made from the data (fewer when a long baseline file is
      // cut), djpeg has libjpeg's mid-grey fill, dithered when colours are
      // reduced, and the adapter zero bytes.
      EXPECT_TRUE(c.keep < 1 ? c.opts.progressive || src.height < 64 || bmp.DataBottom() < bmp.Height()
                             : bmp.DataBottom() == bmp.Height());
      const RgbImage ours = test::BitmapRgb(bmp);
      for (size_t i = size_t(bmp.DataBottom()) * size_t(ref.width) * 3; i < ref.rgb.size(); ++i) {
        ASSERT_NEAR(ref.rgb[i], 128, 2) << "a row with data was left out, byte " << i;
        ASSERT_TRUE(bmp.PixelFormat() != pf24bit || ours.rgb[i] == 0);
        ref.rgb[i] = ours.rgb[i];
      }
      const test::ImageDiff d = test::Compare(ours, ref);
      EXPECT_EQ(d.differing, 0u) << "largest difference " << d.max_delta;
    }
  }
}

}  // namespace
}  // namespace orv
