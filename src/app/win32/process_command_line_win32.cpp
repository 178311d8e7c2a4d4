#include "app/win32/process_command_line_win32.h"

#include <memory>

#include "app/command_line.h"
#include "display/win32/display_form.h"
#include "platform/win32/desktop.h"
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

#include "config/win32/config_dialog_win32.h"

// After our headers: its colour macros would clash with ours.
#include <windows.h>

namespace orv::win32 {

namespace {
void RunMessageLoop() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}
}  // namespace

void ProcessCommandLine(const std::vector<std::string>& args) {
  switch (ParseRunMode(args.empty() ? std::string() : args[0])) {
    case TRunMode::kFullScreen: RunFullScreen(); break;
    case TRunMode::kPreview: RunPreview(args); break;
    case TRunMode::kConfig: RunConfig(); break;
    case TRunMode::kNone: break;
  }
}

void RunFullScreen() {
  const std::vector<TRect> monitors = MonitorRects();
  TfrmMain first(monitors.front());
  // Every monitor's background is taken before any window of ours shows.
  std::vector<std::unique_ptr<TfrmMain>> others;
  for (size_t i = 1; i < monitors.size(); ++i) others.push_back(std::make_unique<TfrmMain>(first, monitors[i]));
  for (auto& form : others) form->ShowFullScreen();
  // The first shows last: it takes the keyboard.
  if (!first.ShowFullScreen()) return;
  RunMessageLoop();
}

void RunPreview(const std::vector<std::string>& args) {
  const long long handle = PreviewHandle(args);
  if (handle == 0) {
    MessageBoxW(nullptr, Wide(Tr("Orvanne", "ウィンドハンドルが指定されていません")).c_str(),
                Wide(Tr("Orvanne", "スクリーンセーバー")).c_str(), MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  // Handles are 32-bit values, sign-extended on 64-bit Windows.
  HWND host = reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(handle)));
  // A handle that names no window would leave an invisible process holding
  // the instance mark forever: end at once.
  if (!IsWindow(host)) return;
  TfrmMain form(MonitorRects().front());
  if (!form.ShowInHost(host)) return;
  RunMessageLoop();
}

void RunConfig() {
  // The host's window after "/c:" is not used: the dialog is not tied to it.
  RunConfigDialog(nullptr);
}

}  // namespace orv::win32
