// The screen-saver hosts' command line (xscreensaver, mate-screensaver):
// --root or --window-id ID picks the window to draw into, and options for
// every setting override the settings file for that run.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "config/settings.h"

namespace orv {

enum class THostTarget { kRoot, kWindowId };

struct THostOptionValue {
  size_t row;         // into HostOptionTable()
  std::string value;  // empty for switches
};

struct THostCommand {
  THostTarget target = THostTarget::kRoot;
  std::string windowId;  // as given after --window-id
  std::vector<THostOptionValue> options;  // in command-line order
};

// One host option: its name without dashes, whether it takes a value, and
// what it does to the settings of the run. Adding a setting is one row.
struct THostOption {
  const char* name;
  bool takesValue;
  void (*apply)(TSettings& settings, const std::string& value);
};
const std::vector<THostOption>& HostOptionTable();

// The hosts' command line when the arguments hold --root or --window-id
// (also with one dash, or as --name=value); nullopt otherwise, so that the
// Windows command line keeps its meaning. Unknown options are skipped.
std::optional<THostCommand> ParseHostCommand(const std::vector<std::string>& args);

// Applies the command's options, in order, to settings read from the file.
void ApplyHostOptions(const THostCommand& command, TSettings& settings);

// A window id as hosts write it: decimal, or hexadecimal after "0x". nullopt
// for anything else, 0, or a value beyond 32 bits.
std::optional<unsigned long> ParseWindowId(const std::string& text);

}  // namespace orv
