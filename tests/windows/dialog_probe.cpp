// Reads the configuration dialog of another process from the window tree and
// checks it against the layout table: every control's class, style, text,
// place and size at the window's DPI, the tab order, the language, and that
// no two controls overlap. Also types into the folder field and waits for
// the dialog's message boxes, for the end-to-end script.
//   dialog_probe check | origin | folder | message | no-message | set-folder TEXT
#include <cstdio>
#include <variant>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/win32/win32_controls.h"  // before the other Windows headers
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

namespace {

using namespace orv;
using K = TControlKind;

HWND FindDialog(int seconds) {
  for (int i = 0; i < seconds * 10; ++i) {
    // Shown once its controls are made and placed.
    if (HWND w = FindWindowW(L"#32770", L"Orvanne"); w && IsWindowVisible(w)) return w;
    Sleep(100);
  }
  return nullptr;
}

HWND Find(HWND dialog, int id) {
  struct Search {
    int id;
    HWND found;
  } search{id, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (GetDlgCtrlID(w) != s->id) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::wstring TextOf(HWND w) {
  wchar_t buffer[1024];
  return std::wstring(buffer, size_t(GetWindowTextW(w, buffer, 1024)));
}

std::string ClassOf(HWND w) {
  wchar_t buffer[128];
  std::string name = win32::Utf8(buffer, size_t(GetClassNameW(w, buffer, 128)));
  for (char& c : name) c = char(tolower(c));
  return name;
}

const char* ExpectedClass(K kind) {
  switch (kind) {
    case K::kLabel: case K::kLink: case K::kSwatch: return "static";
    case K::kEdit: case K::kReadOnlyEdit: case K::kSpin: return "edit";
    case K::kUpDown: return "msctls_updown32";
    case K::kImage: return "orvanneprogramicon";
    default: return "button";
  }
}

// The button style a kind must have, -1 for none.
int ExpectedButtonStyle(K kind) {
  switch (kind) {
    case K::kGroup: case K::kRadioGroup: return BS_GROUPBOX;
    case K::kCheckBox: case K::kHeadingCheckBox: return BS_AUTOCHECKBOX;
    case K::kRadioItem: return BS_AUTORADIOBUTTON;
    case K::kDefaultButton: return BS_DEFPUSHBUTTON;
    case K::kButton: case K::kGlyphButton: return BS_PUSHBUTTON;
    default: return -1;
  }
}

// A visible dialog window that the dialog owns (a message box, the browser, the chooser).
HWND OwnedBox(HWND dialog) {
  HWND box = nullptr;
  while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)))
    if (box != dialog && GetWindow(box, GW_OWNER) == dialog && IsWindowVisible(box)) return box;
  return nullptr;
}

bool TableAncestor(TCtl ancestor, TCtl id) {
  for (TCtl p = ControlRow(id).parent; p != TCtl::frmConfig; p = ControlRow(p).parent)
    if (p == ancestor) return true;
  return false;
}

