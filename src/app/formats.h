// Registration of every picture decoder, in one place: static initialisers in
// static libraries would be dropped by the linker.
#pragma once

namespace orv {

// Registers JPEG, PNG and GIF (in that order) with the file-type registry.
// Safe to call more than once.
void RegisterPictureFormats();

}  // namespace orv
