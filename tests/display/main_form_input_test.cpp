// Input ends the full-screen slideshow and nothing else; destruction clears
// the running mark.
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "display/image_control.h"
#include "display_fixture.h"

namespace orv::test {
namespace {

class CloseCounter : public QObject {
 public:
  int closes = 0;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Close) ++closes;
    return false;
  }
};

enum class Input { kShift, kCtrl, kSpace, kTab, kEscape, kPress, kRelease, kMoveRight, kMoveUp, kMoveToStart, kWheel };

void Send(TfrmMain& form, Input input, QPoint start) {
  auto mouse = [&](QEvent::Type type, QPoint p, Qt::MouseButton button) {
    QMouseEvent e(type, QPointF(p), QPointF(p), button, type == QEvent::MouseButtonPress ? button : Qt::NoButton,
                  Qt::NoModifier);
    QApplication::sendEvent(form.imgMain, &e);
  };
  auto key = [&](Qt::Key k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(&form, &e);
  };
  switch (input) {
    case Input::kShift: key(Qt::Key_Shift); break;
    case Input::kCtrl: key(Qt::Key_Control); break;
    case Input::kSpace: key(Qt::Key_Space); break;
    case Input::kTab: key(Qt::Key_Tab); break;
    case Input::kEscape: key(Qt::Key_Escape); break;
    case Input::kPress: mouse(QEvent::MouseButtonPress, start, Qt::LeftButton); break;
    case Input::kRelease: mouse(QEvent::MouseButtonRelease, start, Qt::RightButton); break;
    case Input::kMoveRight: mouse(QEvent::MouseMove, start + QPoint(1, 0), Qt::NoButton); break;
    case Input::kMoveUp: mouse(QEvent::MouseMove, start + QPoint(0, -1), Qt::NoButton); break;
    case Input::kMoveToStart: mouse(QEvent::MouseMove, start, Qt::NoButton); break;
    case Input::kWheel: {
      QWheelEvent e{QPointF(start), QPointF(start), QPoint(), QPoint(0, 120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false};
      QApplication::sendEvent(form.imgMain, &e);
      break;
    }
  }
}

struct InputCase {
  const char* name;
  Input input;
  bool closesFullScreen;
};

class InputTest : public DisplayTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(InputTest, EndsOnlyTheFullScreenSlideshow) {
  const InputCase& c = GetParam();
  for (bool preview : {false, true}) {
    SCOPED_TRACE(preview ? "preview" : "full screen");
    auto form = Create();
    if (preview) StartPreview(*form, 320, 240);
    else StartFullScreen(*form);
    ASSERT_EQ(form->startCursorPos, (TPoint{cursor.x(), cursor.y()}));
    CloseCounter counter;
    form->installEventFilter(&counter);
    Send(*form, c.input, cursor);
    EXPECT_EQ(counter.closes, (!preview && c.closesFullScreen) ? 1 : 0);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Events, InputTest,
    ::testing::Values(InputCase{"LoneShift", Input::kShift, true}, InputCase{"LoneCtrl", Input::kCtrl, true},
                      InputCase{"Space", Input::kSpace, true}, InputCase{"Tab", Input::kTab, true},
                      InputCase{"Escape", Input::kEscape, true}, InputCase{"ButtonPress", Input::kPress, true},
                      InputCase{"ButtonRelease", Input::kRelease, true},
                      InputCase{"OnePixelRight", Input::kMoveRight, true},
                      InputCase{"OnePixelUp", Input::kMoveUp, true},
                      InputCase{"MoveAtStart", Input::kMoveToStart, false},
                      InputCase{"WheelAlone", Input::kWheel, false}),
    [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

using DestroyTest = DisplayTest;

TEST_F(DestroyTest, FullScreenSetsAndClearsTheRunningMark) {
  std::vector<bool> calls;
  SetScreenSaverRunningListener([&](bool running) { calls.push_back(running); });
  auto form = Create();
  EXPECT_TRUE(calls.empty());
  StartFullScreen(*form);
  EXPECT_TRUE(ScreenSaverRunning());
  form->FormDestroy();
  EXPECT_FALSE(ScreenSaverRunning());
  EXPECT_TRUE(form->pictures.empty());
  EXPECT_TRUE(form->bmpBackground.Empty());
  EXPECT_TRUE(form->bmpCompose.Empty());
  EXPECT_TRUE(form->bmpDisplay.Empty());
  form.reset();  // destroyed once only
  EXPECT_EQ(calls, (std::vector<bool>{true, false}));
}

TEST_F(DestroyTest, PreviewLeavesTheRunningMarkAlone) {
  std::vector<bool> calls;
  SetScreenSaverRunningListener([&](bool running) { calls.push_back(running); });
  auto form = Create();
  StartPreview(*form, 320, 240);
  Run(*form, 2);
  form.reset();
  EXPECT_TRUE(calls.empty());
}

}  // namespace
}  // namespace orv::test
