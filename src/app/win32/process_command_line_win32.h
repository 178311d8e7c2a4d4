// The three modes of the Windows build, each running its window's message
// loop until it ends.
#pragma once

#include <string>
#include <vector>

namespace orv::win32 {

void ProcessCommandLine(const std::vector<std::string>& args);
void RunFullScreen();
void RunPreview(const std::vector<std::string>& args);
void RunConfig();

}  // namespace orv::win32
