#include "display/win32/display_form.h"

#include "config/settings.h"
#include "display/win32/splash_form.h"
#include "platform/win32/desktop.h"
#include "platform/win32/gdi_text_canvas.h"
#include "platform/win32/ui_language.h"
#include "platform/win32/wide.h"

// After our headers: its colour macros would clash with ours.
#include <windows.h>

namespace orv::win32 {

namespace {
constexpr wchar_t kClassName[] = L"OrvanneShow";
constexpr UINT_PTR kTimerId = 1;

LRESULT CALLBACK DisplayProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(l);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* form = reinterpret_cast<TfrmMain*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (form) return form->Message(window, message, w, l);
  return DefWindowProcW(window, message, w, l);
}

void RegisterClassOnce() {
  static const bool registered = [] {
    WNDCLASSW c{};
    c.lpfnWndProc = DisplayProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // IDC_ARROW
    c.lpszClassName = kClassName;
    return RegisterClassW(&c) != 0;
  }();
  (void)registered;
}

TPoint CursorPos() {
  POINT p{};
  GetCursorPos(&p);
  return {int(p.x), int(p.y)};
}
}  // namespace

TfrmMain::TfrmMain(const TRect& monitor, bool splash)
    : TSlideshow(static_cast<ISlideshowFace&>(*this)), monitor_(monitor) {
  preparer_ = std::make_unique<TPicturePreparer>(true);
  SetServices(nullptr, nullptr, preparer_.get());
  FormCreate(splash);
}

TfrmMain::TfrmMain(const TfrmMain& first, const TRect& monitor)
    : TSlideshow(static_cast<ISlideshowFace&>(*this)), monitor_(monitor), extra_(true) {
  preparer_ = std::make_unique<TPicturePreparer>(true);
  SetServices(nullptr, nullptr, preparer_.get());
  FollowFirst(first);
  TakeBackground(monitor_.Width(), monitor_.Height(), [this](TBitmap& bmp) { TakeSnapshot(monitor_, bmp); });
}

TfrmMain::~TfrmMain() {
  FormDestroy();
  // The window itself goes with the process, which ends right after the
  // show: destroying it here would only wait for the window system.
  if (handle_) SetWindowLongPtrW(handle_, GWLP_USERDATA, 0);
}

void TfrmMain::FormCreate(bool splash) {
  Gather(
      nullptr, monitor_.Width(), monitor_.Height(), [this](TBitmap& bmp) { TakeSnapshot(monitor_, bmp); },
      [splash](const std::string& folder, bool sub) { return SearchPicturesWithSplash(folder, sub, splash); });
}

bool TfrmMain::Create(uint32_t exStyle, uint32_t style, const TRect& bounds, HWND__* parent) {
  RegisterClassOnce();
  const std::wstring title = Wide(Translate("スクリーンセーバー"));
  handle_ = CreateWindowExW(exStyle, kClassName, title.c_str(), style, bounds.Left, bounds.Top, bounds.Width(),
                            bounds.Height(), parent, nullptr, GetModuleHandleW(nullptr), this);
  if (!handle_) return false;
  FormResize();
  return true;
}

bool TfrmMain::ShowFullScreen() {
  isPreview = false;
  // WS_EX_TOOLWINDOW: no taskbar button for the show.
  if (!Create(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, WS_POPUP, monitor_, nullptr)) return false;
  ShowWindow(handle_, SW_SHOW);
  if (!extra_) {
    SetForegroundWindow(handle_);
    SetFocus(handle_);
  }
  FormShow();
  return true;
}

bool TfrmMain::ShowInHost(HWND__* host) {
  isPreview = true;
  host_ = host;
  RECT client{};
  if (!IsWindow(host) || !GetClientRect(host, &client)) return false;
  if (!Create(0, WS_CHILD | WS_CLIPSIBLINGS, Rect(0, 0, client.right, client.bottom), host)) return false;
  ShowWindow(handle_, SW_SHOW);
  FormShow();
  return true;
}

void TfrmMain::FormShow() {
  if (!isPreview) {
    if (!extra_) {
      SetScreenSaverRunning(true);
      markSet_ = true;
    }
    ShowBackground();
  }
  SetTimer(handle_, kTimerId, kTimerIntervalMs, nullptr);
  timerOn_ = true;
  Start(CursorPos());
}

void TfrmMain::FormResize() {
  RECT client{};
  GetClientRect(handle_, &client);
  // A preview shows the whole primary screen's frame, shrunk.
  const TRect area = isPreview ? MonitorRects().front() : monitor_;
  Resize(int(client.right), int(client.bottom), area.Width(), area.Height(), WindowScale(handle_), timerOn_);
}

