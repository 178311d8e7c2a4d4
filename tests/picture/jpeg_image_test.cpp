// TJPEGImage: deferred decoding, the output formats, the error codes, the
// limits, CMYK colours and the graphic contract.
#include "picture/jpeg_image.h"

#include <gtest/gtest.h>

// libjpeg's headers need <cstdio> before them and jpeglib.h before jerror.h.
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

#include "picture/picture.h"
#include "picture/picture_test_util.h"
#include "platform/screen_info.h"

namespace orv {
namespace {

using test::JpegOptions;
using test::RgbImage;

std::string Message(int code) { return "JPEG エラー #" + std::to_string(code); }

std::vector<uint8_t> ColourJpeg(int w = 45, int h = 29) {
  return test::EncodeJpeg(test::MakeTestImage(w, h), {});
}

void Load(TJPEGImage& img, const std::vector<uint8_t>& bytes) {
  TMemoryStream s(bytes);
  img.LoadFromStream(s);
}

// Counts decodes: each one reports its start.
struct DecodeCounter {
  int starts = 0;
  void Attach(TGraphic& g) {
    g.OnProgress = [this](void*, TProgressStage stage, int, bool, const TRect&, const std::string&) {
      if (stage == psStarting) ++starts;
    };
  }
};

template <class F>
std::string ErrorOf(F&& f) {
  try {
    f();
  } catch (const EJPEG& e) {
    return e.what();
  }
  return "no EJPEG";
}

TEST(JpegImage, ColourFileLoadsItsHeaderAndDecodesOnFirstNeed) {
  TJPEGImage img;
  DecodeCounter counter;
  counter.Attach(img);
  int changes = 0;
  img.OnChange = [&] { ++changes; };
  std::vector<uint8_t> bytes = {'x', 'y', 'z'};  // loading starts at the stream's position
  const std::vector<uint8_t> jpeg = ColourJpeg(45, 29);
  bytes.insert(bytes.end(), jpeg.begin(), jpeg.end());
  TMemoryStream stream(bytes);
  stream.SetPosition(3);
  img.LoadFromStream(stream);
  EXPECT_EQ(changes, 1);
  EXPECT_TRUE(img.PaletteModified());
  EXPECT_EQ(img.Width(), 45);
  EXPECT_EQ(img.Height(), 29);
  EXPECT_FALSE(img.Empty());
  EXPECT_FALSE(img.ProgressiveEncoding());
  EXPECT_EQ(counter.starts, 0);

  TBitmap a, b(3, 3, pf24bit);
  img.AssignTo(a);
  TCanvas canvas(b);
  img.Draw(canvas, Rect(0, 0, 3, 3));
  img.AssignTo(b);
  EXPECT_EQ(counter.starts, 1);  // decoded once, kept
  EXPECT_EQ(a.PixelFormat(), pf24bit);
  EXPECT_EQ(a.Width(), 45);
  EXPECT_EQ(a.Height(), 29);
  EXPECT_EQ(test::BitmapRgb(a), test::BitmapRgb(b));
  EXPECT_LE(test::Compare(test::BitmapRgb(a), test::MakeTestImage(45, 29)).max_delta, 80);
}

TEST(JpegImage, GreyFileGivesAnEightBitBitmapOfAtMost236Greys) {
  JpegOptions grey;
  grey.space = JpegOptions::kGray;
  TJPEGImage img;
  Load(img, test::EncodeJpeg(test::MakeTestImage(40, 30), grey));
  TBitmap bmp;
  img.AssignTo(bmp);
  ASSERT_EQ(bmp.PixelFormat(), pf8bit);
  ASSERT_GT(bmp.PaletteCount(), 1);
  ASSERT_LE(bmp.PaletteCount(), 236);
  const TRGBQuad* pal = bmp.Palette();
  for (int i = 0; i < bmp.PaletteCount(); ++i) {
    EXPECT_EQ(pal[i].rgbRed, pal[i].rgbGreen);
    EXPECT_EQ(pal[i].rgbRed, pal[i].rgbBlue);
    if (i > 0) {
      EXPECT_GT(pal[i].rgbRed, pal[i - 1].rgbRed);
    }
  }
  EXPECT_EQ(pal[0].rgbRed, 0);
  EXPECT_EQ(pal[bmp.PaletteCount() - 1].rgbRed, 255);
}

TEST(JpegImage, TextFileFailsAtLoad) {
  TJPEGImage img;
  const std::string text = "This is not a picture.\n";
  EXPECT_EQ(ErrorOf([&] { Load(img, std::vector<uint8_t>(text.begin(), text.end())); }),
            Message(JERR_NO_SOI));
}

TEST(JpegImage, ZeroByteFileLoadsEmptyAndFailsAtConversion) {
  TJPEGImage img;
  Load(img, {});
  EXPECT_EQ(img.Width(), 0);
  EXPECT_EQ(img.Height(), 0);
  EXPECT_TRUE(img.Empty());
  TBitmap bmp;
  EXPECT_EQ(ErrorOf([&] { img.AssignTo(bmp); }), Message(JERR_INPUT_EMPTY));
}

TEST(JpegImage, FailedDecodeRaisesAgainWithoutDecodingAgain) {
  TJPEGImage img;
  DecodeCounter counter;
  counter.Attach(img);
  // Two components: a header libjpeg reads, a colour space it cannot convert.
  JpegOptions two;
  two.space = JpegOptions::kTwoComponents;
  Load(img, test::EncodeJpeg(test::MakeTestImage(8, 8), two));
  EXPECT_EQ(img.Width(), 8);
  TBitmap bmp;
  EXPECT_EQ(ErrorOf([&] { img.AssignTo(bmp); }), Message(JERR_CONVERSION_NOTIMPL));
  TCanvas canvas(bmp);
  EXPECT_EQ(ErrorOf([&] { img.Draw(canvas, Rect(0, 0, 1, 1)); }), Message(JERR_CONVERSION_NOTIMPL));
  EXPECT_EQ(counter.starts, 1);
  Load(img, ColourJpeg());  // a new load starts afresh
  img.AssignTo(bmp);
  EXPECT_EQ(bmp.Width(), 45);
}

TEST(JpegImage, ChangingASettingDecodesAgain) {
  TJPEGImage img;
  DecodeCounter counter;
  counter.Attach(img);
  Load(img, ColourJpeg(45, 29));
  TBitmap bmp;
  img.AssignTo(bmp);
  img.SetScale(jsHalf);
  EXPECT_EQ(img.Width(), 23);  // libjpeg's size, before any decode
  EXPECT_EQ(img.Height(), 15);
  EXPECT_EQ(counter.starts, 1);
  img.AssignTo(bmp);
  EXPECT_EQ(counter.starts, 2);
  EXPECT_EQ(bmp.Width(), 23);
  img.SetPixelFormat(jf8Bit);
  img.AssignTo(bmp);
  EXPECT_EQ(counter.starts, 3);
  EXPECT_EQ(bmp.PixelFormat(), pf8bit);
}

// A header claiming 40000 x 40000 pixels over a small file's data.
TEST(JpegImage, PictureAboveTheCapIsRefusedBeforeAllocating) {
  std::vector<uint8_t> bytes = ColourJpeg(16, 16);
  size_t sof = 2;
  while (sof + 9 < bytes.size() && !(bytes[sof] == 0xFF && bytes[sof + 1] == 0xC0)) ++sof;
  ASSERT_LT(sof + 9, bytes.size());
  for (size_t at : {sof + 5, sof + 7}) {  // height, then width
    bytes[at] = 40000 >> 8;
    bytes[at + 1] = 40000 & 0xFF;
  }
  TJPEGImage img;
  Load(img, bytes);
  EXPECT_EQ(img.Width(), 40000);
  const size_t fresh = GetPixelPoolStats().fresh;
  TBitmap bmp;
  EXPECT_EQ(ErrorOf([&] { img.AssignTo(bmp); }), Message(JERR_IMAGE_TOO_BIG));
  EXPECT_EQ(GetPixelPoolStats().fresh, fresh);
}

// The same scan over and over: each repetition would walk every block again.
TEST(JpegImage, FileWithThousandsOfScansIsRefused) {
  JpegOptions opts;
  opts.progressive = true;
  const std::vector<uint8_t> bytes = test::EncodeJpeg(test::MakeTestImage(16, 16), opts);
  std::vector<size_t> sos;
  for (size_t i = 2; i + 1 < bytes.size(); ++i)
    if (bytes[i] == 0xFF && bytes[i + 1] == 0xDA) sos.push_back(i);
  ASSERT_GE(sos.size(), 3u);
  std::vector<uint8_t> many(bytes.begin(), bytes.begin() + std::ptrdiff_t(sos[2]));
  for (int i = 0; i < 600; ++i)
    many.insert(many.end(), bytes.begin() + std::ptrdiff_t(sos[1]), bytes.begin() + std::ptrdiff_t(sos[2]));
  many.insert(many.end(), bytes.begin() + std::ptrdiff_t(sos[2]), bytes.end());
  TJPEGImage img;
  Load(img, many);
  EXPECT_TRUE(img.ProgressiveEncoding());
  TBitmap bmp;
  EXPECT_EQ(ErrorOf([&] { img.AssignTo(bmp); }), Message(JERR_BAD_PROGRESSION));
}

TEST(JpegImage, PixelFormatDefaultFollowsTheScreenDepth) {
  const std::vector<uint8_t> bytes = ColourJpeg();
  for (int bits : {1, 4, 8, 15, 16, 24, 32}) {
    SCOPED_TRACE(bits);
    SetScreenBitsPerPixel(bits);
    ResetJPEGDefaults();
    TJPEGImage img;
    EXPECT_EQ(img.PixelFormat(), bits <= 8 ? jf8Bit : jf24Bit);
    Load(img, bytes);
    TBitmap bmp;
    img.AssignTo(bmp);
    EXPECT_EQ(bmp.PixelFormat(), bits <= 8 ? pf8bit : pf24bit);
  }
  SetScreenBitsPerPixel(24);
  ResetJPEGDefaults();
}

// Colours survive a round trip through four-component files, whether the
// inks are stored as they are or, as Adobe stores them, inverted.
TEST(JpegImage, CmykFilesGiveTheirColours) {
  const RgbImage src = test::MakeTestImage(48, 32);
  struct Case {
    const char* name;
    JpegOptions::Space space;
    bool adobe;
    TJPEGPixelFormat format;
    int tolerance;  // mean absolute difference
  };
  for (const Case& c : {Case{"plain CMYK", JpegOptions::kCmyk, false, jf24Bit, 6},
                        Case{"Adobe CMYK", JpegOptions::kCmyk, true, jf24Bit, 6},
                        Case{"Adobe YCCK", JpegOptions::kYcck, true, jf24Bit, 14},
                        Case{"Adobe CMYK, 8 bits", JpegOptions::kCmyk, true, jf8Bit, 40}}) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> cmyk;
    for (size_t i = 0; i < src.rgb.size(); i += 3)
      for (int k = 0; k < 3; ++k) {
        cmyk.push_back(c.adobe ? src.rgb[i + size_t(k)] : uint8_t(255 - src.rgb[i + size_t(k)]));
        if (k == 2) cmyk.push_back(c.adobe ? 255 : 0);  // no black ink
      }
    JpegOptions opts;
    opts.space = c.space;
    opts.adobe_marker = c.adobe;
    opts.quality = 95;
    TJPEGImage img;
    img.SetPixelFormat(c.format);
    Load(img, test::EncodeJpeg(src, opts, cmyk));
    TBitmap bmp;
    img.AssignTo(bmp);
    const RgbImage out = test::BitmapRgb(bmp);
    ASSERT_EQ(out.rgb.size(), src.rgb.size());
    long sum = 0;
    for (size_t i = 0; i < out.rgb.size(); ++i) sum += std::abs(int(out.rgb[i]) - int(src.rgb[i]));
    EXPECT_LE(sum / long(out.rgb.size()), c.tolerance);
  }
}

TEST(JpegImage, AssignSharesJpegPicturesAndRefusesOthers) {
  TJPEGImage a, b;
  Load(a, ColourJpeg(45, 29));
  b.Assign(a);
  EXPECT_EQ(b.Width(), 45);
  TBitmap ba, bb;
  a.AssignTo(ba);
  b.AssignTo(bb);
  EXPECT_EQ(test::BitmapRgb(ba), test::BitmapRgb(bb));

  // Between unrelated classes the framework's assignment error is raised.
  std::unique_ptr<TGraphic> icon = kIconClass.create();
  EXPECT_THROW(icon->Assign(a), EConvertError);
  std::unique_ptr<TGraphic> bitmap = TFileFormatsList::Instance().FindExt("bmp")->create();
  EXPECT_THROW(a.Assign(*bitmap), EConvertError);
  EXPECT_EQ(a.Width(), 45);
}

}  // namespace
}  // namespace orv
