#include "formats/webp_image.h"

#include <webp/decode.h>
#include <webp/demux.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "picture/exif_orientation.h"
#include "picture/picture.h"

namespace orv {

const TGraphicClass kWebPImageClass{"TWebPImage", nullptr, [] { return std::unique_ptr<TGraphic>(new TWebPImage); }};

namespace {

const char* StatusText(VP8StatusCode status) {
  switch (status) {
    case VP8_STATUS_OUT_OF_MEMORY: return "out of memory";
    case VP8_STATUS_INVALID_PARAM: return "invalid parameter";
    case VP8_STATUS_BITSTREAM_ERROR: return "damaged data";
    case VP8_STATUS_UNSUPPORTED_FEATURE: return "unsupported feature";
    case VP8_STATUS_NOT_ENOUGH_DATA: return "file cut short";
    default: return "cannot decode";
  }
}

struct DemuxDeleter {
  void operator()(WebPDemuxer* d) const { WebPDemuxDelete(d); }
};
struct AnimDeleter {
  void operator()(WebPAnimDecoder* d) const { WebPAnimDecoderDelete(d); }
};

}  // namespace

void TWebPImage::ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) {
  WebPBitstreamFeatures features;
  const VP8StatusCode status = WebPGetFeatures(data, size, &features);
  if (status != VP8_STATUS_OK) Fail(StatusText(status));
  width = features.width;
  height = features.height;
  animated_ = features.has_animation != 0;
  // The extended format carries EXIF in a chunk of its own; a simple file has none.
  const WebPData whole{data, size};
  std::unique_ptr<WebPDemuxer, DemuxDeleter> demux(WebPDemux(&whole));
  if (!demux) return;
  if (animated_) {
    // Frames live on the canvas, whose size is the picture's.
    width = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_WIDTH));
    height = int(WebPDemuxGetI(demux.get(), WEBP_FF_CANVAS_HEIGHT));
  }
  WebPChunkIterator exif;
  if (WebPDemuxGetChunk(demux.get(), "EXIF", 1, &exif)) {
    orientation = ExifOrientation(exif.chunk.bytes, exif.chunk.size);
    WebPDemuxReleaseChunkIterator(&exif);
  }
}

void TWebPImage::Decode(const uint8_t* data, size_t size, int shift, TBitmap& out) {
  if (animated_) {
    const WebPData whole{data, size};
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options)) Fail("cannot decode");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    std::unique_ptr<WebPAnimDecoder, AnimDeleter> dec(WebPAnimDecoderNew(&whole, &options));
    if (!dec) Fail("damaged data");
    WebPAnimInfo info;
    if (!WebPAnimDecoderGetInfo(dec.get(), &info)) Fail("damaged data");
    AllocateBitmap(out, int(info.canvas_width), int(info.canvas_height));
    uint8_t* frame = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(dec.get(), &frame, &timestamp)) Fail("damaged data");
    const int w = out.Width();
    for (int y = 0; y < out.Height(); ++y) {
      const uint8_t* s = frame + size_t(y) * size_t(w) * 4;
      uint8_t* d = out.ScanLine(y);
      for (int x = 0; x < w; ++x, s += 4, d += 3) std::memcpy(d, s, 3);
    }
    return;
  }
  WebPDecoderConfig config;
  if (!WebPInitDecoderConfig(&config)) Fail("cannot decode");
  const VP8StatusCode head = WebPGetFeatures(data, size, &config.input);
  if (head != VP8_STATUS_OK) Fail(StatusText(head));
  const int w = ReducedSide(config.input.width, shift), h = ReducedSide(config.input.height, shift);
  AllocateBitmap(out, w, h);
  if (shift > 0) {
    config.options.use_scaling = 1;
    config.options.scaled_width = w;
    config.options.scaled_height = h;
  }
  // Straight into the bitmap's rows: same order, same stride.
  config.output.colorspace = MODE_BGR;
  config.output.is_external_memory = 1;
  config.output.u.RGBA.rgba = out.Bits();
  config.output.u.RGBA.stride = int(out.Stride());
  config.output.u.RGBA.size = out.Stride() * size_t(h);
  // Fed a step at a time, so that a decode nobody waits for can stop.
  struct IDecoderDeleter {
    void operator()(WebPIDecoder* d) const { WebPIDelete(d); }
  };
  std::unique_ptr<WebPIDecoder, IDecoderDeleter> idec(WebPIDecode(nullptr, 0, &config));
  if (!idec) Fail("out of memory");
  for (size_t given = std::min(size, kInputStep);; given = std::min(size, given + kInputStep)) {
    CheckCancel();
    const VP8StatusCode status = WebPIUpdate(idec.get(), data, given);
    if (status == VP8_STATUS_OK) break;
    if (status != VP8_STATUS_SUSPENDED) Fail(StatusText(status));
    if (given == size) Fail(StatusText(VP8_STATUS_NOT_ENOUGH_DATA));
  }
}

void RegisterWebPFormat() { TFileFormatsList::Instance().Add("webp", "WebP イメージファイル", &kWebPImageClass); }

}  // namespace orv
