#include "config/focus_guard.h"

#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>

#include "config/config_face.h"

namespace orv {

TFocusGuard::TFocusGuard(QWidget* dialog, const std::vector<QWidget*>& controls, TConfigModel& model,
                         std::function<void(TCtl)> focus_moved)
    : dialog_(dialog), controls_(controls), model_(model), focus_moved_(std::move(focus_moved)) {
  connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
    // Only this dialog's controls count; the window losing or regaining the
    // activation does not enter or leave a control.
    if (now && now->window() == dialog_) focus_moved_(IdOf(controls_, now));
  });
  qApp->installEventFilter(this);
}

void TFocusGuard::SwallowPendingClick() {
  QTimer::singleShot(0, this, [this] { model_.PendingClickPassed(); });
}

bool TFocusGuard::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease && type != QEvent::MouseButtonDblClick)
    return false;
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != dialog_) return false;
  if (model_.SwallowsClicks()) return true;
  if (type != QEvent::MouseButtonPress || dialog_->isActiveWindow()) return false;
  // A window that is not the active one (no window manager activates it
  // again after a message) moves its focus without a word: the press has
  // just done so, before reaching its control.
  if (QWidget* now = dialog_->focusWidget(); now && IdOf(controls_, now) != model_.FocusedControl())
    focus_moved_(IdOf(controls_, now));
  return model_.SwallowsClicks();  // the check failed: this click must not act
}

}  // namespace orv
