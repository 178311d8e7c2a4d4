#include "platform/win32/gdi_text_canvas.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/win32/wide.h"

// After our headers: its colour macros would clash with ours.
#include <windows.h>
// Ours is ITextCanvas::TextOut; GDI's is called by its wide name.
#undef TextOut

namespace orv::win32 {

const wchar_t* const kDefaultFontName = L"\uFF2D\uFF33 \uFF30\u30B4\u30B7\u30C3\u30AF";  // ＭＳ Ｐゴシック

int FontPixels(int size, double scale) {
  // The rounding the Linux face uses, so both lay text out alike.
  const int pixels = scale == 1.0 ? (size * 96 + 36) / 72 : int(std::lround(size * 96.0 / 72.0 * scale));
  return std::max(1, pixels);
}

TGdiTextCanvas::TGdiTextCanvas(TBitmap& bitmap) : bitmap_(bitmap), dc_(CreateCompatibleDC(nullptr)) {}

TGdiTextCanvas::~TGdiTextCanvas() {
  if (dc_) DeleteDC(dc_);
  if (font_) DeleteObject(font_);
}

void TGdiTextCanvas::DropFont() {
  if (!font_) return;
  SelectObject(dc_, GetStockObject(SYSTEM_FONT));
  DeleteObject(font_);
  font_ = nullptr;
}

void TGdiTextCanvas::SetTextFont(int size, bool bold) {
  if (size == size_ && bold == bold_) return;
  size_ = size;
  bold_ = bold;
  DropFont();
}

void TGdiTextCanvas::SetScale(double scale) {
  if (scale == scale_) return;
  scale_ = scale;
  DropFont();
}

void TGdiTextCanvas::SelectFont() const {
  if (!font_) {
    LOGFONTW lf{};
    lf.lfHeight = -FontPixels(size_, scale_);  // negative: the em height, as the Linux face sizes it
    lf.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfQuality = ANTIALIASED_QUALITY;  // grey edges: ClearType's colour fringes would land in the frame
    wcsncpy(lf.lfFaceName, kDefaultFontName, LF_FACESIZE - 1);
    font_ = CreateFontIndirectW(&lf);
  }
  SelectObject(dc_, font_);
}

int TGdiTextCanvas::TextWidth(const std::string& text) const {
  if (!dc_ || text.empty()) return 0;
  SelectFont();
  const std::wstring w = Wide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc_, w.c_str(), int(w.size()), &size)) return 0;
  return size.cx;
}

void TGdiTextCanvas::TextOut(int x, int y, const std::string& text) {
  if (!dc_ || text.empty() || bitmap_.Empty() || bitmap_.BitsPerPixel() != 32) return;
  SelectFont();
  const std::wstring w = Wide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc_, w.c_str(), int(w.size()), &size)) return;
  // The cell with room for glyphs that overhang it (italics of a substitute face).
  const int margin = size.cy / 2 + 2;
  const int left = std::max(0, x - margin), top = std::max(0, y - margin);
  const int right = std::min(bitmap_.Width(), x + int(size.cx) + margin);
  const int bottom = std::min(bitmap_.Height(), y + int(size.cy) + margin);
  if (left >= right || top >= bottom) return;
  const int cw = right - left, ch = bottom - top;

  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
  bi.bmiHeader.biWidth = cw;
  bi.bmiHeader.biHeight = -ch;  // top row first, as TBitmap
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP cell = CreateDIBSection(dc_, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!cell || !bits) {
    if (cell) DeleteObject(cell);
    return;
  }
  auto* pixels = static_cast<uint8_t*>(bits);
  const size_t row = size_t(cw) * 4;  // a 32-bit DIB row needs no padding
  for (int r = 0; r < ch; ++r) std::memcpy(pixels + r * row, bitmap_.ScanLine(top + r) + size_t(left) * 4, row);

  HGDIOBJ old = SelectObject(dc_, cell);
  ::SetTextColor(dc_, COLORREF(colour_ & 0xFFFFFF));
  if (clearBrush_) {
    SetBkMode(dc_, TRANSPARENT);
  } else {
    SetBkMode(dc_, OPAQUE);
    SetBkColor(dc_, COLORREF(0xFFFFFF));
  }
  ::TextOutW(dc_, x - left, y - top, w.c_str(), int(w.size()));
  GdiFlush();
  SelectObject(dc_, old);
  for (int r = 0; r < ch; ++r) std::memcpy(bitmap_.ScanLine(top + r) + size_t(left) * 4, pixels + r * row, row);
  DeleteObject(cell);
}

}  // namespace orv::win32
