#include "formats/heif_image.h"

#include <libheif/heif.h>

#include <functional>
#include <memory>

#include "picture/picture.h"
#include "png/png_convert.h"

namespace orv {

const TGraphicClass kHEIFImageClass{"THEIFImage", nullptr, [] { return std::unique_ptr<TGraphic>(new THEIFImage); }};

namespace {

struct ContextDeleter {
  void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleDeleter {
  void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageDeleter {
  void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsDeleter {
  void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

// The file's primary image; the context must outlive the handle.
struct Primary {
  std::unique_ptr<heif_context, ContextDeleter> context;
  std::unique_ptr<heif_image_handle, HandleDeleter> handle;
};

Primary OpenPrimary(const uint8_t* data, size_t size, const std::function<void(const char*)>& fail) {
  static const bool initialised = (heif_init(nullptr), true);
  (void)initialised;
  Primary p;
  p.context.reset(heif_context_alloc());
  if (!p.context) fail("out of memory");
  // libheif's own guard, on the side; our pixel limit is checked on the size it reports.
  heif_context_set_maximum_image_size_limit(p.context.get(), int(kMaxPictureSide));
  heif_error err = heif_context_read_from_memory_without_copy(p.context.get(), data, size, nullptr);
  if (err.code != heif_error_Ok) fail(err.message);
  heif_image_handle* handle = nullptr;
  err = heif_context_get_primary_image_handle(p.context.get(), &handle);
  if (err.code != heif_error_Ok || !handle) fail(err.message ? err.message : "no primary image");
  p.handle.reset(handle);
  return p;
}

}  // namespace

void THEIFImage::ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) {
  const Primary p = OpenPrimary(data, size, [this](const char* m) { Fail(m); });
  // The size after the file's transformations, as the decoder gives it.
  width = heif_image_handle_get_width(p.handle.get());
  height = heif_image_handle_get_height(p.handle.get());
  // Also the stored size, which is what gets allocated while decoding
  // (a file without one leaves the decoder to its own limit).
  const int stored_w = heif_image_handle_get_ispe_width(p.handle.get());
  const int stored_h = heif_image_handle_get_ispe_height(p.handle.get());
  if (stored_w > 0 && stored_h > 0) CheckSize(stored_w, stored_h);
  orientation = 1;
}

void THEIFImage::Decode(const uint8_t* data, size_t size, int, TBitmap& out) {
  const Primary p = OpenPrimary(data, size, [this](const char* m) { Fail(m); });
  std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
  heif_image* decoded = nullptr;
  // Interleaved 8-bit RGB: an alpha plane is left out, as for PNG.
  const heif_error err = heif_decode_image(p.handle.get(), &decoded, heif_colorspace_RGB,
                                           heif_chroma_interleaved_RGB, options.get());
  std::unique_ptr<heif_image, ImageDeleter> image(decoded);
  if (err.code != heif_error_Ok || !image) Fail(err.message ? err.message : "cannot decode");
  const int w = heif_image_get_width(image.get(), heif_channel_interleaved);
  const int h = heif_image_get_height(image.get(), heif_channel_interleaved);
  int stride = 0;
  const uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
  if (!plane || w <= 0 || h <= 0 || stride < 3 * w) Fail("cannot decode");
  AllocateBitmap(out, w, h);
  for (int y = 0; y < h; ++y) RGBToBGR(plane + size_t(y) * size_t(stride), out.ScanLine(y), w);
}

void RegisterHEIFFormat() {
  TFileFormatsList& list = TFileFormatsList::Instance();
  list.Add("heic", "HEIF イメージファイル", &kHEIFImageClass);
  list.Add("heif", "HEIF イメージファイル", &kHEIFImageClass);
  list.Add("avif", "AVIF イメージファイル", &kHEIFImageClass);
}

}  // namespace orv
