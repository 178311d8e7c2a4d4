#include "support/jpeg_encoder.h"

#include <algorithm>
#include <cstdlib>

// libjpeg's header needs <cstdio> before it.
#include <cstdio>

#include <jpeglib.h>

namespace orv::test {

std::vector<uint8_t> EncodeJpeg(const RgbImage& image, const JpegOptions& opts,
                                const std::vector<uint8_t>& cmyk) {
  jpeg_compress_struct c;
  jpeg_error_mgr err;
  c.err = jpeg_std_error(&err);  // test inputs are well formed: libjpeg's exit is fine here
  jpeg_create_compress(&c);
  unsigned char* out = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&c, &out, &size);
  c.image_width = JDIMENSION(image.width);
  c.image_height = JDIMENSION(image.height);
  const bool four = opts.space == JpegOptions::kCmyk || opts.space == JpegOptions::kYcck;
  const bool two = opts.space == JpegOptions::kTwoComponents;
  c.input_components = four ? 4 : two ? 2 : opts.space == JpegOptions::kGray ? 1 : 3;
  c.in_color_space = four                               ? JCS_CMYK
                     : two                              ? JCS_UNKNOWN
                     : opts.space == JpegOptions::kGray ? JCS_GRAYSCALE
                                                        : JCS_RGB;
  jpeg_set_defaults(&c);
  if (opts.space == JpegOptions::kYcck) jpeg_set_colorspace(&c, JCS_YCCK);
  if (four && !opts.adobe_marker) c.write_Adobe_marker = FALSE;
  jpeg_set_quality(&c, opts.quality, TRUE);
  c.comp_info[0].h_samp_factor = opts.h_samp;
  c.comp_info[0].v_samp_factor = opts.v_samp;
  if (opts.progressive) jpeg_simple_progression(&c);
  c.arith_code = opts.arithmetic ? TRUE : FALSE;
  c.optimize_coding = opts.optimize ? TRUE : FALSE;
  c.restart_in_rows = opts.restart_rows;
  jpeg_start_compress(&c, TRUE);
  std::vector<uint8_t> line(size_t(image.width) * 4);
  while (c.next_scanline < c.image_height) {
    const size_t y = c.next_scanline;
    const size_t w = size_t(image.width);
    if (four) {
      std::copy_n(cmyk.begin() + std::ptrdiff_t(y * w * 4), w * 4, line.begin());
    } else if (opts.space == JpegOptions::kGray || two) {
      for (size_t x = 0; x < w * size_t(c.input_components); ++x)
        line[x] =
            image.rgb[(y * w) * 3 + x / size_t(c.input_components) * 3 + x % size_t(c.input_components)];
    } else {
      std::copy_n(image.rgb.begin() + std::ptrdiff_t(y * w * 3), w * 3, line.begin());
    }
    JSAMPROW row = line.data();
    jpeg_write_scanlines(&c, &row, 1);
  }
  jpeg_finish_compress(&c);
  jpeg_destroy_compress(&c);
  std::vector<uint8_t> bytes(out, out + size);
  std::free(out);
  return bytes;
}

}  // namespace orv::test
