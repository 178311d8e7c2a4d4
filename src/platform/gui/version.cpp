#include "platform/gui/version.h"

namespace orv {

const char* FileVersion() { return ORV_FILE_VERSION; }

}  // namespace orv
