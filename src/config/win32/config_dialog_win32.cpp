#include "config/win32/config_dialog_win32.h"

#include "config/win32/win32_controls.h"  // before the other Windows headers

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <type_traits>
#include <variant>

#include "config/config_model.h"
#include "config/settings.h"
#include "config/win32/win32_controls.h"
#include "platform/paths.h"
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

namespace orv {

namespace {

using win32::Tr;
using win32::Utf8;
using win32::Wide;

constexpr char kTitle[] = "Orvanne";
constexpr char kMissingFolder[] = "指定されたフォルダは存在しません。";
constexpr char kBrowseTitle[] = "画像が保存されているフォルダを選択してください。";
constexpr UINT kCheckFolder = WM_APP + 1;  // the folder field lost the focus to wParam

std::wstring ControlText(HWND w) {
  std::wstring text(size_t(GetWindowTextLengthW(w)) + 1, L'\0');
  text.resize(size_t(GetWindowTextW(w, text.data(), int(text.size()))));
  return text;
}

// "FileVersion" of the program file's version record, in the language and
// code page its translation table names first; empty without one.
std::string VersionText() {
  std::wstring path(32768, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), DWORD(path.size())));
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (size == 0) return {};
  std::vector<BYTE> record(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, record.data())) return {};
  void* found = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(record.data(), L"\\VarFileInfo\\Translation", &found, &length) || length < 4) return {};
  const DWORD language = *static_cast<const DWORD*>(found);
  wchar_t block[64];
  swprintf(block, 64, L"\\StringFileInfo\\%04X%04X\\FileVersion", unsigned(LOWORD(language)),
           unsigned(HIWORD(language)));
  if (!VerQueryValueW(record.data(), block, &found, &length) || length == 0) return {};
  return Utf8(static_cast<const wchar_t*>(found), wcsnlen(static_cast<const wchar_t*>(found), length));
}

// The program's own icon (its first icon resource), else the system's.
HICON ProgramIcon() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  LPWSTR first = nullptr;
  EnumResourceNamesW(
      instance, reinterpret_cast<LPCWSTR>(RT_GROUP_ICON),
      [](HMODULE, LPCWSTR, LPWSTR name, LONG_PTR out) -> BOOL {
        *reinterpret_cast<LPWSTR*>(out) = name;
        return FALSE;
      },
      reinterpret_cast<LONG_PTR>(&first));
  if (first)
    if (auto icon = static_cast<HICON>(LoadImageW(instance, first, IMAGE_ICON, 48, 48, LR_SHARED))) return icon;
  return LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));  // shared too: never destroyed
}

// An exception's message in the user's language, its argument put in.
std::string MessageOf(const std::exception& e) {
  const auto* ours = dynamic_cast<const Exception*>(&e);
  if (!ours) return e.what();
  std::string text = Tr("Exception", ours->Pattern().c_str());
  if (ours->Argument().empty()) return text;
  for (const char* mark : {"%s", "%1", "%d"})
    if (const size_t at = text.find(mark); at != std::string::npos) return text.replace(at, 2, ours->Argument());
  return text;
}

class TWinConfig {
 public:
  int Run(HWND owner);

 private:
  static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam);
  static LRESULT CALLBACK FolderFieldProc(HWND field, UINT message, WPARAM wparam, LPARAM lparam);
  INT_PTR Handle(UINT message, WPARAM wparam, LPARAM lparam);

  void FormCreate();
  void Resize(const RECT* suggested);
  void Show();
  void TakeValues();
  void EnableControls();
  void Command(int id, int code);
  bool FolderCheck(HWND next);
  void ReportMissingFolder();
  void SelectFolderField();
  void btnIllustFolderSelectClick();
  void btnIllustFolderOpenClick();
  void btnBGColorClick();
  void btnOKClick();
  void lblUrlClick();
  void WMDropFiles(HDROP drop);
  void Close(int result);
  void ShowFadeTime(int tenths);

  HWND dialog_ = nullptr;
  win32::TDialogControls controls_;
  TConfigModel model_;
  HICON icon_ = nullptr;
  HBRUSH swatch_brush_ = nullptr;
  HWND tooltip_ = nullptr;
  WNDPROC folder_proc_ = nullptr;
  std::array<COLORREF, 16> custom_colors_;
  bool folder_check_pending_ = false;
  bool checking_folder_ = false;
  bool showing_ = false;
  bool closing_ = false;
};

