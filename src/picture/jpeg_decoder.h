// JPEG data in memory through libjpeg. libjpeg reports a fatal error by a
// long jump back into this module, which then raises EJPEG: no C++ exception
// ever passes through libjpeg's frames.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/bitmap.h"
#include "platform/exceptions.h"

namespace orv {

// "JPEG エラー #%d" with libjpeg's message code.
class EJPEG : public EInvalidGraphic {
 public:
  explicit EJPEG(int code);
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

struct JpegHeader {
  int width = 0;
  int height = 0;
  bool grayscale = false;    // the file's colour space is grey
  bool progressive = false;  // the file has several scans
  int orientation = 1;       // EXIF orientation of the first Exif APP1 segment
};

struct JpegDecodeSettings {
  int scale_shift = 0;      // output is 1 / 2^scale_shift of the stored size
  bool smoothing = true;    // block smoothing of coarsely quantised files
  bool grayscale = false;   // grey output
  bool eight_bit = false;   // colour reduction into an 8-bit palette bitmap
  bool best_speed = false;  // fast integer IDCT, one-pass ordered dither
  // When set and it turns true, the decode stops at the next row with EJPEG
  // (a picture nobody waits for any more).
  const std::atomic<bool>* cancel = nullptr;
};

// Reads the header (an image is required). Raises EJPEG.
JpegHeader ReadJpegHeader(const uint8_t* data, size_t size);

// The size libjpeg gives the output for these settings. Raises EJPEG.
void JpegOutputSize(const uint8_t* data, size_t size, const JpegDecodeSettings& settings, int* width,
                    int* height);

// Decodes into bmp: 24-bit blue, green, red for colour output; 8 bits with
// the colour map as palette when colours are reduced, which grey output
// always is (236 levels at most). Four-component files (CMYK, YCCK, Adobe's
// inverted CMYK) become blue, green, red as well. Raises EJPEG; rows not
// decoded before a failure are zero.
void DecodeJpeg(const uint8_t* data, size_t size, const JpegDecodeSettings& settings, TBitmap& bmp);

}  // namespace orv
