#include "gif/reduction/color_reduction.h"

#include <algorithm>
#include <new>

#include "platform/exceptions.h"

namespace orv {

namespace {

const char kDibMemoryMessage[] = "Failed to allocate memory for GIF DIB";

// 2^bits colours; more than 8 bits would not fit the 8-bit result.
int QuantizeColors(int reduction_bits) { return 1 << std::clamp(reduction_bits, 0, 8); }

template <class Make>
TBitmap AllocateResult(Make make) {
  try {
    return make();
  } catch (const EOutOfMemory&) {
    throw EOutOfMemory(kDibMemoryMessage);
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(kDibMemoryMessage);
  }
}

// Every pixel of a result is written; only rows with padding bytes need
// clearing first.
bool HasRowPadding(int width) { return width % 4 != 0; }

void CheckPictureSize(const TPictureReader& picture) {
  if (!PictureSizeAllowed(picture.Width(), picture.Height())) throw EOutOfMemory(kDibMemoryMessage);
}

TBitmap CopyRows24(TPictureReader& picture) {
  const int w = picture.Width(), h = picture.Height();
  TBitmap result = AllocateResult([&] {
    TBitmap b;
    b.Allocate(w, h, pf24bit, HasRowPadding(w));
    return b;
  });
  for (int y = 0; w > 0 && y < h; ++y) std::copy_n(picture.Row(y), size_t(w) * 3, result.ScanLine(y));
  return result;
}

// Each row's columns in the ditherer's order, each index stored at its
// column.
void DitherRows(TPictureReader& picture, TDitherEngine& ditherer, TBitmap& result) {
  const int w = picture.Width(), h = picture.Height();
  if (w == 0) return;
  for (int y = 0; y < h; ++y) {
    ditherer.DitherRow(picture.Row(y), result.ScanLine(y));
    ditherer.AdvanceLine();
  }
}

}  // namespace

std::unique_ptr<TDitherEngine> CreateDitherer(TDitherMode mode, int width, TColorLookup& lookup) {
  switch (mode) {
    case DitherNearest: return std::make_unique<TDitherEngine>(width, lookup);
    case DitherFloydSteinberg: return std::make_unique<TFloydSteinbergDitherer>(width, lookup);
    case DitherStucki: return std::make_unique<TStuckiDitherer>(width, lookup);
    case DitherSierra: return std::make_unique<TSierraDitherer>(width, lookup);
    case DitherJarvisJudiceNinke: return std::make_unique<TJaJuNiDitherer>(width, lookup);
    case DitherStevensonArce: return std::make_unique<TSteveArcheDitherer>(width, lookup);
    case DitherBurkes: return std::make_unique<TBurkesDitherer>(width, lookup);
  }
  return nullptr;
}

TGIFPaletteRef ReductionPalette(TColorReduction method, TPictureReader& picture, const TGIFPalette* custom,
                                int reduction_bits) {
  switch (method) {
    case ReduceNone: return nullptr;
    case ReduceSystem20: return SystemPalette20();
    case ReduceHalftone: return HalftonePalette();
    case ReduceGrey4: return Grey4Palette();
    case ReduceMono: return MonochromePalette();
    case ReduceGrey256: return Grey256Palette();
    case ReduceCube216: return WebPalette();
    case ReduceQuantize: return BuildOptimizedPalette(picture, QuantizeColors(reduction_bits), 8, false);
    case ReduceQuantizeWithStatics: return BuildOptimizedPalette(picture, 256, 8, true);
    case ReduceCustomPalette: {
      auto copy = std::make_shared<TGIFPalette>();
      if (custom)
        copy->assign(custom->begin(), custom->begin() + std::min<ptrdiff_t>(ptrdiff_t(custom->size()), 256));
      return copy;
    }
  }
  return nullptr;
}

std::unique_ptr<TColorLookup> CreateLookup(TColorReduction method, const TGIFPalette& palette) {
  switch (method) {
    case ReduceNone: return nullptr;
    case ReduceMono: return std::make_unique<TMonochromeLookup>();
    case ReduceGrey256: return std::make_unique<TGrayScaleLookup>();
    case ReduceCube216: return std::make_unique<TNetscapeColorLookup>();
    case ReduceSystem20:
    case ReduceHalftone:
    case ReduceGrey4:
    case ReduceQuantize:
    case ReduceQuantizeWithStatics:
    case ReduceCustomPalette: return std::make_unique<TFastColorLookup>(palette);
  }
  return nullptr;
}

TBitmap ReducePictureColors(TPictureReader& picture, TColorReduction method, TDitherMode dither,
                            const TGIFPalette* custom_palette, int reduction_bits) {
  CheckPictureSize(picture);
  if (method == ReduceNone) return CopyRows24(picture);
  // Refused before the palette is computed: the answer does not depend on it.
  if (method > ReduceCustomPalette || dither > DitherBurkes) return TBitmap();
  const TGIFPaletteRef palette = ReductionPalette(method, picture, custom_palette, reduction_bits);
  const std::unique_ptr<TColorLookup> lookup = CreateLookup(method, *palette);
  if (lookup->Colors() == 0) return TBitmap();
  const std::unique_ptr<TDitherEngine> ditherer = CreateDitherer(dither, picture.Width(), *lookup);

  const int w = picture.Width(), h = picture.Height();
  TBitmap result = AllocateResult([&] {
    TBitmap b;
    b.Allocate(w, h, pf8bit, HasRowPadding(w));
    return b;
  });
  ApplyPalette(result, *palette);
  DitherRows(picture, *ditherer, result);
  return result;
}

TBitmap ReducePictureColors(const TBitmap& picture, TColorReduction method, TDitherMode dither,
                            const TGIFPalette* custom_palette, int reduction_bits) {
  if (method == ReduceNone) {
    return AllocateResult([&] {
      TBitmap copy(picture);
      copy.SetPixelFormat(pf24bit);
      return copy;
    });
  }
  TBitmapPictureReader reader(picture);
  return ReducePictureColors(reader, method, dither, custom_palette, reduction_bits);
}

}  // namespace orv
