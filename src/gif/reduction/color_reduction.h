// Colour reduction: a true-colour picture becomes an 8-bit picture with a
// fixed or computed palette of at most 256 colours, through a colour look-up
// and a ditherer. Frame bitmaps on palette displays use two of the pieces:
// the 216-colour cube look-up and Floyd-Steinberg error diffusion.
#pragma once

#include <cstdint>
#include <memory>

#include "gif/reduction/color_lookup.h"
#include "gif/reduction/color_quantizer.h"
#include "gif/reduction/dither_engine.h"
#include "gif/gif_palette.h"
#include "gif/reduction/matrix_ditherer.h"
#include "gif/reduction/picture_reader.h"
#include "gif/reduction/reduction_palettes.h"
#include "platform/bitmap.h"

namespace orv {

// The reduction method: which palette and which look-up.
enum TColorReduction : uint8_t {
  ReduceNone = 0,                 // a 24-bit copy
  ReduceSystem20 = 1,             // the 20 static colours
  ReduceHalftone = 2,             // our 256-entry halftone palette
  ReduceGrey4 = 3,                // greys 0, 128, 192, 255
  ReduceMono = 4,                 // black and white
  ReduceGrey256 = 5,              // 256 greys
  ReduceCube216 = 6,              // the 216-colour cube
  ReduceQuantize = 7,             // computed: 2^bits colours
  ReduceQuantizeWithStatics = 8,  // computed: 236 colours between the statics
  ReduceCustomPalette = 9,        // the caller's palette
};

enum TDitherMode : uint8_t {
  DitherNearest = 0,
  DitherFloydSteinberg = 1,
  DitherStucki = 2,
  DitherSierra = 3,
  DitherJarvisJudiceNinke = 4,
  DitherStevensonArce = 5,
  DitherBurkes = 6,
};

// The ditherer of a mode, for rows of `width` pixels; nullptr for an
// unknown mode.
std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int width, TColorLookup& lookup);

// The palette of a method (ReduceNone and unknown methods have none;
// ReduceCustomPalette copies `custom`, at most 256 entries). Quantizing
// methods read the picture.
TGIFPaletteRef ReductionPalette(TColorReduction method, TPictureReader& picture, const TGIFPalette* custom,
                                int reduction_bits);
// The look-up of a method over its palette; nullptr for ReduceNone and
// unknown methods.
std::unique_ptr<TColorLookup> CreateLookup(TColorReduction method, const TGIFPalette& palette);

// Reduces the picture's colours. The result is an 8-bit bitmap of the
// picture's size with the method's palette; for ReduceNone a 24-bit copy.
// An unknown method or dither mode, or a look-up without colours (an empty
// custom palette), gives an empty bitmap. The picture is read in any pixel
// format and left as it is. `reduction_bits` (0 to 8; others are taken to
// the nearer bound) sets the colours of ReduceQuantize. A picture beyond
// PictureSizeAllowed, or one whose result cannot be allocated, raises
// EOutOfMemory "Failed to allocate memory for GIF DIB".
TBitmap ReducePictureColors(const TBitmap& picture, TColorReduction method, TDitherMode dither,
                            const TGIFPalette* custom_palette, int reduction_bits);
// The same from rows of 24-bit pixels; the size is checked before anything
// is read or allocated.
TBitmap ReducePictureColors(TPictureReader& picture, TColorReduction method, TDitherMode dither,
                            const TGIFPalette* custom_palette, int reduction_bits);

}  // namespace orv
