#include "config/config_form_parts.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QDropEvent>
#include <QMimeData>
#include <QScreen>
#include <QThread>

#include "config/config_rules.h"
#include "config/fit_to_screen.h"

namespace orv {

namespace {

// Hands every event of the application to a function before its receiver.
class TEventWatcher : public QObject {
 public:
  TEventWatcher(QObject* owner, std::function<bool(QObject*, QEvent*)> watch)
      : QObject(owner), watch_(std::move(watch)) {}
  bool eventFilter(QObject* watched, QEvent* event) override { return watch_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> watch_;
};

}  // namespace

TColorDialog::TColorDialog() { custom_.fill(qRgb(255, 255, 255)); }

bool TColorDialog::Execute(QWidget* owner, const QColor& initial, QColor* chosen) {
  // Qt keeps custom colours per process; ours belong to this component.
  for (int i = 0; i < int(custom_.size()); ++i) QColorDialog::setCustomColor(i, QColor::fromRgb(custom_[size_t(i)]));
  QColorDialog dialog(initial, owner);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < int(custom_.size()); ++i) custom_[size_t(i)] = QColorDialog::customColor(i).rgb();
  if (accepted) *chosen = dialog.selectedColor();
  return accepted;
}

std::string FirstDroppedPath(const QList<QUrl>& urls) {
  if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
  const QUrl& url = urls.first();
  std::string path = PercentDecode(url.path(QUrl::FullyEncoded).toStdString());
  const QString host = url.host();
  if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
    path = "//" + host.toStdString() + path;
  return path;
}

bool AcceptNameOnly(QDropEvent* event) {
  // We take the name and nothing else: a source that honoured a Move would
  // delete the user's file or folder.
  const Qt::DropActions offered = event->possibleActions();
  const Qt::DropAction action = (offered & Qt::CopyAction)   ? Qt::CopyAction
                                : (offered & Qt::LinkAction) ? Qt::LinkAction
                                                             : Qt::IgnoreAction;
  if (action == Qt::IgnoreAction || FirstDroppedPath(event->mimeData()->urls()).empty()) {
    event->ignore();
    return false;
  }
  event->setDropAction(action);
  event->accept();
  return true;
}

void WatchAllEvents(QObject* owner, std::function<bool(QObject*, QEvent*)> watch) {
  qApp->installEventFilter(new TEventWatcher(owner, std::move(watch)));
}

QSize CentreOnScreen(QDialog* dialog) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return QSize();
  // The frame, title bar included, is what sits in the middle; it is known
  // only once the window system has decorated the window.
  FitDialogToScreen(dialog, screen->availableGeometry());
  const QRect frame = dialog->frameGeometry();
  const QRect area = screen->geometry();
  dialog->move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
  return frame.size();
}

void SlideOut(QWidget* icon, QWidget* group, const std::function<void()>& wait) {
  // Each step moves the icon further; the group clips it at its right edge.
  for (int step = 1; icon->x() <= group->width(); ++step) {
    const QRect before = icon->geometry();
    icon->move(before.x() + step, before.y());
    group->repaint(before.united(icon->geometry()));
    if (wait)
      wait();
    else
      QThread::msleep(12);
  }
}

}  // namespace orv
