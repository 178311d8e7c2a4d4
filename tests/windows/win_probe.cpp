// A small helper for the Windows end-to-end tests under Wine:
//   win_probe host FLAG      a host window for a preview: prints its handle, then
//                            "child CLASS WxH" when a child window appears in it, and
//                            destroys the window once FLAG exists (ends 5 s later)
//   win_probe version FILE   prints the "FileVersion" of FILE's version record
//   win_probe running        prints 1 while the screen-saver-running mark is set, else 0
//   win_probe manifest FILE  prints the manifest the system reads from FILE at its start
//   win_probe close CLASS    asks the first top-level window of CLASS to close, as the system does
//   win_probe monitors       prints each monitor as "LEFT,TOP,RIGHT,BOTTOM", the primary one first
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr UINT_PTR kPoll = 1;
std::wstring g_flag;
bool g_saw_child = false;
HWND g_host = nullptr;
int g_after_destroy = 0;  // polls since the host window went

BOOL CALLBACK FirstChild(HWND child, LPARAM) {
  wchar_t name[128] = {};
  GetClassNameW(child, name, 128);
  RECT r{};
  GetClientRect(child, &r);
  std::printf("child %ls %ldx%ld\n", name, r.right, r.bottom);
  std::fflush(stdout);
  g_saw_child = true;
  return FALSE;
}

void CALLBACK Poll(HWND, UINT, UINT_PTR, DWORD) {
  if (g_host && !g_saw_child) EnumChildWindows(g_host, FirstChild, 0);
  if (g_host && GetFileAttributesW(g_flag.c_str()) != INVALID_FILE_ATTRIBUTES) {
    DestroyWindow(g_host);
    g_host = nullptr;
    std::printf("destroyed\n");
    std::fflush(stdout);
  }
  // The process outlives its window, so that a preview ends for the window's sake.
  if (!g_host && ++g_after_destroy > 50) PostQuitMessage(0);
}

int Host(const std::wstring& flag) {
  g_flag = flag;
  WNDCLASSW c{};
  c.lpfnWndProc = DefWindowProcW;
  c.hInstance = GetModuleHandleW(nullptr);
  c.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  c.lpszClassName = L"OrvanneTestHost";
  RegisterClassW(&c);
  g_host = CreateWindowExW(0, c.lpszClassName, L"host", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 100, 100, 320, 240,
                           nullptr, nullptr, c.hInstance, nullptr);
  if (!g_host) return 1;
  std::printf("%lld\n", static_cast<long long>(reinterpret_cast<intptr_t>(g_host)));
  std::fflush(stdout);
  SetTimer(nullptr, kPoll, 100, Poll);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}

int Version(const std::wstring& file) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(file.c_str(), &ignored);
  if (size == 0) return 1;
  std::vector<char> data(size);
  if (!GetFileVersionInfoW(file.c_str(), 0, size, data.data())) return 1;
  struct Translation {
    WORD language, code_page;
  }* translations = nullptr;
  UINT bytes = 0;
  if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &bytes) ||
      bytes < sizeof(Translation))
    return 1;
  wchar_t path[64];
  swprintf(path, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations->language, translations->code_page);
  wchar_t* version = nullptr;
  if (!VerQueryValueW(data.data(), path, reinterpret_cast<void**>(&version), &bytes) || !version) return 1;
  std::printf("%ls\n", version);
  return 0;
}

int Manifest(const std::wstring& file) {
  HMODULE module = LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  if (!module) return 1;
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  HGLOBAL data = info ? LoadResource(module, info) : nullptr;
  if (!data) return 1;
  std::fwrite(LockResource(data), 1, SizeofResource(module, info), stdout);
  return 0;
}

BOOL CALLBACK PrintMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM primary_pass) {
  MONITORINFO info{};
  info.cbSize = sizeof(info);
  if (GetMonitorInfoW(monitor, &info) && bool(info.dwFlags & MONITORINFOF_PRIMARY) == bool(primary_pass))
    std::printf("%ld,%ld,%ld,%ld\n", info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right,
                info.rcMonitor.bottom);
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (command == L"host" && argc > 2) return Host(argv[2]);
  if (command == L"version" && argc > 2) return Version(argv[2]);
  if (command == L"manifest" && argc > 2) return Manifest(argv[2]);
  if (command == L"close" && argc > 2) {
    HWND window = FindWindowW(argv[2], nullptr);
    return window && PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
  }
  if (command == L"monitors") {
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, TRUE);
    EnumDisplayMonitors(nullptr, nullptr, PrintMonitor, FALSE);
    return 0;
  }
  if (command == L"running") {
    BOOL running = FALSE;
    SystemParametersInfoW(SPI_GETSCREENSAVERRUNNING, 0, &running, 0);
    std::printf("%d\n", running ? 1 : 0);
    return 0;
  }
  std::fprintf(stderr, "usage: win_probe host FLAG | version FILE | running | manifest FILE | close CLASS | monitors\n");
  return 2;
}
