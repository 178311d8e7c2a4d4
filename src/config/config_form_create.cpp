// TfrmConfig's controls and its creation.
#include <QMoveEvent>
#include <QApplication>
#include <QCheckBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <cmath>

#include "config/config_form.h"
#include "config/config_rules.h"
#include "config/documentation.h"
#include "config/fit_to_screen.h"
#include "config/config_widgets.h"
#include "config/glyphs.h"
#include "platform/gui/app_icon.h"
#include "platform/gui/application.h"
#include "platform/gui/dialog_state.h"
#include "platform/gui/gui_canvas.h"
#include "platform/gui/version.h"

namespace orv {

namespace {

constexpr int kClientWidth = 444;
constexpr int kClientHeight = 542;  // of the original form; options go below
constexpr int kOptionRow = 24;
// There is no web page: the link names and opens the README instead.
constexpr char kDocumentationCaption[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "説明書 (README.md)");

QFont FontOfHeight(int pixels) {
  QFont font(QString::fromUtf8(kDefaultFontName));
  font.setPixelSize(pixels);
  return font;
}

template <class T>
T* Place(T* control, const char* name, int left, int top, int width, int height) {
  control->setObjectName(QString::fromLatin1(name));
  control->setGeometry(left, top, width, height);
  return control;
}

// A label sized to its text, as labels with automatic size are.
QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int left, int top, int font_px = 0) {
  auto* label = new QLabel(text, parent);
  label->setObjectName(QString::fromLatin1(name));
  if (font_px) label->setFont(FontOfHeight(font_px));
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->move(left, top);
  label->adjustSize();
  return label;
}

QPushButton* MakeGlyphButton(QWidget* parent, const char* name, const QString& caption, TGlyph glyph, int left,
                             int top) {
  auto* button = Place(new QPushButton(caption, parent), name, left, top, 105, 25);
  button->setIcon(QIcon(QPixmap::fromImage(GlyphImage(glyph))));
  button->setIconSize(QSize(16, 16));
  return button;
}

QCheckBox* MakeCheckBox(QWidget* parent, const char* name, const QString& caption, int left, int top, int width,
                        int font_px = 0) {
  auto* box = Place(new QCheckBox(caption, parent), name, left, top, width, 17);
  if (font_px) box->setFont(FontOfHeight(font_px));
  return box;
}

}  // namespace

TfrmConfig::TfrmConfig(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmConfig"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setFont(FontOfHeight(12));
  setWindowIcon(ApplicationIcon());
  KeepStockDialogStateInMemory();
  CreateControls();
  setFixedSize(kClientWidth, grpOptions->geometry().bottom() + 1 + 8);
  // Centred on the whole screen; Qt's own placement of dialogs guesses a
  // frame where there may be none.
  CentreFrame();
  connect(qApp, &QApplication::focusChanged, this, &TfrmConfig::FocusChanged);
  FollowFocusOfPresses();
  FormCreate();
}

void TfrmConfig::CentreFrame() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  // The frame, title bar included, is what sits in the middle; it is known
  // only once the window system has decorated the window.
  FitDialogToScreen(this, screen->availableGeometry());
  const QRect frame = frameGeometry();
  centred_frame_ = frame.size();
  const QRect area = screen->geometry();
  move(area.x() + (area.width() - frame.width()) / 2, area.y() + (area.height() - frame.height()) / 2);
}

void TfrmConfig::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  // The size is fixed, so only a new frame changes this; a move by the user does not.
  if (frameGeometry().size() != centred_frame_) CentreFrame();
}

TfrmConfig::~TfrmConfig() {
  if (swallowing_clicks_) qApp->removeEventFilter(this);
}

