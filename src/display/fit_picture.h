// Fitting a picture into the display area, keeping its proportions.
#pragma once

#include <cstdint>

namespace orv {

struct TFitResult {
  int dw = 0;
  int dh = 0;
  bool scaled = false;  // false: drawn at its own size
};

// Size of a Wp x Hp picture in a Wd x Hd area. Too large pictures shrink to
// fit; pictures that fit grow to fill one side when extend is set. Products
// are formed in 64 bits before each (truncating) division. Wp and Hp must be
// positive: an empty picture gives {0, 0, false}.
TFitResult FitPicture(int Wp, int Hp, int Wd, int Hd, bool extend);

}  // namespace orv
