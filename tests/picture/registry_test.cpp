// The file-type registry and the picture container: the entries and their
// order, look-up, extensions, and loading a file by its name.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include "formats/formats.h"
#include "picture/bitmap_graphic.h"
#include "picture/jpeg_image.h"
#include "picture/picture.h"
#include "picture/picture_test_util.h"
#include "support/test_support.h"

namespace orv {
namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { RegisterPictureFormats(); }
  TFileFormatsList& list = TFileFormatsList::Instance();
};

TEST_F(Registry, HoldsTheEntriesInOrder) {
  struct Entry {
    const char* ext;
    const char* description;
    const TGraphicClass* cls;
  };
  const Entry expected[] = {
      {"wmf", "メタファイル", &kMetafileClass},
      {"emf", "エンハンス メタファイル", &kMetafileClass},
      {"ico", "アイコン", &kIconClass},
      {"bmp", "ビットマップ", &kBitmapGraphicClass},
      {"jpeg", "JPEG イメージファイル", &kJPEGImageClass},
      {"jpg", "JPEG イメージファイル", &kJPEGImageClass},
  };
  const auto& formats = list.Formats();
  ASSERT_GE(formats.size(), std::size(expected));
  for (size_t i = 0; i < std::size(expected); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(formats[i].extension, expected[i].ext);
    EXPECT_EQ(formats[i].description, expected[i].description);
    EXPECT_EQ(formats[i].graphic_class, expected[i].cls);
    EXPECT_EQ(formats[i].description_resource, 0);
  }
  // The decoders of the format table follow, each once and in the table's
  // order; every extension a folder pass takes is found in the registry.
  std::vector<std::string> rest, taken;
  for (size_t i = std::size(expected); i < formats.size(); ++i) rest.push_back(formats[i].extension);
  for (const TPictureFormat& f : PictureFormats()) {
    EXPECT_NE(list.FindExt(f.ext), nullptr) << f.ext;
    if (f.Register && f.Register != RegisterJPEGFormat) taken.push_back(f.ext);
  }
  EXPECT_EQ(rest, taken);
}

const TGraphicClass kTestBase{"TTestBase", nullptr, nullptr};
const TGraphicClass kTestDerived{"TTestDerived", &kTestBase, nullptr};

TEST_F(Registry, FindsWithoutRegardToCaseAndLaterEntriesWin) {
  for (const char* ext : {"jpg", "JPG", "Jpg", "jpeg", "JPEG"})
    EXPECT_EQ(list.FindExt(ext), &kJPEGImageClass) << ext;
  EXPECT_EQ(list.FindExt("BMP"), &kBitmapGraphicClass);
  for (const char* ext : {"", "jpe", "jpgx", ".jpg", "tif"}) EXPECT_EQ(list.FindExt(ext), nullptr) << ext;

  const size_t before = list.Formats().size();
  list.Add("JPG", "test", &kTestDerived);
  EXPECT_EQ(list.Formats().back().extension, "jpg");  // stored lower-case
  EXPECT_EQ(list.FindExt("jpg"), &kTestDerived);
  EXPECT_EQ(list.FindExt("jpeg"), &kJPEGImageClass);
  list.Remove(&kTestBase);  // takes the derived class's entries too
  EXPECT_EQ(list.Formats().size(), before);
  EXPECT_EQ(list.FindExt("jpg"), &kJPEGImageClass);
}

TEST(GraphicExtension, IsTheTextAfterTheLastDotOfTheName) {
  const std::pair<const char*, const char*> cases[] = {
      {"photo.jpg", "jpg"}, {"/a/b/PHOTO.JPG", "JPG"}, {"photo", ""},       {"/x/pictures.old/photo", ""},
      {"a.tar.gz", "gz"},   {"/x/.hidden", "hidden"},  {"dir.d/name.", ""}, {"/x.y/z.bmp", "bmp"},
  };
  for (const auto& [path, ext] : cases) EXPECT_EQ(GraphicExtension(path), ext) << path;
}

// A container with a bitmap loaded, counting its change reports.
class Container : public Registry {
 protected:
  void SetUp() override {
    Registry::SetUp();
    test::BmpFields opts;
    opts.width = 2;
    opts.height = 1;
    opts.pixels = {0, 0, 255, 255, 0, 0, 0, 0};
    test::WriteFile(dir / "first.bmp", test::BuildBmp(opts));
    picture.OnChange = [this] { ++changes; };
    picture.LoadFromFile(dir / "first.bmp");
    first = picture.Graphic();
    changes = 0;
  }

  template <class E>
  void ExpectRefused(const std::string& path, const std::string& message) {
    SCOPED_TRACE(path);
    try {
      picture.LoadFromFile(path);
      ADD_FAILURE() << "loaded";
    } catch (const E& e) {
      EXPECT_EQ(e.what(), message);
    }
    EXPECT_EQ(picture.Graphic(), first);  // the previous picture stays
    EXPECT_EQ(picture.Width(), 2);
    EXPECT_EQ(changes, 0);
  }

