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
  // --defaults: the settings file is left aside, so that settings the
  // command line does not give take their built-in defaults.
  bool builtInDefaults = false;
};

// One host option, taken from the settings table: its name without dashes,
// the setting's row, and whether it takes a value or sets 1 or 0.
enum class THostAction { kValue, kOn, kOff };
struct THostOption {
  const char* name;
  const TSettingRow* setting;
  THostAction action;
  bool TakesValue() const { return action == THostAction::kValue; }
};
const std::vector<THostOption>& HostOptionTable();

// xscreensaver's description of the settings page (orvanne.xml): a control
// for each setting that has one, defaults equal to the built-in ones, and
// --defaults fixed so that the page's command line is the whole configuration.
std::string XScreensaverPage();

// The hosts' command line when the arguments hold --root or --window-id
// (also with one dash, or as --name=value); nullopt otherwise, so that the
// Windows command line keeps its meaning. Unknown options are skipped.
std::optional<THostCommand> ParseHostCommand(const std::vector<std::string>& args);

// Applies the command's options, in order, to settings read from the file;
// with --defaults to the built-in settings instead (the folder's default is
// default_folder).
void ApplyHostOptions(const THostCommand& command, TSettings& settings,
                      const std::string& default_folder = DefaultFolder());

// A window id as hosts write it: decimal, or hexadecimal after "0x". nullopt
// for anything else, 0, or a value beyond 32 bits.
std::optional<unsigned long> ParseWindowId(const std::string& text);

}  // namespace orv
