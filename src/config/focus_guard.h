// Follows the dialog's focus and keeps the click that left a refused folder from acting.
#pragma once

#include <QObject>
#include <functional>
#include <vector>

#include "config/config_model.h"

class QWidget;

namespace orv {

// Tells of every move of the focus to one of the dialog's controls, also
// those a press makes in a dialog that is not the active window (which Qt
// does not announce); and after a refusal, while the press that moved the
// focus is still on its way to its control, swallows the dialog's clicks
// until the event loop next turns.
class TFocusGuard : public QObject {
 public:
  // controls: the dialog's controls by TCtl.
  TFocusGuard(QWidget* dialog, const std::vector<QWidget*>& controls, TConfigModel& model,
              std::function<void(TCtl)> focus_moved);
  void SwallowPendingClick();

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* dialog_;
  const std::vector<QWidget*>& controls_;
  TConfigModel& model_;
  std::function<void(TCtl)> focus_moved_;
};

}  // namespace orv
