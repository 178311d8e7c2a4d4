#include "config/config_form.h"

#include <QKeyEvent>

#include "platform/gui/application.h"

namespace orv {

TfrmConfig::TfrmConfig(QWidget* parent) : QWidget(parent) {
  setWindowTitle(QString::fromStdString(TApplication::Instance().Title()));
  setFixedSize(444, 542);
}

TfrmConfig::~TfrmConfig() = default;

void TfrmConfig::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) close();
  QWidget::keyPressEvent(event);
}

}  // namespace orv
