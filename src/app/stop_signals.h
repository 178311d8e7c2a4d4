// SIGTERM, SIGINT and SIGHUP end every mode with status 0: a host or a
// session that stops us is not an error.
#pragma once

namespace orv {

// Before anything else: until the message loop runs, a signal ends the
// process at once (nothing is shown or written yet that needs tidying).
void InstallStopSignals();

// Runs the application's message loop; a signal during it ends the loop the
// ordinary way, so the windows close and the program returns from main.
int RunUntilStopped();

}  // namespace orv
