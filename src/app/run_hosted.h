// Hosted mode: the slideshow inside a screen-saver host's window.
#pragma once

#include "app/host_options.h"

namespace orv {

// Runs the hosted slideshow to its end; the process's exit status (1 with a
// line on stderr when the window cannot be used).
int RunHosted(const THostCommand& command, int& argc, char** argv);

}  // namespace orv
