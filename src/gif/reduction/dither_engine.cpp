#include "gif/reduction/dither_engine.h"

#include <algorithm>

namespace orv {

int TDitherEngine::DitherPixel(int red, int green, int blue) {
  TLookupColor entry;
  const int index = lookup_.NearestEntry(red, green, blue, entry);
  column_ += direction_;
  return index;
}

void TDitherEngine::AdvanceLine() {
  direction_ = -direction_;
  column_ = direction_ > 0 ? 0 : width_ - 1;
}

void TDitherEngine::DitherRow(const uint8_t* bgr, uint8_t* out) {
  WithLookupClass(lookup_, [&](auto& lookup) {
    TLookupColor entry;
    for (; InRow(); column_ += direction_) {
      const uint8_t* p = bgr + size_t(column_) * 3;
      out[column_] = uint8_t(MapColor(lookup, p[2], p[1], p[0], entry));
    }
  });
}

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup)
    : TDitherEngine(width, lookup) {
  for (auto& row : errors_) row.assign(size_t(width_) + 2, 0);
}

// Moves one component's running values on by a pixel with error e.
[[gnu::always_inline]] inline void TFloydSteinbergDitherer::Carry(int* errors, int behind, TRunning& run,
                                                                  int k, int e) {
  errors[behind] = run.behind[k] + 3 * e;
  run.behind[k] = run.under[k] + 5 * e;
  run.under[k] = e;
  run.next[k] = 7 * e;
}

// One pixel at column x: the error carried to it is what the row holds
// there plus the 7/16 share of the pixel before. Its own error goes 7/16 to
// the next pixel, and the column behind, now complete, is written out.
// Works on locals, so that a row's loop keeps everything in registers.
template <class L>
[[gnu::always_inline]] inline int TFloydSteinbergDitherer::Step(L& lookup, int* const errors[3], int x,
                                                                int direction, TRunning& run, int red,
                                                                int green, int blue) {
  const int r = std::clamp(red + (errors[0][x] + run.next[0] + 8) / 16, 0, 255);
  const int g = std::clamp(green + (errors[1][x] + run.next[1] + 8) / 16, 0, 255);
  const int b = std::clamp(blue + (errors[2][x] + run.next[2] + 8) / 16, 0, 255);
  TLookupColor entry;
  const int index = MapColor(lookup, r, g, b, entry);
  Carry(errors[0], x - direction, run, 0, r - entry.Red);
  Carry(errors[1], x - direction, run, 1, g - entry.Green);
  Carry(errors[2], x - direction, run, 2, b - entry.Blue);
  return index;
}

int TFloydSteinbergDitherer::DitherPixel(int red, int green, int blue) {
  TLookupColor entry;
  if (!InRow()) return lookup_.NearestEntry(red, green, blue, entry);
  int* const rows[3] = {Row(0), Row(1), Row(2)};
  const int index = Step(lookup_, rows, column_, direction_, running_, red, green, blue);
  column_ += direction_;
  return index;
}

void TFloydSteinbergDitherer::DitherRow(const uint8_t* bgr, uint8_t* out) {
  WithLookupClass(lookup_, [&](auto& lookup) {
    int* const rows[3] = {Row(0), Row(1), Row(2)};
    TRunning run = running_;
    const int d = direction_;
    int x = column_;
    for (; unsigned(x) < unsigned(width_); x += d) {
      const uint8_t* p = bgr + size_t(x) * 3;
      out[x] = uint8_t(Step(lookup, rows, x, d, run, p[2], p[1], p[0]));
    }
    column_ = x;
    running_ = run;
  });
}

void TFloydSteinbergDitherer::AdvanceColumn() {
  if (!InRow()) return;
  // No error of its own; what was carried to it is dropped.
  const size_t behind = size_t(column_ - direction_ + 1);
  for (int k = 0; k < 3; ++k) {
    errors_[k][behind] = running_.behind[k];
    running_.behind[k] = running_.under[k];
    running_.under[k] = running_.next[k] = 0;
  }
  column_ += direction_;
}

void TFloydSteinbergDitherer::AdvanceLine() {
  // The last column and the one beyond it receive what is still pending.
  // The column is at most one step outside the row here (see InRow), so
  // both lie within the row's margins.
  const size_t last = size_t(column_ - direction_ + 1);
  const size_t beyond = size_t(column_ + 1);
  for (int k = 0; k < 3; ++k) {
    errors_[k][last] = running_.behind[k];
    errors_[k][beyond] = running_.under[k];
  }
  running_ = TRunning{};
  TDitherEngine::AdvanceLine();
}

}  // namespace orv