  test::TempDir dir;
  TPicture picture;
  TGraphic* first = nullptr;
  int changes = 0;
};

TEST_F(Container, PicksTheJpegAdapterWhateverTheCase) {
  const std::vector<uint8_t> jpeg = test::EncodeJpeg(test::MakeTestImage(9, 5), {});
  for (const char* name : {"PHOTO.JPG", "photo.Jpg", "photo.jpg", "photo.jpeg"}) {
    SCOPED_TRACE(name);
    test::WriteFile(dir / name, jpeg);
    changes = 0;
    picture.LoadFromFile(dir / name);
    ASSERT_EQ(picture.Graphic()->ClassType(), &kJPEGImageClass);
    EXPECT_EQ(picture.Width(), 9);
    EXPECT_EQ(changes, 1);
  }
}

TEST_F(Container, RefusesUnknownExtensionsWithTheirSpelling) {
  test::WriteFile(dir / "photo.jpe", "x");
  test::WriteFile(dir / "photo", "x");
  ::mkdir((dir / "pictures.old").c_str(), 0700);
  test::WriteFile(dir / "pictures.old/photo", "x");
  ExpectRefused<EInvalidGraphic>(dir / "photo.jpe", "拡張子 .jpe の画像形式は処理できません");
  ExpectRefused<EInvalidGraphic>(dir / "PHOTO.JPE", "拡張子 .JPE の画像形式は処理できません");
  ExpectRefused<EInvalidGraphic>(dir / "photo", "拡張子 . の画像形式は処理できません");
  ExpectRefused<EInvalidGraphic>(dir / "pictures.old/photo", "拡張子 . の画像形式は処理できません");
}

TEST_F(Container, RefusesFilesThatCannotBeOpened) {
  ::mkdir((dir / "folder.jpg").c_str(), 0700);
  ExpectRefused<EFOpenError>(dir / "missing.jpg", "ファイル " + (dir / "missing.jpg") + " は開けません");
  ExpectRefused<EFOpenError>(dir / "folder.jpg", "ファイル " + (dir / "folder.jpg") + " は開けません");
}

TEST_F(Container, KeepsItsPictureWhenTheDecoderRefusesTheData) {
  const std::string png = "\x89PNG\r\n\x1a\n\0\0\0\rIHDR";
  test::WriteFile(dir / "really_png.jpg", png);
  ExpectRefused<EJPEG>(dir / "really_png.jpg", "JPEG エラー #53");
  test::WriteFile(dir / "bad.bmp", "MB and more bytes than a header");
  ExpectRefused<EInvalidGraphic>(dir / "bad.bmp", "ビットマップイメージが不正です");
  test::WriteFile(dir / "short.bmp", "BM");
  ExpectRefused<EReadError>(dir / "short.bmp", "ストリームからの読み込みエラー");
  for (const char* name : {"a.ico", "a.wmf", "a.emf"}) {
    test::WriteFile(dir / name, "\0\0\1\0");
    SCOPED_TRACE(name);
    EXPECT_THROW(picture.LoadFromFile(dir / name), EInvalidGraphic);
    EXPECT_EQ(picture.Graphic(), first);
  }
}

TEST_F(Container, PassesOnChangesAndProgressOfItsGraphic) {
  test::WriteFile(dir / "p.jpg", test::EncodeJpeg(test::MakeTestImage(9, 5), {}));
  int progress = 0;
  picture.OnProgress = [&](void*, TProgressStage, int, bool, const TRect&, const std::string&) {
    ++progress;
  };
  picture.LoadFromFile(dir / "p.jpg");
  EXPECT_EQ(changes, 1);
  auto* jpeg = dynamic_cast<TJPEGImage*>(picture.Graphic());
  ASSERT_NE(jpeg, nullptr);
  jpeg->SetScale(jsHalf);
  EXPECT_EQ(changes, 2);
  TBitmap bmp;
  jpeg->AssignTo(bmp);
  EXPECT_GT(progress, 0);
  EXPECT_EQ(bmp.Width(), 5);
}

TEST_F(Container, LoadsBitmapsWithTheirPalette) {
  test::BmpFields opts;
  opts.bits = 8;
  opts.width = 1;
  opts.table = {0x000000, 0x336699};
  opts.colors_used = 2;
  opts.pixels = {1, 0, 0, 0};
  test::WriteFile(dir / "pal.BMP", test::BuildBmp(opts));
  picture.LoadFromFile(dir / "pal.BMP");
  ASSERT_EQ(picture.Graphic()->ClassType(), &kBitmapGraphicClass);
  EXPECT_TRUE(picture.Graphic()->PaletteModified());
  TBitmap bmp;
  picture.Graphic()->AssignTo(bmp);
  EXPECT_EQ(bmp.GetPixel(0, 0), RGB(0x33, 0x66, 0x99));
}

}  // namespace
}  // namespace orv
