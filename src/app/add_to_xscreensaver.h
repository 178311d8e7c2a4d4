// `orvanne --add-to-xscreensaver`: the user's ~/.xscreensaver gets our entry,
// so that xscreensaver and its settings program list Orvanne.
#pragma once

#include <string>
#include <vector>

namespace orv {

// Whether the arguments ask for it (the option alone, one or two dashes).
bool IsAddToXscreensaver(const std::vector<std::string>& args);

// Reads and replaces $HOME/.xscreensaver, says what it did on stdout (errors
// on stderr, in the user's language). Returns the exit status.
int AddToXscreensaver(int& argc, char** argv);

}  // namespace orv
