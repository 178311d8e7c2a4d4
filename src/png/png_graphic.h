// The PNG graphic class.
#pragma once

namespace orv {

// Registers "PNG" ("PNG Format") with the file-type registry.
void RegisterPNGFormat();

}  // namespace orv
