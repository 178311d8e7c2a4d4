// The GIF graphic class.
#pragma once

namespace orv {

// Registers "GIF" ("GIF Image") with the file-type registry.
void RegisterGIFFormat();

}  // namespace orv
