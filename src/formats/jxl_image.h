// TJXLImage: the graphic class for JPEG XL files, over libjxl. The decoder
// turns the picture upright by the orientation in the file's header (where
// cjxl puts a source's EXIF orientation), so none is reported on top; an
// animation shows its first frame.
#pragma once

#include "picture/coded_image.h"

namespace orv {

extern const TGraphicClass kJXLImageClass;

class TJXLImage : public TCodedImage {
 public:
  const TGraphicClass* ClassType() const override { return &kJXLImageClass; }

 protected:
  const char* FormatName() const override { return "JPEG XL"; }
  void ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) override;
  void Decode(const uint8_t* data, size_t size, int shift, TBitmap& out) override;
};

// Registers "jxl" with the file-type registry.
void RegisterJXLFormat();

}  // namespace orv
