// `orvanne --add-to-xscreensaver`: puts our entry into the user's
// ~/.xscreensaver so that xscreensaver lists it, without editing files.
#pragma once

#include <optional>
#include <string>

namespace orv {

// The line added to the programs list.
inline constexpr const char* kXscreensaverEntry = "\"Orvanne\"  orvanne --root";

enum class TEntryResult { kAdded, kPresent, kNoList };
struct TXscreensaverFile {
  TEntryResult result;
  std::string content;  // the new file when added
};

// The user's file with our entry appended to its programs list. user is the
// file's content, nullopt when the user has none; a user without a list of
// their own gets system_defaults' (xscreensaver's app-defaults,
// "*programs:") with ours added. Other entries and lines stay as they are.
// kPresent when an entry running orvanne is there already.
TXscreensaverFile WithXscreensaverEntry(const std::optional<std::string>& user, const std::string& system_defaults);

}  // namespace orv
