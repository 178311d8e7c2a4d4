// FindFirstFileW over one folder.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>

namespace orv::win32 {

// Entries a picture listing leaves out: system files, directories, devices
// (volume labels never appear in a folder listing).
inline constexpr uint32_t kSkippedAttributes =
    FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE;

// Calls visit(name, attributes) for each entry but "." and "..", in the order
// the file system returns them, until it returns false. False when the
// folder cannot be read.
bool ForEachEntry(const std::string& folder, const std::function<bool(const std::string&, uint32_t)>& visit);

}  // namespace orv::win32
