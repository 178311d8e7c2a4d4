// TfrmConfig: the configuration dialog's Qt face. It builds its controls
// from the model's layout table, shows the model's values and passes the
// user's actions to it; the decisions are the model's.
#pragma once

#include <QColor>
#include <QDialog>
#include <QPointer>
#include <QUrl>
#include <array>
#include <functional>
#include <string>
#include <vector>

#include "config/config_form_parts.h"
#include "config/config_model.h"

namespace orv {

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
  const std::string& SavedFolder() const { return model_.SavedFolder(); }

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
  template <class T = QWidget>
  T* Control(TCtl id) const { return static_cast<T*>(controls_[size_t(id)]); }
  TCtl IdOf(const QWidget* control) const;
  void FollowFocusOfPresses();
  void Show();                             // the model's values and enabling
  void ValuesChanged();
  void EnableControls();

  void lblUrlClick();
  void edtIllustFolderExit();  // the folder was refused on leaving the field
  void btnIllustFolderSelectClick();
  void btnIllustFolderOpenClick();
  void btnBGColorClick();
  void btnOKClick();
  // The file-drop message: the drop point and the dropped items.
  void WMDropFiles(const QPointF& point, const QList<QUrl>& urls);

  void FocusChanged(QWidget* old_widget, QWidget* now);
  // A missing folder: reported, the saved text back; `refocus` when the
  // field was being left, which then gets the focus back.
  void RefuseFolder(bool refocus);
  void SelectFolderField();
  void SwallowPendingClick();
  void SlideIconOut();

  TConfigModel model_;
  std::vector<QWidget*> controls_;  // by TCtl
  QUrl documentation_;              // what lblUrl opens; empty when no README was found
  TColorDialog ColorDialog;
  bool showing_ = false;
  bool closing_ = false;
  QSize centred_frame_;  // the frame size the dialog was last centred with
  ISettingsFileWriter* writer_ = nullptr;
  std::function<void()> animation_wait_;
};

}  // namespace orv
