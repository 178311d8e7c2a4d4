#include "config/config_form.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QMoveEvent>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "config/config_face.h"
#include "config/config_form_parts.h"
#include "config/config_widgets.h"
#include "config/documentation.h"
#include "platform/gui/app_icon.h"
#include "platform/gui/dialog_state.h"
#include "platform/gui/gui_canvas.h"
#include "platform/gui/version.h"
#include "platform/gui/application.h"
#include "platform/gui/language.h"
#include "platform/gui/qt_window.h"
#include "platform/paths.h"

namespace orv {

namespace {

const char kMissingFolder[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "指定されたフォルダは存在しません。");
const char kBrowseTitle[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "画像が保存されているフォルダを選択してください。");

}  // namespace

TfrmConfig::TfrmConfig(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmConfig"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  QFont font(QString::fromUtf8(kDefaultFontName));
  font.setPixelSize(kFormFontPx);
  setFont(font);
  setWindowIcon(ApplicationIcon());
  KeepStockDialogStateInMemory();
  controls_ = BuildControls(this);
  auto* url = Control<QLabel>(TCtl::lblUrl);
  if (const std::string doc = DocumentationPath(); !doc.empty())
    documentation_ = QUrl::fromLocalFile(QString::fromStdString(doc));
  url->installEventFilter(this);
  WatchValues(controls_, this, [this] { ValuesChanged(); });
  connect(Control<QPushButton>(TCtl::btnIllustFolderSelect), &QPushButton::clicked, this,
          &TfrmConfig::btnIllustFolderSelectClick);
  connect(Control<QPushButton>(TCtl::btnIllustFolderOpen), &QPushButton::clicked, this,
          &TfrmConfig::btnIllustFolderOpenClick);
  connect(Control<QPushButton>(TCtl::btnBGColor), &QPushButton::clicked, this, &TfrmConfig::btnBGColorClick);
  connect(Control<QPushButton>(TCtl::btnOK), &QPushButton::clicked, this, &TfrmConfig::btnOKClick);
  connect(Control<QPushButton>(TCtl::btnCancel), &QPushButton::clicked, this, &TfrmConfig::close);
  Control(TCtl::edtIllustFolder)->setFocus();
  setFixedSize(kFormClientWidth, FormClientHeight());
  // Centred on the whole screen; Qt's own placement of dialogs guesses a
  // frame where there may be none.
  centred_frame_ = CentreOnScreen(this);
  connect(qApp, &QApplication::focusChanged, this, &TfrmConfig::FocusChanged);
  FollowFocusOfPresses();
  FormCreate();
}

void TfrmConfig::moveEvent(QMoveEvent* event) {
  QDialog::moveEvent(event);
  // The size is fixed, so only a new frame changes this; a move by the user does not.
  if (frameGeometry().size() != centred_frame_) centred_frame_ = CentreOnScreen(this);
}

TfrmConfig::~TfrmConfig() {
  if (model_.SwallowsClicks()) qApp->removeEventFilter(this);
}

void TfrmConfig::FormCreate() {
  Control<TStretchedImage>(TCtl::imgProgramIcon)->SetPicture(ApplicationIconImage(32));
  const QString title = QString::fromStdString(TApplication::Instance().Title());
  setWindowTitle(title);
  auto* name = Control<QLabel>(TCtl::lblProductName);
  name->setText(title);
  name->adjustSize();
  auto* version = Control<QLabel>(TCtl::lblVersion);
  version->setText(QString::fromStdString(TConfigModel::VersionCaption(FileVersion())));
  version->adjustSize();
  model_.LoadStored();
  Show();
  setAcceptDrops(true);
}

void TfrmConfig::Show() {
  showing_ = true;
  ShowValues(controls_, model_.Values());
  showing_ = false;
  // The model keeps what the controls hold (a folder name that is not UTF-8
  // comes back as the field shows it).
  ValuesChanged();
}

void TfrmConfig::ValuesChanged() {
  if (showing_) return;
  TakeValues(controls_, model_.Values());
  EnableControls();
}

void TfrmConfig::EnableControls() {
  for (const TControlRow& row : ControlTable())
    if (row.enabledBy) Control(row.id)->setEnabled(model_.Enabled(row.id));
}

TCtl TfrmConfig::IdOf(const QWidget* control) const {
  for (size_t i = 0; i < controls_.size(); ++i)
    if (controls_[i] == control) return TCtl(i);
  return TCtl::frmConfig;
}

void TfrmConfig::FollowFocusOfPresses() {
  WatchAllEvents(this, [this](QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this || isActiveWindow() || model_.SwallowsClicks())
      return false;
    // A window that is not the active one (no window manager activates it
    // again after a message) moves its focus without a word: the press has
    // just done so, before reaching its control.
    if (QWidget* now = focusWidget(); now && IdOf(now) != model_.FocusedControl()) FocusChanged(nullptr, now);
    return model_.SwallowsClicks();  // the check failed: this click must not act
  });
}