int Check(HWND dialog) {
  int faults = 0;
  auto fault = [&](const TControlRow& row, const std::string& what) {
    std::printf("%s: %s\n", row.name, what.c_str());
    ++faults;
  };
  const UINT dpi = win32::DpiOf(dialog);
  auto scale = [&](int v) { return MulDiv(v, int(dpi), 96); };
  RECT client;
  GetClientRect(dialog, &client);
  if (client.right != scale(kFormClientWidth) || client.bottom != scale(FormClientHeight())) {
    std::printf("client area %ld x %ld, expected %d x %d\n", client.right, client.bottom, scale(kFormClientWidth),
                scale(FormClientHeight()));
    ++faults;
  }
  std::vector<RECT> placed(ControlTable().size() + 1);
  std::vector<int> expected, visited;  // tab stops
  int ascii_only = 0, texts = 0;
  for (const TControlRow& row : ControlTable()) {
    HWND w = Find(dialog, win32::ControlId(row.id));
    if (!w) {
      fault(row, "missing");
      continue;
    }
    if (ClassOf(w) != ExpectedClass(row.kind)) fault(row, "class " + ClassOf(w));
    const LONG style = GetWindowLongW(w, GWL_STYLE);
    if (const int button = ExpectedButtonStyle(row.kind); button >= 0 && (style & BS_TYPEMASK) != button)
      fault(row, "button style " + std::to_string(style & BS_TYPEMASK));
    if ((row.kind == K::kReadOnlyEdit) != ((style & ES_READONLY) && ClassOf(w) == "edit" && row.kind != K::kSpin))
      fault(row, "read-only state");
    // Of a radio group, tab reaches the checked item only (Windows keeps the stop there).
    const bool stop = row.tabStop && (row.kind != K::kRadioItem || SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED);
    if (bool(style & WS_TABSTOP) != stop) fault(row, "tab stop");
    if (stop && IsWindowEnabled(w)) expected.push_back(win32::ControlId(row.id));  // tab skips greyed ones
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    if (row.kind == K::kSpin)  // the edit and its arrows make the table's one control
      if (HWND arrows = GetDlgItem(dialog, win32::kFadeArrowsId)) {
        RECT a;
        GetWindowRect(arrows, &a);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&a), 2);
        r.right = a.right;
      }
    placed[size_t(row.id)] = r;
    int left = row.left, top = row.top;
    for (TCtl p = row.parent; p != TCtl::frmConfig; p = ControlRow(p).parent) {
      left += ControlRow(p).left;
      top += ControlRow(p).top;
    }
    if (row.kind == K::kRadioItem) {
      const RECT& g = placed[size_t(row.parent)];
      if (r.left < g.left || r.right > g.right || r.top < g.top || r.bottom > g.bottom) fault(row, "outside its group");
    } else if (r.left != scale(left) || r.top != scale(top)) {
      fault(row, "at " + std::to_string(r.left) + "," + std::to_string(r.top) + ", expected " +
                     std::to_string(scale(left)) + "," + std::to_string(scale(top)));
    } else if (row.width && (r.right != scale(left + row.width) || r.bottom != scale(top + row.height))) {
      // Edges are scaled, so that neighbours stay neighbours at any DPI.
      fault(row, "size " + std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top));
    }
    if (r.right > client.right || r.bottom > client.bottom) fault(row, "reaches past the window");
    const std::wstring text = TextOf(w);
    if (row.id == TCtl::lblProductName) {
      if (text != L"Orvanne") fault(row, "title " + win32::Utf8(text));
    } else if (row.id == TCtl::lblVersion) {
      if (text.rfind(L"Orvanne version ", 0) != 0) fault(row, "version text " + win32::Utf8(text));
    } else if (row.text && row.kind != K::kSpin && text != win32::RowText(row)) {
      fault(row, "text " + win32::Utf8(text));
    }
    if (row.text && row.kind != K::kEdit && row.kind != K::kReadOnlyEdit && row.kind != K::kSpin) {
      ++texts;
      bool ascii = true;
      for (wchar_t c : text) ascii = ascii && c < 0x80;
      ascii_only += ascii;
    }
  }
  // A control bound to a setting's check box is greyed exactly while that box is unchecked.
  for (const TControlRow& row : ControlTable()) {
    if (!row.enabledBy) continue;
    for (const TSettingRow& setting : SettingsTable()) {
      const auto* flag = std::get_if<bool TSettings::*>(&setting.member);
      if (!flag || *flag != row.enabledBy || !setting.dialogControl) continue;
      for (const TControlRow& box : ControlTable())
        if (box.name == std::string(setting.dialogControl)) {
          const bool checked =
              SendMessageW(Find(dialog, win32::ControlId(box.id)), BM_GETCHECK, 0, 0) == BST_CHECKED;
          if (bool(IsWindowEnabled(Find(dialog, win32::ControlId(row.id)))) != checked)
            fault(row, std::string("enabled while ") + box.name + (checked ? " is checked: no" : " is unchecked"));
        }
    }
  }
  // The language: English leaves no Japanese on the controls; Japanese
  // keeps the texts as written (most of them not ASCII).
  if (win32::EnglishUi() ? ascii_only != texts : ascii_only * 2 > texts) {
    std::printf("language: %d of %d texts ASCII\n", ascii_only, texts);
    ++faults;
  }
  for (const TControlRow& a : ControlTable())
    for (const TControlRow& b : ControlTable()) {
      if (&a >= &b || a.kind == K::kRadioItem || b.kind == K::kRadioItem) continue;
      if (TableAncestor(a.id, b.id) || TableAncestor(b.id, a.id)) continue;
      if ((a.kind == K::kUpDown && a.partner == b.id) || (b.kind == K::kUpDown && b.partner == a.id)) continue;
      RECT both;
      // The name and version rows lie 12 pixels apart, closer than a line of
      // text is tall: labels may share a few pixels of their line spacing.
      const bool labels = a.kind == K::kLabel && b.kind == K::kLabel;
      if (IntersectRect(&both, &placed[size_t(a.id)], &placed[size_t(b.id)]) &&
          !(labels && both.bottom - both.top <= MulDiv(4, int(dpi), 96)))
        fault(a, std::string("overlaps ") + b.name);
    }
  // Tab visits the table's stops in its order, from the folder field on.
  HWND stop = Find(dialog, win32::ControlId(TCtl::edtIllustFolder));
  for (size_t i = 0; stop && i < expected.size(); ++i) {
    visited.push_back(GetDlgCtrlID(stop));
    stop = GetNextDlgTabItem(dialog, stop, FALSE);
  }
  if (visited != expected) {
    std::printf("tab order:");
    for (int id : visited) std::printf(" %d", id);
    std::printf("\n");
    ++faults;
  }
  std::printf("%zu controls at %u dpi, %d texts; %d faults\n", ControlTable().size(), dpi, texts, faults);
  return faults == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  SetProcessDPIAware();
  const std::wstring command = argc > 1 ? argv[1] : L"";
  HWND dialog = FindDialog(60);
  if (!dialog) {
    std::printf("no dialog\n");
    return 2;
  }
  if (command == L"check") return Check(dialog);
  if (command == L"origin") {  // the client area's top left on the screen, for clicks
    POINT origin{0, 0};
    ClientToScreen(dialog, &origin);
    std::printf("%ld %ld\n", origin.x, origin.y);
    return 0;
  }
  if (command == L"folder") {
    std::printf("%s\n", win32::Utf8(TextOf(Find(dialog, win32::ControlId(TCtl::edtIllustFolder)))).c_str());
    return 0;
  }
  if (command == L"message") {  // the message box or chooser the dialog shows: its caption and texts
    for (int i = 0; i < 100; ++i, Sleep(100))
      if (HWND box = OwnedBox(dialog)) {
        std::string text;
        EnumChildWindows(
            box,
            [](HWND w, LPARAM p) -> BOOL {
              if (ClassOf(w) == "static" && GetWindowTextLengthW(w) > 0)
                *reinterpret_cast<std::string*>(p) += win32::Utf8(TextOf(w));
              return TRUE;
            },
            reinterpret_cast<LPARAM>(&text));
        std::printf("%s: %s\n", win32::Utf8(TextOf(box)).c_str(), text.c_str());
        return 0;
      }
    std::printf("no message\n");
    return 1;
  }
  if (command == L"no-message") {  // waits until it is gone (closing takes a while without a window manager)
    for (int i = 0; i < 100; ++i, Sleep(100))
      if (!OwnedBox(dialog)) return 0;
    return 1;
  }
  if (command == L"set-folder" && argc > 2) {
    HWND folder = Find(dialog, win32::ControlId(TCtl::edtIllustFolder));
    return folder && SendMessageW(folder, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[2])) ? 0 : 1;
  }
  std::printf("usage: dialog_probe check | origin | folder | message | no-message | set-folder TEXT\n");
  return 2;
}
