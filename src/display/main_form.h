// TfrmMain: the window of the full-screen and preview modes, the Qt face of
// the slideshow. Creating it reads the settings, takes the background and
// builds the picture list; showing it starts the timer whose ticks run the
// slideshow; its input goes to the slideshow, which decides what ends it.
#pragma once

#include <QPoint>
#include <QWidget>
#include <functional>
#include <memory>

#include "display/picture_preparer.h"
#include "display/slideshow.h"

class QTimer;

namespace orv {

class TImage;
class TMonitorTakeOver;

// What the form takes from its surroundings; tests inject their own. The
// screen comes from Screen() (SetScreenForTesting).
struct TDisplayServices {
  IClock* clock = nullptr;            // the millisecond clock when null
  IRandom* random = nullptr;          // a generator seeded from the time of day when null
  std::function<QPoint()> cursorPos;  // QCursor::pos() when empty
  // Prepare each picture inside the tick that shows it instead of on a
  // worker thread ahead of time (tests of the tick's logic).
  bool prepareOnTick = false;
  // Hosted mode: the host's options over the settings file, and no splash
  // form (a window of our own would show above the host's).
  std::function<void(TSettings&)> adjustSettings;
  bool splash = true;
};

class TfrmMain : public QWidget, public TSlideshow, private ISlideshowFace {
  Q_OBJECT
 public:
  // Creating the form runs FormCreate.
  explicit TfrmMain(QWidget* parent = nullptr, TDisplayServices services = {});
  // A form for another monitor of the full-screen show: first's settings and
  // pictures (in an order of its own), a background of its own monitor, no
  // second folder scan. It leaves the running mark and the input grab to first.
  TfrmMain(const TfrmMain& first, int monitor);
  ~TfrmMain() override;

  // Shows the form covering its monitor (full-screen mode).
  void ShowFullScreen();
  // The monitor the form covers in full-screen mode (0: the primary).
  int Monitor() const { return monitor_; }
  // Shows the form inside a host window that it has been embedded in.
  void ShowInHost() { show(); }

  TImage* imgMain;
  QTimer* tmrMain;

  // Where the next picture is made ready.
  TPicturePreparer& Preparer() { return *preparer_; }

  // The handlers.
  void FormCreate();
  void FormShow();
  void FormResize();
  void FormDestroy();
  void tmrMainTimer();

 protected:
  bool event(QEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The face.
  TBitmap& Shown() override;
  std::unique_ptr<ITextCanvas> TextCanvas(TBitmap& bitmap) override;
  void Repaint(bool immediate) override;
  void SetTimerInterval(int ms) override;
  double RefreshRate() override;
  void End() override;
  std::string Translate(const char* source) override;

  void Setup();
  void TakeBackground();

  TDisplayServices services_;
  int monitor_ = 0;
  // Destroyed first: it joins its worker.
  std::unique_ptr<TPicturePreparer> preparer_;
  std::unique_ptr<TMonitorTakeOver> takeOver_;
  bool destroyed_ = false;
};

}  // namespace orv
