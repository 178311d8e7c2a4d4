// TfrmMain: the display form of the full-screen and preview modes.
#pragma once

#include <QWidget>

namespace orv {

class TfrmMain : public QWidget {
  Q_OBJECT
 public:
  // Creating the form runs FormCreate.
  explicit TfrmMain(QWidget* parent = nullptr);
  ~TfrmMain() override;

  // False in full-screen mode, true in preview mode; set right after creation.
  bool isPreview = false;

  // Shows the form covering the screen (full-screen mode).
  void ShowFullScreen();
  // Shows the form inside a host window that it has been embedded in.
  void ShowInHost();

 protected:
  void FormCreate();
};

}  // namespace orv
