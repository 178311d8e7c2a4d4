#include "app/formats.h"

#include "gif/gif_image.h"
#include "picture/jpeg_image.h"
#include "picture/picture.h"
#include "png/png_graphic.h"

namespace orv {

void RegisterPictureFormats() {
  static const bool done = [] {
    TFileFormatsList::Instance();  // the framework's own entries come first
    RegisterJPEGFormat();
    RegisterPNGFormat();
    RegisterGIFFormat();
    return true;
  }();
  (void)done;
}

}  // namespace orv
