// The picture formats the program takes, in one table: the folder search's
// passes and the decoders' registration both come from it, so a new format
// is one row. Static initialisers in static libraries would be dropped by the
// linker, hence the explicit registration.
#pragma once

#include <span>
#include <string>

namespace orv {

struct TPictureFormat {
  const char* ext;       // lower case, as a folder pass matches it
  int searchBar;         // the search bar's position after this pass; 0: it stays
  void (*Register)();    // adds the decoder's registry entries; null: the registry's own
};

// The formats built in, in the order the folder passes take them: bmp, jpg,
// jpeg, png, gif, then the optional ones (heic, heif, avif, webp, jxl).
std::span<const TPictureFormat> PictureFormats();

// Whether a path names a file of one of those formats (extension compared
// without regard to case).
bool IsPictureFormatPath(const std::string& path);

// Registers every decoder of the table with the file-type registry, each
// once, in the order of the table (JPEG, PNG, GIF, then the optional ones).
// Safe to call more than once.
void RegisterPictureFormats();

}  // namespace orv
