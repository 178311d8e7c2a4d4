// Takes drops of file names on a window and hands on the first one's path.
#pragma once

#include <QList>
#include <QObject>
#include <QUrl>
#include <functional>
#include <string>

class QDropEvent;
class QWidget;

namespace orv {

// The dropped item's path with the file system's bytes, also where they are
// not valid UTF-8; empty when the first item is not a local file.
std::string FirstDroppedPath(const QList<QUrl>& urls);

// Accepts a drop of files as a copy or link of their names; false if refused.
bool AcceptNameOnly(QDropEvent* event);

// Makes target a drop target and handles its drag and drop events: names of
// files are accepted, and a drop inside its client area hands the first
// item's path to dropped (further items are ignored).
class TFileDropTarget : public QObject {
 public:
  TFileDropTarget(QWidget* target, std::function<void(const std::string&)> dropped);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QWidget* target_;
  std::function<void(const std::string&)> dropped_;
};

}  // namespace orv
