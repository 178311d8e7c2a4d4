// The display form: creation (settings, background, picture list), showing,
// resizing, input and destruction. The timer's tick is in main_form_tick.cpp.
#include "display/main_form.h"

#include <QCursor>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QShowEvent>
#include <QTimer>

#include "config/settings.h"
#include "display/image_control.h"
#include "display/picture_list.h"
#include "display/splash_form.h"
#include "platform/gui/screen.h"
#include "platform/gui/window_stack.h"

namespace orv {

namespace {
constexpr int kDesignWidth = 301;
constexpr int kDesignHeight = 282;
constexpr int kTimerIntervalMs = 100;
}  // namespace

TfrmMain::TfrmMain(QWidget* parent, TDisplayServices services)
    : QWidget(parent), services_(std::move(services)), composeCanvas_(bmpCompose), displayCanvas_(bmpDisplay) {
  setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
  setWindowTitle(QString::fromUtf8("スクリーンセーバー"));
  QFont font(QString::fromUtf8(kDefaultFontName));
  font.setPixelSize(12);
  setFont(font);
  resize(kDesignWidth, kDesignHeight);
  // Without tracking, moves without a pressed button would never arrive.
  setMouseTracking(true);
  setFocusPolicy(Qt::StrongFocus);

  imgMain = new TImage(this);
  imgMain->setGeometry(0, 0, kDesignWidth, kDesignHeight);
  imgMain->OnMouseDown = [this](int x, int y) { imgMainMouseDown(x, y); };
  imgMain->OnMouseUp = [this](int x, int y) { imgMainMouseUp(x, y); };
  imgMain->OnMouseMove = [this](int x, int y) { imgMainMouseMove(x, y); };
  imgMainCanvas_ = std::make_unique<TGuiCanvas>(imgMain->Picture());

  tmrMain = new QTimer(this);
  tmrMain->setInterval(kTimerIntervalMs);
  connect(tmrMain, &QTimer::timeout, this, [this] { tmrMainTimer(); });

  if (!services_.clock) {
    own_clock_ = std::make_unique<SystemClock>();
    services_.clock = own_clock_.get();
  }
  if (!services_.random) {
    own_random_ = std::make_unique<TTimeSeededRandom>();
    services_.random = own_random_.get();
  }
  if (!services_.cursorPos) services_.cursorPos = [] { return QCursor::pos(); };

  FormCreate();
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::FormCreate() {
  inTimer = false;
  lastFileName.clear();

  TSettings s = ReadSettings(SettingsFilePath(), DefaultFolder());
  if (services_.adjustSettings) services_.adjustSettings(s);
  illustFolder = s.folder;
  changeSec = s.changeSec;
  extend = s.extend;
  putFilename = s.putFilename;
  putFullPath = s.putFullPath;
  putExtention = s.putExtention;
  bgColorEnable = s.bgColorEnable;
  bgColor = s.bgColor;
  drawMode = s.drawMode;

  // The snapshot is taken before any window of ours shows, the splash included.
  const TSize size = Screen().Size();
  if (bgColorEnable) {
    bmpBackground.Allocate(size.Width, size.Height, pf32bit, false);
    TCanvas canvas(bmpBackground);
    canvas.BrushColor = bgColor;
    canvas.FillRect(Rect(0, 0, size.Width, size.Height));
  } else {
    Screen().Snapshot(bmpBackground);
    if (bmpBackground.PixelFormat() != pf32bit) bmpBackground.SetPixelFormat(pf32bit);
    bmpBackground.SetSize(size.Width, size.Height);
  }
  bmpCompose = bmpBackground;
  bmpDisplay = bmpBackground;
  ++composeVersion_;

  pictures.clear();
  nextIndex = 0;
  secondCounter = 0;

  if (!services_.splash) {
    struct Silent : ISearchProgress {
      void SetCaption(const std::string&) override {}
      void SetProgress(int) override {}
      void Repaint() override {}
    } silent;
    pictures = SearchPictures(illustFolder, silent);
    ShufflePictures(pictures, *services_.random);
    return;
  }
  auto* frmSplash = new TfrmSplash;
  frmSplash->lblCaption->setText(QString());
  frmSplash->ProgressBar->setValue(0);
  frmSplash->ShowExposed();
  pictures = SearchPictures(illustFolder, *frmSplash);
  ShufflePictures(pictures, *services_.random);
  frmSplash->close();
  frmSplash->deleteLater();
}

void TfrmMain::ShowFullScreen() {
  TSize size = Screen().Size();
  setGeometry(0, 0, size.Width, size.Height);
  showFullScreen();
}

void TfrmMain::ShowInHost() { show(); }

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmMain::FormShow() {
  if (isHosted) {
    // The host's window is ours to draw in, nothing more.
    imgMain->Picture() = bmpBackground;
    presentedVersion_ = -1;
    imgMain->update();
  } else if (!isPreview) {
    SetScreenSaverRunning(true);
    const TSize size = Screen().Size();
    setGeometry(0, 0, size.Width, size.Height);
    if (!(windowState() & Qt::WindowFullScreen)) setWindowState(windowState() | Qt::WindowFullScreen);
    imgMain->Picture() = bmpBackground;
    presentedVersion_ = -1;
    imgMain->update();
    const QCursor* cursor = QGuiApplication::overrideCursor();
    if (!cursor || cursor->shape() != Qt::BlankCursor) QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    activateWindow();
    setFocus();
  }
  // In preview mode the embedding has already sized the form to the host's window.
  startCursorPos = services_.cursorPos();
  secondStart = services_.clock->Now();
  secondCounter = 0;
  tmrMain->start();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TfrmMain::FormResize() {
  imgMain->setGeometry(0, 0, width(), height());
  imgMain->Picture().SetSize(imgMain->width(), imgMain->height());
  if (isPreview) {
    const TSize size = Screen().Size();
    bmpDisplay.SetSize(size.Width, size.Height);
  } else {
    bmpDisplay.SetSize(imgMain->width(), imgMain->height());
  }
  presentedVersion_ = -1;
}

bool TfrmMain::event(QEvent* event) {
  // Every key ends the show, also those Qt would otherwise use for focus moves.
  if (event->type() == QEvent::KeyPress) {
    FormKeyDown();
    return true;
  }
  return QWidget::event(event);
}

void TfrmMain::FormKeyDown() {
  if (EndsOnInput()) close();
}

void TfrmMain::imgMainMouseDown(int, int) {
  if (EndsOnInput()) close();
}

void TfrmMain::imgMainMouseUp(int, int) {
  if (EndsOnInput()) close();
}

void TfrmMain::imgMainMouseMove(int x, int y) {
  // The move the system reports when the window appears under a resting
  // cursor is at the starting position itself and does not count.
  if (EndsOnInput() && (x != startCursorPos.x() || y != startCursorPos.y())) close();
}

void TfrmMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  tmrMain->stop();
  pictures.clear();
  pictures.shrink_to_fit();
  bmpDisplay.Clear();
  bmpBackground.Clear();
  bmpCompose.Clear();
  if (!isPreview && !isHosted) {
    ReleaseInput(this, imgMain);
    SetScreenSaverRunning(false);
  }
}

}  // namespace orv
