#include "picture/jpeg_decoder.h"

#include <algorithm>
#include <csetjmp>
#include <cstdint>
#include <cstring>
#include <vector>

// libjpeg's headers need <cstdio> before them and jpeglib.h before jerror.h.
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

#include "picture/exif_orientation.h"

namespace orv {

EJPEG::EJPEG(int code) : EInvalidGraphic(ORV_TRANSLATE_NOOP("Exception", "JPEG エラー #%d"), std::to_string(code)), code_(code) {}

namespace {

// Real files have a dozen scans or so; thousands of scans over a large
// picture would each walk every block. libjpeg-turbo's own guard is 500.
constexpr int kMaxScans = 500;
constexpr int kReducedColors = 236;
const JOCTET kFakeEOI[2] = {0xFF, JPEG_EOI};

struct ErrorManager {
  jpeg_error_mgr pub;
  std::jmp_buf jump;
};

struct MemorySource {
  jpeg_source_mgr pub;
  const uint8_t* data;
  size_t size;
  bool given;  // the whole file has been handed out
  // Where the coded data ran into the end of the image: the scan and the
  // iMCU row libjpeg was reading.
  bool ran_out;
  int scan;
  JDIMENSION imcu_row;
};

void InitSource(j_decompress_ptr) {}
void TermSource(j_decompress_ptr) {}

// The whole file goes to libjpeg at once (libjpeg-turbo decodes Huffman data
// on its fast path only while several kB remain in the buffer). Past its
// end, an end-of-image marker completes the picture (with a warning, dropped
// like all warnings). Nothing at all to read is the input-empty error.
boolean FillInputBuffer(j_decompress_ptr cinfo) {
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  if (src->given) {
    WARNMS(cinfo, JWRN_JPEG_EOF);
    src->pub.next_input_byte = kFakeEOI;
    src->pub.bytes_in_buffer = sizeof kFakeEOI;
    return TRUE;
  }
  if (src->size == 0) ERREXIT(cinfo, JERR_INPUT_EMPTY);
  src->pub.next_input_byte = src->data;
  src->pub.bytes_in_buffer = src->size;
  src->given = true;
  return TRUE;
}

void SkipInputData(j_decompress_ptr cinfo, long count) {
  if (count <= 0) return;
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  size_t n = size_t(count);
  while (n > src->pub.bytes_in_buffer) {
    n -= src->pub.bytes_in_buffer;
    const bool at_end = src->given;
    FillInputBuffer(cinfo);
    if (at_end) return;  // never skip into the supplied end marker
  }
  src->pub.next_input_byte += n;
  src->pub.bytes_in_buffer -= n;
}

[[noreturn]] void ErrorExit(j_common_ptr cinfo) {
  std::longjmp(reinterpret_cast<ErrorManager*>(cinfo->err)->jump, 1);
}
// Warnings are dropped, but one is noted: the Huffman decoder needing bits
// past the end of the image (the file's end marker or the one supplied past
// the data), from where libjpeg fills the picture with grey.
void EmitMessage(j_common_ptr common, int level) {
  if (level >= 0 || !common->is_decompressor || common->err->msg_code != JWRN_HIT_MARKER) return;
  auto* cinfo = reinterpret_cast<j_decompress_ptr>(common);
  auto* src = reinterpret_cast<MemorySource*>(cinfo->src);
  if (src->ran_out || cinfo->unread_marker != JPEG_EOI) return;
  src->ran_out = true;
  src->scan = cinfo->input_scan_number;
  src->imcu_row = cinfo->input_iMCU_row;
}
void OutputMessage(j_common_ptr) {}

struct ProgressMonitor {
  jpeg_progress_mgr pub;
  const std::atomic<bool>* cancel;
};

// Called by libjpeg for every row (and every input row of a multi-scan file).
void LimitScans(j_common_ptr cinfo) {
  const auto* monitor = reinterpret_cast<const ProgressMonitor*>(cinfo->progress);
  if (monitor->cancel && monitor->cancel->load(std::memory_order_relaxed)) ERREXIT(cinfo, JERR_NOTIMPL);
  if (cinfo->is_decompressor && reinterpret_cast<j_decompress_ptr>(cinfo)->input_scan_number > kMaxScans)
    ERREXIT(cinfo, JERR_BAD_PROGRESSION);
}

// One libjpeg decompressor over bytes in memory, destroyed with the object.
class Decompressor {
 public:
  Decompressor(const uint8_t* data, size_t size) {
    std::memset(&cinfo_, 0, sizeof cinfo_);
    std::memset(&err_, 0, sizeof err_);
    std::memset(&src_, 0, sizeof src_);
    cinfo_.err = jpeg_std_error(&err_.pub);
    err_.pub.error_exit = ErrorExit;
    err_.pub.emit_message = EmitMessage;
    err_.pub.output_message = OutputMessage;
    src_.pub.init_source = InitSource;
    src_.pub.fill_input_buffer = FillInputBuffer;
    src_.pub.skip_input_data = SkipInputData;
    src_.pub.resync_to_restart = jpeg_resync_to_restart;
    src_.pub.term_source = TermSource;
    src_.data = data;
    src_.size = size;
    progress_.pub.progress_monitor = LimitScans;
  }
  ~Decompressor() { jpeg_destroy_decompress(&cinfo_); }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;

