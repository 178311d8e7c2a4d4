#include "formats/formats.h"

#include <algorithm>
#include <iterator>

#include "gif/gif_image.h"
#include "picture/jpeg_image.h"
#include "picture/picture.h"
#include "platform/paths.h"
#include "png/png_graphic.h"
#ifdef ORV_HAVE_HEIF
#include "formats/heif_image.h"
#endif
#ifdef ORV_HAVE_WEBP
#include "formats/webp_image.h"
#endif
#ifdef ORV_HAVE_JXL
#include "formats/jxl_image.h"
#endif

namespace orv {

namespace {

// The five first passes and their bar positions are the saver's own; the
// formats added later are searched after them without moving the bar.
constexpr TPictureFormat kFormats[] = {
    {"bmp", 25, nullptr},
    {"jpg", 40, RegisterJPEGFormat},
    {"jpeg", 55, RegisterJPEGFormat},
    {"png", 70, RegisterPNGFormat},
    {"gif", 85, RegisterGIFFormat},
#ifdef ORV_HAVE_HEIF
    {"heic", 0, RegisterHEIFFormat},
    {"heif", 0, RegisterHEIFFormat},
    {"avif", 0, RegisterHEIFFormat},
#endif
#ifdef ORV_HAVE_WEBP
    {"webp", 0, RegisterWebPFormat},
#endif
#ifdef ORV_HAVE_JXL
    {"jxl", 0, RegisterJXLFormat},
#endif
};

}  // namespace

std::span<const TPictureFormat> PictureFormats() { return kFormats; }

bool IsPictureFormatPath(const std::string& path) {
  const std::string ext = AsciiLower(ExtractFileExt(path));
  if (ext.size() < 2) return false;
  return std::any_of(std::begin(kFormats), std::end(kFormats),
                     [&](const TPictureFormat& f) { return ext.compare(1, std::string::npos, f.ext) == 0; });
}

void RegisterPictureFormats() {
  static const bool done = [] {
    TFileFormatsList::Instance();  // the framework's own entries come first
    for (size_t i = 0; i < std::size(kFormats); ++i) {
      const auto reg = kFormats[i].Register;
      const bool seen = std::any_of(kFormats, kFormats + i, [&](const TPictureFormat& f) { return f.Register == reg; });
      if (reg && !seen) reg();
    }
    return true;
  }();
  (void)done;
}

}  // namespace orv
