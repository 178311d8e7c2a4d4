// TfrmConfig's event handlers.
#include "config/config_form.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QColorDialog>
#include <QDesktopServices>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <QUrl>

#include "config/config_rules.h"
#include "config/config_widgets.h"
#include "platform/gui/application.h"
#include "platform/gui/language.h"
#include "platform/gui/qt_window.h"
#include "platform/paths.h"

namespace orv {

namespace {

const char kMissingFolder[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "指定されたフォルダは存在しません。");
const char kBrowseTitle[] = QT_TRANSLATE_NOOP("orv::TfrmConfig", "画像が保存されているフォルダを選択してください。");

// The dropped item's path with the file system's bytes, also where they are
// not valid UTF-8; empty when the first item is not a local file.
std::string FirstDroppedPath(const QList<QUrl>& urls) {
  if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
  const QUrl& url = urls.first();
  std::string path = PercentDecode(url.path(QUrl::FullyEncoded).toStdString());
  const QString host = url.host();
  if (!host.isEmpty() && host.compare(QLatin1String("localhost"), Qt::CaseInsensitive) != 0)
    path = "//" + host.toStdString() + path;
  return path;
}

// Hands every event of the application to a function before its receiver.
class TEventWatcher : public QObject {
 public:
  TEventWatcher(QObject* owner, std::function<bool(QObject*, QEvent*)> watch)
      : QObject(owner), watch_(std::move(watch)) {}
  bool eventFilter(QObject* watched, QEvent* event) override { return watch_(watched, event); }

 private:
  std::function<bool(QObject*, QEvent*)> watch_;
};

}  // namespace

void TfrmConfig::FollowFocusOfPresses() {
  qApp->installEventFilter(new TEventWatcher(this, [this](QObject* watched, QEvent* event) {
    if (event->type() != QEvent::MouseButtonPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this || isActiveWindow() || swallowing_clicks_)
      return false;
    // A window that is not the active one (no window manager activates it
    // again after a message) moves its focus without a word: the press has
    // just done so, before reaching its control.
    if (QWidget* now = focusWidget(); now && now != active_control_) FocusChanged(active_control_, now);
    return swallowing_clicks_;  // the check failed: this click must not act
  }));
}

TColorDialog::TColorDialog() { custom_.fill(qRgb(255, 255, 255)); }

bool TColorDialog::Execute(QWidget* owner, const QColor& initial, QColor* chosen) {
  // Qt keeps custom colours per process; ours belong to this component.
  for (int i = 0; i < int(custom_.size()); ++i) QColorDialog::setCustomColor(i, QColor::fromRgb(custom_[size_t(i)]));
  QColorDialog dialog(initial, owner);
  dialog.setOption(QColorDialog::DontUseNativeDialog);
  const bool accepted = dialog.exec() == QDialog::Accepted;
  for (int i = 0; i < int(custom_.size()); ++i) custom_[size_t(i)] = QColorDialog::customColor(i).rgb();
  if (accepted) *chosen = dialog.selectedColor();
  return accepted;
}

void TfrmConfig::FocusChanged(QWidget*, QWidget* now) {
  // Only moves between this form's controls count; the window losing or
  // regaining the activation does not enter or leave a control.
  if (!now || now->window() != this || now == active_control_) return;
  QWidget* previous = active_control_;
  active_control_ = now;
  // While the check's message is up, a nested event loop may move the focus:
  // the check itself puts it back into the field, with the saved text.
  if (checking_folder_) return;
  if (previous == edtIllustFolder) edtIllustFolderExit(now);
  if (now == edtIllustFolder && active_control_ == edtIllustFolder) edtIllustFolderEnter();
}

void TfrmConfig::edtIllustFolderEnter() { saved_folder_ = edtIllustFolder->text().toStdString(); }

void TfrmConfig::edtIllustFolderExit(QWidget* next) {
  if (next == btnIllustFolderSelect || next == btnCancel) return;
  if (DirectoryExists(edtIllustFolder->text().toStdString())) return;
  checking_folder_ = true;
  QPointer<TfrmConfig> self(this);
  ReportMissingFolder();
  if (!self) return;
  edtIllustFolder->setText(QString::fromStdString(saved_folder_));
  edtIllustFolder->setFocus(Qt::OtherFocusReason);
  active_control_ = edtIllustFolder;  // an inactive window reports no focus change
  edtIllustFolder->selectAll();
  // The mouse press that moved the focus is still on its way to its control:
  // the click must not go on to save, open or toggle anything.
  SwallowPendingClick();
  checking_folder_ = false;
}

void TfrmConfig::ReportMissingFolder() { ShowMessageBox(Win(this), tr(kMissingFolder).toStdString(), tr("情報").toStdString(), MsgIcon::kInformation); }

void TfrmConfig::SwallowPendingClick() {
  if (swallowing_clicks_) return;
  swallowing_clicks_ = true;
  qApp->installEventFilter(this);
  QTimer::singleShot(0, this, [this] {
    swallowing_clicks_ = false;
    qApp->removeEventFilter(this);
  });
}

bool TfrmConfig::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  const bool button_event = type == QEvent::MouseButtonPress || type == QEvent::MouseButtonRelease ||
                            type == QEvent::MouseButtonDblClick;
  if (swallowing_clicks_ && button_event && watched->isWidgetType() &&
      static_cast<QWidget*>(watched)->window() == this)
    return true;
  if (watched == lblUrl && type == QEvent::MouseButtonRelease) {
    auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() == Qt::LeftButton && lblUrl->rect().contains(mouse->position().toPoint())) lblUrlClick();
  }
  return QDialog::eventFilter(watched, event);
}

