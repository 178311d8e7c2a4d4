// The text of the file-name caption.
#pragma once

#include <string>

namespace orv {

// The caption for a listed path: the whole path or only its file-name part,
// with or without the extension (from the last dot of the file-name part on).
std::string CaptionText(const std::string& path, bool putFullPath, bool putExtention);

}  // namespace orv
