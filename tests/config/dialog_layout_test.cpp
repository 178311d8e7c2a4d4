// The dialog's window, controls, fonts, tab order, information group and
// glyphs.
#include <cstdlib>
#include <QAbstractButton>
#include <QCheckBox>
#include <QFontInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QRadioButton>
#include <QTest>

#include "config/config_widgets.h"
#include "config/dialog_fixture.h"
#include "config/glyphs.h"
#include "platform/gui/app_icon.h"
#include "platform/gui/language.h"
#include "platform/paths.h"

namespace orv::test {
namespace {

QString TextOf(QWidget* w) {
  if (auto* label = qobject_cast<QLabel*>(w)) return label->text();
  if (auto* button = qobject_cast<QAbstractButton*>(w)) return button->text();
  if (auto* edit = qobject_cast<QLineEdit*>(w)) return edit->text();
  if (auto* group = qobject_cast<TGroupFrame*>(w)) return group->caption();
  return QString();
}

struct ControlRow {
  const char* name;
  const char* parent;
  int left, top, width, height;  // width 0: sized to its text
  const char* caption;           // nullptr: not checked here
  int font_px;
};

const ControlRow kControls[] = {
    {"GroupBox2", "frmConfig", 8, 8, 425, 169, "情報", 12},
    {"lblProductName", "GroupBox2", 24, 24, 0, 0, "Orvanne", 12},
    {"lblVersion", "GroupBox2", 24, 36, 0, 0, "Orvanne version 1.0.0.119", 12},
    {"imgProgramIcon", "GroupBox2", 60, 72, 33, 33, nullptr, 12},
    {"Copyright", "GroupBox2", 144, 72, 0, 0, nullptr, 12},
    {"Label6", "GroupBox2", 144, 96, 0, 0, "URL:", 12},
    {"lblUrl", "GroupBox2", 176, 96, 0, 0, nullptr, 12},
    {"Label3", "GroupBox2", 32, 128, 0, 0, nullptr, 12},
    {"Label17", "GroupBox2", 32, 144, 0, 0, nullptr, 12},
    {"GroupBox3", "frmConfig", 8, 192, 425, 81, "画像が入っているフォルダ", 12},
    {"edtIllustFolder", "GroupBox3", 16, 24, 393, 21, nullptr, 13},
    {"btnIllustFolderSelect", "GroupBox3", 192, 48, 105, 25, "フォルダを選択", 12},
    {"btnIllustFolderOpen", "GroupBox3", 304, 48, 105, 25, "フォルダを開く", 12},
    {"Label5", "frmConfig", 16, 300, 0, 0, "画像を切り替える間隔", 13},
    {"edtIllustChangeSec", "frmConfig", 152, 296, 33, 21, "10", 13},
    {"updIllustChangeSec", "frmConfig", 185, 296, 16, 21, nullptr, 12},
    {"Label2", "frmConfig", 208, 300, 0, 0, "秒", 13},
    {"GroupBox1", "frmConfig", 8, 344, 209, 65, "", 12},
    {"chkBackColorEnable", "GroupBox1", 8, 0, 113, 17, "背景を塗りつぶす", 12},
    {"lblColor", "GroupBox1", 24, 22, 41, 25, nullptr, 12},
    {"btnBGColor", "GroupBox1", 80, 22, 105, 25, "背景色の変更", 12},
    {"chkIllustExtend", "frmConfig", 240, 288, 193, 17, "画面より小さな画像は拡大する", 13},
    {"GroupBox5", "frmConfig", 232, 320, 193, 89, "", 12},
    {"chkPutFilename", "GroupBox5", 8, 0, 137, 17, "ファイル名を表示する", 13},
    {"chkPutFullPath", "GroupBox5", 24, 32, 145, 17, "フルパス名を表示する", 12},
    {"chkPutExtention", "GroupBox5", 24, 56, 137, 17, "拡張子を表示する", 12},
    {"RadioGroup", "frmConfig", 8, 424, 425, 65, "描画方式", 13},
    // Options added to the original form, below it, and the buttons at the bottom.
    {"grpOptions", "frmConfig", 8, 504, 425, 92, "その他", 12},
    {"chkAutoRotate", "grpOptions", 16, 20, 393, 17, "写真の向き (EXIF) に合わせて回転する", 12},
    {"chkSubFolders", "grpOptions", 16, 44, 393, 17, "サブフォルダも含める", 12},
    {"lblFadeTime", "grpOptions", 16, 70, 0, 0, "切り替えのフェード時間", 12},
    {"spnFadeTime", "grpOptions", 168, 66, 81, 21, nullptr, 12},
    {"btnOK", "frmConfig", 272, 611, 73, 25, "O K", 12},
    {"btnCancel", "frmConfig", 360, 611, 73, 25, "キャンセル", 12},
};

using DialogLayoutTest = DialogTest;

TEST_F(DialogLayoutTest, ControlsSitWhereTheFormPutsThem) {
  Open();
  for (const ControlRow& row : kControls) {
    SCOPED_TRACE(row.name);
    QWidget* w = Get(row.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget()->objectName(), QString::fromLatin1(row.parent));
    EXPECT_EQ(w->pos(), QPoint(row.left, row.top));
    if (row.width) {
      EXPECT_EQ(w->size(), QSize(row.width, row.height));
    } else {
      // Labels fit their text.
      EXPECT_GE(w->width(), w->fontMetrics().horizontalAdvance(TextOf(w)));
    }
    if (row.caption) {
      EXPECT_EQ(TextOf(w), QString::fromUtf8(row.caption));
    }
    EXPECT_EQ(w->font().family(), QString::fromUtf8("ＭＳ Ｐゴシック"));
    EXPECT_EQ(w->font().pixelSize(), row.font_px);
  }
  auto* radio = Get<TRadioGroup>("RadioGroup");
  ASSERT_EQ(radio->Count(), 2);
  EXPECT_EQ(radio->Item(0)->text(), QString::fromUtf8("バッファ未使用"));
  EXPECT_EQ(radio->Item(1)->text(), QString::fromUtf8("バッファ使用（表示がちらつく場合に選択してください）"));
  for (int i = 0; i < 2; ++i) EXPECT_TRUE(radio->rect().contains(radio->Item(i)->geometry())) << i;
}

TEST_F(DialogLayoutTest, WindowIsAFixedTopMostDialogCaptionedWithTheTitle) {
  Open();
  EXPECT_EQ(form_->windowTitle(), QString::fromLatin1("Orvanne"));
  // The original form, three rows of options and the buttons below them.
  EXPECT_EQ(form_->size(), QSize(444, 649));
  EXPECT_EQ(form_->minimumSize(), form_->maximumSize());
  // Centred on the screen, within the width of a window frame.
  EXPECT_LE((form_->geometry().center() - QGuiApplication::primaryScreen()->geometry().center()).manhattanLength(), 6);
  // The frame, not the client area, sits in the middle: as much space on each side.
  const QRect frame = form_->frameGeometry(), area = QGuiApplication::primaryScreen()->geometry();
  EXPECT_NE(frame, form_->geometry()) << "no frame to centre";
  EXPECT_LE(std::abs((frame.left() - area.left()) - (area.right() - frame.right())), 1);
  EXPECT_LE(std::abs((frame.top() - area.top()) - (area.bottom() - frame.bottom())), 1);
  const Qt::WindowFlags flags = form_->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  // The face asked for is the Japanese one fontconfig has, not a fallback
  // (fontconfig names it in the locale's language).
  const QString family = QFontInfo(form_->font()).family();
  EXPECT_TRUE(family == QString::fromLatin1("IPAPGothic") || family == QString::fromUtf8("IPA Pゴシック")) << family.toStdString();
  EXPECT_EQ(form_->font().pixelSize(), 12);
}

// Texts differ in width between the languages; no control may run into
// another, and the buttons stay at the bottom.
TEST_F(DialogLayoutTest, NoTwoControlsOverlapInEitherLanguage) {
  for (TUiLanguage language : {TUiLanguage::kJapanese, TUiLanguage::kEnglish}) {
    SCOPED_TRACE(language == TUiLanguage::kEnglish ? "English" : "Japanese");
    ASSERT_TRUE(InstallTranslations(language));
    Open();
    // A label's line is as high as its font's pixel size, as the form was
    // laid out (its labels stand 12 pixels apart); Qt adds leading below.
    auto box = [](const QWidget* w) {
      const QRect g = w->geometry();
      return qobject_cast<const QLabel*>(w) ? QRect(g.x(), g.y(), g.width(), w->font().pixelSize()) : g;
    };
    int overlaps = 0;
    QList<QWidget*> parents = form_->findChildren<QWidget*>();
    parents << form_.data();
    for (QWidget* parent : parents) {
      const QList<QWidget*> children = parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
      for (qsizetype i = 0; i < children.size(); ++i)
        for (qsizetype j = i + 1; j < children.size(); ++j) {
          if (!children[i]->isVisibleTo(form_) || !children[j]->isVisibleTo(form_)) continue;
          const bool overlap = box(children[i]).intersects(box(children[j]));
          overlaps += overlap;
          EXPECT_FALSE(overlap) << children[i]->objectName().toStdString() << " and "
                                << children[j]->objectName().toStdString();
        }
    }
    EXPECT_EQ(overlaps, 0);
    const QRect ok = Get("btnOK")->geometry();
    for (QWidget* w : form_->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (w->objectName() == QLatin1String("btnOK") || w->objectName() == QLatin1String("btnCancel")) continue;
      EXPECT_LT(w->geometry().bottom(), ok.top()) << w->objectName().toStdString();
    }
    EXPECT_LE(ok.bottom(), form_->height());
    form_->close();
    ASSERT_TRUE(Gone());
  }
  ASSERT_TRUE(InstallTranslations(TUiLanguage::kJapanese));
}

TEST_F(DialogLayoutTest, TabVisitsTheControlsInTheirOrder) {
  WriteIni("[Filename]\nPutFilename=1\n[BGColor]\nEnable=1\n");  // every control enabled
  Open();
  EXPECT_EQ(FocusName(), QString::fromLatin1("edtIllustFolder"));
  const char* expected[] = {"btnIllustFolderSelect", "btnIllustFolderOpen", "edtIllustChangeSec",
                            "chkBackColorEnable",    "btnBGColor",          "chkIllustExtend",
                            "chkPutFilename",        "chkPutFullPath",      "chkPutExtention",
                            "RadioGroupItem0",       "btnOK",               "btnCancel",
                            "chkAutoRotate",         "chkSubFolders",       "spnFadeTime",
                            "edtIllustFolder"};
  for (const char* name : expected) {
    Key(Qt::Key_Tab);
    EXPECT_EQ(FocusName(), QString::fromLatin1(name));
  }
  EXPECT_TRUE(messages_.empty());
}

TEST_F(DialogLayoutTest, InformationGroupShowsIconNameVersionAndAddress) {
  Open();
  auto* icon = Get<TStretchedImage>("imgProgramIcon");
  EXPECT_EQ(icon->Picture(), ApplicationIconImage(32));
  EXPECT_FALSE(icon->Picture().isNull());
  // The picture is stretched over the whole control.
  QImage shown = icon->grab().toImage();
  EXPECT_NE(shown.pixelColor(16, 16), form_->palette().window().color());
  EXPECT_NE(Get<QLabel>("Copyright")->text().indexOf(QLatin1String("Orvanne")), -1);
  const QString png = Get<QLabel>("Label3")->text();
  const QString gif = Get<QLabel>("Label17")->text();
  EXPECT_TRUE(png.contains(QLatin1String("PNG")) && png.contains(QLatin1String("Orvanne"))) << png.toStdString();
  EXPECT_TRUE(gif.contains(QLatin1String("GIF")) && gif.contains(QLatin1String("Orvanne"))) << gif.toStdString();

  auto* url = Get<QLabel>("lblUrl");
  EXPECT_TRUE(url->font().underline());
  EXPECT_EQ(url->palette().color(QPalette::WindowText), QColor(Qt::blue));
  EXPECT_EQ(url->cursor().shape(), Qt::PointingHandCursor);
  EXPECT_EQ(url->toolTip(), QString::fromUtf8("クリックだ!"));
  Click("lblUrl");
  ASSERT_EQ(opened_.urls.size(), 1u);
  // No placeholder web address: the README, installed or of this source tree.
  EXPECT_FALSE(url->text().contains(QLatin1String("example")));
  const QUrl readme = opened_.urls[0];
  EXPECT_TRUE(readme.isLocalFile()) << readme.toString().toStdString();
  EXPECT_EQ(readme.fileName(), QString::fromLatin1("README.md"));
  EXPECT_TRUE(FileExists(readme.toLocalFile().toStdString())) << readme.toString().toStdString();
}

TEST_F(DialogLayoutTest, GlyphsAreTransparentInTheirBottomLeftColour) {
  const struct {
    TGlyph glyph;
    const char* button;
  } glyphs[] = {{TGlyph::kFolderSelect, "btnIllustFolderSelect"},
                {TGlyph::kFolderOpen, "btnIllustFolderOpen"},
                {TGlyph::kColorBars, "btnBGColor"}};
  Open();
  for (const auto& g : glyphs) {
    SCOPED_TRACE(g.button);
    const QImage opaque = GlyphImageOpaque(g.glyph);
    const QImage glyph = GlyphImage(g.glyph);
    ASSERT_EQ(glyph.size(), QSize(16, 16));
    const QRgb key = opaque.pixel(0, 15);
    int transparent = 0;
    for (int y = 0; y < 16; ++y)
      for (int x = 0; x < 16; ++x) {
        const bool clear = qAlpha(glyph.pixel(x, y)) == 0;
        EXPECT_EQ(clear, opaque.pixel(x, y) == key) << x << "," << y;
        transparent += clear;
      }
    EXPECT_GT(transparent, 16);
    EXPECT_LT(transparent, 200);
    auto* button = Get<QPushButton>(g.button);
    EXPECT_FALSE(button->icon().isNull());
    EXPECT_EQ(button->iconSize(), QSize(16, 16));
  }
  // Folders are yellow; the bars run white, yellow, cyan, green, magenta,
  // red, blue inside a dark frame.
  EXPECT_EQ(GlyphImage(TGlyph::kFolderSelect).pixel(2, 2), qRgb(255, 255, 0));
  EXPECT_EQ(GlyphImage(TGlyph::kFolderOpen).pixel(6, 10), qRgb(255, 255, 0));
  const QImage bars = GlyphImage(TGlyph::kColorBars);
  const QRgb order[] = {qRgb(255, 255, 255), qRgb(255, 255, 0), qRgb(0, 255, 255), qRgb(0, 255, 0),
                        qRgb(255, 0, 255),   qRgb(255, 0, 0),   qRgb(0, 0, 255)};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(bars.pixel(1 + 2 * i, 7), order[i]) << i;
  EXPECT_EQ(qGray(bars.pixel(0, 7)), qGray(bars.pixel(8, 2)));
  EXPECT_LT(qGray(bars.pixel(0, 7)), 100);
}

}  // namespace
}  // namespace orv::test