int TWinConfig::Run(HWND owner) {
  custom_colors_.fill(RGB(255, 255, 255));
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  // The folder browser needs COM on this thread.
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  // An empty dialog: the controls come from the layout table.
  struct alignas(4) {
    DLGTEMPLATE t;
    WORD menu, cls, title;
  } dialog_template{};
  dialog_template.t.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFOREGROUND;
  dialog_template.t.dwExtendedStyle = WS_EX_TOPMOST | WS_EX_DLGMODALFRAME;
  const INT_PTR result = DialogBoxIndirectParamW(GetModuleHandleW(nullptr), &dialog_template.t, owner, DialogProc,
                                                 reinterpret_cast<LPARAM>(this));
  if (swatch_brush_) DeleteObject(swatch_brush_);
  if (SUCCEEDED(com)) CoUninitialize();
  return result == IDOK ? IDOK : IDCANCEL;
}

INT_PTR CALLBACK TWinConfig::DialogProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(dialog, DWLP_USER, lparam);
    reinterpret_cast<TWinConfig*>(lparam)->dialog_ = dialog;
  }
  auto* self = reinterpret_cast<TWinConfig*>(GetWindowLongPtrW(dialog, DWLP_USER));
  return self ? self->Handle(message, wparam, lparam) : FALSE;
}

LRESULT CALLBACK TWinConfig::FolderFieldProc(HWND field, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TWinConfig*>(GetWindowLongPtrW(GetParent(field), DWLP_USER));
  if (!self) return DefWindowProcW(field, message, wparam, lparam);
  if (message == WM_KILLFOCUS && !self->checking_folder_ && !self->closing_) {
    // The check reports in a message box: not from inside the focus change.
    self->folder_check_pending_ = true;
    PostMessageW(self->dialog_, kCheckFolder, wparam, 0);
  }
  return CallWindowProcW(self->folder_proc_, field, message, wparam, lparam);
}

INT_PTR TWinConfig::Handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG:
      FormCreate();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      Command(LOWORD(wparam), HIWORD(wparam));
      return TRUE;
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lparam);
      if (header->idFrom == UINT_PTR(win32::kFadeArrowsId) && header->code == UDN_DELTAPOS) {
        const auto* step = reinterpret_cast<const NMUPDOWN*>(lparam);
        ShowFadeTime(std::clamp(step->iPos + step->iDelta, 0, int(kFadeTimeMax)));
      }
      return FALSE;
    }
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lparam) == controls_[TCtl::updIllustChangeSec]) TakeValues();
      return TRUE;
    case kCheckFolder:
      if (folder_check_pending_) FolderCheck(reinterpret_cast<HWND>(wparam));
      return TRUE;
    case WM_CTLCOLORSTATIC: {
      const auto w = reinterpret_cast<HWND>(lparam);
      if (w == controls_[TCtl::lblColor]) {
        if (swatch_brush_) DeleteObject(swatch_brush_);
        swatch_brush_ = CreateSolidBrush(model_.Values().bgColor & 0xFFFFFF);
        return reinterpret_cast<INT_PTR>(swatch_brush_);
      }
      if (w == controls_[TCtl::lblUrl]) {
        auto dc = reinterpret_cast<HDC>(wparam);
        SetTextColor(dc, RGB(0, 0, 255));
        SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
        return reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_BTNFACE));
      }
      return FALSE;
    }
    case WM_SETCURSOR:
      if (reinterpret_cast<HWND>(wparam) == controls_[TCtl::lblUrl]) {
        SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
        SetWindowLongPtrW(dialog_, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_DROPFILES:
      WMDropFiles(reinterpret_cast<HDROP>(wparam));
      return TRUE;
    case 0x02E0: {  // WM_DPICHANGED
      controls_.Layout(LOWORD(wparam));
      Resize(reinterpret_cast<const RECT*>(lparam));
      return TRUE;
    }
    case WM_CLOSE:
      Close(IDCANCEL);
      return TRUE;
  }
  return FALSE;
}

