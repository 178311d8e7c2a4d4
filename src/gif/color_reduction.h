// Colour reduction: look-ups that map a colour to a palette entry, and
// ditherers that spread each look-up's error to the pixels around it. Frame
// bitmaps on palette displays use the 216-colour cube look-up with
// Floyd-Steinberg error diffusion.
#pragma once

#include <cstdint>
#include <vector>

namespace orv {

struct TLookupColor {
  uint8_t Red = 0;
  uint8_t Green = 0;
  uint8_t Blue = 0;
};

class TColorLookup {
 public:
  virtual ~TColorLookup() = default;
  // Number of palette colours.
  int Colors() const { return colors_; }
  // Index of the entry for the colour; the entry's own colour in `entry`.
  virtual int NearestEntry(int red, int green, int blue, TLookupColor& entry);

 protected:
  int colors_ = 0;
};

// The 216-colour cube: each component c goes to level (c + 3) / 51.
class TNetscapeColorLookup : public TColorLookup {
 public:
  TNetscapeColorLookup() { colors_ = 216; }
  int NearestEntry(int red, int green, int blue, TLookupColor& entry) override;
};

// Plain nearest-colour mapping; scans rows in serpentine order, starting left
// to right.
class TDitherEngine {
 public:
  TDitherEngine(int width, TColorLookup& lookup) : lookup_(lookup), width_(width) {}
  virtual ~TDitherEngine() = default;

  int Width() const { return width_; }
  int Column() const { return column_; }
  int Direction() const { return direction_; }
  // Maps the colour at the current column and moves to the next one.
  virtual int DitherPixel(int red, int green, int blue);
  // Moves to the next column, leaving the current one out.
  virtual void AdvanceColumn() { column_ += direction_; }
  // Reverses the direction and goes to the first column of the next row.
  virtual void AdvanceLine();

 protected:
  TColorLookup& lookup_;
  int width_;
  int direction_ = 1;
  int column_ = 0;
};

// Floyd-Steinberg: 7/16 of the error to the next pixel, 3/16, 5/16 and 1/16
// to the pixels below (behind, under, ahead). One row of errors and, per
// component, the error for the next pixel and two values pending for the row
// below, written into the row as the scan moves on.
class TFloydSteinbergDitherer : public TDitherEngine {
 public:
  TFloydSteinbergDitherer(int width, TColorLookup& lookup);
  int DitherPixel(int red, int green, int blue) override;
  void AdvanceColumn() override;
  void AdvanceLine() override;

 private:
  void Spread(const int error[3]);

  std::vector<int> errors_[3];  // width + 2 entries; column x at x + 1
  int next_[3] = {};            // 7/16 part for the next pixel
  int pending_behind_[3] = {};  // row below, one column behind
  int pending_under_[3] = {};   // row below, this column
};

}  // namespace orv
