#include "display/picture_list.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <deque>
#include <filesystem>
#include <set>

#include "formats/formats.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

// Records what the search shows, in order.
class ProgressLog : public ISearchProgress {
 public:
  std::vector<std::string> events;
  void SetCaption(const std::string& text) override { events.push_back("caption " + text); }
  void SetProgress(int position) override { events.push_back("bar " + std::to_string(position)); }
  void Repaint() override { events.push_back("repaint"); }
};

class ScriptedRandom : public IRandom {
 public:
  explicit ScriptedRandom(std::deque<int> script) : script_(std::move(script)) {}
  std::vector<int> ranges;
  int Next(int n) override {
    ranges.push_back(n);
    int v = script_.empty() ? 0 : script_.front();
    if (!script_.empty()) script_.pop_front();
    return v;
  }

 private:
  std::deque<int> script_;
};

std::set<std::string> Names(const std::vector<std::string>& paths, size_t from, size_t to) {
  std::set<std::string> out;
  for (size_t i = from; i < to; ++i) out.insert(ExtractFileName(paths[i]));
  return out;
}

std::string ZPath(const std::string& posix) {
  std::string p = "Z:" + posix;
  std::replace(p.begin(), p.end(), '/', '\\');
  return p;
}

void WriteShortcutTo(const std::string& link, const std::string& target) {
  test::ShellLinkSpec spec;
  spec.local_base_path = ZPath(target);
  test::WriteFile(link, test::BuildShellLink(spec));
}

TEST(SearchPictures, TakesEachTypeInItsPassAndNothingElse) {
  test::TempDir dir;
  for (const char* name : {"a.bmp", "B.BMP", "c.jpg", "d.JPG", "e.jpeg", "f.JPEG", "g.png", "h.gif", "i.Gif",
                           ".hidden.png", "j.txt", "k.jpg.bak", "noext", "l.jpe", "m.bmpx"})
    test::WriteFile(dir / name, "x");
  fs::create_directory(dir / "sub");
  test::WriteFile(dir / "sub/n.jpg", "x");
  fs::create_directory(dir / "folder.png");

  ProgressLog log;
  std::vector<std::string> list = SearchPictures(dir.path(), log);
  ASSERT_EQ(list.size(), 10u);
  for (const std::string& p : list) EXPECT_EQ(p.rfind(dir.path() + "/", 0), 0u) << p;
  // Passes in order bmp, jpg, jpeg, png, gif; within a pass, directory order.
  EXPECT_EQ(Names(list, 0, 2), (std::set<std::string>{"a.bmp", "B.BMP"}));
  EXPECT_EQ(Names(list, 2, 4), (std::set<std::string>{"c.jpg", "d.JPG"}));
  EXPECT_EQ(Names(list, 4, 6), (std::set<std::string>{"e.jpeg", "f.JPEG"}));
  EXPECT_EQ(Names(list, 6, 8), (std::set<std::string>{"g.png", ".hidden.png"}));
  EXPECT_EQ(Names(list, 8, 10), (std::set<std::string>{"h.gif", "i.Gif"}));
}

TEST(SearchPictures, FollowsLinksToFilesOnly) {
  test::TempDir dir;
  test::WriteFile(dir / "real.jpg", "x");
  fs::create_directory(dir / "adir");
  fs::create_symlink(dir / "real.jpg", dir / "link.jpg");
  fs::create_symlink(dir / "gone.jpg", dir / "dangling.jpg");
  fs::create_symlink(dir / "loop2.jpg", dir / "loop1.jpg");
  fs::create_symlink(dir / "loop1.jpg", dir / "loop2.jpg");
  fs::create_symlink(dir / "adir", dir / "dirlink.jpg");
  ASSERT_EQ(::mkfifo((dir / "pipe.jpg").c_str(), 0600), 0);

  ProgressLog log;
  std::vector<std::string> list = SearchPictures(dir.path(), log);
  EXPECT_EQ(Names(list, 0, list.size()), (std::set<std::string>{"real.jpg", "link.jpg"}));
  EXPECT_EQ(list.size(), 2u);
}