  // Runs body, turning libjpeg's fatal errors into EJPEG. The body must keep
  // no object with a destructor alive across a libjpeg call: the long jump
  // would skip it.
  template <class Body>
  void Run(Body&& body) {
    if (setjmp(err_.jump)) throw EJPEG(err_.pub.msg_code);
    body();
  }

  // Creates the decompressor and reads the header; call inside Run. With
  // keep_app1, libjpeg keeps the APP1 segments (EXIF) for the caller.
  void Start(bool keep_app1 = false) {
    jpeg_create_decompress(&cinfo_);
    cinfo_.src = &src_.pub;
    cinfo_.progress = &progress_.pub;
    if (keep_app1) jpeg_save_markers(&cinfo_, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&cinfo_, TRUE);
  }

  // Output rows that come from the data. When the coded data ends early,
  // libjpeg fills the rest of the picture with grey. Past the iMCU row it
  // was reading when that happened in the first scan (a later scan only
  // refines rows the first one made), one more iMCU row still takes some of
  // the data through upsampling and block smoothing; the rest holds nothing
  // of the file.
  JDIMENSION RowsFromData() const {
    if (!src_.ran_out || src_.scan > 1) return cinfo_.output_height;
    const uint64_t rows = (uint64_t(src_.imcu_row) + 2) * unsigned(cinfo_.max_v_samp_factor) *
                          unsigned(cinfo_.min_DCT_scaled_size);
    return JDIMENSION(std::min<uint64_t>(rows, cinfo_.output_height));
  }

  j_decompress_ptr cinfo() { return &cinfo_; }
  void SetCancel(const std::atomic<bool>* cancel) { progress_.cancel = cancel; }

