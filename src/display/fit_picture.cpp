#include "display/fit_picture.h"

namespace orv {

namespace {

// a * b div c in 64 bits; every caller's result is bounded by the area or
// the picture, so it fits an int.
int MulDiv(int64_t a, int64_t b, int64_t c) { return static_cast<int>(a * b / c); }

}  // namespace

TFitResult FitPicture(int Wp, int Hp, int Wd, int Hd, bool extend) {
  if (Wp <= 0 || Hp <= 0) return {};
  // Fit to the width first; if that leaves the picture too tall, fit to the height.
  auto by_width = [&] {
    int64_t dh = int64_t(Hp) * Wd / Wp;
    if (dh > Hd) return TFitResult{MulDiv(Wp, Hd, Hp), Hd, true};
    return TFitResult{Wd, static_cast<int>(dh), true};
  };
  // Fit to the height first; if that leaves the picture too wide, fit to the width.
  auto by_height = [&] {
    int64_t dw = int64_t(Wp) * Hd / Hp;
    if (dw > Wd) return TFitResult{Wd, MulDiv(Hp, Wd, Wp), true};
    return TFitResult{static_cast<int>(dw), Hd, true};
  };
  if (Wp > Wd) return by_width();
  if (Hp > Hd) return by_height();
  if (extend) return Wp < Wd ? by_width() : by_height();
  return {Wp, Hp, false};
}

}  // namespace orv
