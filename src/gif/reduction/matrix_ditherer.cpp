#include "gif/reduction/matrix_ditherer.h"

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

namespace orv {

namespace {
constexpr int kMaxReach = 8;
}

TMatrixDitherer::TMatrixDitherer(int width, TColorLookup& lookup, int divisor,
                                 std::initializer_list<TDitherWeight> weights)
    : TMatrixDitherer(width, lookup, divisor, std::vector<TDitherWeight>(weights)) {}

TMatrixDitherer::TMatrixDitherer(int width, TColorLookup& lookup, int divisor,
                                 const std::vector<TDitherWeight>& weights)
    : TDitherEngine(width, lookup), divisor_(divisor), weights_(weights) {
  if (divisor_ <= 0) throw std::invalid_argument("dither divisor must be positive");
  for (const TDitherWeight& w : weights_) {
    if (w.row < 0 || w.row > kMaxReach || std::abs(w.offset) > kMaxReach || (w.row == 0 && w.offset <= 0))
      throw std::invalid_argument("dither weight outside the error window");
    margin_ = std::max(margin_, std::abs(w.offset));
    rows_ = std::max(rows_, w.row + 1);
  }
  row_stride_ = size_t(RowEntries()) * 3;
  errors_.assign(row_stride_ * size_t(rows_), 0);
  slot_.resize(size_t(rows_));
  for (int r = 0; r < rows_; ++r) slot_[size_t(r)] = r;
  target_.resize(weights_.size());
  PlaceWeights();
}

void TMatrixDitherer::PlaceWeights() {
  for (size_t i = 0; i < weights_.size(); ++i) {
    const TDitherWeight& w = weights_[i];
    target_[i] = int(size_t(slot_[size_t(w.row)]) * row_stride_) + (w.offset * direction_ + margin_) * 3;
  }
  current_ = RowStart(0) + margin_ * 3;
}

template <class L>
int TMatrixDitherer::Step(L& lookup, int red, int green, int blue) {
  const int* carried = current_ + size_t(column_) * 3;
  const int half = divisor_ / 2;
  const int r = std::clamp(red + (carried[0] + half) / divisor_, 0, 255);
  const int g = std::clamp(green + (carried[1] + half) / divisor_, 0, 255);
  const int b = std::clamp(blue + (carried[2] + half) / divisor_, 0, 255);
  TLookupColor entry;
  const int index = MapColor(lookup, r, g, b, entry);
  const int er = r - entry.Red, eg = g - entry.Green, eb = b - entry.Blue;
  if (er | eg | eb) {
    int* base = errors_.data() + size_t(column_) * 3;
    for (size_t i = 0; i < weights_.size(); ++i) {
      int* t = base + target_[i];
      const int w = weights_[i].weight;
      t[0] += er * w;
      t[1] += eg * w;
      t[2] += eb * w;
    }
  }
  column_ += direction_;
  return index;
}

int TMatrixDitherer::DitherPixel(int red, int green, int blue) {
  if (!InRow()) {
    TLookupColor entry;
    return lookup_.NearestEntry(red, green, blue, entry);
  }
  return Step(lookup_, red, green, blue);
}

void TMatrixDitherer::DitherRow(const uint8_t* bgr, uint8_t* out) {
  WithLookupClass(lookup_, [&](auto& lookup) {
    while (InRow()) {
      const int x = column_;
      const uint8_t* p = bgr + size_t(x) * 3;
      out[x] = uint8_t(Step(lookup, p[2], p[1], p[0]));
    }
  });
}

void TMatrixDitherer::AdvanceColumn() {
  if (InRow()) column_ += direction_;
}

void TMatrixDitherer::AdvanceLine() {
  std::fill_n(RowStart(0), row_stride_, 0);
  std::rotate(slot_.begin(), slot_.begin() + 1, slot_.end());
  TDitherEngine::AdvanceLine();
  PlaceWeights();
}

T5by3Ditherer::T5by3Ditherer(int width, TColorLookup& lookup, int divisor,
                             std::initializer_list<TDitherWeight> weights)
    : TMatrixDitherer(width, lookup, divisor, weights) {}

// clang-format off
TStuckiDitherer::TStuckiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, 42,
                    {{0, 1, 8}, {0, 2, 4},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2},
                     {2, -2, 1}, {2, -1, 2}, {2, 0, 4}, {2, 1, 2}, {2, 2, 1}}) {}

TSierraDitherer::TSierraDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, 32,
                    {{0, 1, 5}, {0, 2, 3},
                     {1, -2, 2}, {1, -1, 4}, {1, 0, 5}, {1, 1, 4}, {1, 2, 2},
                     {2, -1, 2}, {2, 0, 3}, {2, 1, 2}}) {}

TJaJuNiDitherer::TJaJuNiDitherer(int width, TColorLookup& lookup)
    : T5by3Ditherer(width, lookup, 48,
                    {{0, 1, 7}, {0, 2, 5},
                     {1, -2, 3}, {1, -1, 5}, {1, 0, 7}, {1, 1, 5}, {1, 2, 3},
                     {2, -2, 1}, {2, -1, 3}, {2, 0, 5}, {2, 1, 3}, {2, 2, 1}}) {}

TSteveArcheDitherer::TSteveArcheDitherer(int width, TColorLookup& lookup)
    : TMatrixDitherer(width, lookup, 200,
                      {{0, 2, 32},
                       {1, -3, 12}, {1, -1, 26}, {1, 1, 30}, {1, 3, 16},
                       {2, -2, 12}, {2, 0, 26}, {2, 2, 12},
                       {3, -3, 5}, {3, -1, 12}, {3, 1, 12}, {3, 3, 5}}) {}

TBurkesDitherer::TBurkesDitherer(int width, TColorLookup& lookup)
    : TMatrixDitherer(width, lookup, 32,
                      {{0, 1, 8}, {0, 2, 4},
                       {1, -2, 2}, {1, -1, 4}, {1, 0, 8}, {1, 1, 4}, {1, 2, 2}}) {}

// clang-format on

}  // namespace orv