 private:
  jpeg_decompress_struct cinfo_;
  ErrorManager err_;
  MemorySource src_;
  ProgressMonitor progress_{};
};

void Configure(j_decompress_ptr c, const JpegDecodeSettings& s) {
  c->scale_num = 1;
  c->scale_denom = 1u << s.scale_shift;
  c->do_block_smoothing = s.smoothing ? TRUE : FALSE;
  switch (c->jpeg_color_space) {
    case JCS_GRAYSCALE: break;
    case JCS_CMYK:
    case JCS_YCCK:
      // libjpeg has no conversion from four components; we convert CMYK.
      c->out_color_space = s.grayscale ? JCS_GRAYSCALE : JCS_CMYK;
      break;
    case JCS_YCbCr:
    case JCS_RGB:
      if (s.grayscale)
        c->out_color_space = JCS_GRAYSCALE;
      else if (!s.eight_bit)
        c->out_color_space = JCS_EXT_BGR;  // rows land in the bitmap as they are
      break;
    default: ERREXIT(c, JERR_CONVERSION_NOTIMPL);
  }
  if (s.eight_bit || c->out_color_space == JCS_GRAYSCALE) {
    c->quantize_colors = TRUE;
    c->desired_number_of_colors = kReducedColors;
  }
  if (s.best_speed) {
    c->dct_method = JDCT_IFAST;
    c->two_pass_quantize = FALSE;
    c->dither_mode = JDITHER_ORDERED;
  } else {
    c->dct_method = JDCT_FLOAT;
  }
}

// Four-component samples to blue, green, red. Adobe's files store the inks
// inverted (255 = no ink), which is what nearly every CMYK JPEG is.
struct CmykToBgr {
  bool inverted;
  void operator()(const JSAMPLE* cmyk, uint8_t* bgr) const {
    const unsigned k = inverted ? cmyk[3] : 255u - cmyk[3];
    for (int i = 0; i < 3; ++i) {
      const unsigned v = inverted ? cmyk[i] : 255u - cmyk[i];
      bgr[2 - i] = uint8_t((v * k + 127) / 255);
    }
  }
};

void SetPaletteFromColormap(j_decompress_ptr c, TBitmap& bmp, const CmykToBgr& cmyk) {
  TRGBQuad pal[256] = {};
  const int n = std::min(c->actual_number_of_colors, 256);
  for (int i = 0; i < n; ++i) {
    if (c->out_color_components == 1) {
      const uint8_t g = c->colormap[0][i];
      pal[i] = TRGBQuad{g, g, g, 0};
    } else if (c->out_color_components == 3) {
      pal[i] = TRGBQuad{c->colormap[2][i], c->colormap[1][i], c->colormap[0][i], 0};
    } else {
      const JSAMPLE s[4] = {c->colormap[0][i], c->colormap[1][i], c->colormap[2][i], c->colormap[3][i]};
      uint8_t bgr[3];
      cmyk(s, bgr);
      pal[i] = TRGBQuad{bgr[0], bgr[1], bgr[2], 0};
    }
  }
  bmp.SetPalette(pal, n);
}

// Allocation failures are reported as flags: a long jump must not leave a
// catch handler.
bool Allocate(TBitmap& bmp, int width, int height, TPixelFormat format) {
  try {
    bmp.Allocate(width, height, format, false);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool Resize(std::vector<JSAMPLE>& v, size_t size) {
  try {
    v.resize(size);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

}  // namespace

JpegHeader ReadJpegHeader(const uint8_t* data, size_t size) {
  Decompressor d(data, size);
  JpegHeader h;
  d.Run([&] {
    d.Start(true);
    j_decompress_ptr c = d.cinfo();
    h.width = int(c->image_width);
    h.height = int(c->image_height);
    h.grayscale = c->jpeg_color_space == JCS_GRAYSCALE;
    h.progressive = jpeg_has_multiple_scans(c) != FALSE;
    for (jpeg_saved_marker_ptr m = c->marker_list; m; m = m->next) {
      if (m->marker == JPEG_APP0 + 1 && IsExifSegment(m->data, m->data_length)) {
        h.orientation = ExifOrientation(m->data, m->data_length);
        break;
      }
    }
  });
  return h;
}

void JpegOutputSize(const uint8_t* data, size_t size, const JpegDecodeSettings& settings, int* width,
                    int* height) {
  Decompressor d(data, size);
  d.Run([&] {
    d.Start();
    j_decompress_ptr c = d.cinfo();
    Configure(c, settings);
    jpeg_calc_output_dimensions(c);
    *width = int(c->output_width);
    *height = int(c->output_height);
  });
}

void DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeSettings& settings, TBitmap& bmp) {
  Decompressor d(data, size);
  d.SetCancel(settings.cancel);
  j_decompress_ptr c = d.cinfo();
  std::vector<JSAMPLE> cmyk_row;  // sized before any row is read
  CmykToBgr cmyk{false};
  bool allocated = false;
  try {
    d.Run([&] {
      d.Start();
      Configure(c, settings);
      jpeg_calc_output_dimensions(c);
      // Checked before libjpeg's own buffers (full size for multi-scan files)
      // and ours are allocated.
      if (!PictureSizeAllowed(c->image_width, c->image_height) ||
          !PictureSizeAllowed(c->output_width, c->output_height))
        ERREXIT1(c, JERR_IMAGE_TOO_BIG, unsigned(kMaxPictureSide));
      jpeg_start_decompress(c);
      const int width = int(c->output_width), height = int(c->output_height);
      const bool four = !c->quantize_colors && c->out_color_components == 4;
      const int expected = c->quantize_colors ? 1 : four ? 4 : 3;
      if (c->output_components != expected) ERREXIT(c, JERR_CONVERSION_NOTIMPL);
      cmyk.inverted = c->saw_Adobe_marker != FALSE;
      if (!Allocate(bmp, width, height, c->quantize_colors ? pf8bit : pf24bit))
        ERREXIT1(c, JERR_OUT_OF_MEMORY, 0);
      allocated = true;
      if (four && !Resize(cmyk_row, size_t(width) * 4)) ERREXIT1(c, JERR_OUT_OF_MEMORY, 1);
      if (c->quantize_colors) SetPaletteFromColormap(c, bmp, cmyk);
      // Rows past the data are left to zero pages instead of libjpeg's grey:
      // a small file claiming a huge picture then costs what it holds.
      while (c->output_scanline < d.RowsFromData()) {
        uint8_t* out = bmp.ScanLine(int(c->output_scanline));
        JSAMPROW row = four ? cmyk_row.data() : out;
        if (jpeg_read_scanlines(c, &row, 1) != 1) ERREXIT(c, JERR_TOO_LITTLE_DATA);
        if (four)
          for (int x = 0; x < width; ++x) cmyk(cmyk_row.data() + 4 * x, out + 3 * x);
      }
      if (c->output_scanline == c->output_height) jpeg_finish_decompress(c);
    });
  } catch (const EJPEG&) {
    if (allocated) bmp.ZeroRows(int(c->output_scanline), bmp.Height());
    throw;
  }
  bmp.ZeroRows(int(c->output_scanline), bmp.Height());
}

}  // namespace orv
