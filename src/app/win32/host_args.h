// The command line as Windows' screen-saver hosts write it: some give the
// preview's window after a colon ("/p:1234") rather than as the next argument.
#pragma once

#include <string>
#include <vector>

namespace orv::win32 {

// The arguments with "/p:<handle>" (or "-p:", either case) split into "/p"
// and "<handle>"; anything else is left as it is.
std::vector<std::string> SplitHostArgs(std::vector<std::string> args);

}  // namespace orv::win32
