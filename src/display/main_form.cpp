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
}  // namespace

TfrmMain::TfrmMain(QWidget* parent, TDisplayServices services)
    : QWidget(parent), services_(std::move(services)), composeCanvas_(bmpCompose), displayCanvas_(bmpDisplay) {
  Setup();
  FormCreate();
}

TfrmMain::TfrmMain(const TfrmMain& first, int monitor)
    : QWidget(nullptr), composeCanvas_(bmpCompose), displayCanvas_(bmpDisplay), monitor_(monitor), extra_(true) {
  // The first form's own clock and generator go with it; borrowed ones stay.
  if (!first.own_clock_) services_.clock = first.services_.clock;
  if (!first.own_random_) services_.random = first.services_.random;
  services_.cursorPos = first.services_.cursorPos;
  Setup();
  inTimer = false;
  lastFileName.clear();
  ApplySettings(first.settings_);
  TakeBackground();
  pictures = first.pictures;
  nextIndex = 0;
  secondCounter = 0;
  ShufflePictures(pictures, *services_.random);
}

void TfrmMain::Setup() {
  setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
  setWindowTitle(tr("スクリーンセーバー"));
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
  preparer_ = std::make_unique<TPicturePreparer>(!services_.prepareOnTick);
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::FormCreate() {
  inTimer = false;
  lastFileName.clear();

  TSettings s = ReadSettings(SettingsFilePath(), DefaultFolder());
  if (services_.adjustSettings) services_.adjustSettings(s);
  ApplySettings(s);

  // The snapshot is taken before any window of ours shows, the splash included.
  TakeBackground();

  pictures.clear();
  nextIndex = 0;
  secondCounter = 0;

  if (!services_.splash) {
    struct Silent : ISearchProgress {
      void SetCaption(const std::string&) override {}
      void SetProgress(int) override {}
      void Repaint() override {}
    } silent;
    pictures = SearchPictures(illustFolder, silent, subFolders);
    ShufflePictures(pictures, *services_.random);
    return;
  }
  auto* frmSplash = new TfrmSplash;
  frmSplash->lblCaption->setText(QString());
  frmSplash->ProgressBar->setValue(0);
  frmSplash->ShowExposed();
  pictures = SearchPictures(illustFolder, *frmSplash, subFolders);
  ShufflePictures(pictures, *services_.random);
  frmSplash->close();
  frmSplash->deleteLater();
}

// The background of the form's monitor, in its device pixels.
void TfrmMain::ApplySettings(const TSettings& s) {
  settings_ = s;
  illustFolder = s.folder;
  changeSec = s.changeSec;
  extend = s.extend;
  putFilename = s.putFilename;
  putFullPath = s.putFullPath;
  putExtention = s.putExtention;
  bgColorEnable = s.bgColorEnable;
  bgColor = s.bgColor;
  drawMode = s.drawMode;
  autoRotate = s.autoRotate;
  subFolders = s.subFolders;
  fadeTime = s.fadeTime;  // kept within 0..30 where it is read
}

void TfrmMain::TakeBackground() {
  const TSize size = Screen().MonitorSize(monitor_);
  if (bgColorEnable) {
    bmpBackground.Allocate(size.Width, size.Height, pf32bit, false);
    TCanvas canvas(bmpBackground);
    canvas.BrushColor = bgColor;
    canvas.FillRect(Rect(0, 0, size.Width, size.Height));
  } else {
    Screen().MonitorSnapshot(monitor_, bmpBackground);
    if (bmpBackground.PixelFormat() != pf32bit) bmpBackground.SetPixelFormat(pf32bit);
    bmpBackground.SetSize(size.Width, size.Height);
  }
  bmpCompose = bmpBackground;
  bmpDisplay = bmpBackground;
  sharedBackground_ = std::make_shared<const TBitmap>(bmpBackground);
  ++composeVersion_;
}

void TfrmMain::ShowFullScreen() {
  // On its own X screen where the monitor is one; then its whole area.
  setScreen(MonitorScreen(monitor_));
  const TRect g = Screen().MonitorGeometry(monitor_);
  setGeometry(g.Left, g.Top, g.Width(), g.Height());
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
    if (!extra_) SetScreenSaverRunning(true);
    const TRect g = Screen().MonitorGeometry(monitor_);
    setGeometry(g.Left, g.Top, g.Width(), g.Height());
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
  waitingForPicture_ = false;
  tmrMain->start();
  RequestNextPicture();
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TfrmMain::FormResize() {
  imgMain->setGeometry(0, 0, width(), height());
  // Frames are composed and shown in device pixels, 1:1 at any scale.
  const TSize device = DevicePixelSize(imgMain);
  imgMain->Picture().SetSize(device.Width, device.Height);
  if (isPreview) {
    const TSize size = Screen().Size();
    bmpDisplay.SetSize(size.Width, size.Height);
  } else {
    bmpDisplay.SetSize(device.Width, device.Height);
  }
  const double scale = TextScale(this);
  composeCanvas_.TextScale = displayCanvas_.TextScale = imgMainCanvas_->TextScale = scale;
  presentedVersion_ = -1;
  // Pictures are fitted to the reference area: a new size, a new request.
  if (tmrMain->isActive()) RequestNextPicture();
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
  // cursor is at the starting position itself and does not count. Compared
  // on the desktop: a monitor's form need not start at the desktop's origin.
  if (!EndsOnInput()) return;
  const QPoint p = imgMain->mapToGlobal(QPoint(x, y));
  if (p.x() != startCursorPos.x() || p.y() != startCursorPos.y()) close();
}

void TfrmMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  tmrMain->stop();
  fade_.Stop();
  fadeFrom_.Clear();
  preparer_.reset();  // stops a decode in progress and joins the worker
  pictures.clear();
  pictures.shrink_to_fit();
  bmpDisplay.Clear();
  bmpBackground.Clear();
  bmpCompose.Clear();
  if (!isPreview && !isHosted && !extra_) {
    ReleaseInput(this, imgMain);
    SetScreenSaverRunning(false);
  }
}

}  // namespace orv
