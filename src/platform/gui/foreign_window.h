// Foreign windows: a host's window, named by its X11 id, that a form lives in.
#pragma once

#include <QObject>
#include <QWidget>

namespace orv {

// True when the id names an existing window on the display.
bool ForeignWindowExists(unsigned long id);

// Makes the widget a child of the foreign window, sized to it. False when
// the window does not exist (or the platform has no foreign windows).
bool EmbedInForeignWindow(QWidget* widget, unsigned long id);

// Sizes the widget to a host window of width x height device pixels: Qt's
// sizes are logical, so at scale 2 the child would be twice the host's size.
void SizeToForeignWindow(QWidget* widget, int width, int height);

// Tells when a foreign window is destroyed or resized. Qt reports neither, so
// the watcher listens to the X server (and polls as a fallback).
class ForeignWindowWatcher : public QObject {
  Q_OBJECT
 public:
  explicit ForeignWindowWatcher(unsigned long id, QObject* parent = nullptr);
  ~ForeignWindowWatcher() override;

 signals:
  void hostDestroyed();
  void resized(int width, int height);

 private:
  class Filter;
  void Check();
  unsigned long id_;
  Filter* filter_;
  bool gone_ = false;
};

}  // namespace orv
