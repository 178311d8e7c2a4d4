// Our entry in the user's ~/.xscreensaver: added once to the programs list,
// everything else kept, the system's list taken when the user has none.
#include "app/xscreensaver_entry.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

// As xscreensaver's app-defaults write it (a resource before and after).
const char kDefaults[] =
    "*timeout:\t\t0:10:00\n"
    "*programs:\t\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
    "\t\t\t\t\"Qix (solid)\" \tqix -trails -solid --root\t    \\n\n"
    "\n*pointerHysteresis:\t10\n";

// As xscreensaver-settings saves it.
const char kUserFile[] =
    "# XScreenSaver Preferences File\n"
    "mode:\t\trandom\n"
    "programs:\t\t\t\t\t\t\t      \\\n"
    "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
    "-\t\t\t\tdeco --root\t\t\t\t    \\n\n"
    "\n\n"
    "pointerPollTime:    0:00:05\n";

const std::string kOurs = std::string("\t\t\t\t") + kXscreensaverEntry + "\t\t    \\n\n";

TEST(XscreensaverEntry, AddedOnceAtTheEndOfTheUsersListKeepingEverythingElse) {
  const TXscreensaverFile added = WithXscreensaverEntry(std::string(kUserFile), kDefaults);
  ASSERT_EQ(added.result, TEntryResult::kAdded);
  EXPECT_EQ(added.content,
            "# XScreenSaver Preferences File\n"
            "mode:\t\trandom\n"
            "programs:\t\t\t\t\t\t\t      \\\n"
            "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
            "-\t\t\t\tdeco --root\t\t\t\t    \\n \\\n" +
                kOurs +
                "\n\n"
                "pointerPollTime:    0:00:05\n");
  EXPECT_EQ(WithXscreensaverEntry(added.content, kDefaults).result, TEntryResult::kPresent);
}

// (A user without any file is the e2e test's case, with the real defaults.)
TEST(XscreensaverEntry, AUserWithoutAListStartsFromTheSystemOne) {
  const TXscreensaverFile added = WithXscreensaverEntry(std::string("lock: False"), kDefaults);
  ASSERT_EQ(added.result, TEntryResult::kAdded);
  EXPECT_EQ(added.content,
            "lock: False\n\nprograms:\t\t\t\t\t\t\t\t      \\\n"
            "\t\t\t\tmaze --root\t\t\t\t    \\n\\\n"
            "- GL: \t\t\t\tsuperquadrics --root\t\t\t    \\n\\\n"
            "\t\t\t\t\"Qix (solid)\" \tqix -trails -solid --root\t    \\n \\\n" +
                kOurs);
  EXPECT_EQ(WithXscreensaverEntry(std::nullopt, "*timeout: 0:10:00\n").result, TEntryResult::kNoList);
}

TEST(XscreensaverEntry, AnyEntryRunningOrvanneCountsAsPresent) {
  const struct {
    const char* entry;
    bool present;
  } cases[] = {
      {"\"Orvanne\"  orvanne --root", true},
      {"-  \"My photos\" /usr/bin/orvanne --root --folder ~/Pictures", true},
      {"- GL: orvanne --root", true},
      {"orvanne", true},
      {"\"Orvanne\" xlogo --root", false},  // only the name
      {"orvanne-old --root", false},
      {"maze --root --title orvanne", false},
  };
  for (const auto& c : cases) {
    const std::string user = std::string("programs: \\\n  maze --root \\n\\\n  ") + c.entry + " \\n\\\n  qix --root \\n\n";
    EXPECT_EQ(WithXscreensaverEntry(user, kDefaults).result, c.present ? TEntryResult::kPresent : TEntryResult::kAdded)
        << c.entry;
  }
}

}  // namespace
}  // namespace orv
