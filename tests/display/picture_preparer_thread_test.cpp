// The picture worker stopped in the middle of a decode. Also built alone
// with ThreadSanitizer (the build-tsan folder of scripts/test.sh).
#include <gtest/gtest.h>

#include <thread>

#include "display/picture_preparer.h"
#include "picture/jpeg_image.h"
#include "picture/picture_test_util.h"
#include "support/test_support.h"

namespace orv::test {
namespace {

constexpr TColor kGrey = 0x808080;

void RegisterJpegOnce() {
  static const bool done = (RegisterJPEGFormat(), true);
  (void)done;
}

TPrepareRequest Request(const std::string& name, int w, int h) {
  TPrepareRequest r;
  r.name = name;
  r.frameWidth = w;
  r.frameHeight = h;
  r.extend = false;
  auto bmp = std::make_shared<TBitmap>(w, h, pf32bit);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bmp->SetPixel(x, y, kGrey);
  r.background = bmp;
  return r;
}

// A big progressive JPEG takes the worker a good while: stopping it half-way,
// by a newer request and by the preparer's end (the program's exit), must
// neither crash nor race (this test also runs under ThreadSanitizer).
TEST(PreparerThread, DecodeStoppedHalfWayByANewRequestAndByTheEnd) {
  RegisterJpegOnce();
  TempDir dir;
  const std::string big = dir / "big.jpg", small = dir / "small.jpg";
  JpegOptions opts;
  opts.progressive = true;
  WriteFile(big, EncodeJpeg(MakeTestImage(3000, 2000), opts));
  WriteFile(small, EncodeJpeg(MakeTestImage(64, 48), {}));
  // At full size: the decode is the longest it can be.
  const TPrepareRequest big_request = Request(big, 3000, 2000);
  const TPrepareRequest small_request = Request(small, 3000, 2000);
  auto wait_working = [](TPicturePreparer& p) {
    for (int i = 0; i < 20000 && !p.Working(); ++i) std::this_thread::sleep_for(std::chrono::microseconds(100));
    return p.Working();
  };
  {
    TPicturePreparer preparer(true);
    preparer.Request(big_request);
    ASSERT_TRUE(wait_working(preparer));
    preparer.Request(small_request);
    ASSERT_TRUE(preparer.WaitReady(small_request, std::chrono::seconds(60)));
    std::optional<TPreparedPicture> shown = preparer.Take(small_request);
    ASSERT_TRUE(shown && shown->ok);
    EXPECT_EQ(shown->frame.GetPixel(0, 0), kGrey);
    // The big one was stopped, not finished and handed out.
    EXPECT_EQ(preparer.Stopped(), 1);
    EXPECT_FALSE(preparer.Take(big_request));
    preparer.Request(big_request);
    ASSERT_TRUE(wait_working(preparer));
  }  // the end, in the middle of the decode: joins the worker
  // And a finished one is what a decode on the calling thread gives.
  TPicturePreparer preparer(true);
  preparer.Request(small_request);
  ASSERT_TRUE(preparer.WaitReady(small_request, std::chrono::seconds(60)));
  const TPreparedPicture inline_result = PreparePicture(small_request);
  std::optional<TPreparedPicture> threaded = preparer.Take(small_request);
  ASSERT_TRUE(threaded);
  EXPECT_TRUE(BitmapRgb(threaded->frame) == BitmapRgb(inline_result.frame));
}

}  // namespace
}  // namespace orv::test
