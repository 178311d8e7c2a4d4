// GIF files are untrusted: any bytes must give a clean GIFException,
// warnings, or frames whose bitmaps can be built.
#include <cstddef>
#include <cstdint>

#include "gif/gif_image.h"
#include "platform/screen_info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Both the plain and the dithered bitmap paths.
  orv::SetScreenBitsPerPixel((size & 1) ? 8 : 24);
  orv::TGIFImage image;
  image.SetPixelLimit(1 << 20);  // all frames together; keeps each run short
  int warnings = 0;
  image.WarningHandler = [&](void*, int, const std::string&) { ++warnings; };
  orv::TMemoryStream stream(data, size);
  try {
    image.LoadFromStream(stream);
  } catch (const orv::Exception&) {
    return 0;
  }
  // Bitmap building costs the same per pixel at any size; big pictures only
  // slow the search down.
  constexpr int64_t kRenderPixels = 1 << 14;
  try {
    for (int i = 0; i < image.Images().Count(); ++i) {
      orv::TGIFSubImage& frame = *image.Images()[i];
      if (int64_t(frame.Width()) * frame.Height() > kRenderPixels) continue;
      frame.Bitmap();
      frame.Mask();
    }
    if (image.Images().Count() == 0 || int64_t(image.Width()) * image.Height() > kRenderPixels ||
        int64_t(image.Images()[0]->Width()) * image.Images()[0]->Height() > kRenderPixels)
      return 0;
    orv::TBitmap bmp;
    image.CopyToBitmap(bmp);
    if (!bmp.Empty() && bmp.Width() <= 256 && bmp.Height() <= 256) {
      // A still draw through the mask, stretched.
      orv::TBitmap target(bmp.Width() * 2, bmp.Height() + 1, orv::pf32bit);
      orv::TCanvas canvas(target);
      image.DrawOptions &= orv::TGIFDrawOptions(~orv::DrawAnimate);
      image.Draw(canvas, orv::Rect(0, 0, target.Width(), target.Height()));
    }
  } catch (const orv::Exception&) {
  }
  return 0;
}
