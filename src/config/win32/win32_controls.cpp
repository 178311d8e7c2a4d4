#include "config/win32/win32_controls.h"

#include <commctrl.h>

#include <algorithm>

#include "config/glyph_maps.h"
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

namespace orv::win32 {

namespace {

using K = TControlKind;

constexpr wchar_t kIconClass[] = L"OrvanneProgramIcon";
constexpr wchar_t kFontFace[] = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF";  // ＭＳ Ｐゴシック

// The program's icon stretched to the control; the icon handle rides in the
// window's user data.
LRESULT CALLBACK IconProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT r;
    GetClientRect(window, &r);
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
    if (auto icon = reinterpret_cast<HICON>(GetWindowLongPtrW(window, GWLP_USERDATA)))
      DrawIconEx(dc, 0, 0, icon, r.right, r.bottom, 0, nullptr, DI_NORMAL);
    EndPaint(window, &ps);
    return 0;
  }
  if (message == WM_NCHITTEST) return HTTRANSPARENT;
  return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterIconClass() {
  static const bool done = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = IconProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    c.lpszClassName = kIconClass;
    return RegisterClassW(&c) != 0;
  }();
  (void)done;
}

// A glyph as an icon of size x size pixels (nearest neighbour), its
// bottom-left pixel's colour transparent.
HICON GlyphIcon(TGlyphId glyph, int size) {
  BITMAPV5HEADER h{};
  h.bV5Size = sizeof h;
  h.bV5Width = size;
  h.bV5Height = -size;  // top row first
  h.bV5Planes = 1;
  h.bV5BitCount = 32;
  h.bV5Compression = BI_BITFIELDS;
  h.bV5RedMask = 0x00FF0000;
  h.bV5GreenMask = 0x0000FF00;
  h.bV5BlueMask = 0x000000FF;
  h.bV5AlphaMask = 0xFF000000;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP color = CreateDIBSection(screen, reinterpret_cast<BITMAPINFO*>(&h), DIB_RGB_COLORS, &bits, nullptr, 0);
  ReleaseDC(nullptr, screen);
  if (!color) return nullptr;
  const uint32_t transparent = GlyphPixel(glyph, 0, kGlyphSize - 1);
  std::vector<uint8_t> mask(size_t((size + 15) / 16 * 2) * size, 0);  // 1 = transparent, rows of whole words
  auto* out = static_cast<uint32_t*>(bits);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const uint32_t p = GlyphPixel(glyph, x * kGlyphSize / size, y * kGlyphSize / size);
      const bool clear = p == transparent;
      out[size_t(y) * size + x] = clear ? 0 : 0xFF000000u | p;
      if (clear) mask[size_t(y) * ((size + 15) / 16 * 2) + x / 8] |= uint8_t(0x80 >> (x % 8));
    }
  HBITMAP mono = CreateBitmap(size, size, 1, 1, mask.data());
  ICONINFO info{TRUE, 0, 0, mono, color};
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(mono);
  DeleteObject(color);
  return icon;
}

struct TWindowKind {
  const wchar_t* cls;
  DWORD style;
  DWORD ex_style;
};

TWindowKind KindOf(const TControlRow& row) {
  switch (row.kind) {
    case K::kGroup:
    case K::kRadioGroup: return {L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
    case K::kLabel: return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
    case K::kLink: return {L"STATIC", SS_LEFT | SS_NOPREFIX | SS_NOTIFY, 0};
    case K::kImage: return {kIconClass, 0, 0};
    case K::kEdit: return {L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE};
    case K::kReadOnlyEdit:
    case K::kSpin: return {L"EDIT", ES_AUTOHSCROLL | ES_READONLY, WS_EX_CLIENTEDGE};
    case K::kUpDown: return {UPDOWN_CLASSW, UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS, 0};
    case K::kCheckBox:
    case K::kHeadingCheckBox: return {L"BUTTON", BS_AUTOCHECKBOX, 0};
    case K::kSwatch: return {L"STATIC", SS_SUNKEN, 0};
    case K::kGlyphButton:
    case K::kButton: return {L"BUTTON", BS_PUSHBUTTON, 0};
    case K::kDefaultButton: return {L"BUTTON", BS_DEFPUSHBUTTON, 0};
    case K::kRadioItem: return {L"BUTTON", BS_AUTORADIOBUTTON, 0};
  }
  return {L"STATIC", 0, 0};
}

// The program icon clips against its group, so that it slides out of sight
// at the group's edge; every other control is the form's own child.
bool ChildOfGroup(const TControlRow& row) { return row.kind == K::kImage; }

}  // namespace

