// Whole-file reads and atomic replacement.
#pragma once

#include <string>

namespace orv {

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* content);

// Replaces (or creates) a file in one step: the content goes to a temporary
// file beside it, is flushed to disk and renamed over the old file, whose
// permission bits are kept. An existing file without any write permission bit
// is refused (running as root, rename would otherwise replace it). Returns 0
// or the errno of the failure; the old file is then untouched.
int ReplaceFileAtomically(const std::string& path, const std::string& content);

}  // namespace orv
