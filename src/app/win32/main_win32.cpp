// The entry of orvanne.scr: the instance guard, then the mode the screen-saver
// host's command line asks for.
#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "formats/formats.h"
#include "app/win32/host_args.h"
#include "app/win32/process_command_line_win32.h"
#include "platform/exceptions.h"
#include "platform/instance_mark.h"
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

// After our headers: its colour macros would clash with ours.
#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

namespace {
constexpr const char* kInstanceMark = "Mutex_of_tobrinel";

std::vector<std::string> Arguments() {
  std::vector<std::string> args;
  int count = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!argv) return args;
  for (int i = 1; i < count; ++i) args.push_back(orv::win32::Utf8(argv[i], wcslen(argv[i])));
  LocalFree(argv);
  return args;
}

// What no handler caught: its message in the user's language, as the
// application's general handler shows it.
std::string TranslatedMessage(const std::exception& e) {
  const auto* ours = dynamic_cast<const orv::Exception*>(&e);
  if (!ours) return e.what();
  std::string text = orv::win32::Tr("Exception", ours->Pattern().c_str());
  if (ours->Argument().empty()) return text;
  size_t at = std::string::npos;
  for (const char* tag : {"%1", "%s", "%d"}) at = std::min(at, text.find(tag));
  if (at != std::string::npos) text.replace(at, 2, ours->Argument());
  return text;
}

void ShowError(const std::string& message) {
  MessageBoxW(nullptr, orv::win32::Wide(message + ".").c_str(), L"Orvanne", MB_OK | MB_ICONERROR);
}
}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  orv::RegisterPictureFormats();
  const std::vector<std::string> args = orv::win32::SplitHostArgs(Arguments());
  const std::string first = args.empty() ? std::string() : args[0];

  // Another copy runs: end silently, unless asked to change the password.
  if (orv::InstanceMarkHeld(kInstanceMark) && !orv::IsPasswordRequest(first)) return 0;
  orv::InstanceMark mark;  // held for the life of the process
  mark.Create(kInstanceMark);

  // Shortcuts, the folder browser and the shell's other services want COM.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  try {
    orv::win32::ProcessCommandLine(args);
  } catch (const std::exception& e) {
    ShowError(TranslatedMessage(e));
  } catch (...) {
    ShowError(orv::win32::Tr("Orvanne", "不明なエラー"));
  }
  if (SUCCEEDED(com)) CoUninitialize();
  return 0;
}