int ControlId(TCtl id) {
  if (id == TCtl::btnOK) return IDOK;
  if (id == TCtl::btnCancel) return IDCANCEL;
  return 1000 + int(id);
}

std::wstring RowText(const TControlRow& row) {
  return row.text ? Wide(Tr(kDialogContext, row.text)) : std::wstring();
}

UINT DpiOf(HWND window) {
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get)
    if (const UINT dpi = get(window)) return dpi;
  HDC dc = GetDC(window);
  const int dpi = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
  if (dc) ReleaseDC(window, dc);
  return dpi > 0 ? UINT(dpi) : 96;
}

TDialogControls::~TDialogControls() {
  // The windows are gone with the dialog; what they drew with is ours.
  for (auto& [key, font] : fonts_) DeleteObject(font);
  for (HFONT font : old_fonts_) DeleteObject(font);
  for (HICON icon : glyphs_) DestroyIcon(icon);
  for (HICON icon : old_glyphs_) DestroyIcon(icon);
}

HFONT TDialogControls::Font(int px, bool underline) {
  auto [it, fresh] = fonts_.try_emplace({px, underline}, nullptr);
  if (fresh)
    it->second = CreateFontW(-Scale(px), 0, 0, 0, FW_NORMAL, FALSE, underline, FALSE, SHIFTJIS_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS,
                             kFontFace);
  return it->second;
}

TCtl TDialogControls::IdOf(HWND window) const {
  if (!window) return TCtl::frmConfig;
  for (size_t i = 1; i < windows_.size(); ++i)
    if (windows_[i] == window) return TCtl(i);
  if (window == fade_arrows_) return TCtl::spnFadeTime;
  return TCtl::frmConfig;
}

