// Error diffusion by a weight matrix over whole rows of errors: the Stucki,
// Sierra, Jarvis-Judice-Ninke, Stevenson-Arce and Burkes ditherers, and any
// other matrix a caller describes.
#pragma once

#include <initializer_list>
#include <memory>
#include <vector>

#include "gif/reduction/dither_engine.h"

namespace orv {

// One share of a pixel's error: `weight` / divisor of it goes `row` rows
// down (0 = this row) and `offset` columns along the scan direction.
struct TDitherWeight {
  int row;
  int offset;
  int weight;
};

// Keeps one error row per matrix row, each the picture's width plus the
// matrix's reach on both sides, so that shares falling beyond a row's ends
// land in the margins and are dropped with the row. Errors are kept scaled
// by the divisor; the row of the current pixel is cleared and becomes the
// last row when a row ends.
class TMatrixDitherer : public TDitherEngine {
 public:
  // Weights in this row must point ahead (offset > 0); reach at most 8 rows
  // and 8 columns; the divisor is positive. Anything else throws
  // std::invalid_argument.
  TMatrixDitherer(int width, TColorLookup& lookup, int divisor, std::initializer_list<TDitherWeight> weights);
  TMatrixDitherer(int width, TColorLookup& lookup, int divisor, const std::vector<TDitherWeight>& weights);

  int DitherPixel(int red, int green, int blue) override;
  void AdvanceColumn() override;
  void AdvanceLine() override;
  void DitherRow(const uint8_t* bgr, uint8_t* out) override;

  int Divisor() const { return divisor_; }
  int RowsKept() const { return rows_; }
  // Entries in each error row of each component.
  int RowEntries() const { return width_ + 2 * margin_; }

 private:
  template <class L>
  int Step(L& lookup, int red, int green, int blue);
  void PlaceWeights();
  int* RowStart(int row) { return errors_.data() + size_t(slot_[size_t(row)]) * row_stride_; }

  int divisor_;
  int margin_ = 0;
  int rows_ = 1;
  std::vector<TDitherWeight> weights_;
  // Error rows, components interleaved: entry (column + margin) * 3 + k.
  std::vector<int> errors_;
  size_t row_stride_ = 0;
  std::vector<int> slot_;    // physical row of each matrix row
  std::vector<int> target_;  // per weight: its place relative to column 0 in this scan direction
  int* current_ = nullptr;   // start of this row
};

// A 5-wide, 3-row window; the subclass sets weights and divisor.
class T5by3Ditherer : public TMatrixDitherer {
 protected:
  T5by3Ditherer(int width, TColorLookup& lookup, int divisor, std::initializer_list<TDitherWeight> weights);
};

class TStuckiDitherer final : public T5by3Ditherer {
 public:
  TStuckiDitherer(int width, TColorLookup& lookup);
};

class TSierraDitherer final : public T5by3Ditherer {
 public:
  TSierraDitherer(int width, TColorLookup& lookup);
};

class TJaJuNiDitherer final : public T5by3Ditherer {
 public:
  TJaJuNiDitherer(int width, TColorLookup& lookup);
};

class TSteveArcheDitherer final : public TMatrixDitherer {
 public:
  TSteveArcheDitherer(int width, TColorLookup& lookup);
};

class TBurkesDitherer final : public TMatrixDitherer {
 public:
  TBurkesDitherer(int width, TColorLookup& lookup);
};

}  // namespace orv
