#include "platform/user_dirs.h"

#include <cstdlib>

namespace orv {

std::string PicturesFolder() { return PicturesFolderFor(std::getenv("XDG_CONFIG_HOME"), std::getenv("HOME")); }

}  // namespace orv
