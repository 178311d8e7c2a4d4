// The entry: the instance guard, the application's title, and the mode the
// command line asks for.
#include <string>
#include <vector>

#include "app/add_to_xscreensaver.h"
#include "app/command_line.h"
#include "formats/formats.h"
#include "app/host_options.h"
#include "app/run_hosted.h"
#include "app/stop_signals.h"
#include "app/process_command_line.h"
#include "platform/gui/application.h"
#include "platform/instance_mark.h"
#include "platform/termination_signals.h"

namespace {
constexpr const char* kInstanceMark = "Mutex_of_tobrinel";
}

int main(int argc, char** argv) {
  orv::InstallStopSignals();
  orv::RegisterPictureFormats();
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
  const std::string first = args.empty() ? std::string() : args[0];

  // Without a session bus, D-Bus would autolaunch one for us (from Qt's
  // platform theme) and leave it running after we end.
  orv::PreventSessionBusAutolaunch();

  if (orv::IsAddToXscreensaver(args)) return orv::AddToXscreensaver(argc, argv);

  // A screen-saver host's command line: one copy per window, not per user.
  if (auto hosted = orv::ParseHostCommand(args)) return orv::RunHosted(*hosted, argc, argv);

  // Another copy runs: end silently, unless asked to change the password.
  if (orv::InstanceMarkHeld(kInstanceMark) && !orv::IsPasswordRequest(first)) return 0;

  orv::InstanceMark mark;  // held for the life of the process
  mark.Create(kInstanceMark);

  orv::TApplication& app = orv::TApplication::Instance();
  app.Initialize(argc, argv);
  app.SetTitle("Orvanne");
  orv::ProcessCommandLine(args);
  app.Finalize();
  return 0;
}