void TfrmConfig::CreateControls() {
  GroupBox2 = Place(new TGroupFrame(tr("情報"), this), "GroupBox2", 8, 8, 425, 169);
  lblProductName = MakeLabel(GroupBox2, "lblProductName", tr("アプリ名"), 24, 24);
  lblVersion = MakeLabel(GroupBox2, "lblVersion", QString(), 24, 36);
  imgProgramIcon = Place(new TStretchedImage(GroupBox2), "imgProgramIcon", 60, 72, 33, 33);
  Copyright = MakeLabel(GroupBox2, "Copyright", QStringLiteral("Copyright (C) 2026 The Orvanne Developers"), 144, 72);
  Label6 = MakeLabel(GroupBox2, "Label6", QStringLiteral("URL:"), 144, 96);
  lblUrl = MakeLabel(GroupBox2, "lblUrl", tr(kDocumentationCaption), 176, 96);
  if (const std::string doc = DocumentationPath(); !doc.empty())
    documentation_ = QUrl::fromLocalFile(QString::fromStdString(doc));
  QFont url_font = lblUrl->font();
  url_font.setUnderline(true);
  lblUrl->setFont(url_font);
  QPalette url_palette = lblUrl->palette();
  url_palette.setColor(QPalette::WindowText, Qt::blue);
  lblUrl->setPalette(url_palette);
  lblUrl->setCursor(Qt::PointingHandCursor);
  lblUrl->setToolTip(tr("クリックだ!"));
  lblUrl->adjustSize();
  lblUrl->installEventFilter(this);
  Label3 = MakeLabel(GroupBox2, "Label3", tr("PNG デコーダ: Orvanne 独自の PNG コーデック (zlib を使用)"), 32, 128);
  Label17 = MakeLabel(GroupBox2, "Label17", tr("GIF デコーダ: Orvanne 独自の GIF コーデック (LZW も自前)"), 32, 144);

  GroupBox3 = Place(new TGroupFrame(tr("画像が入っているフォルダ"), this), "GroupBox3", 8, 192, 425, 81);
  edtIllustFolder = Place(new QLineEdit(GroupBox3), "edtIllustFolder", 16, 24, 393, 21);
  edtIllustFolder->setFont(FontOfHeight(13));
  edtIllustFolder->setAcceptDrops(false);  // drops go to the form
  btnIllustFolderSelect = MakeGlyphButton(GroupBox3, "btnIllustFolderSelect", tr("フォルダを選択"), TGlyph::kFolderSelect, 192, 48);
  btnIllustFolderOpen = MakeGlyphButton(GroupBox3, "btnIllustFolderOpen", tr("フォルダを開く"), TGlyph::kFolderOpen, 304, 48);

  Label5 = MakeLabel(this, "Label5", tr("画像を切り替える間隔"), 16, 300, 13);
  edtIllustChangeSec = Place(new QLineEdit(this), "edtIllustChangeSec", 152, 296, 33, 21);
  edtIllustChangeSec->setFont(FontOfHeight(13));
  edtIllustChangeSec->setReadOnly(true);
  edtIllustChangeSec->setAcceptDrops(false);
  updIllustChangeSec = Place(new TUpDown(kChangeSecMin, kChangeSecMax, this), "updIllustChangeSec", 185, 296, 16, 21);
  updIllustChangeSec->Associate(edtIllustChangeSec);
  updIllustChangeSec->SetPosition(10);
  Label2 = MakeLabel(this, "Label2", tr("秒"), 208, 300, 13);

  GroupBox1 = Place(new TGroupFrame(QString(), this), "GroupBox1", 8, 344, 209, 65);
  chkBackColorEnable = MakeCheckBox(GroupBox1, "chkBackColorEnable", tr("背景を塗りつぶす"), 8, 0, 113);
  chkBackColorEnable->setAutoFillBackground(true);  // the heading covers the frame's line
  lblColor = Place(new TColorSwatch(GroupBox1), "lblColor", 24, 22, 41, 25);
  btnBGColor = MakeGlyphButton(GroupBox1, "btnBGColor", tr("背景色の変更"), TGlyph::kColorBars, 80, 22);

  chkIllustExtend = MakeCheckBox(this, "chkIllustExtend", tr("画面より小さな画像は拡大する"), 240, 288, 193, 13);

  GroupBox5 = Place(new TGroupFrame(QString(), this), "GroupBox5", 232, 320, 193, 89);
  chkPutFilename = MakeCheckBox(GroupBox5, "chkPutFilename", tr("ファイル名を表示する"), 8, 0, 137, 13);
  chkPutFilename->setAutoFillBackground(true);
  chkPutFullPath = MakeCheckBox(GroupBox5, "chkPutFullPath", tr("フルパス名を表示する"), 24, 32, 145);
  chkPutExtention = MakeCheckBox(GroupBox5, "chkPutExtention", tr("拡張子を表示する"), 24, 56, 137);

  RadioGroup = new TRadioGroup(tr("描画方式"),
                               {tr("バッファ未使用"),
                                tr("バッファ使用（表示がちらつく場合に選択してください）")},
                               this);
  RadioGroup->setFont(FontOfHeight(13));
  Place(RadioGroup, "RadioGroup", 8, 424, 425, 65);
  RadioGroup->SetItemIndex(0);

  btnOK = Place(new QPushButton(QStringLiteral("O K"), this), "btnOK", 272, 504, 73, 25);
  btnOK->setDefault(true);
  btnCancel = Place(new QPushButton(tr("キャンセル"), this), "btnCancel", 360, 504, 73, 25);

  const QList<QWidget*> tab_order = {edtIllustFolder, btnIllustFolderSelect, btnIllustFolderOpen,
                                     edtIllustChangeSec, chkBackColorEnable, btnBGColor,
                                     chkIllustExtend, chkPutFilename, chkPutFullPath,
                                     chkPutExtention, RadioGroup->Item(0), RadioGroup->Item(1),
                                     btnOK, btnCancel};
  for (qsizetype i = 1; i < tab_order.size(); ++i) setTabOrder(tab_order[i - 1], tab_order[i]);

  grpOptions = Place(new TGroupFrame(tr("その他"), this), "grpOptions", 8, kClientHeight, 425, 20);
  chkAutoRotate = AddOption("chkAutoRotate", QT_TR_NOOP("写真の向き (EXIF) に合わせて回転する"));
  chkSubFolders = AddOption("chkSubFolders", QT_TR_NOOP("サブフォルダも含める"));
  spnFadeTime = AddFadeTimeOption();

  connect(btnIllustFolderSelect, &QPushButton::clicked, this, &TfrmConfig::btnIllustFolderSelectClick);
  connect(btnIllustFolderOpen, &QPushButton::clicked, this, &TfrmConfig::btnIllustFolderOpenClick);
  connect(chkBackColorEnable, &QCheckBox::toggled, this, &TfrmConfig::chkBackColorEnableClick);
  connect(btnBGColor, &QPushButton::clicked, this, &TfrmConfig::btnBGColorClick);
  connect(chkPutFilename, &QCheckBox::toggled, this, &TfrmConfig::chkPutFilenameClick);
  connect(btnOK, &QPushButton::clicked, this, &TfrmConfig::btnOKClick);
  connect(btnCancel, &QPushButton::clicked, this, &TfrmConfig::btnCancelClick);
  edtIllustFolder->setFocus();
}

