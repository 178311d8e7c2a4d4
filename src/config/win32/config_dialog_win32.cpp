// Stands in for the dialog until it is built.
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

#include "config/win32/config_dialog_win32.h"

namespace orv {

int RunConfigDialog(HWND owner) {
  const std::wstring text = win32::Wide(win32::Tr("Orvanne", "設定画面は準備中です"));
  const std::wstring caption = win32::Wide(win32::Tr("Orvanne", "スクリーンセーバー"));
  return MessageBoxW(owner, text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
}

}  // namespace orv
