// The JPEG graphic class over libjpeg.
#pragma once

namespace orv {

// Registers "jpeg" and "jpg" with the file-type registry.
void RegisterJPEGFormat();

}  // namespace orv
