#include "formats/jxl_image.h"

#include <jxl/decode.h>
#include <jxl/resizable_parallel_runner.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>

#include "picture/picture.h"
#include "png/png_convert.h"

namespace orv {

const TGraphicClass kJXLImageClass{"TJXLImage", nullptr, [] { return std::unique_ptr<TGraphic>(new TJXLImage); }};

namespace {

struct DecoderDeleter {
  void operator()(JxlDecoder* d) const { JxlDecoderDestroy(d); }
};
struct RunnerDeleter {
  void operator()(void* r) const { JxlResizableParallelRunnerDestroy(r); }
};

// The size as the decoder gives it, after the header's orientation.
std::pair<int64_t, int64_t> UprightSize(const JxlBasicInfo& info) {
  const bool swap = info.orientation >= JXL_ORIENT_TRANSPOSE;
  return swap ? std::pair<int64_t, int64_t>(info.ysize, info.xsize)
              : std::pair<int64_t, int64_t>(info.xsize, info.ysize);
}

}  // namespace

void TJXLImage::ReadHeader(const uint8_t* data, size_t size, int& width, int& height, int& orientation) {
  const JxlSignature sig = JxlSignatureCheck(data, size);
  if (sig != JXL_SIG_CODESTREAM && sig != JXL_SIG_CONTAINER) Fail("not a JPEG XL file");
  std::unique_ptr<JxlDecoder, DecoderDeleter> dec(JxlDecoderCreate(nullptr));
  if (!dec || JxlDecoderSubscribeEvents(dec.get(), JXL_DEC_BASIC_INFO) != JXL_DEC_SUCCESS) Fail("out of memory");
  JxlDecoderSetInput(dec.get(), data, size);
  JxlDecoderCloseInput(dec.get());
  for (;;) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(dec.get());
    if (status == JXL_DEC_BASIC_INFO) break;
    if (status == JXL_DEC_NEED_MORE_INPUT) Fail("file cut short");
    Fail("damaged data");
  }
  JxlBasicInfo info;
  if (JxlDecoderGetBasicInfo(dec.get(), &info) != JXL_DEC_SUCCESS) Fail("damaged data");
  const auto [w, h] = UprightSize(info);
  CheckSize(w, h);
  width = int(w);
  height = int(h);
  orientation = 1;
}

namespace {

// The resizable runner, asked first whether the decode is still wanted: a
// runner's error stops the decoder at its next step, so the whole file can
// be given at once.
struct StoppableRunner {
  void* runner;
  const std::atomic<bool>* cancel;
};

JxlParallelRetCode RunUnlessStopped(void* opaque, void* jpegxl_opaque, JxlParallelRunInit init,
                                    JxlParallelRunFunction func, uint32_t start_range, uint32_t end_range) {
  const auto* r = static_cast<const StoppableRunner*>(opaque);
  if (r->cancel && r->cancel->load(std::memory_order_relaxed)) return JXL_PARALLEL_RET_RUNNER_ERROR;
  return JxlResizableParallelRunner(r->runner, jpegxl_opaque, init, func, start_range, end_range);
}

}  // namespace

void TJXLImage::Decode(const uint8_t* data, size_t size, int, TBitmap& out) {
  std::unique_ptr<JxlDecoder, DecoderDeleter> dec(JxlDecoderCreate(nullptr));
  std::unique_ptr<void, RunnerDeleter> runner(JxlResizableParallelRunnerCreate(nullptr));
  if (!dec || !runner) Fail("out of memory");
  StoppableRunner stoppable{runner.get(), CancelFlag()};
  if (JxlDecoderSubscribeEvents(dec.get(), JXL_DEC_BASIC_INFO | JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
      JxlDecoderSetParallelRunner(dec.get(), RunUnlessStopped, &stoppable) != JXL_DEC_SUCCESS)
    Fail("out of memory");
  JxlDecoderSetInput(dec.get(), data, size);
  JxlDecoderCloseInput(dec.get());
  // Three 8-bit samples a pixel; rows padded to four bytes, as the bitmap's are.
  const JxlPixelFormat format{3, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 4};
  for (;;) {
    const JxlDecoderStatus status = JxlDecoderProcessInput(dec.get());
    if (status == JXL_DEC_BASIC_INFO) {
      JxlBasicInfo info;
      if (JxlDecoderGetBasicInfo(dec.get(), &info) != JXL_DEC_SUCCESS) Fail("damaged data");
      const auto [w, h] = UprightSize(info);
      CheckSize(w, h);
      JxlResizableParallelRunnerSetThreads(runner.get(),
                                           JxlResizableParallelRunnerSuggestThreads(info.xsize, info.ysize));
    } else if (status == JXL_DEC_NEED_IMAGE_OUT_BUFFER) {
      JxlBasicInfo info;
      if (JxlDecoderGetBasicInfo(dec.get(), &info) != JXL_DEC_SUCCESS) Fail("damaged data");
      const auto [w, h] = UprightSize(info);
      AllocateBitmap(out, int(w), int(h));
      size_t need = 0;
      if (JxlDecoderImageOutBufferSize(dec.get(), &format, &need) != JXL_DEC_SUCCESS ||
          need > out.Stride() * size_t(out.Height()))
        Fail("damaged data");
      if (JxlDecoderSetImageOutBuffer(dec.get(), &format, out.Bits(), out.Stride() * size_t(out.Height())) !=
          JXL_DEC_SUCCESS)
        Fail("damaged data");
    } else if (status == JXL_DEC_FULL_IMAGE) {
      break;  // the first frame is enough
    } else if (status == JXL_DEC_NEED_MORE_INPUT) {
      Fail("file cut short");
    } else {
      CheckCancel();  // the runner refused to go on
      Fail("damaged data");
    }
  }
  if (out.Empty()) Fail("damaged data");
  // RGB to the bitmap's BGR (libjxl has no BGR output; its image-out
  // callback, which could swap while the rows are in the cache, makes the
  // decode twice as slow).
  for (int y = 0; y < out.Height(); ++y) RGBToBGR(out.ScanLine(y), out.ScanLine(y), out.Width());
}

void RegisterJXLFormat() { TFileFormatsList::Instance().Add("jxl", "JPEG XL イメージファイル", &kJXLImageClass); }

}  // namespace orv
