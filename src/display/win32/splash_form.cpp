#include "display/win32/splash_form.h"

#include <algorithm>
#include <cmath>

#include "platform/win32/desktop.h"
#include "platform/win32/gdi_text_canvas.h"
#include "platform/win32/wide.h"

// After our headers: its colour macros would clash with ours.
#include <windows.h>

namespace orv::win32 {

namespace {
constexpr int kClientWidth = 168;
constexpr int kClientHeight = 54;
constexpr wchar_t kClassName[] = L"OrvanneSplash";
// Often enough that a long walk looks alive, seldom enough to cost nothing.
constexpr uint32_t kAnswerEveryMs = 100;

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  auto* form = reinterpret_cast<TfrmSplash*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && form) {
    form->Paint();
    return 0;
  }
  if (message == WM_ERASEBKGND) return 1;  // Paint covers every pixel
  return DefWindowProcW(window, message, w, l);
}

void RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = SplashProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // IDC_WAIT
    c.lpszClassName = kClassName;
    return RegisterClassW(&c) != 0;
  }();
  (void)registered;
}
}  // namespace

TfrmSplash::TfrmSplash() {
  RegisterClassOnce();
  scale_ = WindowScale(nullptr);
  const int w = int(std::lround(kClientWidth * scale_)), h = int(std::lround(kClientHeight * scale_));
  const TRect primary = MonitorRects().front();
  handle_ = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClassName, L"", WS_POPUP,
                            primary.Left + (primary.Width() - w) / 2, primary.Top + (primary.Height() - h) / 2, w, h,
                            nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!handle_) return;
  SetWindowLongPtrW(handle_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  ShowWindow(handle_, SW_SHOWNOACTIVATE);
  UpdateWindow(handle_);
}

TfrmSplash::~TfrmSplash() {
  if (!handle_) return;
  SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
  DestroyWindow(handle_);
}

void TfrmSplash::Repaint() {
  if (!handle_) return;
  InvalidateRect(handle_, nullptr, FALSE);
  UpdateWindow(handle_);
}

void TfrmSplash::StillSearching(size_t count) {
  const uint32_t now = GetTickCount();
  if (now - lastAnswer_ < kAnswerEveryMs) return;
  lastAnswer_ = now;
  SetCaption(SearchingText(count));
  Repaint();
  // Peeking runs the messages other threads send us; nothing is taken off
  // the queue, so no input reaches the show before it starts.
  MSG msg;
  PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);
}

void TfrmSplash::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  auto px = [this](int v) { return int(std::lround(v * scale_)); };
  RECT client;
  GetClientRect(handle_, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
  // The panel's raised bevel, four pixels wide.
  RECT edge = client;
  DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_ADJUST);
  DrawEdge(dc, &edge, EDGE_RAISED, BF_RECT | BF_ADJUST);

  LOGFONTW lf{};
  lf.lfHeight = -px(12);
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, kDefaultFontName, LF_FACESIZE - 1);
  HFONT font = CreateFontIndirectW(&lf);
  HGDIOBJ old = SelectObject(dc, font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  const std::wstring caption = Wide(lblCaption);
  TextOutW(dc, px(8), px(8), caption.c_str(), int(caption.size()));
  SelectObject(dc, old);
  DeleteObject(font);

  RECT bar{px(8), px(24), px(8 + 150), px(24 + 17)};
  DrawEdge(dc, &bar, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  FillRect(dc, &bar, GetSysColorBrush(COLOR_WINDOW));
  RECT done = bar;
  done.right = bar.left + (bar.right - bar.left) * std::clamp(ProgressBar, 0, 100) / 100;
  FillRect(dc, &done, GetSysColorBrush(COLOR_HIGHLIGHT));
  EndPaint(handle_, &ps);
}

std::vector<std::string> SearchPicturesWithSplash(const std::string& folder, bool subFolders, bool splash) {
  if (!splash) {
    TSilentProgress silent;
    return SearchPictures(folder, silent, subFolders);
  }
  TfrmSplash frmSplash;
  return SearchPictures(folder, frmSplash, subFolders);
}

}  // namespace orv::win32