TEST(SearchPictures, AlwaysInsertsASeparator) {
  test::TempDir dir;
  test::WriteFile(dir / "a.png", "x");
  ProgressLog log;
  std::vector<std::string> list = SearchPictures(dir.path() + "/", log);
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0], dir.path() + "//a.png");
}

TEST(SearchPictures, ShowsTheCountEveryFiftyAndEachStep) {
  test::TempDir dir;
  for (int i = 0; i < 120; ++i) test::WriteFile(dir / ("p" + std::to_string(i) + ".jpg"), "x");
  ProgressLog log;
  EXPECT_EQ(SearchPictures(dir.path(), log).size(), 120u);
  const std::vector<std::string> want = {
      "caption Searching : 0", "bar 10", "repaint",                               // start
      "bar 25", "repaint",                                                        // bmp
      "caption Searching : 50", "repaint", "caption Searching : 100", "repaint",  // within jpg
      "bar 40", "repaint",                                                        // jpg done
      "bar 55", "repaint", "bar 70", "repaint", "bar 85", "repaint",              // jpeg, png, gif
      "caption Searching : 120", "bar 100", "repaint"};
  EXPECT_EQ(log.events, want);
}

TEST(SearchPictures, TakesEveryFormatOfTheTableAfterTheFirstFiveWithoutMovingTheBar) {
  // Upper and mixed case too; the bar steps as with the five formats alone.
  test::TempDir dir;
  test::WriteFile(dir / "z.GIF", "x");
  std::vector<std::string> want = {"z.GIF"};
  for (const TPictureFormat& f : PictureFormats()) {
    if (f.searchBar) continue;
    std::string name = std::string("a.") + f.ext;
    name[2] = char(std::toupper(name[2]));
    test::WriteFile(dir / name, "x");
    want.push_back(name);
  }
  test::WriteFile(dir / "b.tiff", "x");
  ProgressLog log;
  std::vector<std::string> names;
  for (const std::string& p : SearchPictures(dir.path(), log)) names.push_back(ExtractFileName(p));
  EXPECT_EQ(names, want);
  const std::vector<std::string> bars = {"bar 10", "bar 25", "bar 40", "bar 55", "bar 70", "bar 85", "bar 100"};
  std::vector<std::string> shown;
  std::copy_if(log.events.begin(), log.events.end(), std::back_inserter(shown),
               [](const std::string& e) { return e.rfind("bar ", 0) == 0; });
  EXPECT_EQ(shown, bars);
}

TEST(SearchPictures, MissingFolderRunsThroughToTheEnd) {
  test::TempDir dir;
  ProgressLog log;
  EXPECT_TRUE(SearchPictures(dir / "does-not-exist", log).empty());
  ASSERT_GE(log.events.size(), 3u);
  EXPECT_EQ(log.events[log.events.size() - 3], "caption Searching : 0");
  EXPECT_EQ(log.events[log.events.size() - 2], "bar 100");
}

TEST(SearchPictures, EmptyFolderNameListsNothingEvenWherePicturesAreAtHand) {
  // An empty name must not read the working folder and give "/name" paths
  // that never load: the display would stay blank without its error lines.
  test::TempDir dir;
  test::WriteFile(dir / "a.jpg", "x");
  WriteShortcutTo(dir / "b.lnk", dir / "a.jpg");
  const fs::path was = fs::current_path();
  fs::current_path(dir.path());
  ProgressLog log;
  const std::vector<std::string> list = SearchPictures("", log);
  fs::current_path(was);
  EXPECT_TRUE(list.empty()) << list.front();
  EXPECT_EQ(log.events[log.events.size() - 3], "caption Searching : 0");
}

TEST(SearchPictures, UnreadableFolderGivesAnEmptyList) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads every folder";
  test::TempDir dir;
  fs::create_directory(dir / "locked");
  test::WriteFile(dir / "locked/a.jpg", "x");
  ::chmod((dir / "locked").c_str(), 0);
  ProgressLog log;
  EXPECT_TRUE(SearchPictures(dir / "locked", log).empty());
}

