#include "platform/gui/main_thread_qt.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "platform/main_thread.h"

namespace orv {

void InstallQtMainThread() {
  static QueuedMainThread* queue = [] {
    auto* q = new QueuedMainThread;  // lives as long as the process
    q->SetWakeHandler([q] {
      if (QCoreApplication* app = QCoreApplication::instance())
        QMetaObject::invokeMethod(app, [q] { q->ProcessPending(); }, Qt::QueuedConnection);
    });
    return q;
  }();
  SetDefaultMainThread(queue);
}

}  // namespace orv
