// The three mode routines and the dispatch between them.
#pragma once

#include <string>
#include <vector>

namespace orv {

// Runs the mode the arguments (without the program name) select; returns when
// its message loop has ended, or at once when no mode was chosen.
void ProcessCommandLine(const std::vector<std::string>& args);

void RunFullScreen();
void RunPreview(const std::vector<std::string>& args);
void RunConfig();

}  // namespace orv
