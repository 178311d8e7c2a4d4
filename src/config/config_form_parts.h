// Pieces of the dialog's Qt face that hold no decision of the dialog: the
// colour chooser, the folder browser, the window's placement and the closing
// animation.
#pragma once

#include <QColor>
#include <QObject>
#include <QSize>
#include <QString>
#include <array>
#include <functional>
#include <optional>

#include "platform/color.h"

class QDialog;
class QLineEdit;
class QWidget;

namespace orv {

// The colour chooser component: Qt's colour dialog with custom colours that
// belong to this component and live as long as it does.
class TColorDialog {
 public:
  TColorDialog();
  // Runs the chooser modally; nothing when the user cancels.
  std::optional<TColor> Execute(QWidget* owner, TColor initial);
  const std::array<QRgb, 16>& CustomColors() const { return custom_; }

 private:
  std::array<QRgb, 16> custom_;
};

// The folder browser over the field's window: folders only, opening on the
// field's folder; the choice goes into the field, a cancel leaves it.
void BrowseForFolder(QLineEdit* field, const QString& title);

// Fits the dialog into the primary screen and puts its frame in the middle;
// the frame's size, or an invalid size without a screen.
QSize CentreOnScreen(QDialog* dialog);

// Keeps the dialog's frame in the middle of the screen: the frame is known
// only once the window system has decorated the window, and changes with it.
// A move by the user, which keeps the frame's size, stays.
class TScreenCentring : public QObject {
 public:
  explicit TScreenCentring(QDialog* dialog);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QDialog* dialog_;
  QSize centred_frame_;  // the frame size the dialog was last centred with
};

// Moves the icon through the closing steps of IconSlideSteps; wait runs
// between the steps (else 12 ms pass).
void SlideOut(QWidget* icon, QWidget* group, const std::function<void()>& wait);

}  // namespace orv
