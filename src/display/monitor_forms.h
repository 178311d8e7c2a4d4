// The full-screen show on every monitor: one display form per monitor.
#pragma once

namespace orv {

class TfrmMain;

// Creates a form for every monitor other than first's (with first's settings
// and pictures) and shows them full screen. Closing any of them closes first,
// whose end (the end of the show) closes them all.
void CoverOtherMonitors(TfrmMain& first);

}  // namespace orv
