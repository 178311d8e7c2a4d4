// The dialog's Win32 controls made from the shared layout table, and laid out
// again whenever the window's DPI changes.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "config/config_model.h"

// After our headers: the Windows macros RGB and Get?Value would rename the
// platform's colour helpers.
#include <windows.h>

namespace orv::win32 {

// Control ids: the dialog manager's for OK and Cancel (Enter and Esc press
// them), the row's place in the table for the others.
int ControlId(TCtl id);
// The arrows of the fade-time spin, which the table writes as one control.
constexpr int kFadeArrowsId = 2000;
constexpr char kDialogContext[] = "orv::TfrmConfig";

// A row's text in the user's language (empty for rows without text).
std::wstring RowText(const TControlRow& row);
// The window's DPI (96 where the system cannot tell).
UINT DpiOf(HWND window);

class TDialogControls {
 public:
  TDialogControls() = default;
  TDialogControls(const TDialogControls&) = delete;
  TDialogControls& operator=(const TDialogControls&) = delete;
  ~TDialogControls();

  // Makes every control of the table as a child of form, in the table's
  // order (the tab order), then lays them out for dpi.
  void Create(HWND form, HICON program_icon, UINT dpi);
  // Fonts, positions and sizes for dpi.
  void Layout(UINT dpi);
  int Scale(int value) const { return MulDiv(value, int(dpi_), 96); }
  UINT Dpi() const { return dpi_; }

  HWND operator[](TCtl id) const { return windows_[size_t(id)]; }
  HWND FadeArrows() const { return fade_arrows_; }
  // The control a window is, frmConfig when it is none of them.
  TCtl IdOf(HWND window) const;

 private:
  HFONT Font(int px, bool underline);
  RECT Placement(const TControlRow& row, HDC dc);

  HWND form_ = nullptr;
  UINT dpi_ = 96;
  std::vector<HWND> windows_;
  HWND fade_arrows_ = nullptr;
  std::map<std::pair<int, bool>, HFONT> fonts_;
  std::vector<HICON> glyphs_;
  // What the controls drew with before a DPI change, kept while they may still use it.
  std::vector<HFONT> old_fonts_;
  std::vector<HICON> old_glyphs_;
};

}  // namespace orv::win32