void TfrmConfig::FocusChanged(QWidget*, QWidget* now) {
  // Only this form's controls count; the window losing or regaining the
  // activation does not enter or leave a control.
  if (now && now->window() == this && model_.FocusMoved(IdOf(now))) edtIllustFolderExit();
}

void TfrmConfig::edtIllustFolderExit() { RefuseFolder(true); }

void TfrmConfig::RefuseFolder(bool refocus) {
  QPointer<TfrmConfig> self(this);
  ShowMessageBox(Win(this), tr(kMissingFolder).toStdString(), tr("情報").toStdString(), MsgIcon::kInformation);
  if (!self) return;
  model_.RestoreFolder();
  Show();
  if (!refocus) return;
  SelectFolderField();
  if (model_.FolderRefusalDone()) SwallowPendingClick();
}

void TfrmConfig::SelectFolderField() {
  auto* folder = Control<QLineEdit>(TCtl::edtIllustFolder);
  folder->setFocus(Qt::OtherFocusReason);
  folder->selectAll();
}

void TfrmConfig::SwallowPendingClick() {
  qApp->installEventFilter(this);
  QTimer::singleShot(0, this, [this] {
    model_.PendingClickPassed();
    qApp->removeEventFilter(this);
  });
}

bool TfrmConfig::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool button_event = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                            type == QEvent::MouseButtonDblClick;
  if (model_.SwallowsClicks() && button_event && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this)
    return true;
  if (watched == Control(TCtl::lblUrl) && type == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && Control(TCtl::lblUrl)->rect().contains(mouse->position().toPoint()))
      lblUrlClick();
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmConfig::lblUrlClick() {
  if (!documentation_.isEmpty()) QDesktopServices::openUrl(documentation_);
}

void TfrmConfig::btnIllustFolderSelectClick() {
  auto* folder = Control<QLineEdit>(TCtl::edtIllustFolder);
  const QString chosen =
      QFileDialog::getExistingDirectory(this, tr(kBrowseTitle), folder->text(), QFileDialog::ShowDirsOnly);
  if (!chosen.isEmpty()) folder->setText(chosen);
}

void TfrmConfig::btnIllustFolderOpenClick() {
  if (const std::string folder = model_.FolderToOpen(); !folder.empty())
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
  else
    RefuseFolder(false);
}

void TfrmConfig::btnBGColorClick() {
  const TColor c = model_.Values().bgColor;
  QColor chosen;
  if (!ColorDialog.Execute(this, QColor(GetRValue(c), GetGValue(c), GetBValue(c)), &chosen)) return;
  model_.ColorChosen(RGB(chosen.red(), chosen.green(), chosen.blue()));
  Show();
}

void TfrmConfig::btnOKClick() {
  TakeValues(controls_, model_.Values());
  try {
    model_.Save(writer_);
  } catch (const std::exception& e) {
    // The write error goes to the general handler; the dialog stays open.
    TApplication::Instance().ShowException(TranslatedMessage(e));
    return;
  }
  close();
}

void TfrmConfig::reject() { close(); }

void TfrmConfig::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    SlideIconOut();
  }
  event->accept();
}

void TfrmConfig::SlideIconOut() {
  SlideOut(Control(TCtl::imgProgramIcon), Control(TCtl::GroupBox2), animation_wait_);
}

void TfrmConfig::dragEnterEvent(QDragEnterEvent* event) { AcceptNameOnly(event); }

void TfrmConfig::dragMoveEvent(QDragMoveEvent* event) { AcceptNameOnly(event); }

void TfrmConfig::dropEvent(QDropEvent* event) {
  if (!AcceptNameOnly(event)) return;
  WMDropFiles(event->position(), event->mimeData()->urls());
}

void TfrmConfig::WMDropFiles(const QPointF& point, const QList<QUrl>& urls) {
  if (!rect().contains(point.toPoint())) return;
  const std::string path = FirstDroppedPath(urls);  // further items are ignored
  if (path.empty()) return;
  activateWindow();
  raise();
  model_.Dropped(path);
  Show();
  SelectFolderField();
}

}  // namespace orv