void TfrmConfig::lblUrlClick() {
  if (!documentation_.isEmpty()) QDesktopServices::openUrl(documentation_);
}

void TfrmConfig::btnIllustFolderSelectClick() {
  const QString chosen = QFileDialog::getExistingDirectory(this, tr(kBrowseTitle),
                                                           edtIllustFolder->text(), QFileDialog::ShowDirsOnly);
  if (!chosen.isEmpty()) edtIllustFolder->setText(chosen);
}

void TfrmConfig::btnIllustFolderOpenClick() {
  const QString folder = edtIllustFolder->text();
  if (DirectoryExists(folder.toStdString())) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
    return;
  }
  QPointer<TfrmConfig> self(this);
  ReportMissingFolder();
  if (self) edtIllustFolder->setText(QString::fromStdString(saved_folder_));
}

void TfrmConfig::chkBackColorEnableClick() { btnBGColor->setEnabled(chkBackColorEnable->isChecked()); }

void TfrmConfig::chkPutFilenameClick() {
  // Greyed-out boxes keep their state, and it is saved.
  chkPutFullPath->setEnabled(chkPutFilename->isChecked());
  chkPutExtention->setEnabled(chkPutFilename->isChecked());
}

void TfrmConfig::btnBGColorClick() {
  const TColor c = lblColor->Color();
  QColor chosen;
  if (!ColorDialog.Execute(this, QColor(GetRValue(c), GetGValue(c), GetBValue(c)), &chosen)) return;
  lblColor->SetColor(RGB(chosen.red(), chosen.green(), chosen.blue()) & 0xFFFFFF);
}

void TfrmConfig::btnOKClick() {
  try {
    WriteSettings(SettingsFilePath(), SettingsFromControls(), writer_);
  } catch (const std::exception& e) {
    // The write error goes to the general handler; the dialog stays open.
    TApplication::Instance().ShowException(TranslatedMessage(e));
    return;
  }
  close();
}

void TfrmConfig::btnCancelClick() { close(); }

void TfrmConfig::reject() { close(); }

void TfrmConfig::closeEvent(QCloseEvent* event) {
  if (!closing_) {
    closing_ = true;
    SlideIconOut();
  }
  event->accept();
}

void TfrmConfig::SlideIconOut() {
  // Each step moves the icon further; the group clips it at its right edge.
  for (int step = 1; imgProgramIcon->x() <= GroupBox2->width(); ++step) {
    const QRect before = imgProgramIcon->geometry();
    imgProgramIcon->move(before.x() + step, before.y());
    GroupBox2->repaint(before.united(imgProgramIcon->geometry()));
    if (animation_wait_)
      animation_wait_();
    else
      QThread::msleep(12);
  }
}

void TfrmConfig::dragEnterEvent(QDragEnterEvent* event) { AcceptNameOnly(event); }

void TfrmConfig::dragMoveEvent(QDragMoveEvent* event) { AcceptNameOnly(event); }

void TfrmConfig::dropEvent(QDropEvent* event) {
  if (!AcceptNameOnly(event)) return;
  WMDropFiles(event->position(), event->mimeData()->urls());
}

bool TfrmConfig::AcceptNameOnly(QDropEvent* event) {
  // We take the name and nothing else: a source that honoured a Move would
  // delete the user's file or folder.
  const Qt::DropActions offered = event->possibleActions();
  const Qt::DropAction action = (offered & Qt::CopyAction)   ? Qt::CopyAction
                                : (offered & Qt::LinkAction) ? Qt::LinkAction
                                                             : Qt::IgnoreAction;
  if (action == Qt::IgnoreAction || FirstDroppedPath(event->mimeData()->urls()).empty()) {
    event->ignore();
    return false;
  }
  event->setDropAction(action);
  event->accept();
  return true;
}

void TfrmConfig::WMDropFiles(const QPointF& point, const QList<QUrl>& urls) {
  if (!rect().contains(point.toPoint())) return;
  const std::string path = FirstDroppedPath(urls);  // further items are ignored
  if (path.empty()) return;
  activateWindow();
  raise();
  HandleDroppedPath(path);
}

void TfrmConfig::HandleDroppedPath(const std::string& path) {
  const std::string folder = FolderForDroppedPath(path);
  edtIllustFolder->setText(QString::fromUtf8(folder.data(), qsizetype(folder.size())));
  edtIllustFolder->setFocus(Qt::OtherFocusReason);
  edtIllustFolder->selectAll();
}

}  // namespace orv
