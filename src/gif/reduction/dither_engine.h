// Ditherers: each maps a picture's pixels, row by row in serpentine order, to
// the entries of a colour look-up. TDitherEngine maps every pixel to its
// nearest entry; the error-diffusion ditherers carry each pixel's look-up
// error on to the pixels not yet visited.
#pragma once

#include <cstdint>
#include <vector>

#include "gif/reduction/color_lookup.h"

namespace orv {

class TDitherEngine {
 public:
  TDitherEngine(int width, TColorLookup& lookup) : lookup_(lookup), width_(width > 0 ? width : 0) {}
  virtual ~TDitherEngine() = default;
  TDitherEngine(const TDitherEngine&) = delete;
  TDitherEngine& operator=(const TDitherEngine&) = delete;

  int Width() const { return width_; }
  // The column the next DitherPixel maps; rows start at the left.
  int Column() const { return column_; }
  // +1 left to right, -1 right to left.
  int Direction() const { return direction_; }
  // Maps the colour at the current column and moves to the next one.
  virtual int DitherPixel(int red, int green, int blue);
  // Moves to the next column, leaving the current one out.
  virtual void AdvanceColumn() { column_ += direction_; }
  // Reverses the direction and goes to the first column of the next row.
  virtual void AdvanceLine();
  // Maps the rest of the row, from the current column in the scan
  // direction: pixel x of `bgr` (blue, green, red) gives the index stored
  // at out[x]. The result is that of DitherPixel on each pixel in turn;
  // AdvanceLine is left to the caller. Subclasses that change DitherPixel
  // override this too.
  virtual void DitherRow(const uint8_t* bgr, uint8_t* out);

 protected:
  // The current column lies inside the row. Calls beyond a row's end map
  // their colour plainly and leave the error rows alone.
  bool InRow() const { return unsigned(column_) < unsigned(width_); }

  TColorLookup& lookup_;
  int width_;
  int direction_ = 1;
  int column_ = 0;
};

// Floyd-Steinberg: 7/16 of the error to the next pixel, 3/16, 5/16 and 1/16
// to the pixels below (behind, under, ahead). One row of errors and, per
// component, the error for the next pixel and two values pending for the row
// below, written into the row as the scan moves on: the same result as whole
// rows of errors in a third of the memory traffic.
class TFloydSteinbergDitherer : public TDitherEngine {
 public:
  TFloydSteinbergDitherer(int width, TColorLookup& lookup);
  int DitherPixel(int red, int green, int blue) override;
  void AdvanceColumn() override;
  void AdvanceLine() override;
  void DitherRow(const uint8_t* bgr, uint8_t* out) override;

 private:
  // The running values, per component.
  struct TRunning {
    int next[3] = {};    // 7/16 part for the next pixel
    int behind[3] = {};  // row below, one column behind
    int under[3] = {};   // row below, this column
  };
  template <class L>
  static int Step(L& lookup, int* const errors[3], int x, int direction, TRunning& run, int red, int green,
                  int blue);
  static void Carry(int* errors, int behind, TRunning& run, int k, int e);
  int* Row(int k) { return errors_[k].data() + 1; }

  std::vector<int> errors_[3];  // width + 2 entries; column x at x + 1
  TRunning running_;
};

}  // namespace orv
