#include "config/config_form.h"

#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "config/config_face.h"
#include "config/config_widgets.h"
#include "config/documentation.h"
#include "config/drop_target.h"
#include "config/focus_guard.h"
#include "platform/gui/app_icon.h"
#include "platform/gui/application.h"
#include "platform/gui/dialog_state.h"
#include "platform/gui/language.h"
#include "platform/gui/qt_window.h"
#include "platform/gui/version.h"

namespace orv {

const char kMissingFolder[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "指定されたフォルダは存在しません。");
const char kBrowseTitle[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "画像が保存されているフォルダを選択してください。");

TfrmConfig::TfrmConfig(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint);
  setWindowIcon(ApplicationIcon());
  KeepStockDialogStateInMemory();
  controls_ = BuildControls(this);
  if (const std::string doc = DocumentationPath(); !doc.empty())
    documentation_ = QUrl::fromLocalFile(QString::fromStdString(doc));
  WatchValues(controls_, this, [this] { ValuesChanged(); });
  connect(Control<TLinkLabel>(TCtl::lblUrl), &TLinkLabel::clicked, this, &TfrmConfig::lblUrlClick);
  const auto on_click = [this](TCtl id, void (TfrmConfig::*handler)()) {
    connect(Control<QPushButton>(id), &QPushButton::clicked, this, handler);
  };
  on_click(TCtl::btnIllustFolderSelect, &TfrmConfig::btnIllustFolderSelectClick);
  on_click(TCtl::btnIllustFolderOpen, &TfrmConfig::btnIllustFolderOpenClick);
  on_click(TCtl::btnBGColor, &TfrmConfig::btnBGColorClick);
  on_click(TCtl::btnOK, &TfrmConfig::btnOKClick);
  connect(Control<QPushButton>(TCtl::btnCancel), &QPushButton::clicked, this, &TfrmConfig::close);
  Control(TCtl::edtIllustFolder)->setFocus();
  // Centred on the whole screen; Qt's own placement of dialogs guesses a
  // frame where there may be none.
  new TScreenCentring(this);
  guard_ = std::make_unique<TFocusGuard>(this, controls_, model_, [this](TCtl now) { FocusMoved(now); });
  FormCreate();
}

TfrmConfig::~TfrmConfig() = default;

void TfrmConfig::FormCreate() {
  Control<TStretchedImage>(TCtl::imgProgramIcon)->SetPicture(ApplicationIconImage(32));
  const auto set_label = [this](TCtl id, const std::string& text) {
    Control<QLabel>(id)->setText(QString::fromStdString(text));
    Control(id)->adjustSize();
  };
  setWindowTitle(QString::fromStdString(TApplication::Instance().Title()));
  set_label(TCtl::lblProductName, TApplication::Instance().Title());
  set_label(TCtl::lblVersion, TConfigModel::VersionCaption(FileVersion()));
  model_.LoadStored();
  Show();
  drop_target_ = std::make_unique<TFileDropTarget>(this, [this](const std::string& path) { WMDropFiles(path); });
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
  for (const TControlRow& row : ControlTable())
    if (row.enabledBy) Control(row.id)->setEnabled(model_.Enabled(row.id));
}

void TfrmConfig::FocusMoved(TCtl now) {
  if (model_.FocusMoved(now)) edtIllustFolderExit();
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
  if (model_.FolderRefusalDone()) guard_->SwallowPendingClick();
}

void TfrmConfig::SelectFolderField() {
  auto* folder = Control<QLineEdit>(TCtl::edtIllustFolder);
  folder->setFocus(Qt::OtherFocusReason);
  folder->selectAll();
}

void TfrmConfig::lblUrlClick() {
  if (!documentation_.isEmpty()) QDesktopServices::openUrl(documentation_);
}

void TfrmConfig::btnIllustFolderSelectClick() {
  BrowseForFolder(Control<QLineEdit>(TCtl::edtIllustFolder), tr(kBrowseTitle));
}

void TfrmConfig::btnIllustFolderOpenClick() {
  if (const std::string folder = model_.FolderToOpen(); !folder.empty())
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder)));
  else
    RefuseFolder(false);
}

void TfrmConfig::btnBGColorClick() {
  if (const std::optional<TColor> chosen = ColorDialog.Execute(this, model_.Values().bgColor)) {
    model_.ColorChosen(*chosen);
    Show();
  }
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
    SlideOut(Control(TCtl::imgProgramIcon), Control(TCtl::GroupBox2), animation_wait_);
  }
  event->accept();
}

void TfrmConfig::WMDropFiles(const std::string& path) {
  activateWindow();
  raise();
  model_.Dropped(path);
  Show();
  SelectFolderField();
}

}  // namespace orv
