// THEIFImage: the graphic class for HEIF files (HEIC's HEVC and AVIF's AV1),
// over libheif. It shows the primary image, not a thumbnail or a depth map,
// with the file's own rotation, mirroring and crop applied by libheif; those
// supersede any EXIF orientation, so none is reported on top.
#pragma once

#include "picture/coded_image.h"

namespace orv {

extern const TGraphicClass kHEIFImageClass;

class THEIFImage : public TCodedImage {
 public:
  const TGraphicClass* ClassType() const override { return &kHEIFImageClass; }

 protected:
  const char* FormatName() const override { return "HEIF"; }
  void ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) override;
  void Decode(const uint8_t* data, size_t size, int shift, TBitmap& out) override;
};

// Registers "heic", "heif" and "avif" with the file-type registry.
void RegisterHEIFFormat();

}  // namespace orv
