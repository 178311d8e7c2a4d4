// Windows ends a screen saver through its windows, not through signals.
#include "platform/termination_signals.h"

namespace orv {

NativeHandle WatchTerminationSignals() { return kNoHandle; }
void SetTerminationLoopRunning(bool) {}
void PreventSessionBusAutolaunch() {}

}  // namespace orv
