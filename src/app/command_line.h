// The command line of a screen saver: which mode the first argument selects,
// and the instance guard's test of the password request.
#pragma once

#include <string>
#include <vector>

namespace orv {

enum class TRunMode { kNone, kFullScreen, kPreview, kConfig };

// Removes leading and trailing characters with codes up to 32.
std::string TrimControl(const std::string& s);

// The mode the first argument selects ("" for an absent argument).
TRunMode ParseRunMode(const std::string& first_arg);

// True when the first argument asks for a password change ("/a" or "-a",
// either case, as its first two characters): such a start passes the guard.
bool IsPasswordRequest(const std::string& first_arg);

// The host window of a preview: the second argument as a signed 32-bit
// integer, 0 when it is missing or not a number.
long long PreviewHandle(const std::vector<std::string>& args);

}  // namespace orv
