#include "platform/gui/gui_canvas.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/gui/qt_bitmap.h"

namespace orv {

const char* const kDefaultFontName = "ＭＳ Ｐゴシック";

namespace {

QFont ToQFont(const TFont& f, double scale) {
  QFont font(QString::fromStdString(f.Name));
  const int pixels = (f.Size * 96 + 36) / 72;
  font.setPixelSize(std::max(1, scale == 1.0 ? pixels : int(std::lround(f.Size * 96.0 / 72.0 * scale))));
  font.setBold(f.Bold);
  return font;
}

QColor ToQColor(TColor c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

// A 32-bit view of src for Qt's smooth scaling, which is fast only on RGB32.
// Other formats are expanded into a pooled bitmap first.
QImage FastView(const TBitmap& src, TBitmap& holder) {
  if (src.PixelFormat() == pf32bit || src.PixelFormat() == pfDevice) {
    // Only the unused fourth bytes change (QImageView sets them), so the
    // source is viewed in place rather than copied.
    return QImageView(const_cast<TBitmap&>(src));
  } else {
    holder.Allocate(src.Width(), src.Height(), pf32bit, false);
    for (int y = 0; y < src.Height(); ++y)
      ReadRowBGRX(src, y, 0, src.Width(), reinterpret_cast<uint32_t*>(holder.ScanLine(y)));
  }
  return QImageView(holder);
}

}  // namespace

void HalftoneStretch(TBitmap& dst, const TRect& r, const TBitmap& src) {
  if (src.Empty() || dst.Empty() || r.Width() <= 0 || r.Height() <= 0) return;
  TBitmap holder;
  QImage view = FastView(src, holder);
  QImage scaled = (r.Width() == src.Width() && r.Height() == src.Height())
                      ? view
                      : view.scaled(r.Width(), r.Height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  if (scaled.format() != QImage::Format_RGB32) scaled = scaled.convertToFormat(QImage::Format_RGB32);
  int x0 = std::max(r.Left, 0), x1 = std::min(r.Right, dst.Width());
  int y0 = std::max(r.Top, 0), y1 = std::min(r.Bottom, dst.Height());
  for (int y = y0; y < y1; ++y) {
    const uint32_t* row = reinterpret_cast<const uint32_t*>(scaled.constScanLine(y - r.Top)) + (x0 - r.Left);
    WriteRowBGRX(dst, y, x0, x1 - x0, row);
  }
}

void TGuiCanvas::HalftoneStretchDraw(const TRect& r, const TBitmap& src) { HalftoneStretch(Bitmap(), r, src); }

void TGuiCanvas::TextOut(int x, int y, const std::string& text) {
  TBitmap& b = Bitmap();
  if (b.Empty() || text.empty()) return;
  QFont font = ToQFont(Font, TextScale);
  QFontMetrics fm(font);
  QString s = QString::fromUtf8(text.data(), qsizetype(text.size()));
  // Only the text's cell (with a margin for overhanging glyphs) is touched.
  const QRect cell = fm.boundingRect(s).translated(x, y + fm.ascent()).united(
      QRect(x, y, fm.horizontalAdvance(s), fm.height()));
  QImage view = QImageView(b, Rect(cell.left() - 2, cell.top() - 2, cell.right() + 3, cell.bottom() + 3));
  if (view.format() == QImage::Format_Indexed8 || view.format() == QImage::Format_Mono) return;
  QPainter p(&view);
  p.setFont(font);
  if (BrushStyle == bsSolid)
    p.fillRect(QRect(x, y, fm.horizontalAdvance(s), fm.height()), ToQColor(b.ResolveColor(BrushColor)));
  p.setPen(ToQColor(b.ResolveColor(Font.Color)));
  p.drawText(QPoint(x, y + fm.ascent()), s);
}

int TGuiCanvas::TextWidth(const std::string& text) const {
  QFontMetrics fm(ToQFont(Font, TextScale));
  return fm.horizontalAdvance(QString::fromUtf8(text.data(), qsizetype(text.size())));
}

int TGuiCanvas::TextHeight(const std::string&) const { return QFontMetrics(ToQFont(Font, TextScale)).height(); }

}  // namespace orv