void TWinConfig::FormCreate() {
  icon_ = ProgramIcon();
  SendMessageW(dialog_, WM_SETICON, ICON_BIG, LPARAM(icon_));
  controls_.Create(dialog_, icon_, win32::DpiOf(dialog_));
  const std::wstring title = Wide(kTitle);
  SetWindowTextW(dialog_, title.c_str());
  SetWindowTextW(controls_[TCtl::lblProductName], title.c_str());
  SetWindowTextW(controls_[TCtl::lblVersion], Wide(TConfigModel::VersionCaption(VersionText())).c_str());
  controls_.Layout(controls_.Dpi());  // the labels take their new texts' sizes
  SendMessageW(dialog_, DM_SETDEFID, IDOK, 0);
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                             dialog_, nullptr, GetModuleHandleW(nullptr), nullptr);
  std::wstring tip = Wide(Tr(win32::kDialogContext, ControlRow(TCtl::lblUrl).extra));
  TOOLINFOW tool{};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = dialog_;
  tool.uId = reinterpret_cast<UINT_PTR>(controls_[TCtl::lblUrl]);
  tool.lpszText = tip.data();
  SendMessageW(tooltip_, TTM_ADDTOOLW, 0, LPARAM(&tool));
  HWND folder = controls_[TCtl::edtIllustFolder];
  folder_proc_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(folder, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TWinConfig::FolderFieldProc)));
  model_.LoadStored();
  Show();
  Resize(nullptr);
  DragAcceptFiles(dialog_, TRUE);
  SetFocus(folder);
  SendMessageW(folder, EM_SETSEL, 0, -1);
  model_.FolderEntered();
}

