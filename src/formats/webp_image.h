// TWebPImage: the graphic class for WebP files, over libwebp. Still pictures
// decode at a reduced size when asked (libwebp scales while decoding); an
// animation shows its first frame. The EXIF chunk's orientation is reported.
#pragma once

#include "picture/coded_image.h"

namespace orv {

extern const TGraphicClass kWebPImageClass;

class TWebPImage : public TCodedImage {
 public:
  const TGraphicClass* ClassType() const override { return &kWebPImageClass; }
  int MaxScaleShift() const override { return animated_ ? 0 : 3; }

 protected:
  const char* FormatName() const override { return "WebP"; }
  void ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) override;
  void Decode(const uint8_t* data, size_t size, int shift, TBitmap& out) override;

 private:
  bool animated_ = false;
};

// Registers "webp" with the file-type registry.
void RegisterWebPFormat();

}  // namespace orv
