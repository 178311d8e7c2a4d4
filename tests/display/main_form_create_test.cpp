// Creating the display form: settings, background, picture list, splash.
#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <chrono>
#include <filesystem>
#include <thread>

#include "display/image_control.h"
#include "display/monitor_forms.h"
#include "display/splash_form.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/window_stack.h"
#include "display_fixture.h"

namespace orv::test {
namespace {

using CreateTest = DisplayTest;

TEST_F(CreateTest, ReadsSettingsAndStartsOnASnapshot) {
  WriteSettings("ChangeSec=7\nExtend=0\n[Filename]\nPutFilename=1\nPutFullPath=1\nPutExtention=0\n"
                "[Settings]\nDrawMode=1\n");
  auto form = Create();
  EXPECT_EQ(form->illustFolder, pics);
  EXPECT_EQ(form->changeSec, 7);
  EXPECT_FALSE(form->extend);
  EXPECT_TRUE(form->putFilename);
  EXPECT_TRUE(form->putFullPath);
  EXPECT_FALSE(form->putExtention);
  EXPECT_EQ(form->drawMode, 1);
  EXPECT_EQ(screen.snapshots, 1);
  ASSERT_EQ(form->bmpBackground.Width(), 1920);
  ASSERT_EQ(form->bmpBackground.Height(), 1080);
  EXPECT_EQ(form->bmpBackground.GetPixel(0, 0), screen.colour);
  EXPECT_EQ(form->bmpBackground.GetPixel(1919, 1079), screen.colour);
  EXPECT_TRUE(SameBitmap(form->bmpCompose, form->bmpBackground));
  EXPECT_TRUE(SameBitmap(form->bmpDisplay, form->bmpBackground));
  EXPECT_EQ(form->nextIndex, 0);
  EXPECT_EQ(form->secondCounter, 0);
  EXPECT_TRUE(form->lastFileName.empty());
  EXPECT_FALSE(form->inTimer);
}

TEST_F(CreateTest, ColourBackgroundTakesNoSnapshot) {
  WriteSettings("[BGColor]\nEnable=1\nColor=255\n");  // 0x0000FF: red
  screen.size = {800, 600};
  auto form = Create();
  EXPECT_EQ(screen.snapshots, 0);
  ASSERT_EQ(form->bmpBackground.Width(), 800);
  EXPECT_EQ(CountColour(form->bmpBackground, 0x0000FF, Rect(0, 0, 800, 600)), 800 * 600);
}

TEST_F(CreateTest, DefaultsWithoutASettingsFile) {
  std::filesystem::remove(dir / "orvanne.ini");
  auto form = Create();
  EXPECT_EQ(form->illustFolder, dir.path());
  EXPECT_EQ(form->changeSec, 10);
  EXPECT_TRUE(form->extend);
  EXPECT_FALSE(form->putFilename);
  EXPECT_TRUE(form->putExtention);
  EXPECT_EQ(form->drawMode, 0);
}

TEST_F(CreateTest, ShufflesTheListWithTheInjectedGenerator) {
  Picture("x.bmp", "");
  Picture("y.jpg", "");
  Picture("z.png", "");
  random.script = {2, 2, 0};  // x y z -> z y x -> z x y -> y x z
  auto form = Create();
  EXPECT_EQ(form->pictures,
            (std::vector<std::string>{pics + "/y.jpg", pics + "/x.bmp", pics + "/z.png"}));
  EXPECT_EQ(random.ranges, (std::vector<int>{3, 3, 3}));
}

TEST_F(CreateTest, SplashIsClosedOnceTheListIsBuilt) {
  Picture("a.gif", "");
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);  // earlier tests' splashes
  auto form = Create();
  int splashes = 0;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* splash = qobject_cast<TfrmSplash*>(w)) {
      ++splashes;
      EXPECT_FALSE(splash->isVisible());
      EXPECT_EQ(splash->lblCaption->text().toStdString(), "Searching : 1");
      EXPECT_EQ(splash->ProgressBar->value(), 100);
    }
  EXPECT_EQ(splashes, 1);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  for (QWidget* w : QApplication::topLevelWidgets()) EXPECT_EQ(qobject_cast<TfrmSplash*>(w), nullptr);
}

TEST_F(CreateTest, MissingFolderGivesAnEmptyList) {
  WriteSettings("");
  std::filesystem::remove_all(pics);
  auto form = Create();
  EXPECT_TRUE(form->pictures.empty());
}

// Two side-by-side monitors of the fake screen's size, the second right of
// the primary (step 1) or left of it (step -1).
class TwoMonitors : public FakeScreen {
 public:
  int step = 1;
  int Monitors() override { return 2; }
  TRect MonitorGeometry(int i) override {
    return Rect(i * step * size.Width, 0, (i * step + 1) * size.Width, size.Height);
  }
};

TEST_F(CreateTest, HidingTheTaskbarButtonReachesTheFormOfEveryMonitor) {
  TwoMonitors two;
  SetScreenForTesting(&two);
  auto form = Create();
  const Qt::WindowFlags own = form->windowFlags();
  EXPECT_NE(own & Qt::WindowType_Mask, Qt::Tool);  // the routine does it, not the form
  HideTaskbarButton(Win(form.get()));
  CoverOtherMonitors(*form);
  std::vector<QWidget*> forms;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (qobject_cast<TfrmMain*>(w)) forms.push_back(w);
  ASSERT_EQ(forms.size(), 2u);
  for (QWidget* w : forms) {
    EXPECT_EQ(w->windowFlags() & Qt::WindowType_Mask, Qt::Tool);
    EXPECT_EQ(w->windowFlags() & ~Qt::WindowType_Mask, own & ~Qt::WindowType_Mask);  // frameless, on top
  }
  form.reset();
  SetScreenForTesting(&screen);
}

// A monitor left of the primary starts at a negative x on the desktop
// (Windows, Wayland). Its form covers it with a frame of its own size, and
// the caption lands in that frame's lower left corner, not off it.
TEST_F(CreateTest, ACaptionOnAMonitorLeftOfThePrimaryLandsOnIt) {
  TwoMonitors left;
  left.step = -1;
  SetScreenForTesting(&left);
  WriteSettings("[Filename]\nPutFilename=1\n");
  const std::string picture = Picture("left.tst", TstText({400, 300, 0x0000FF}));
  auto form = Create();
  form->pictures = {picture};
  CoverOtherMonitors(*form);
  TfrmMain* other = nullptr;
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* f = qobject_cast<TfrmMain*>(w); f && f != form.get()) other = f;
  ASSERT_NE(other, nullptr);
  EXPECT_EQ(other->geometry(), QRect(-1920, 0, 1920, 1080));
  // Its picture comes from the worker: ticks until it shows.
  for (int i = 0; i < 200 && !other->lastChange.changed; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    clock.now += 100;
    other->tmrMainTimer();
  }
  ASSERT_TRUE(other->lastChange.changed);
  const TBitmap& shown = other->imgMain->Picture();
  ASSERT_EQ(shown.Width(), 1920);
  ASSERT_EQ(shown.Height(), 1080);
  EXPECT_GT(CountColour(shown, 0xFFFFFF, Rect(16, 1080 - 60, 300, 1080)), 50);
  EXPECT_EQ(CountColour(shown, 0xFFFFFF, Rect(300, 0, 1920, 1080)), 0);
  form.reset();
  SetScreenForTesting(&screen);
}

}  // namespace
}  // namespace orv::test
