#include "picture/jpeg_image.h"

namespace orv {

// Placeholder until the JPEG adapter lands.
void RegisterJPEGFormat() {}

}  // namespace orv