void TfrmMain::tmrMainTimer() {
  Tick();
  if (isPreview) FollowHost();
}

// The host's window may go (the preview ends with it) or change its size.
void TfrmMain::FollowHost() {
  if (!IsWindow(host_)) {
    End();
    return;
  }
  RECT host{}, own{};
  GetClientRect(host_, &host);
  GetClientRect(handle_, &own);
  if (host.right != own.right || host.bottom != own.bottom)
    MoveWindow(handle_, 0, 0, host.right, host.bottom, TRUE);
}

void TfrmMain::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  if (handle_ && timerOn_) KillTimer(handle_, kTimerId);
  timerOn_ = false;
  preparer_.reset();  // stops a decode in progress and joins the worker
  SetPictureSource(nullptr);
  Stop();
  // Also when the window went first (the system closed it).
  if (markSet_) SetScreenSaverRunning(false);
  markSet_ = false;
}

intptr_t TfrmMain::Message(HWND__* window, unsigned message, uintptr_t w, intptr_t l) {
  if (!handle_ && !destroyed_ && message != WM_DESTROY && message != WM_NCDESTROY) handle_ = window;
  switch (message) {
    case WM_PAINT: Paint(); return 0;
    case WM_ERASEBKGND: return 1;  // the frame covers the window
    case WM_TIMER:
      if (w == kTimerId && !destroyed_) tmrMainTimer();
      return 0;
    case WM_SIZE:
      if (!destroyed_) FormResize();
      return 0;
    case WM_DPICHANGED:
    case WM_DPICHANGED_AFTERPARENT:
      // The window keeps covering its monitor (or its host); the text takes the new scale.
      if (!destroyed_) FormResize();
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      KeyDown();
      return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONUP: case WM_RBUTTONDOWN: case WM_RBUTTONUP:
    case WM_MBUTTONDOWN: case WM_MBUTTONUP: case WM_XBUTTONDOWN: case WM_XBUTTONUP:
      MouseButton();
      return 0;
    case WM_MOUSEMOVE: {
      POINT p{short(LOWORD(l)), short(HIWORD(l))};
      ClientToScreen(window, &p);
      MouseMove({int(p.x), int(p.y)});
      return 0;
    }
    case WM_SETCURSOR:
      // No cursor over the show; the host's own over a preview.
      if (!isPreview && LOWORD(l) == HTCLIENT) {
        SetCursor(nullptr);
        return TRUE;
      }
      break;
    case WM_SYSCOMMAND:
      // The system must not start another saver over this one.
      if (!isPreview && (w & 0xFFF0) == SC_SCREENSAVE) return 0;
      break;
    case WM_DESTROY:
      // A preview's window goes with its host's.
      handle_ = nullptr;
      End();
      return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

void TfrmMain::Paint() {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(handle_, &ps);
  if (!shown_.Empty() && shown_.BitsPerPixel() == 32) {
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = shown_.Width();
    bi.bmiHeader.biHeight = -shown_.Height();  // top row first, as TBitmap
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    SetDIBitsToDevice(dc, 0, 0, DWORD(shown_.Width()), DWORD(shown_.Height()), 0, 0, 0, UINT(shown_.Height()),
                      shown_.Bits(), &bi, DIB_RGB_COLORS);
  }
  EndPaint(handle_, &ps);
}

std::unique_ptr<ITextCanvas> TfrmMain::TextCanvas(TBitmap& bitmap) { return std::make_unique<TGdiTextCanvas>(bitmap); }

void TfrmMain::Repaint(bool immediate) {
  if (!handle_) return;
  InvalidateRect(handle_, nullptr, FALSE);
  if (immediate) UpdateWindow(handle_);
}

void TfrmMain::SetTimerInterval(int ms) {
  if (handle_ && timerOn_) SetTimer(handle_, kTimerId, UINT(ms), nullptr);
}

double TfrmMain::RefreshRate() {
  HDC dc = GetDC(handle_);
  const int hz = dc ? GetDeviceCaps(dc, VREFRESH) : 0;
  if (dc) ReleaseDC(handle_, dc);
  return hz > 1 ? hz : 0;  // 0 and 1 stand for the hardware's default
}

void TfrmMain::End() {
  if (ended_) return;
  ended_ = true;
  if (OnEnd) OnEnd();
  else PostQuitMessage(0);
}

std::string TfrmMain::Translate(const char* source) { return Tr("orv::TfrmMain", source); }

}  // namespace orv::win32
