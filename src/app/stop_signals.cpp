#include "app/stop_signals.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/gui/application.h"
#include "platform/termination_signals.h"

namespace orv {

void InstallStopSignals() { WatchTerminationSignals(); }

int RunUntilStopped() {
  QSocketNotifier* notifier = nullptr;
  const NativeHandle stop = WatchTerminationSignals();
  if (stop != kNoHandle) {
    notifier = new QSocketNotifier(qintptr(stop), QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [notifier] {
      notifier->setEnabled(false);  // once is enough; the loop is ending
      TApplication::Instance().Terminate();
    });
  }
  // A signal that came between here and the loop waits on the handle.
  SetTerminationLoopRunning(true);
  const int rc = TApplication::Instance().Run();
  SetTerminationLoopRunning(false);
  delete notifier;
  return rc;
}

}  // namespace orv
