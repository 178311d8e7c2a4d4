#include "display/caption.h"

#include <gtest/gtest.h>

namespace orv {
namespace {

struct CaptionCase {
  const char* path;
  bool fullPath;
  bool extension;
  const char* want;
};

class CaptionTextCases : public ::testing::TestWithParam<CaptionCase> {};

TEST_P(CaptionTextCases, FollowsTheNameRules) {
  const CaptionCase& c = GetParam();
  EXPECT_EQ(CaptionText(c.path, c.fullPath, c.extension), c.want)
      << c.path << " full=" << c.fullPath << " ext=" << c.extension;
}

INSTANTIATE_TEST_SUITE_P(
    Names, CaptionTextCases,
    ::testing::Values(
        // Only the last extension goes.
        CaptionCase{"/photos/photo.2024.jpg", false, false, "photo.2024"},
        CaptionCase{"/photos/photo.2024.jpg", false, true, "photo.2024.jpg"},
        CaptionCase{"/photos/photo.2024.jpg", true, true, "/photos/photo.2024.jpg"},
        CaptionCase{"/photos/photo.2024.jpg", true, false, "/photos/photo.2024"},
        // A dot in a folder name is not an extension.
        CaptionCase{"/a.b/c", true, false, "/a.b/c"},
        CaptionCase{"/a.b/c", false, false, "c"},
        // The list inserts a separator even after one that was there.
        CaptionCase{"/p//x.png", false, false, "x"},
        CaptionCase{"/p//x.png", true, true, "/p//x.png"},
        // A dot-file's whole name is its extension.
        CaptionCase{"/p/.jpg", false, false, ""},
        CaptionCase{"/p/.jpg", true, false, "/p/"},
        CaptionCase{"plain.gif", false, false, "plain"},
        CaptionCase{"/p/写真.JPEG", false, false, "写真"}));

}  // namespace
}  // namespace orv
