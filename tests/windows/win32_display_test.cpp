// The Windows face's own pieces: GDI text on the slideshow's bitmaps, and the
// host's command line.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/win32/host_args.h"
#include "platform/bitmap.h"
#include "platform/canvas.h"
#include "platform/ts_texts.h"
#include "platform/win32/gdi_text_canvas.h"

namespace orv::win32 {
namespace {

constexpr TColor kBlue = 0xFF0000;
constexpr TColor kYellow = 0x00FFFF;

TBitmap Filled(int w, int h, TColor colour) {
  TBitmap b(w, h, pf32bit);
  TCanvas c(b);
  c.BrushColor = colour;
  c.FillRect(Rect(0, 0, w, h));
  return b;
}

TColor At(const TBitmap& b, int x, int y) {
  return Pixel32ToColor(reinterpret_cast<const uint32_t*>(b.ScanLine(y))[x]);
}

// The box around the pixels that differ from colour; empty when none do.
TRect Changed(const TBitmap& b, TColor colour) {
  TRect r{b.Width(), b.Height(), 0, 0};
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (At(b, x, y) != colour) {
        r.Left = std::min(r.Left, x), r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1), r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r;
}

TEST(GdiTextCanvas, DrawsTheTextInItsColourFromTheTopLeftCornerOnAClearBackground) {
  TBitmap b = Filled(300, 80, kBlue);
  TGdiTextCanvas canvas(b);
  canvas.SetTextFont(12, true);
  canvas.SetClearBrush(true);
  canvas.SetTextColor(kYellow);  // red and green: swapped channels would give cyan
  const int w = canvas.TextWidth("Orvanne HWND");
  ASSERT_GT(w, 40);
  canvas.TextOut(20, 30, "Orvanne HWND");
  const TRect ink = Changed(b, kBlue);
  ASSERT_LT(ink.Left, ink.Right) << "nothing drawn";
  // Within the text's cell (an antialiased pixel of slack), starting near its corner.
  EXPECT_GE(ink.Left, 19);
  EXPECT_LE(ink.Right, 20 + w + 1);
  EXPECT_GE(ink.Top, 30);
  EXPECT_LE(ink.Bottom, 30 + FontPixels(12, 1.0) + 6);
  EXPECT_LE(ink.Left, 22);
  int yellow = 0, blue = 0;
  for (int y = ink.Top; y < ink.Bottom; ++y)
    for (int x = ink.Left; x < ink.Right; ++x) {
      yellow += At(b, x, y) == kYellow;
      blue += At(b, x, y) == kBlue;
    }
  EXPECT_GT(yellow, 30) << "the glyphs' cores are in the text's colour";
  EXPECT_GT(blue, yellow) << "a clear brush leaves the background between the glyphs";
}

TEST(GdiTextCanvas, SizesScalesAndEdgesAsTheSlideshowNeeds) {
  TBitmap b = Filled(120, 40, kBlue);
  TGdiTextCanvas canvas(b);
  canvas.SetTextFont(12, true);
  const int normal = canvas.TextWidth("Screen saver");
  canvas.SetTextFont(24, true);
  EXPECT_GT(canvas.TextWidth("Screen saver"), normal * 3 / 2);
  canvas.SetTextFont(12, true);
  canvas.SetScale(2.0);
  const int doubled = canvas.TextWidth("Screen saver");
  EXPECT_GT(doubled, normal * 17 / 10);
  EXPECT_LT(doubled, normal * 23 / 10);
  EXPECT_EQ(canvas.TextWidth(""), 0);
  // Text running over every edge is clipped, not written past the rows.
  canvas.SetTextColor(clWhite);
  canvas.SetClearBrush(true);
  for (auto [x, y] : {std::pair{100, 30}, {-50, -10}, {-500, 5}, {500, 500}}) canvas.TextOut(x, y, "Screen saver");
  EXPECT_NE(Changed(b, kBlue).Right, 0);

}

TEST(HostArgs, APreviewHandleAfterAColonIsTheSecondArgument) {
  struct Case {
    std::vector<std::string> args, split;
  } cases[] = {
      {{"/p:1234"}, {"/p", "1234"}},
      {{"-P:-77", "x"}, {"-P", "-77", "x"}},
      {{" /p:99 "}, {"/p", "99"}},
      {{"/p", "55"}, {"/p", "55"}},
      {{"/p:"}, {"/p:"}},
      {{"/c:4711"}, {"/c:4711"}},
      {{"/px:1"}, {"/px:1"}},
      {{}, {}},
  };
  for (const Case& c : cases) EXPECT_EQ(SplitHostArgs(c.args), c.split) << (c.args.empty() ? "" : c.args[0]);
  // What the modes make of them.
  EXPECT_EQ(ParseRunMode(SplitHostArgs({"/p:1234"})[0]), TRunMode::kPreview);
  EXPECT_EQ(PreviewHandle(SplitHostArgs({"/p:1234"})), 1234);
  EXPECT_EQ(ParseRunMode(SplitHostArgs({"/c:4711"})[0]), TRunMode::kConfig);
  EXPECT_EQ(ParseRunMode(SplitHostArgs({"/p:"})[0]), TRunMode::kNone);
}

}  // namespace
}  // namespace orv::win32

namespace orv {
namespace {

// Every text the Windows face shows has its English in the built-in
// translations, under the context the face looks it up in.
TEST(Win32FaceTexts, HaveTheirEnglish) {
  const struct {
    const char* context;
    const char* source;
  } texts[] = {
      {"orv::TfrmMain", "スクリーンセーバー"},
      {"orv::TfrmMain", "【スクリーンセーバーエラー】"},
      {"orv::TfrmMain", "指定されたフォルダに有効な画像ファイルが見つかりません。"},
      {"orv::TfrmMain", "(指定フォルダ：%1)"},
      {"Orvanne", "ウィンドハンドルが指定されていません"},
      {"Orvanne", "スクリーンセーバー"},
      {"Orvanne", "不明なエラー"},
  };
  for (const auto& t : texts) {
    const std::string* english = EnglishTexts().Find(t.context, t.source);
    ASSERT_NE(english, nullptr) << t.context << " / " << t.source;
    EXPECT_TRUE(std::all_of(english->begin(), english->end(), [](char c) { return (unsigned char)c < 0x80; }))
        << *english;  // English, not the source again
  }
}

}  // namespace
}  // namespace orv
