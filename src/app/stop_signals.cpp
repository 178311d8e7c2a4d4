#include "app/stop_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>

#include "platform/gui/application.h"

namespace orv {

namespace {

int g_signal_pipe[2] = {-1, -1};
volatile sig_atomic_t g_loop_running = 0;

void OnSignal(int) {
  if (!g_loop_running) ::_exit(0);
  const char byte = 1;
  ssize_t ignored = ::write(g_signal_pipe[1], &byte, 1);
  (void)ignored;
}

}  // namespace

void InstallStopSignals() {
  if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
}

int RunUntilStopped() {
  QSocketNotifier* notifier = nullptr;
  if (g_signal_pipe[0] >= 0) {
    notifier = new QSocketNotifier(g_signal_pipe[0], QSocketNotifier::Read);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
      char drain[16];
      while (::read(g_signal_pipe[0], drain, sizeof drain) > 0) {
      }
      TApplication::Instance().Terminate();
    });
  }
  // A signal that came between here and the loop waits in the pipe.
  g_loop_running = 1;
  const int rc = TApplication::Instance().Run();
  g_loop_running = 0;
  delete notifier;
  return rc;
}

}  // namespace orv
