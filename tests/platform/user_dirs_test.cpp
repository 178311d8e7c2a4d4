// The user's pictures folder from xdg-user-dirs' file.
#include "platform/user_dirs.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "support/test_support.h"

namespace orv {
namespace {

TEST(UserDirs, PicturesFolderFollowsUserDirsElsePictures) {
  test::TempDir home;
  const std::string h = home.path();
  EXPECT_EQ(PicturesFolderFor(nullptr, h.c_str()), h + "/Pictures");  // no file
  EXPECT_EQ(PicturesFolderFor(nullptr, nullptr), "");
  ASSERT_EQ(::mkdir((home / ".config").c_str(), 0700), 0);
  test::WriteFile(home / ".config/user-dirs.dirs", "XDG_PICTURES_DIR=\"$HOME/Fotos\"\n");
  EXPECT_EQ(PicturesFolderFor(nullptr, h.c_str()), h + "/Fotos");
  test::TempDir cfg;
  test::WriteFile(cfg / "user-dirs.dirs",
                  "# written by xdg-user-dirs-update\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\n"
                  "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(PicturesFolderFor(cfg.path().c_str(), h.c_str()), h + "/Bilder");
  EXPECT_EQ(PicturesFolderFor("relative", h.c_str()), h + "/Fotos");  // ignored, as XDG says: ~/.config
  test::WriteFile(cfg / "user-dirs.dirs", "XDG_PICTURES_DIR=\"/srv/photos\"\nXDG_PICTURES_DIR=broken\n");
  EXPECT_EQ(PicturesFolderFor(cfg.path().c_str(), h.c_str()), "/srv/photos");
}

}  // namespace
}  // namespace orv
