#include "display/main_form.h"

#include "platform/gui/screen.h"

namespace orv {

TfrmMain::TfrmMain(QWidget* parent) : QWidget(parent) {
  setWindowFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool);
  setWindowTitle(QString::fromUtf8("スクリーンセーバー"));
  FormCreate();
}

TfrmMain::~TfrmMain() = default;

void TfrmMain::FormCreate() {}

void TfrmMain::ShowFullScreen() {
  TSize size = Screen().Size();
  setGeometry(0, 0, size.Width, size.Height);
  showFullScreen();
}

void TfrmMain::ShowInHost() { show(); }

}  // namespace orv