void TWinConfig::Resize(const RECT* suggested) {
  RECT r{0, 0, controls_.Scale(kFormClientWidth), controls_.Scale(FormClientHeight())};
  const DWORD style = DWORD(GetWindowLongPtrW(dialog_, GWL_STYLE));
  const DWORD ex_style = DWORD(GetWindowLongPtrW(dialog_, GWL_EXSTYLE));
  using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
  static const auto adjust = reinterpret_cast<AdjustForDpiFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
  if (!adjust || !adjust(&r, style, FALSE, ex_style, controls_.Dpi())) AdjustWindowRectEx(&r, style, FALSE, ex_style);
  const int width = r.right - r.left, height = r.bottom - r.top;
  int x, y;
  if (suggested) {
    x = suggested->left;
    y = suggested->top;
  } else {
    // Centred on the screen it opens on.
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(dialog_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& m = monitor.rcMonitor;
    x = m.left + (m.right - m.left - width) / 2;
    y = m.top + (m.bottom - m.top - height) / 2;
  }
  SetWindowPos(dialog_, HWND_TOPMOST, x, y, width, height, SWP_NOACTIVATE);
}

template <class F>
void ForEachBound(F f) {
  for (const TSettingRow& s : SettingsTable()) {
    if (!s.dialogControl) continue;
    for (const TControlRow& row : ControlTable())
      if (row.name == std::string(s.dialogControl)) f(s, row);
  }
}

void TWinConfig::ShowFadeTime(int tenths) {
  wchar_t number[32];
  swprintf(number, 32, L"%d.%d", tenths / 10, tenths % 10);
  const TControlRow& row = ControlRow(TCtl::spnFadeTime);
  const std::wstring text = tenths == 0 ? Wide(Tr(win32::kDialogContext, row.extra)) : number + win32::RowText(row);
  SetWindowTextW(controls_[TCtl::spnFadeTime], text.c_str());
}

void TWinConfig::Show() {
  showing_ = true;
  const TSettings& v = model_.Values();
  ForEachBound([&](const TSettingRow& s, const TControlRow& row) {
    HWND w = controls_[row.id];
    std::visit(
        [&](auto member) {
          const auto& value = v.*member;
          using T = std::remove_cvref_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::string>) {
            SetWindowTextW(w, Wide(value).c_str());
          } else if constexpr (std::is_same_v<T, bool>) {
            SendMessageW(w, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
          } else if (row.kind == TControlKind::kUpDown) {
            SendMessageW(w, UDM_SETPOS32, 0, value);
          } else if (row.kind == TControlKind::kRadioGroup) {
            SendMessageW(controls_[TCtl::RadioGroupItem0], BM_SETCHECK, value == 0 ? BST_CHECKED : BST_UNCHECKED, 0);
            SendMessageW(controls_[TCtl::RadioGroupItem1], BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
          } else if (row.kind == TControlKind::kSwatch) {
            InvalidateRect(w, nullptr, TRUE);
          } else if (row.kind == TControlKind::kSpin) {
            const int tenths = std::clamp(int(value), 0, int(kFadeTimeMax));
            SendMessageW(controls_.FadeArrows(), UDM_SETPOS32, 0, tenths);
            ShowFadeTime(tenths);
          }
          (void)s;
        },
        s.member);
  });
  showing_ = false;
  EnableControls();
}

void TWinConfig::TakeValues() {
  if (showing_) return;
  TSettings& v = model_.Values();
  ForEachBound([&](const TSettingRow& s, const TControlRow& row) {
    HWND w = controls_[row.id];
    std::visit(
        [&](auto member) {
          auto& value = v.*member;
          using T = std::remove_cvref_t<decltype(value)>;
          if constexpr (std::is_same_v<T, std::string>) {
            value = Utf8(ControlText(w));
          } else if constexpr (std::is_same_v<T, bool>) {
            value = SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED;
          } else if (row.kind == TControlKind::kUpDown) {
            value = int32_t(SendMessageW(w, UDM_GETPOS32, 0, 0));
          } else if (row.kind == TControlKind::kRadioGroup) {
            value = SendMessageW(controls_[TCtl::RadioGroupItem0], BM_GETCHECK, 0, 0) == BST_CHECKED   ? 0
                    : SendMessageW(controls_[TCtl::RadioGroupItem1], BM_GETCHECK, 0, 0) == BST_CHECKED ? 1
                                                                                                       : -1;
          } else if (row.kind == TControlKind::kSpin) {
            value = int32_t(SendMessageW(controls_.FadeArrows(), UDM_GETPOS32, 0, 0));
          }
          // The swatch shows the model's colour; the chooser sets it there.
        },
        s.member);
  });
  EnableControls();
}

void TWinConfig::EnableControls() {
  for (const TControlRow& row : ControlTable())
    if (row.enabledBy) EnableWindow(controls_[row.id], model_.Enabled(row.id));
}

void TWinConfig::Command(int id, int code) {
  if (id == IDOK) return btnOKClick();
  if (id == IDCANCEL) return Close(IDCANCEL);
  const TCtl control = TCtl(id - win32::ControlId(TCtl::frmConfig));
  if (control == TCtl::edtIllustFolder) {
    if (code == EN_SETFOCUS && !checking_folder_) {
      TakeValues();
      model_.FolderEntered();
    }
    return;
  }
  if (code != BN_CLICKED && !(control == TCtl::lblUrl && code == STN_CLICKED)) return;
  switch (control) {
    case TCtl::btnIllustFolderSelect: return btnIllustFolderSelectClick();
    case TCtl::btnIllustFolderOpen: return btnIllustFolderOpenClick();
    case TCtl::btnBGColor: return btnBGColorClick();
    case TCtl::lblUrl: return lblUrlClick();
    default: TakeValues();  // a check box or radio item: the enabling rules follow
  }
}

bool TWinConfig::FolderCheck(HWND next) {
  folder_check_pending_ = false;
  // Only moves between this dialog's controls count; leaving the window does not.
  if (next && GetAncestor(next, GA_ROOT) != dialog_) return false;
  TakeValues();
  if (!model_.FolderRefused(controls_.IdOf(next))) return false;
  checking_folder_ = true;
  ReportMissingFolder();
  model_.RestoreFolder();
  Show();
  SelectFolderField();
  checking_folder_ = false;
  return true;
}

void TWinConfig::ReportMissingFolder() {
  MessageBoxW(dialog_, Wide(Tr(win32::kDialogContext, kMissingFolder)).c_str(),
              Wide(Tr(win32::kDialogContext, "情報")).c_str(), MB_OK | MB_ICONINFORMATION);
}

void TWinConfig::SelectFolderField() {
  HWND folder = controls_[TCtl::edtIllustFolder];
  SetFocus(folder);
  SendMessageW(folder, EM_SETSEL, 0, -1);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM lparam, LPARAM data) {
  if (message == BFFM_INITIALIZED) SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, data);
  if (message == BFFM_SELCHANGED) {
    wchar_t path[MAX_PATH] = L"";
    if (SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(lparam), path))
      SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, LPARAM(path));
  }
  return 0;
}

