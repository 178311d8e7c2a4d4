// The checked-in corpus (corpus/expected.txt says what each file must give)
// decoded by picdump through the picture registry, as the slideshow loads
// pictures: valid files exactly as libpng decodes them, tolerated files like
// their intact twin, malformed files with their error or a quiet end.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "png_test_util.h"
#include "support/test_support.h"

namespace orv::pngtest {
namespace {

struct DumpResult {
  int status;
  std::string err;
  Bytes rgb;
  int w = 0, h = 0;
};

DumpResult Picdump(const std::string& file, const test::TempDir& dir) {
  const std::string out = dir / "out.pam", err = dir / "err.txt";
  std::remove(out.c_str());
  const std::string cmd = std::string("'") + ORV_PICDUMP + "' '" + file + "' '" + out + "' 2>'" + err + "'";
  DumpResult r;
  r.status = WEXITSTATUS(std::system(cmd.c_str()));
  r.err = test::ReadFile(err);
  if (r.status == 0) {
    const Bytes pam = test::ReadBytes(out);
    const std::string text(pam.begin(), pam.end());
    const size_t end = text.find("ENDHDR\n");
    std::istringstream head(text.substr(0, end));
    std::string key;
    while (head >> key) {
      if (key == "WIDTH") head >> r.w;
      if (key == "HEIGHT") head >> r.h;
    }
    r.rgb.assign(pam.begin() + long(end) + 7, pam.end());
  }
  return r;
}

TEST(PngCorpus, EveryFileGivesItsExpectedOutcome) {
  const std::string corpus = ORV_PNG_CORPUS;
  std::ifstream list(corpus + "/expected.txt");
  ASSERT_TRUE(list.good());
  test::TempDir dir;
  std::string line;
  int files = 0;
  while (std::getline(list, line)) {
    const size_t a = line.find(" | "), b = line.find(" | ", a + 3);
    ASSERT_NE(b, std::string::npos) << line;
    const std::string name = line.substr(0, a), outcome = line.substr(a + 3, b - a - 3);
    const std::string path = corpus + "/" + name;
    const DumpResult r = Picdump(path, dir);
    ++files;
    if (outcome == "libpng") {
      const Decoded ref = DecodeWithLibpng(test::ReadBytes(path));
      ASSERT_TRUE(ref.ok) << name << ": " << ref.error;
      ASSERT_EQ(r.status, 0) << name << ": " << r.err;
      EXPECT_EQ(r.w, ref.w) << name;
      EXPECT_TRUE(r.rgb == ref.rgb) << name;
    } else if (outcome.rfind("same:", 0) == 0) {
      const DumpResult twin = Picdump(corpus + "/" + outcome.substr(5), dir);
      ASSERT_EQ(r.status, 0) << name << ": " << r.err;
      EXPECT_TRUE(r.rgb == twin.rgb && r.w == twin.w && r.h == twin.h) << name;
    } else if (outcome.rfind("error:", 0) == 0) {
      EXPECT_EQ(r.status, 1) << name;
      EXPECT_EQ(r.err, outcome.substr(6) + "\n") << name;
    } else {
      ASSERT_EQ(outcome, "empty") << name;
      EXPECT_EQ(r.status, 1) << name;
      EXPECT_NE(r.err.find("画像が空です"), std::string::npos) << name << ": " << r.err;
    }
  }
  EXPECT_GE(files, 60);
}

}  // namespace
}  // namespace orv::pngtest
