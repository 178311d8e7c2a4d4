#include <gtest/gtest.h>

#include <QApplication>
#include <QFontInfo>
#include <QTimer>
#include <QWidget>
#include <atomic>
#include <thread>

#include "platform/gui/application.h"
#include "platform/gui/foreign_window.h"
#include "platform/gui/gui_canvas.h"
#include "platform/gui/qt_bitmap.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/screen.h"
#include "platform/main_thread.h"

namespace orv {
namespace {

TEST(QImageView, WrapsTheBitmapsMemoryWhereQtHasTheFormat) {
  for (TPixelFormat pf : {pf1bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit}) {
    TBitmap b(5, 3, pf);
    b.SetPixel(4, 2, RGB(255, 255, 255));
    QImage img = QImageView(b);
    EXPECT_EQ(img.constBits(), b.Bits()) << pf;
    EXPECT_EQ(img.pixel(4, 2), qRgb(255, 255, 255)) << pf;
    EXPECT_EQ(img.pixel(0, 0), qRgb(0, 0, 0)) << pf;
  }
  TBitmap four(3, 1, pf4bit);
  four.SetPixel(2, 0, RGB(255, 255, 255));
  EXPECT_EQ(QImageView(four).pixel(2, 0), qRgb(255, 255, 255));
}

TEST(QImageView, ThirtyTwoBitPixelsGetAnOpaqueFourthByte) {
  TBitmap b(2, 1, pf32bit);
  b.ScanLine(0)[3] = 0;
  QImage img = QImageView(b);
  EXPECT_EQ(b.ScanLine(0)[3], 0xFF);
  EXPECT_EQ(qAlpha(img.pixel(0, 0)), 255);
}

TEST(QImageView, AnAreaViewFixesOnlyThatArea) {
  TBitmap b(4, 4, pf32bit);
  QImage img = QImageView(b, Rect(1, 1, 3, 2));
  EXPECT_EQ(img.constBits(), b.Bits());
  EXPECT_EQ(b.ScanLine(1)[4 + 3], 0xFF);
  EXPECT_EQ(b.ScanLine(1)[8 + 3], 0xFF);
  EXPECT_EQ(b.ScanLine(1)[12 + 3], 0);
  EXPECT_EQ(b.ScanLine(0)[4 + 3], 0);
  EXPECT_EQ(b.ScanLine(2)[4 + 3], 0);
}

TEST(FromQImage, StoresAnImageAsThirtyTwoBits) {
  QImage img(3, 2, QImage::Format_RGB888);
  img.fill(QColor(10, 20, 30));
  TBitmap b;
  FromQImage(img, b);
  EXPECT_EQ(b.PixelFormat(), pf32bit);
  EXPECT_EQ(b.Width(), 3);
  EXPECT_EQ(b.GetPixel(2, 1), RGB(10, 20, 30));
}

TEST(HalftoneStretch, AveragesWhenShrinkingAndCopiesEveryPixel) {
  TBitmap checker(4, 4, pf24bit);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x) checker.SetPixel(x, y, (x + y) % 2 ? clWhite : clBlack);
  checker.SetTransparent(true);  // ignored by the halftone stretch
  checker.SetTransparentColor(clBlack);
  TBitmap dst(3, 3, pf32bit);
  TGuiCanvas cv(dst);
  cv.BrushColor = RGB(0, 0, 255);
  cv.FillRect(Rect(0, 0, 3, 3));
  cv.HalftoneStretchDraw(Rect(1, 1, 2, 2), checker);
  TColor c = dst.GetPixel(1, 1);
  EXPECT_NEAR(GetRValue(c), 128, 3);
  EXPECT_EQ(GetRValue(c), GetBValue(c));
  EXPECT_EQ(dst.GetPixel(0, 0), RGB(0, 0, 255));
  EXPECT_EQ(dst.GetPixel(2, 2), RGB(0, 0, 255));
}

TEST(HalftoneStretch, EnlargesSmoothlyAndClipsToTheSurface) {
  TBitmap two(2, 1, pf8bit);
  TRGBQuad pal[2] = {ColorToQuad(clBlack), ColorToQuad(clWhite)};
  two.SetPalette(pal, 2);
  two.ScanLine(0)[1] = 1;
  TBitmap dst(8, 2, pf24bit);
  HalftoneStretch(dst, Rect(-8, 0, 8, 2), two);  // left half lies off the surface
  EXPECT_GT(GetRValue(dst.GetPixel(7, 1)), 200);
  EXPECT_LT(GetRValue(dst.GetPixel(0, 0)), GetRValue(dst.GetPixel(7, 1)));
  // Smooth: the step from black to white has intermediate values.
  TBitmap wide(8, 1, pf32bit);
  HalftoneStretch(wide, Rect(0, 0, 8, 1), two);
  bool intermediate = false;
  for (int x = 0; x < 8; ++x) {
    int r = GetRValue(wide.GetPixel(x, 0));
    intermediate |= r > 10 && r < 245;
  }
  EXPECT_TRUE(intermediate);
}

// Bounding box of pixels that differ from the background.
QRect Ink(const TBitmap& b, TColor background) {
  QRect r;
  for (int y = 0; y < b.Height(); ++y)
    for (int x = 0; x < b.Width(); ++x)
      if (b.GetPixel(x, y) != background) r |= QRect(x, y, 1, 1);
  return r;
}

TEST(TGuiCanvas, TextIsDrawnAtNinetySixDotsPerInchWithAClearBrush) {
  TBitmap b(200, 60, pf32bit);
  TGuiCanvas cv(b);
  cv.BrushColor = RGB(0, 0, 128);
  cv.FillRect(Rect(0, 0, 200, 60));
  cv.BrushStyle = bsClear;
  cv.Font.Size = 12;
  cv.Font.Bold = true;
  cv.Font.Color = clWhite;
  cv.TextOut(10, 20, "HH");
  QRect ink = Ink(b, RGB(0, 0, 128));
  ASSERT_FALSE(ink.isNull());
  EXPECT_GE(ink.left(), 10);
  EXPECT_GE(ink.top(), 20);
  // A capital of a 16-pixel font is 10 to 13 pixels tall.
  EXPECT_GE(ink.height(), 9);
  EXPECT_LE(ink.height(), 14);
  // Background around the glyphs stays: the brush is clear.
  EXPECT_EQ(b.GetPixel(10, 20), RGB(0, 0, 128));
  EXPECT_EQ(cv.TextWidth("HH"), cv.TextWidth("H") * 2);
  TFont twelve = cv.Font;
  cv.Font.Size = 24;
  EXPECT_GT(cv.TextWidth("HH"), cv.TextWidth("H") + 10);
  cv.Font = twelve;
}

TEST(TGuiCanvas, ASolidBrushPaintsTheTextBox) {
  TBitmap b(100, 40, pf24bit);
  TGuiCanvas cv(b);
  cv.BrushColor = RGB(255, 0, 0);
  cv.Font.Color = clWhite;
  cv.TextOut(5, 5, "x");
  EXPECT_EQ(b.GetPixel(5, 5), RGB(255, 0, 0));
  EXPECT_EQ(b.GetPixel(90, 35), clBlack);
}

TEST(Fonts, TheJapaneseFaceResolvesToARealJapaneseFont) {
  QFont f(QString::fromUtf8(kDefaultFontName));
  QFontInfo info(f);
  EXPECT_TRUE(info.family().contains("IPA")) << info.family().toStdString();
  TBitmap b(300, 40, pf32bit);
  TGuiCanvas cv(b);
  cv.Font.Size = 16;
  cv.Font.Color = clWhite;
  cv.BrushStyle = bsClear;
  cv.TextOut(0, 0, "指定されたフォルダ");
  QRect ink = Ink(b, clBlack);
  EXPECT_GT(ink.width(), 100);  // nine full-width glyphs, not empty boxes of a Latin face
}

TEST(TApplication, ExceptionMessagesGetAFullStop) {
  EXPECT_EQ(ExceptionMessageText("/x/orvanne.ini に書き込めません"), "/x/orvanne.ini に書き込めません.");
  EXPECT_EQ(ExceptionMessageText("Done."), "Done.");
  EXPECT_EQ(ExceptionMessageText("(x)"), "(x)");
  EXPECT_EQ(ExceptionMessageText(""), "");
}

TEST(TApplication, AnErrorInAnEventHandlerReachesTheGeneralHandler) {
  std::vector<MessageBoxRequest> shown;
  SetMessageBoxHook([&](const MessageBoxRequest& r) { shown.push_back(r); });
  QTimer::singleShot(0, [] { throw std::runtime_error("壊れた画像"); });
  QTimer::singleShot(20, [] { QApplication::exit(0); });
  QApplication::exec();
  SetMessageBoxHook(nullptr);
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].text, "壊れた画像.");
  EXPECT_EQ(shown[0].caption, "Orvanne");
  EXPECT_EQ(shown[0].icon, MsgIcon::kError);
}

