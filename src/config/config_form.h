// TfrmConfig: the configuration dialog. It shows the program's name and
// version, edits the settings and writes them all on OK.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <string>

#include "config/settings.h"

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QUrl;

namespace orv {

class TColorSwatch;
class TGroupFrame;
class TStretchedImage;
class TRadioGroup;
class TUpDown;

// The colour chooser component: Qt's colour dialog with custom colours that
// belong to this component and live as long as it does.
class TColorDialog {
 public:
  TColorDialog();
  // Runs the chooser modally; false when the user cancels.
  bool Execute(QWidget* owner, const QColor& initial, QColor* chosen);
  const std::array<QRgb, 16>& CustomColors() const { return custom_; }

 private:
  std::array<QRgb, 16> custom_;
};

class TfrmConfig : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmConfig(QWidget* parent = nullptr);
  ~TfrmConfig() override;

  // Test seams: the writer of the settings file, and the 12 ms pause between
  // the steps of the closing animation.
  void SetSettingsWriter(ISettingsFileWriter* writer) { writer_ = writer; }
  void SetAnimationWait(std::function<void()> wait) { animation_wait_ = std::move(wait); }

  // The folder text saved when the focus last entered the folder field.
  const std::string& SavedFolder() const { return saved_folder_; }

 protected:
  void FormCreate();
  void closeEvent(QCloseEvent* event) override;  // FormClose
  void reject() override;                        // Esc
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dragMoveEvent(QDragMoveEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateControls();
  void FollowFocusOfPresses();
  void CentreFrame();
  // Accepts a drop of files as a copy or link of their names; false if refused.
  bool AcceptNameOnly(QDropEvent* event);
  // Adds a row to grpOptions (growing it) and to the end of the tab order;
  // the caption goes through tr().
  QCheckBox* AddOption(const char* name, const char* caption);
  // The fade time: a label and a spin box in seconds, one row.
  QDoubleSpinBox* AddFadeTimeOption();
  // The top of grpOptions' next row; then grows the group by a row and puts
  // the row's focus control at the end of the tab order.
  int NextOptionTop() const;
  void EndOptionRow(QWidget* focus);
  void ReadSettingsIntoControls();
  TSettings SettingsFromControls() const;

  void lblUrlClick();
  void edtIllustFolderEnter();
  void edtIllustFolderExit(QWidget* next);
  void btnIllustFolderSelectClick();
  void btnIllustFolderOpenClick();
  void chkBackColorEnableClick();
  void btnBGColorClick();
  void chkPutFilenameClick();
  void btnOKClick();
  void btnCancelClick();
  // The file-drop message: the drop point and the dropped items.
  void WMDropFiles(const QPointF& point, const QList<QUrl>& urls);
  void HandleDroppedPath(const std::string& path);

  void FocusChanged(QWidget* old_widget, QWidget* now);
  void ReportMissingFolder();
  void SwallowPendingClick();
  void SlideIconOut();

  // Controls, named as in the form's design.
  TGroupFrame* GroupBox2 = nullptr;
  QLabel* lblProductName = nullptr;
  QLabel* lblVersion = nullptr;
  TStretchedImage* imgProgramIcon = nullptr;
  QLabel* Copyright = nullptr;
  QLabel* Label6 = nullptr;
  QLabel* lblUrl = nullptr;
  QUrl documentation_;  // what lblUrl opens; empty when no README was found
  QLabel* Label3 = nullptr;
  QLabel* Label17 = nullptr;
  TGroupFrame* GroupBox3 = nullptr;
  QLineEdit* edtIllustFolder = nullptr;
  QPushButton* btnIllustFolderSelect = nullptr;
  QPushButton* btnIllustFolderOpen = nullptr;
  QLabel* Label5 = nullptr;
  QLineEdit* edtIllustChangeSec = nullptr;
  TUpDown* updIllustChangeSec = nullptr;
  QLabel* Label2 = nullptr;
  TGroupFrame* GroupBox1 = nullptr;
  QCheckBox* chkBackColorEnable = nullptr;
  TColorSwatch* lblColor = nullptr;
  QPushButton* btnBGColor = nullptr;
  QCheckBox* chkIllustExtend = nullptr;
  TGroupFrame* GroupBox5 = nullptr;
  QCheckBox* chkPutFilename = nullptr;
  QCheckBox* chkPutFullPath = nullptr;
  QCheckBox* chkPutExtention = nullptr;
  TRadioGroup* RadioGroup = nullptr;
  QPushButton* btnOK = nullptr;
  QPushButton* btnCancel = nullptr;
  // Options added to the original form sit below it, one row each.
  TGroupFrame* grpOptions = nullptr;
  QCheckBox* chkAutoRotate = nullptr;
  QCheckBox* chkSubFolders = nullptr;
  QDoubleSpinBox* spnFadeTime = nullptr;
  TColorDialog ColorDialog;

  std::string saved_folder_;
  // The control of this form that last had the focus: entering and leaving
  // the folder field are changes of it, not of the window's activation.
  QPointer<QWidget> active_control_;
  bool checking_folder_ = false;
  bool swallowing_clicks_ = false;
  bool closing_ = false;
  QSize centred_frame_;  // the frame size the dialog was last centred with
  ISettingsFileWriter* writer_ = nullptr;
  std::function<void()> animation_wait_;
};

}  // namespace orv
