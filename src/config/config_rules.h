// What the configuration dialog's controls make of stored values, and which
// folder a dropped path selects. Plain C++, so it also runs under the
// sanitizers.
#pragma once

#include <cstdint>
#include <string>

namespace orv {

constexpr int kChangeSecMin = 1;
constexpr int kChangeSecMax = 60;

// The interval spinner holds a 16-bit position: it takes the stored value's
// low 16 bits as a signed number and brings it within 1..60.
int ClampChangeSec(int32_t stored);

// The draw-mode radio group keeps -1..1 (-1: no button selected).
int ClampDrawMode(int32_t stored);

// The folder a dropped file, folder or shortcut selects: a ".lnk" (any case)
// is replaced by its target (an existing file or directory, else empty); a
// path that is not an existing directory is replaced by its folder. Never
// fails; an unusable path ends as an empty or non-existent folder.
std::string FolderForDroppedPath(const std::string& path);

// Bytes of a path taken from a percent-encoded URL path ("%FF" gives the byte
// 0xFF), so that names that are not valid UTF-8 keep their bytes.
std::string PercentDecode(const std::string& encoded);

}  // namespace orv