void TDialogControls::Create(HWND form, HICON program_icon, UINT dpi) {
  RegisterIconClass();
  form_ = form;
  dpi_ = dpi;
  windows_.assign(ControlTable().size() + 1, nullptr);
  windows_[size_t(TCtl::frmConfig)] = form;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  for (const TControlRow& row : ControlTable()) {
    const TWindowKind kind = KindOf(row);
    DWORD style = WS_CHILD | WS_VISIBLE | kind.style;
    if (row.tabStop) style |= WS_TABSTOP;
    // Arrow keys move between the two radio items only.
    if (row.id != TCtl::RadioGroupItem1) style |= WS_GROUP;
    if (row.id == TCtl::GroupBox2) style |= WS_CLIPCHILDREN;
    HWND parent = ChildOfGroup(row) ? windows_[size_t(row.parent)] : form;
    HWND w = CreateWindowExW(kind.ex_style, kind.cls, RowText(row).c_str(), style, 0, 0, 0, 0, parent,
                             reinterpret_cast<HMENU>(INT_PTR(ControlId(row.id))), instance, nullptr);
    windows_[size_t(row.id)] = w;
    if (row.kind == K::kImage) SetWindowLongPtrW(w, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(program_icon));
    if (row.kind == K::kUpDown) {
      const TSettingRow* bound = nullptr;
      for (const TSettingRow& s : SettingsTable())
        if (s.dialogControl && std::string(s.dialogControl) == row.name) bound = &s;
      SendMessageW(w, UDM_SETBUDDY, WPARAM(windows_[size_t(row.partner)]), 0);
      SendMessageW(w, UDM_SETRANGE32, bound ? bound->low : 0, bound ? bound->high : 100);
      SendMessageW(w, UDM_SETPOS32, 0, TSettings().changeSec);
    }
    if (row.kind == K::kSpin) {
      // Tenths shown as seconds: the arrows hold the tenths, the face writes the text.
      fade_arrows_ = CreateWindowExW(0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | UDS_ARROWKEYS, 0, 0, 0, 0, form,
                                     reinterpret_cast<HMENU>(INT_PTR(kFadeArrowsId)), instance, nullptr);
      SendMessageW(fade_arrows_, UDM_SETBUDDY, WPARAM(w), 0);
      SendMessageW(fade_arrows_, UDM_SETRANGE32, 0, kFadeTimeMax);
    }
  }
  // Frames lie below the controls they hold and do not paint over them (a
  // heading check box covers its frame's top line).
  for (const TControlRow& row : ControlTable())
    if (row.kind == K::kGroup || row.kind == K::kRadioGroup)
      SetWindowPos(windows_[size_t(row.id)], HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  Layout(dpi);
}

RECT TDialogControls::Placement(const TControlRow& row, HDC dc) {
  int left = row.left, top = row.top, width = row.width, height = row.height;
  if (row.kind == K::kRadioItem) {
    // The items share the height below the caption evenly, one per row.
    const TControlRow& group = ControlRow(row.parent);
    const int count = int(std::count_if(ControlTable().begin(), ControlTable().end(),
                                        [&](const TControlRow& r) { return r.parent == row.parent; }));
    const int index = int(row.id) - int(row.parent) - 1;
    const int caption = group.fontPx ? group.fontPx + 2 : kFormFontPx + 2;
    const int each = (group.height - caption - 4) / std::max(count, 1);
    const int h = std::min(each, 17);
    left = 8;
    top = caption + index * each + (each - h) / 2;
    width = group.width - 16;
    height = h;
  }
  // Positions in the table are within the parent row; the windows are the form's children.
  for (TCtl p = row.parent; p != TCtl::frmConfig && !(ChildOfGroup(row) && p == row.parent);
       p = ControlRow(p).parent) {
    left += ControlRow(p).left;
    top += ControlRow(p).top;
  }
  RECT r{Scale(left), Scale(top), Scale(left + width), Scale(top + height)};
  if (width == 0) {
    // Sized to its text, as labels with automatic size are.
    const std::wstring text = RowText(row);
    wchar_t buffer[512];
    const int n = GetWindowTextW(windows_[size_t(row.id)], buffer, 512);
    SIZE size{0, 0};
    GetTextExtentPoint32W(dc, n > 0 ? buffer : text.c_str(), n > 0 ? n : int(text.size()), &size);
    r.right = r.left + size.cx;
    r.bottom = r.top + size.cy;
  }
  return r;
}

void TDialogControls::Layout(UINT dpi) {
  if (dpi != dpi_) {
    // Windows still hold the old fonts until they are given the new ones.
    for (auto& [key, font] : fonts_) old_fonts_.push_back(font);
    fonts_.clear();
    old_glyphs_.insert(old_glyphs_.end(), glyphs_.begin(), glyphs_.end());
    glyphs_.clear();
    dpi_ = dpi;
  }
  HDC dc = GetDC(form_);
  SendMessageW(form_, WM_SETFONT, WPARAM(Font(kFormFontPx, false)), FALSE);
  for (const TControlRow& row : ControlTable()) {
    HWND w = windows_[size_t(row.id)];
    const int px = row.kind == K::kRadioItem ? ControlRow(row.parent).fontPx : row.fontPx;
    HFONT font = Font(px ? px : kFormFontPx, row.kind == K::kLink);
    SendMessageW(w, WM_SETFONT, WPARAM(font), FALSE);
    HGDIOBJ old = SelectObject(dc, font);
    RECT r = Placement(row, dc);
    SelectObject(dc, old);
    if (row.kind == K::kSpin) {
      r.right -= Scale(16);
      SetWindowPos(fade_arrows_, nullptr, r.right, r.top, Scale(16), r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetWindowPos(w, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, SWP_NOZORDER | SWP_NOACTIVATE);
    if (row.glyph != TGlyphId::kNone) {
      HICON icon = GlyphIcon(row.glyph, Scale(kGlyphSize));
      glyphs_.push_back(icon);
      SendMessageW(w, BM_SETIMAGE, IMAGE_ICON, LPARAM(icon));
    }
  }
  ReleaseDC(form_, dc);
  InvalidateRect(form_, nullptr, TRUE);
}

}  // namespace orv::win32
