// The hosts' command line: which arguments make a hosted run, window ids,
// and how the options change the settings of the run.
#include "app/host_options.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "config/settings.h"

namespace orv {
namespace {

TEST(HostOptions, OnlyRootOrWindowIdMakeAHostedRun) {
  EXPECT_FALSE(ParseHostCommand({"/s"}));
  EXPECT_FALSE(ParseHostCommand({"/p", "123"}));
  EXPECT_FALSE(ParseHostCommand({"--folder", "/x"}));
  auto root = ParseHostCommand({"-root"});
  ASSERT_TRUE(root);
  EXPECT_EQ(root->target, THostTarget::kRoot);
  auto win = ParseHostCommand({"--delay", "3", "-window-id", "0x2a"});
  ASSERT_TRUE(win);
  EXPECT_EQ(win->target, THostTarget::kWindowId);
  EXPECT_EQ(win->windowId, "0x2a");
  EXPECT_EQ(ParseHostCommand({"--window-id=77"})->windowId, "77");
}

TEST(HostOptions, OptionsOverrideTheFileInOrderAndUnknownOnesAreSkipped) {
  TSettings s;  // the file's defaults
  auto cmd = ParseHostCommand({"--root", "-folder", "/pics", "--geometry", "1x1", "--delay=25", "--no-enlarge",
                               "-caption", "--full-path", "--no-extension", "--background-color", "#102030",
                               "--buffered", "--enlarge", "--delay", "abc"});
  ASSERT_TRUE(cmd);
  ApplyHostOptions(*cmd, s);
  EXPECT_EQ(s.folder, "/pics");
  EXPECT_EQ(s.changeSec, 25);  // "abc" changes nothing
  EXPECT_TRUE(s.extend);       // the later switch wins
  EXPECT_TRUE(s.putFilename);
  EXPECT_TRUE(s.putFullPath);
  EXPECT_FALSE(s.putExtention);
  EXPECT_TRUE(s.bgColorEnable);
  EXPECT_EQ(s.bgColor, 0x302010);  // 0x00BBGGRR
  EXPECT_EQ(s.drawMode, 1);
  TSettings t;
  ApplyHostOptions(*ParseHostCommand({"--root", "--background-color", "0x1000000", "--no-background-color"}), t);
  EXPECT_FALSE(t.bgColorEnable);
  EXPECT_EQ(t.bgColor, 0);
}

TEST(HostOptions, SubfolderSwitchesInEitherStyleTheLastOneWinning) {
  const struct {
    std::vector<std::string> args;
    bool in_file, want;
  } cases[] = {{{"--root", "--subfolders"}, false, true},       {{"-root", "-subfolders"}, false, true},
               {{"--root", "--subfolders", "-no-subfolders"}, false, false},
               {{"--window-id", "5", "--no-subfolders"}, true, false}, {{"--root", "--sub-folders"}, false, false},
               {{"--root"}, true, true}};
  for (const auto& c : cases) {
    TSettings s;
    s.subFolders = c.in_file;
    ApplyHostOptions(*ParseHostCommand(c.args), s);
    EXPECT_EQ(s.subFolders, c.want) << c.args.back();
  }
}

TEST(HostOptions, FadeTakesTenthsWithinItsRange) {
  const std::pair<std::vector<std::string>, int32_t> cases[] = {
      {{"--fade", "15"}, 15}, {{"-fade", "0"}, 0},  {{"--fade=40"}, 30}, {{"-fade=-3"}, 0},
      {{"--fade", "x"}, 12},  {{"--fade"}, 12},     {{"--fade", "5", "--fade", "oops"}, 5}};
  for (const auto& [args, want] : cases) {
    std::vector<std::string> line = {"--window-id", "7"};
    line.insert(line.end(), args.begin(), args.end());
    TSettings s;
    s.fadeTime = 12;  // as read from the file; unusable values keep it
    ApplyHostOptions(*ParseHostCommand(line), s);
    EXPECT_EQ(s.fadeTime, want) << args.front();
  }
}

TEST(HostOptions, IntegersAreKeptWithinTheDialogsRanges) {
  const std::pair<std::vector<std::string>, int32_t> cases[] = {
      {{"--delay", "25"}, 25}, {{"--delay", "0"}, 1},   {{"--delay=-7"}, 1},
      {{"--delay", "61"}, 60}, {{"-delay", "x"}, 12}, {{"--delay", "0x3C"}, 60}};
  for (const auto& [args, want] : cases) {
    std::vector<std::string> line = {"--root"};
    line.insert(line.end(), args.begin(), args.end());
    TSettings s;
    s.changeSec = 12;  // as read from the file
    ApplyHostOptions(*ParseHostCommand(line), s);
    EXPECT_EQ(s.changeSec, want) << args.back();
  }
}

// Under a settings page the command line is the whole configuration: what it
// does not give takes the built-in default, whatever the file says.
TEST(HostOptions, DefaultsLeaveTheFileAside) {
  TSettings file;
  file.folder = "/from/file";
  file.changeSec = 42;
  file.putFilename = true;
  file.extend = false;
  file.bgColorEnable = true;
  file.fadeTime = 20;
  file.drawMode = 1;
  TSettings s = file;
  ApplyHostOptions(*ParseHostCommand({"--root", "--defaults", "--fade", "5"}), s, "/built/in");
  TSettings want;
  want.folder = "/built/in";
  want.fadeTime = 5;
  EXPECT_EQ(s.folder, want.folder);
  EXPECT_EQ(s.changeSec, want.changeSec);
  EXPECT_EQ(s.putFilename, want.putFilename);
  EXPECT_EQ(s.extend, want.extend);
  EXPECT_EQ(s.bgColorEnable, want.bgColorEnable);
  EXPECT_EQ(s.drawMode, want.drawMode);
  EXPECT_EQ(s.fadeTime, 5);
  // Without it the file's values stay where the command line says nothing.
  s = file;
  ApplyHostOptions(*ParseHostCommand({"--root", "--fade", "5"}), s, "/built/in");
  EXPECT_EQ(s.folder, "/from/file");
  EXPECT_TRUE(s.putFilename);
  EXPECT_EQ(s.changeSec, 42);
}

std::string SourceFile(const std::string& name) {
  std::ifstream in(std::string(ORV_SOURCE_DIR) + "/" + name, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(HostOptions, TheSettingsPageIsTheOneTheTableMakes) {
  const std::string page = XScreensaverPage();
  EXPECT_EQ(SourceFile("data/orvanne.xml"), page) << "data/orvanne.xml is out of date; it should read:\n" << page;
  // Every option the page passes is one the program knows.
  size_t at = 0;
  int args = 0;
  while ((at = page.find("arg", at)) != std::string::npos) {
    const size_t dashes = page.find("\"--", at);
    at = page.find('"', dashes + 1);
    std::string option = page.substr(dashes + 1, at - dashes - 1);
    std::vector<std::string> line = {"--root", "--defaults"};
    const size_t space = option.find(' ');
    if (space != std::string::npos) option.resize(space);
    ++args;
    if (option == "--root" || option == "--defaults") continue;
    line.push_back(option);
    if (space != std::string::npos) line.push_back(option == "--folder" ? "/p" : "3");
    const auto cmd = ParseHostCommand(line);
    ASSERT_TRUE(cmd);
    EXPECT_EQ(cmd->options.size(), 1u) << option;
  }
  EXPECT_GE(args, 10);
}

TEST(HostOptions, TheManPageNamesEveryOption) {
  std::string man = SourceFile("data/orvanne.1");
  for (const THostOption& o : HostOptionTable()) {
    std::string escaped = "\\fB\\-\\-";
    for (const char* c = o.name; *c; ++c) escaped += *c == '-' ? std::string("\\-") : std::string(1, *c);
    EXPECT_NE(man.find(escaped + "\\fR"), std::string::npos) << o.name;
  }
  EXPECT_NE(man.find("\\fB\\-\\-defaults\\fR"), std::string::npos);
}

TEST(HostOptions, WindowIdsAreDecimalOrHex) {
  EXPECT_EQ(ParseWindowId("655360"), 655360ul);
  EXPECT_EQ(ParseWindowId("0x2A00007"), 0x2A00007ul);
  EXPECT_EQ(ParseWindowId("0XfFfFfFfF"), 0xFFFFFFFFul);
  for (const char* bad : {"", "0", "0x", "abc", "12abc", "-5", "+5", " 5", "0x100000000", "99999999999"})
    EXPECT_FALSE(ParseWindowId(bad)) << '"' << bad << '"';
}

TEST(SettingsPath, InstalledCopiesKeepTheirSettingsPerUser) {
  struct Case {
    const char* program;
    const char* xdg;
    const char* home;
    const char* want;
  };
  const Case cases[] = {
      {"/usr/bin/orvanne", nullptr, "/home/u", "/home/u/.config/orvanne/orvanne.ini"},
      {"/usr/bin/orvanne", "/cfg", "/home/u", "/cfg/orvanne/orvanne.ini"},
      {"/usr/bin/orvanne", "relative", "/home/u", "/home/u/.config/orvanne/orvanne.ini"},
      {"/usr/libexec/orvanne", "", "/home/u", "/home/u/.config/orvanne/orvanne.ini"},
      {"/usr2/bin/orvanne", "/cfg", "/home/u", "/usr2/bin/orvanne.ini"},  // not under the prefix
      {"/work/build/src/app/orvanne", "/cfg", "/home/u", "/work/build/src/app/orvanne.ini"},
  };
  for (const Case& c : cases) EXPECT_EQ(SettingsFilePathFor(c.program, "/usr", c.xdg, c.home), c.want) << c.program;
}

TEST(HostOptions, FolderStartingAtHomeIsExpanded) {
  ASSERT_EQ(::setenv("HOME", "/home/viewer", 1), 0);
  const struct {
    const char* arg;
    const char* want;
  } cases[] = {{"~/Pictures", "/home/viewer/Pictures"},  {"--folder=$HOME/Pictures", "/home/viewer/Pictures"},
               {"${HOME}/a b", "/home/viewer/a b"},      {"~", "/home/viewer"},
               {"~other/x", "~other/x"},                 {"$HOMEDIR/x", "$HOMEDIR/x"},
               {"/data/~/$HOME", "/data/~/$HOME"}};
  for (const auto& c : cases) {
    TSettings s;
    const bool inline_value = c.arg[0] == '-';
    ApplyHostOptions(*ParseHostCommand(inline_value ? std::vector<std::string>{"--root", c.arg}
                                                    : std::vector<std::string>{"--root", "--folder", c.arg}),
                     s);
    EXPECT_EQ(s.folder, c.want) << c.arg;
  }
}

TEST(SettingsPath, InstalledCopiesDefaultToThePicturesFolder) {
  const struct {
    const char* program;
    const char* pictures;
    const char* want;
  } cases[] = {
      {"/usr/bin/orvanne", "/home/u/Bilder", "/home/u/Bilder"},
      {"/usr/bin/orvanne", "", "/usr/bin"},  // no home to take it from
      {"/work/build/src/app/orvanne", "/home/u/Bilder", "/work/build/src/app"},
      {"/usr2/bin/orvanne", "/home/u/Bilder", "/usr2/bin"},
  };
  for (const auto& c : cases) EXPECT_EQ(DefaultFolderFor(c.program, "/usr", c.pictures), c.want) << c.program;
}

}  // namespace
}  // namespace orv
