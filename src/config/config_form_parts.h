// Pieces of the dialog's Qt face that hold no decision of the dialog: the
// colour chooser, drops of file names, the window's placement and the
// closing animation.
#pragma once

#include <QColor>
#include <QList>
#include <QSize>
#include <QUrl>
#include <array>
#include <functional>
#include <string>

class QDialog;
class QDropEvent;
class QEvent;
class QObject;
class QWidget;

namespace orv {

// The colour chooser component: Qt's colour dialog with custom colours that
// belong to this component and live as long as it does.
class TColorDialog {
 public:
  TColorDialog();
  // Runs the chooser modally; false when the user cancels.
  bool Execute(QWidget* owner, const QColor& initial, QColor* chosen);
  const std::array<QRgb, 16>& CustomColors() const { return custom_; }

 private:
  std::array<QRgb, 16> custom_;
};

// The dropped item's path with the file system's bytes, also where they are
// not valid UTF-8; empty when the first item is not a local file.
std::string FirstDroppedPath(const QList<QUrl>& urls);

// Accepts a drop of files as a copy or link of their names; false if refused.
bool AcceptNameOnly(QDropEvent* event);

// Hands every event of the application to watch before its receiver, while
// owner lives.
void WatchAllEvents(QObject* owner, std::function<bool(QObject*, QEvent*)> watch);

// Fits the dialog into the primary screen and puts its frame in the middle;
// the frame's size, or an invalid size without a screen.
QSize CentreOnScreen(QDialog* dialog);

// Moves the icon right, a step further each time, until its group clips it
// whole; wait runs between the steps (else 12 ms pass).
void SlideOut(QWidget* icon, QWidget* group, const std::function<void()>& wait);

}  // namespace orv
