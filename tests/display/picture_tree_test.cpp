// The picture list with subfolders: which folders the walk takes, what it
// leaves out, and what the splash shows meanwhile.
#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <set>

#include "display/picture_list.h"
#include "support/test_support.h"

namespace orv {
namespace {

namespace fs = std::filesystem;

class ProgressLog : public ISearchProgress {
 public:
  std::vector<std::string> events;
  void SetCaption(const std::string& text) override { events.push_back("caption " + text); }
  void SetProgress(int position) override { events.push_back("bar " + std::to_string(position)); }
  void Repaint() override { events.push_back("repaint"); }
  void StillSearching(size_t count) override { events.push_back("still " + std::to_string(count)); }
};

// While alive, this thread obeys file permissions even as root (which
// otherwise reads every folder), so that an unreadable folder is one.
class ObeyFilePermissions {
 public:
  ObeyFilePermissions() {
    if (::geteuid() != 0 || ::syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct now[2] = {saved_[0], saved_[1]};
    now[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
    dropped_ = ::syscall(SYS_capset, &header_, now) == 0;
  }
  ~ObeyFilePermissions() {
    if (dropped_) ::syscall(SYS_capset, &header_, saved_);
  }

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct saved_[2] = {};
  bool dropped_ = false;
};

void WriteShortcutTo(const std::string& link, const std::string& target) {
  test::ShellLinkSpec spec;
  spec.local_base_path = "Z:" + target;
  std::replace(spec.local_base_path.begin(), spec.local_base_path.end(), '/', '\\');
  test::WriteFile(link, test::BuildShellLink(spec));
}

// A tree described by lines: "dir/", "file", "link -> target" and
// "shortcut.lnk => target" (targets relative to the top).
void Build(const test::TempDir& top, const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    const size_t arrow = line.find(" -> "), shortcut = line.find(" => ");
    fs::create_directories(fs::path(top / line.substr(0, std::min(arrow, shortcut))).parent_path());
    if (shortcut != std::string::npos) {
      WriteShortcutTo(top / line.substr(0, shortcut), top / line.substr(shortcut + 4));
    } else if (arrow != std::string::npos) {
      fs::create_symlink(top / line.substr(arrow + 4), top / line.substr(0, arrow));
    } else if (line.back() == '/') {
      fs::create_directories(top / line);
    } else {
      test::WriteFile(top / line, "x");
    }
  }
}

TEST(SearchPictureTree, TakesTheFoldersUnderTheChosenOneWithinItsBounds) {
  struct Case {
    const char* what;
    std::vector<std::string> tree;
    std::vector<std::string> locked;  // made unreadable after building
    bool subfolders;
    TSearchLimits limits;
    std::multiset<std::string> want;  // relative to the top
  };
  std::vector<std::string> deep = {"p.jpg"};
  std::multiset<std::string> deep_want = {"p.jpg"};
  for (std::string chain; chain.size() < 34 * 2; chain += "d/") {
    deep.push_back(chain + "d/p.jpg");
    if (chain.size() < 32 * 2) deep_want.insert(chain + "d/p.jpg");
  }
  const Case cases[] = {
      {"off lists the chosen folder alone",
       {"a.jpg", "sub/b.jpg", "sub/deeper/c.png"}, {}, false, {}, {"a.jpg"}},
      {"a folder holding only subfolders",
       {"2023/x.jpg", "2024/05/y.png", "2024/06/"}, {}, true, {}, {"2023/x.jpg", "2024/05/y.png"}},
      {"extensions in any letter case, nothing else",
       {"s/A.JPG", "s/b.Jpeg", "s/c.PnG", "s/d.GIF", "s/e.bMp", "s/f.jpe", "s/g.txt", "s/h.png.bak", "s/.i.png",
        "s/dir.jpg/j.gif"},
       {}, true, {}, {"s/A.JPG", "s/b.Jpeg", "s/c.PnG", "s/d.GIF", "s/e.bMp", "s/.i.png", "s/dir.jpg/j.gif"}},
      {"links back up the tree and to a folder seen already",
       {"a/x.jpg", "a/up -> .", "a/self -> a", "c/y.png", "c/a -> a", "c/pic.jpg -> c/y.png", "c/gone.jpg -> nowhere"},
       {}, true, {}, {"a/x.jpg", "c/y.png", "c/pic.jpg"}},
      {"no deeper than 32 levels", deep, {}, true, {}, deep_want},
      {"unreadable folders are skipped",
       {"ok/x.jpg", "locked/y.jpg", "ok/locked/z.jpg", "ok/locked/open/w.jpg"}, {"locked", "ok/locked"}, true, {},
       {"ok/x.jpg"}},
      {"shortcuts in subfolders give their targets",
       {"pic.gif", "c/s.LNK => pic.gif", "c/t.lnk => c/"}, {}, true, {}, {"pic.gif", "pic.gif"}},
      {"no name past the entry limit is read",
       {"a.jpg", "b.jpg", "c.jpg", "sub/d.jpg"}, {}, true, {32, 4}, {"a.jpg", "b.jpg", "c.jpg"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    test::TempDir top;
    Build(top, c.tree);
    for (const std::string& folder : c.locked) ASSERT_EQ(::chmod((top / folder).c_str(), 0), 0);
    std::vector<std::string> list;
    ProgressLog log;
    {
      ObeyFilePermissions obey;
      if (!c.locked.empty()) {
        struct stat st;
        ASSERT_NE(::stat((top / c.locked.back() + "/.").c_str(), &st), 0) << "the folder is still readable";
      }
      list = SearchPictures(top.path(), log, c.subfolders, c.limits);
    }
    std::multiset<std::string> got;
    for (const std::string& path : list) {
      ASSERT_EQ(path.rfind(top.path() + "/", 0), 0u) << path;
      got.insert(path.substr(top.path().size() + 1));
    }
    EXPECT_EQ(got, c.want);
    EXPECT_EQ(log.events[log.events.size() - 3], "caption Searching : " + std::to_string(c.want.size()));
    EXPECT_EQ(log.events[log.events.size() - 2], "bar 100");
  }
}

TEST(SearchPictureTree, WithoutSubfoldersToFindItListsAsTheFolderAloneDoes) {
  // The same passes in the same order, and the same splash steps.
  test::TempDir top;
  for (int i = 0; i < 60; ++i) test::WriteFile(top / ("p" + std::to_string(i) + ".jpg"), "x");
  Build(top, {"a.BMP", "b.gif", "c.jpeg", "d.png", "e.Jpg", "t.png"});
  WriteShortcutTo(top / "t.lnk", top / "t.png");
  ProgressLog alone, tree;
  const std::vector<std::string> want = SearchPictures(top.path(), alone);
  EXPECT_EQ(SearchPictures(top.path(), tree, true), want);
  EXPECT_EQ(tree.events, alone.events);
  ASSERT_EQ(want.size(), 67u);
  EXPECT_EQ(want.back(), top / "t.png");  // the shortcut's target, last
}

TEST(SearchPictureTree, CountsOnAcrossFolders) {
  test::TempDir top;
  Build(top, {"a/b/"});
  for (const char* folder : {"", "a/", "a/b/"})
    for (int i = 0; i < 30; ++i) test::WriteFile(top / (folder + std::string("p") + std::to_string(i) + ".png"), "x");
  ProgressLog log;
  ASSERT_EQ(SearchPictures(top.path(), log, true).size(), 90u);
  // The count every 50 and after each folder; the bar never goes back and
  // reaches 100 only at the end.
  std::vector<std::string> counts;
  int bar = 0;
  for (const std::string& e : log.events) {
    if (e.rfind("still ", 0) == 0 || e == "caption Searching : 50") counts.push_back(e);
    if (e.rfind("bar ", 0) == 0) {
      EXPECT_GE(std::stoi(e.substr(4)), bar) << e;
      bar = std::stoi(e.substr(4));
    }
  }
  EXPECT_EQ(counts, (std::vector<std::string>{"caption Searching : 50", "still 60", "still 90"}));
  EXPECT_EQ(std::count(log.events.begin(), log.events.end(), "bar 100"), 1);
  EXPECT_EQ(log.events[log.events.size() - 2], "bar 100");
}

}  // namespace
}  // namespace orv
