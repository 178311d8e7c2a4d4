// Installs the GUI-thread queue for worker threads: steps they hand over run
// from Qt's event loop.
#pragma once

namespace orv {

void InstallQtMainThread();

}  // namespace orv
