#include "gif/gif_image.h"

namespace orv {

// Placeholder until the GIF codec lands.
void RegisterGIFFormat() {}

}  // namespace orv
