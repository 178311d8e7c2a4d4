// The display form: the slideshow's window. It gathers what the slideshow
// starts from (settings, background, picture list), shows its frames, runs
// its timer and hands it the input.
#include "display/main_form.h"

#include <QCursor>
#include <QEvent>
#include <QScreen>
#include <QShowEvent>
#include <QTimer>

#include "display/image_control.h"
#include "display/monitor_take_over.h"
#include "display/picture_list.h"
#include "display/splash_form.h"
#include "platform/gui/gui_canvas.h"
#include "platform/gui/language.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/screen.h"

namespace orv {

constexpr int kDesignWidth = 301;
constexpr int kDesignHeight = 282;

TfrmMain::TfrmMain(QWidget* parent, TDisplayServices services)
    : QWidget(parent), TSlideshow(static_cast<ISlideshowFace&>(*this)), services_(std::move(services)) {
  Setup();
  FormCreate();
}

TfrmMain::TfrmMain(const TfrmMain& first, int monitor)
    : QWidget(nullptr), TSlideshow(static_cast<ISlideshowFace&>(*this)), monitor_(monitor) {
  services_.cursorPos = first.services_.cursorPos;
  Setup();
  FollowFirst(first);
  TakeBackground();
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
  imgMain->OnMouseDown = [this](int, int) { MouseButton(); };
  imgMain->OnMouseUp = [this](int, int) { MouseButton(); };
  imgMain->OnMouseMove = [this](int x, int y) {
    const QPoint p = imgMain->mapToGlobal(QPoint(x, y));
    MouseMove({p.x(), p.y()});
  };

  tmrMain = new QTimer(this);
  tmrMain->setInterval(kTimerIntervalMs);
  connect(tmrMain, &QTimer::timeout, this, [this] { tmrMainTimer(); });

  takeOver_ = std::make_unique<TMonitorTakeOver>(this, imgMain, monitor_);
  if (!services_.cursorPos) services_.cursorPos = [] { return QCursor::pos(); };
  preparer_ = std::make_unique<TPicturePreparer>(!services_.prepareOnTick);
  SetServices(services_.clock, services_.random, preparer_.get());
}

TfrmMain::~TfrmMain() { FormDestroy(); }

void TfrmMain::FormCreate() {
  const TSize size = Screen().MonitorSize(monitor_);
  Gather(
      services_.adjustSettings, size.Width, size.Height,
      [this](TBitmap& bmp) { Screen().MonitorSnapshot(monitor_, bmp); },
      [this](const std::string& folder, bool sub) { return SearchPicturesWithSplash(folder, sub, services_.splash); });
}

// The background of the form's monitor, in its device pixels.
void TfrmMain::TakeBackground() {
  const TSize size = Screen().MonitorSize(monitor_);
  TSlideshow::TakeBackground(size.Width, size.Height,
                             [this](TBitmap& bmp) { Screen().MonitorSnapshot(monitor_, bmp); });
}

void TfrmMain::ShowFullScreen() {
  takeOver_->Place();
  showFullScreen();
}

void TfrmMain::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) FormShow();
}

void TfrmMain::FormShow() {
  // A host's window is ours to draw in, nothing more; a preview has been
  // sized to it by the embedding.
  if (TakesOverMonitor()) takeOver_->Cover(HoldsInput());
  if (!isPreview) ShowBackground();
  if (TakesOverMonitor()) takeOver_->Capture();
  const QPoint cursor = services_.cursorPos();
  tmrMain->start();
  Start({cursor.x(), cursor.y()});
}

void TfrmMain::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  FormResize();
}

void TfrmMain::FormResize() {
  imgMain->setGeometry(0, 0, width(), height());
  const TSize device = DevicePixelSize(Win(imgMain)), screen = Screen().Size();
  WindowResized(device.Width, device.Height, screen.Width, screen.Height, TextScale(Win(this)), tmrMain->isActive());
}

bool TfrmMain::event(QEvent* event) {
  // Every key goes to the show, also those Qt would otherwise use for focus moves.
  if (event->type() == QEvent::KeyPress) {
    KeyDown();
    return true;
  }
  return QWidget::event(event);
}

void TfrmMain::tmrMainTimer() {
  Tick();
  if (TakesOverMonitor()) takeOver_->KeepInCharge(HoldsInput());
}

void TfrmMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  tmrMain->stop();
  preparer_.reset();  // stops a decode in progress and joins the worker
  SetPictureSource(nullptr);
  Stop();
  takeOver_->Release(HoldsInput());
}

TBitmap& TfrmMain::Shown() { return imgMain->Picture(); }
std::unique_ptr<ITextCanvas> TfrmMain::TextCanvas(TBitmap& bitmap) { return std::make_unique<TGuiCanvas>(bitmap); }
void TfrmMain::Repaint(bool immediate) { immediate ? imgMain->repaint() : imgMain->update(); }
void TfrmMain::SetTimerInterval(int ms) { tmrMain->setInterval(ms); }
double TfrmMain::RefreshRate() { return screen() ? screen()->refreshRate() : 0; }
void TfrmMain::End() { close(); }
std::string TfrmMain::Translate(const char* source) { return Tr("orv::TfrmMain", source); }

}  // namespace orv