QCheckBox* TfrmConfig::AddOption(const char* name, const char* caption) {
  QCheckBox* box = MakeCheckBox(grpOptions, name, caption, 16, NextOptionTop(), 393);
  box->setText(tr(caption));
  EndOptionRow(box);
  return box;
}

QDoubleSpinBox* TfrmConfig::AddFadeTimeOption() {
  const int top = NextOptionTop();
  QLabel* label = MakeLabel(grpOptions, "lblFadeTime", tr("切り替えのフェード時間"), 16, top + 2);
  auto* spin = Place(new QDoubleSpinBox(grpOptions), "spnFadeTime", 168, top - 2, 81, 21);
  spin->setDecimals(1);
  spin->setRange(0, kFadeTimeMax / 10.0);
  spin->setSingleStep(0.1);
  spin->setSuffix(tr(" 秒"));
  spin->setSpecialValueText(tr("なし"));  // 0: a hard cut
  spin->setAcceptDrops(false);
  label->setBuddy(spin);
  EndOptionRow(spin);
  return spin;
}

int TfrmConfig::NextOptionTop() const { return grpOptions->height(); }

void TfrmConfig::EndOptionRow(QWidget* focus) {
  // The focus control of the row above, else the last of the original form.
  QWidget* last = btnCancel;
  for (QWidget* w : grpOptions->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
    if (w != focus && (w->focusPolicy() & Qt::TabFocus) && (last == btnCancel || w->y() >= last->y())) last = w;
  grpOptions->resize(grpOptions->width(), grpOptions->height() + kOptionRow);
  setTabOrder(last, focus);
}

void TfrmConfig::FormCreate() {
  imgProgramIcon->SetPicture(ApplicationIconImage(32));
  const QString title = QString::fromStdString(TApplication::Instance().Title());
  setWindowTitle(title);
  lblProductName->setText(title);
  lblProductName->adjustSize();
  lblVersion->setText(QStringLiteral("Orvanne version ") + QString::fromLatin1(FileVersion()));
  lblVersion->adjustSize();
  ReadSettingsIntoControls();
  setAcceptDrops(true);
}

void TfrmConfig::ReadSettingsIntoControls() {
  const TSettings s = ReadSettings(SettingsFilePath(), DefaultFolder());
  edtIllustFolder->setText(QString::fromStdString(s.folder));
  updIllustChangeSec->SetPosition(ClampChangeSec(s.changeSec));
  chkIllustExtend->setChecked(s.extend);
  chkPutFilename->setChecked(s.putFilename);
  chkPutFilenameClick();
  chkPutFullPath->setChecked(s.putFullPath);
  chkPutExtention->setChecked(s.putExtention);
  chkBackColorEnable->setChecked(s.bgColorEnable);
  chkBackColorEnableClick();
  lblColor->SetColor(s.bgColor);
  RadioGroup->SetItemIndex(ClampDrawMode(s.drawMode));
  chkAutoRotate->setChecked(s.autoRotate);
  chkSubFolders->setChecked(s.subFolders);
  spnFadeTime->setValue(ClampFadeTime(s.fadeTime) / 10.0);
}

TSettings TfrmConfig::SettingsFromControls() const {
  TSettings s;
  s.folder = edtIllustFolder->text().toStdString();
  s.changeSec = updIllustChangeSec->Position();
  s.extend = chkIllustExtend->isChecked();
  s.putFilename = chkPutFilename->isChecked();
  s.putFullPath = chkPutFullPath->isChecked();
  s.putExtention = chkPutExtention->isChecked();
  s.bgColorEnable = chkBackColorEnable->isChecked();
  s.bgColor = lblColor->Color();
  s.drawMode = RadioGroup->ItemIndex();
  s.autoRotate = chkAutoRotate->isChecked();
  s.subFolders = chkSubFolders->isChecked();
  s.fadeTime = int32_t(std::lround(spnFadeTime->value() * 10));
  return s;
}

}  // namespace orv
