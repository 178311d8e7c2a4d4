// TfrmConfig: the configuration dialog's Qt face. It builds its controls
// from the model's layout table, shows the model's values and passes the
// user's actions to it; the decisions are the model's.
#pragma once

#include <QDialog>
#include <QUrl>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/config_form_parts.h"
#include "config/config_model.h"

namespace orv {

class TFileDropTarget;
class TFocusGuard;

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

 private:
  template <class T = QWidget>
  T* Control(TCtl id) const { return static_cast<T*>(controls_[size_t(id)]); }
  void Show();  // the model's values and enabling
  void ValuesChanged();

  void lblUrlClick();
  void edtIllustFolderExit();  // the folder was refused on leaving the field
  void btnIllustFolderSelectClick();
  void btnIllustFolderOpenClick();
  void btnBGColorClick();
  void btnOKClick();
  void WMDropFiles(const std::string& path);  // the first dropped item

  void FocusMoved(TCtl now);
  // A missing folder: reported, the saved text back; `refocus` when the
  // field was being left, which then gets the focus back.
  void RefuseFolder(bool refocus);
  void SelectFolderField();

  TConfigModel model_;
  std::vector<QWidget*> controls_;  // by TCtl
  QUrl documentation_;              // what lblUrl opens; empty when no README was found
  TColorDialog ColorDialog;
  bool showing_ = false;
  bool closing_ = false;
  ISettingsFileWriter* writer_ = nullptr;
  std::function<void()> animation_wait_;
  std::unique_ptr<TFocusGuard> guard_;
  std::unique_ptr<TFileDropTarget> drop_target_;
};

}  // namespace orv
