#include "platform/termination_signals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include "platform/paths.h"

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

NativeHandle WatchTerminationSignals() {
  if (g_signal_pipe[0] >= 0) return g_signal_pipe[0];
  if (::pipe2(g_signal_pipe, O_CLOEXEC | O_NONBLOCK) != 0) return kNoHandle;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  for (int sig : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(sig, &sa, nullptr);
  return g_signal_pipe[0];
}

void SetTerminationLoopRunning(bool running) { g_loop_running = running ? 1 : 0; }

void PreventSessionBusAutolaunch() {
  const std::string bus = native::GetEnv("DBUS_SESSION_BUS_ADDRESS");
  const std::string runtime = native::GetEnv("XDG_RUNTIME_DIR");
  if (bus.empty() && (runtime.empty() || ::access((runtime + "/bus").c_str(), F_OK) != 0))
    native::SetEnv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
}

}  // namespace orv
