// Stand-ins for the JPEG and bitmap decoders, for this benchmark only, while
// the real ones are not in the registry yet: libjpeg-turbo straight (24-bit
// output, decoded at the conversion as the real adapter does) and a reader of
// plain 24-bit bitmap files.
#pragma once

#include <string>

namespace orv::bench {

// Registers the stand-in for an extension ("jpg" or "bmp"); later entries of
// the registry win, so it replaces what the registry had.
void RegisterStandIn(const std::string& extension);

}  // namespace orv::bench
