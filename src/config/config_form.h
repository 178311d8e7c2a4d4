// TfrmConfig: the configuration dialog.
#pragma once

#include <QWidget>

namespace orv {

class TfrmConfig : public QWidget {
  Q_OBJECT
 public:
  explicit TfrmConfig(QWidget* parent = nullptr);
  ~TfrmConfig() override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};

}  // namespace orv
