#include "png/png_graphic.h"

namespace orv {

// Placeholder until the PNG codec lands.
void RegisterPNGFormat() {}

}  // namespace orv
