// Qt's stock dialogs (colour chooser, folder browser) remember custom colours
// and recent folders in a per-user file shared by every Qt program. The
// program's only persistent state is its own settings file, so that state is
// kept in memory instead.
#pragma once

namespace orv {

// Points Qt's own settings at a place that can be neither read nor written.
// Call before the first stock dialog opens; calling again does nothing more.
void KeepStockDialogStateInMemory();

}  // namespace orv
