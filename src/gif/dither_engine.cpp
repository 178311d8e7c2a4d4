#include "gif/dither_engine.h"

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

TFloydSteinbergDitherer::TFloydSteinbergDitherer(int width, TColorLookup& lookup) : TDitherEngine(width, lookup) {
  for (auto& row : errors_) row.assign(size_t(width_) + 2, 0);
}

int TFloydSteinbergDitherer::DitherPixel(int red, int green, int blue) {
  TLookupColor entry;
  if (!InRow()) return lookup_.NearestEntry(red, green, blue, entry);
  const int in[3] = {red, green, blue};
  int corrected[3];
  for (int k = 0; k < 3; ++k) {
    const int carried = errors_[k][size_t(column_ + 1)] + next_[k];
    corrected[k] = std::clamp(in[k] + (carried + 8) / 16, 0, 255);
  }
  const int index = lookup_.NearestEntry(corrected[0], corrected[1], corrected[2], entry);
  const int error[3] = {corrected[0] - entry.Red, corrected[1] - entry.Green, corrected[2] - entry.Blue};
  Spread(error);
  return index;
}

void TFloydSteinbergDitherer::AdvanceColumn() {
  if (!InRow()) return;
  const int none[3] = {0, 0, 0};
  Spread(none);
}

void TFloydSteinbergDitherer::Spread(const int error[3]) {
  // The column behind is complete once this pixel's 3/16 is in.
  const size_t behind = size_t(column_ - direction_ + 1);
  for (int k = 0; k < 3; ++k) {
    errors_[k][behind] = pending_behind_[k] + 3 * error[k];
    pending_behind_[k] = pending_under_[k] + 5 * error[k];
    pending_under_[k] = error[k];
    next_[k] = 7 * error[k];
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
    errors_[k][last] = pending_behind_[k];
    errors_[k][beyond] = pending_under_[k];
    pending_behind_[k] = pending_under_[k] = next_[k] = 0;
  }
  TDitherEngine::AdvanceLine();
}

}  // namespace orv
