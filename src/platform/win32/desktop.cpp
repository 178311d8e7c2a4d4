#include "platform/win32/desktop.h"

#include <algorithm>
#include <cstring>

// After our headers: its colour macros would clash with ours.
#include <windows.h>

namespace orv::win32 {

namespace {
BOOL CALLBACK AddMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  auto* rects = reinterpret_cast<std::vector<TRect>*>(data);
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (!GetMonitorInfoW(monitor, &info)) return TRUE;
  const TRect r = Rect(info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom);
  if (info.dwFlags & MONITORINFOF_PRIMARY) rects->insert(rects->begin(), r);
  else rects->push_back(r);
  return TRUE;
}
}  // namespace

std::vector<TRect> MonitorRects() {
  std::vector<TRect> rects;
  EnumDisplayMonitors(nullptr, nullptr, AddMonitor, reinterpret_cast<LPARAM>(&rects));
  if (rects.empty())
    rects.push_back(Rect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
  return rects;
}

void TakeSnapshot(const TRect& rect, TBitmap& out) {
  const int w = rect.Width(), h = rect.Height();
  out.Allocate(w, h, pf32bit, true);
  if (w <= 0 || h <= 0) return;
  HWND desktop = GetDesktopWindow();
  HDC screen = GetDC(desktop);
  if (!screen) return;
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = -h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP dib = mem ? CreateDIBSection(mem, &bi, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
  if (dib && bits) {
    HGDIOBJ old = SelectObject(mem, dib);
    // The desktop DC's origin is the primary monitor's corner, as the rectangles'.
    BitBlt(mem, 0, 0, w, h, screen, rect.Left, rect.Top, SRCCOPY);
    GdiFlush();
    SelectObject(mem, old);
    const auto* src = static_cast<const uint8_t*>(bits);
    for (int y = 0; y < h; ++y) std::memcpy(out.ScanLine(y), src + size_t(y) * w * 4, size_t(w) * 4);
  }
  if (dib) DeleteObject(dib);
  if (mem) DeleteDC(mem);
  ReleaseDC(desktop, screen);
}

void SetScreenSaverRunning(bool running) {
  BOOL old = FALSE;
  SystemParametersInfoW(SPI_SETSCREENSAVERRUNNING, running ? TRUE : FALSE, &old, 0);
}

bool ScreenSaverRunning() {
  BOOL running = FALSE;
  return SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0) && running;
}

double WindowScale(HWND__* window) {
  // GetDpiForWindow arrived with Windows 10 1607: looked up, so that older
  // systems still run us at the system's scale.
  using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
  static const auto get_dpi = reinterpret_cast<GetDpiForWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  UINT dpi = get_dpi && window ? get_dpi(window) : 0;
  if (dpi == 0) {
    HDC dc = GetDC(nullptr);
    dpi = UINT(GetDeviceCaps(dc, LOGPIXELSX));
    ReleaseDC(nullptr, dc);
  }
  return dpi > 0 ? dpi / 96.0 : 1.0;
}

}  // namespace orv::win32
