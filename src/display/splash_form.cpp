#include "display/splash_form.h"

#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>

#include "platform/gui/gui_canvas.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/screen.h"
#include "platform/gui/window_stack.h"

namespace orv {

namespace {
constexpr int kClientWidth = 168;
constexpr int kClientHeight = 54;
// Long enough for an X server to map and expose a window; short enough that
// a slow display never holds up the start.
constexpr int kExposeWaitMs = 250;
// Often enough that a long walk looks alive, seldom enough to cost nothing.
constexpr int kAnswerEveryMs = 100;
}  // namespace

TfrmSplash::TfrmSplash(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  QFont font(QString::fromUtf8(kDefaultFontName));
  font.setPixelSize(12);
  setFont(font);
  setFixedSize(kClientWidth, kClientHeight);
  // Centred on the primary monitor, wherever it is on the desktop.
  const TRect screen = Screen().MonitorGeometry(0);
  move(screen.Left + (screen.Width() - kClientWidth) / 2, screen.Top + (screen.Height() - kClientHeight) / 2);

  Panel1 = new QFrame(this);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
  Panel1->setLineWidth(4);
  Panel1->setGeometry(0, 0, kClientWidth, kClientHeight);
  Panel1->setAutoFillBackground(true);

  lblCaption = new QLabel(tr("Reading"), Panel1);
  lblCaption->move(8, 8);
  lblCaption->resize(kClientWidth - 16, 14);

  ProgressBar = new QProgressBar(Panel1);
  ProgressBar->setGeometry(8, 24, 150, 17);
  ProgressBar->setRange(0, 100);
  ProgressBar->setTextVisible(false);
}

void TfrmSplash::ShowExposed() {
  show();
  WaitUntilExposed(Win(this), kExposeWaitMs);
  sinceAnswer_.start();
}

void TfrmSplash::SetCaption(const std::string& text) { lblCaption->setText(QString::fromStdString(text)); }

void TfrmSplash::SetProgress(int position) { ProgressBar->setValue(position); }

void TfrmSplash::Repaint() {
  repaint();
  FlushWindowSystem();
}

void TfrmSplash::StillSearching(size_t count) {
  if (sinceAnswer_.isValid() && sinceAnswer_.elapsed() < kAnswerEveryMs) return;
  sinceAnswer_.start();
  SetCaption(SearchingText(count));
  Repaint();
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

std::vector<std::string> SearchPicturesWithSplash(const std::string& folder, bool subFolders, bool splash) {
  if (!splash) {
    TSilentProgress silent;
    return SearchPictures(folder, silent, subFolders);
  }
  auto* frmSplash = new TfrmSplash;
  frmSplash->lblCaption->setText(QString());
  frmSplash->ProgressBar->setValue(0);
  frmSplash->ShowExposed();
  std::vector<std::string> found = SearchPictures(folder, *frmSplash, subFolders);
  frmSplash->close();
  frmSplash->deleteLater();
  return found;
}

}  // namespace orv