TEST(SearchPictures, AddsShortcutTargetsThatArePictures) {
  test::TempDir dir;
  fs::create_directories(dir / "photos/Trip");
  fs::create_directory(dir / "other");
  test::WriteFile(dir / "photos/Trip/img_0001.jpeg", "x");
  test::WriteFile(dir / "photos/in-folder.png", "x");
  test::WriteFile(dir / "other/readme.txt", "x");
  const std::string photos = dir / "photos";
  // Spelled in other letter cases: the list gets the names as stored.
  WriteShortcutTo(photos + "/trip.lnk", dir / "PHOTOS/trip/IMG_0001.JPEG");
  WriteShortcutTo(photos + "/dup.LNK", dir / "photos/in-folder.png");
  WriteShortcutTo(photos + "/folder.lnk", dir / "other");
  WriteShortcutTo(photos + "/text.lnk", dir / "other/readme.txt");
  WriteShortcutTo(photos + "/missing.lnk", dir / "other/gone.jpg");
  WriteShortcutTo(photos + "/chain.lnk", photos + "/trip.lnk");
  test::WriteFile(photos + "/garbage.lnk", "not a shortcut");
  test::WriteFile(photos + "/empty.lnk", "");

  ProgressLog log;
  std::vector<std::string> list = SearchPictures(photos, log);
  std::multiset<std::string> got(list.begin(), list.end());
  std::multiset<std::string> want = {photos + "/in-folder.png", photos + "/in-folder.png",
                                     photos + "/Trip/img_0001.jpeg"};
  EXPECT_EQ(got, want);
  // Shortcut targets come after every picture of the folder.
  EXPECT_EQ(list[0], photos + "/in-folder.png");
}

TEST(AddFilesWithExt, CountsAcrossPassesAndShortcuts) {
  test::TempDir dir;
  for (int i = 0; i < 49; ++i) test::WriteFile(dir / ("p" + std::to_string(i) + ".gif"), "x");
  test::WriteFile(dir / "target.bmp", "x");
  std::vector<std::string> list;
  ProgressLog log;
  AddFilesWithExt(list, dir.path(), "gif", log);
  EXPECT_TRUE(log.events.empty());
  WriteShortcutTo(dir / "t.lnk", dir / "target.bmp");
  AddShortcutTargets(list, dir.path(), log);
  EXPECT_EQ(log.events, (std::vector<std::string>{"caption Searching : 50", "repaint"}));
}

TEST(ShufflePictures, SwapsEachPositionWithADrawOverTheWholeList) {
  std::vector<std::string> list = {"a", "b", "c", "d"};
  ScriptedRandom random({3, 0, 3, 1});
  ShufflePictures(list, random);
  // i=0 <-> 3: d b c a; i=1 <-> 0: b d c a; i=2 <-> 3: b d a c; i=3 <-> 1: b c a d.
  EXPECT_EQ(list, (std::vector<std::string>{"b", "c", "a", "d"}));
  EXPECT_EQ(random.ranges, (std::vector<int>{4, 4, 4, 4}));
}

TEST(ShufflePictures, EmptyListDrawsNothing) {
  std::vector<std::string> list;
  ScriptedRandom random({});
  ShufflePictures(list, random);
  EXPECT_TRUE(random.ranges.empty());
}

TEST(ShufflePictures, KeepsDuplicatesAndEveryEntry) {
  std::vector<std::string> list = {"x", "y", "x", "z", "y", "x"};
  TTimeSeededRandom random;
  for (int round = 0; round < 20; ++round) {
    ShufflePictures(list, random);
    std::multiset<std::string> got(list.begin(), list.end());
    ASSERT_EQ(got, (std::multiset<std::string>{"x", "x", "x", "y", "y", "z"}));
  }
}

TEST(TimeSeededRandom, DrawsEveryValueInRangeOnly) {
  TTimeSeededRandom random;
  std::vector<int> seen(7, 0);
  for (int i = 0; i < 2000; ++i) {
    int v = random.Next(7);
    ASSERT_GE(v, 0);
    ASSERT_LT(v, 7);
    ++seen[size_t(v)];
  }
  for (int count : seen) EXPECT_GT(count, 0);
  EXPECT_EQ(random.Next(1), 0);
  EXPECT_EQ(random.Next(0), 0);
}

}  // namespace
}  // namespace orv