void TWinConfig::btnIllustFolderSelectClick() {
  HWND folder = controls_[TCtl::edtIllustFolder];
  std::wstring current = ControlText(folder);
  const std::wstring title = Wide(Tr(win32::kDialogContext, kBrowseTitle));
  wchar_t display_name[MAX_PATH];
  BROWSEINFOW info{};
  info.hwndOwner = dialog_;
  info.pszDisplayName = display_name;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_STATUSTEXT;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(current.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (!chosen) return;
  wchar_t path[MAX_PATH];
  if (SHGetPathFromIDListW(chosen, path)) SetWindowTextW(folder, path);
  CoTaskMemFree(chosen);
  TakeValues();
}

void TWinConfig::btnIllustFolderOpenClick() {
  TakeValues();
  if (const std::string folder = model_.FolderToOpen(); !folder.empty()) {
    ShellExecuteW(dialog_, L"open", Wide(folder).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return;
  }
  ReportMissingFolder();
  model_.RestoreFolder();
  Show();
}

void TWinConfig::btnBGColorClick() {
  CHOOSECOLORW chooser{};
  chooser.lStructSize = sizeof chooser;
  chooser.hwndOwner = dialog_;
  chooser.rgbResult = model_.Values().bgColor & 0xFFFFFF;
  chooser.lpCustColors = custom_colors_.data();  // kept while the dialog lives
  chooser.Flags = CC_RGBINIT | CC_FULLOPEN | CC_ANYCOLOR;
  if (!ChooseColorW(&chooser)) return;
  model_.ColorChosen(chooser.rgbResult);
  Show();
}

void TWinConfig::lblUrlClick() {
  // The README that the installer puts beside the program.
  const std::string folder = IncludeTrailingSeparator(FolderOf(ProgramPath()));
  for (const char* name : {"README.txt", "README.md"})
    if (FileExists(folder + name)) {
      ShellExecuteW(dialog_, L"open", Wide(folder + name).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
      return;
    }
}

void TWinConfig::btnOKClick() {
  // A click on OK moves the focus first: the folder field's check comes before saving.
  if (folder_check_pending_) {
    MSG pending;
    while (PeekMessageW(&pending, dialog_, kCheckFolder, kCheckFolder, PM_REMOVE)) {
    }
    if (FolderCheck(GetFocus())) return;
  }
  TakeValues();
  try {
    model_.Save();
  } catch (const std::exception& e) {
    // The dialog stays open.
    MessageBoxW(dialog_, Wide(MessageOf(e) + ".").c_str(), Wide(kTitle).c_str(), MB_OK | MB_ICONERROR);
    return;
  }
  Close(IDOK);
}

void TWinConfig::WMDropFiles(HDROP drop) {
  POINT point;
  if (DragQueryPoint(drop, &point)) {
    // Only the first item counts.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    std::wstring path(size_t(length) + 1, L'\0');
    path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
    if (!path.empty()) {
      SetForegroundWindow(dialog_);
      TakeValues();
      model_.Dropped(Utf8(path));
      Show();
      SelectFolderField();
    }
  }
  DragFinish(drop);
}

void TWinConfig::Close(int result) {
  if (closing_) return;
  closing_ = true;
  // The icon slides out of its group, faster at each step.
  HWND icon = controls_[TCtl::imgProgramIcon];
  const TControlRow& row = ControlRow(TCtl::imgProgramIcon);
  for (const int left : IconSlideSteps()) {
    SetWindowPos(icon, nullptr, controls_.Scale(left), controls_.Scale(row.top), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    UpdateWindow(controls_[row.parent]);
    Sleep(12);
  }
  DragAcceptFiles(dialog_, FALSE);
  EndDialog(dialog_, result);
}

}  // namespace

int RunConfigDialog(HWND owner) {
  TWinConfig dialog;
  return dialog.Run(owner);
}

}  // namespace orv
