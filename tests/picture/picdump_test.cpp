// The picdump tool: good pictures become PAM files of their colours; any
// failure prints the error's message and exits with 1.
#include <gtest/gtest.h>

// libjpeg's headers need <cstdio> before them and jpeglib.h before jerror.h.
#include <cstdio>

#include <jpeglib.h>

#include <jerror.h>

#include "picture/picture_test_util.h"
#include "platform/paths.h"
#include "support/test_support.h"

namespace orv {
namespace {

const char kPicdump[] = ORV_PICDUMP;

std::vector<uint8_t> Bmp24(int w, int h, size_t keep = SIZE_MAX) {
  test::BmpFields s;
  s.width = w;
  s.height = h;
  const test::RgbImage img = test::MakeTestImage(w, h);
  std::vector<std::vector<uint32_t>> rows(static_cast<size_t>(h));
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const uint8_t* p = &img.rgb[(size_t(y) * size_t(w) + size_t(x)) * 3];
      rows[size_t(y)].push_back(uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2]);
    }
  s.pixels = test::PackRows(rows, 24, true);
  std::vector<uint8_t> bytes = test::BuildBmp(s);
  bytes.resize(std::min(keep, bytes.size()));
  return bytes;
}

struct Case {
  const char* name;
  std::string file;
  std::vector<uint8_t> content;
  int status;
  std::string err;  // "%s" stands for the file's path
};

TEST(Picdump, FailuresPrintTheErrorAndExitWithOne) {
  test::TempDir dir;
  const std::string text = "not a picture at all";
  const std::vector<uint8_t> garbage(text.begin(), text.end());
  const std::vector<Case> cases = {
      {"empty JPEG", "empty.jpg", {}, 1, "JPEG エラー #" + std::to_string(JERR_INPUT_EMPTY) + "\n"},
      {"garbage JPEG", "garbage.jpg", garbage, 1, "JPEG エラー #" + std::to_string(JERR_NO_SOI) + "\n"},
      {"garbage bitmap", "garbage.bmp", garbage, 1, "ビットマップイメージが不正です\n"},
      {"bitmap cut in its header", "cut.bmp", Bmp24(4, 4, 40), 1, "ストリームからの読み込みエラー\n"},
      {"unknown extension", "garbage.xyz", garbage, 1, "拡張子 .xyz の画像形式は処理できません\n"},
      {"empty bitmap", "empty.bmp", {}, 1, "%s: 画像が空です\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir / c.file;
    test::WriteFile(path, c.content);
    const test::ToolResult r = test::RunTool({kPicdump, path, dir / "out.pam"});
    EXPECT_EQ(r.status, c.status);
    std::string expected = c.err;
    if (auto at = expected.find("%s"); at != std::string::npos) expected.replace(at, 2, path);
    EXPECT_EQ(r.err, expected);
    EXPECT_FALSE(FileExists(dir / "out.pam"));
  }
  const test::ToolResult missing = test::RunTool({kPicdump, dir / "missing.jpg", dir / "out.pam"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "ファイル " + (dir / "missing.jpg") + " は開けません\n");
  EXPECT_EQ(test::RunTool({kPicdump, dir / "missing.jpg"}).status, 2);
}

TEST(Picdump, WritesTheConvertedPictureAsPam) {
  test::TempDir dir;
  // A bitmap, whole and cut inside its pixel data (the missing rows are black).
  test::WriteFile(dir / "a.bmp", Bmp24(13, 7));
  test::ToolResult r = test::RunTool({kPicdump, dir / "a.bmp", dir / "a.pam"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::ReadPnm(dir / "a.pam"), test::MakeTestImage(13, 7));
  test::WriteFile(dir / "cut.bmp", Bmp24(13, 7, 54 + 40 * 3));
  r = test::RunTool({kPicdump, dir / "cut.bmp", dir / "cut.pam"});
  ASSERT_EQ(r.status, 0) << r.err;
  test::RgbImage expected = test::MakeTestImage(13, 7);
  std::fill(expected.rgb.begin(), expected.rgb.begin() + 4 * 13 * 3, 0);  // 3 of 7 rows were stored
  EXPECT_EQ(test::ReadPnm(dir / "cut.pam"), expected);

  // JPEG files, whole and truncated, as libjpeg's djpeg decodes them.
  std::vector<uint8_t> jpeg = test::EncodeJpeg(test::MakeTestImage(40, 24), {});
  for (size_t keep : {jpeg.size(), jpeg.size() * 2 / 3}) {
    SCOPED_TRACE(keep);
    test::WriteFile(dir / "p.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.begin() + std::ptrdiff_t(keep)));
    r = test::RunTool({kPicdump, dir / "p.jpg", dir / "p.pam"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const test::ToolResult ref =
        test::RunTool({"/usr/bin/djpeg", "-dct", "float", "-outfile", dir / "p.ppm", dir / "p.jpg"});
    ASSERT_NE(ref.status, 1) << ref.err;
    EXPECT_EQ(test::ReadPnm(dir / "p.pam"), test::ReadPnm(dir / "p.ppm"));
  }
}

}  // namespace
}  // namespace orv