TEST(QtMainThread, WorkerStepsRunFromTheEventLoop) {
  std::atomic<bool> ran_on_main{false};
  const auto main_id = std::this_thread::get_id();
  std::thread worker([&] {
    DefaultMainThread().Synchronize([&] { ran_on_main = std::this_thread::get_id() == main_id; });
    QMetaObject::invokeMethod(qApp, [] { QApplication::exit(0); }, Qt::QueuedConnection);
  });
  QApplication::exec();
  worker.join();
  EXPECT_TRUE(ran_on_main);
}

TEST(Screen, TheOffscreenPlatformGivesABlackSnapshotOfScreenSize) {
  TBitmap b;
  Screen().Snapshot(b);
  TSize size = Screen().Size();
  EXPECT_EQ(b.Width(), size.Width);
  EXPECT_EQ(b.Height(), size.Height);
  EXPECT_EQ(b.GetPixel(size.Width / 2, size.Height / 2), clBlack);
}

TEST(Screen, TheRunningMarkTellsItsListener) {
  std::vector<bool> calls;
  SetScreenSaverRunningListener([&](bool on) { calls.push_back(on); });
  SetScreenSaverRunning(true);
  EXPECT_TRUE(ScreenSaverRunning());
  SetScreenSaverRunning(false);
  SetScreenSaverRunningListener(nullptr);
  EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

TEST(ForeignWindow, WithoutAnX11DisplayNoIdNamesAWindow) {
  EXPECT_FALSE(ForeignWindowExists(0));
  EXPECT_FALSE(ForeignWindowExists(655360));
  QWidget w;
  EXPECT_FALSE(EmbedInForeignWindow(Win(&w), 655360));
}

}  // namespace
}  // namespace orv
