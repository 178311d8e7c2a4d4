// Ending on the signals a screen-saver host stops us with (SIGTERM, SIGINT,
// SIGHUP). Until the message loop runs, a signal ends the process at once
// (there is nothing to tidy); while it runs, the signal makes a handle
// readable that the loop watches and ends it in order.
#pragma once

#include "platform/native.h"

namespace orv {

// Installs the handlers; the handle to watch, or kNoHandle where the system
// has no such signals.
NativeHandle WatchTerminationSignals();
void SetTerminationLoopRunning(bool running);

// Keeps Qt's platform theme from autolaunching a D-Bus session bus that
// would outlive us, when the session has none.
void PreventSessionBusAutolaunch();

}  // namespace orv
