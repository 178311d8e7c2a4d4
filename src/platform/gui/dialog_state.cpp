#include "platform/gui/dialog_state.h"

#include <QSettings>

namespace orv {

void KeepStockDialogStateInMemory() {
  // "/dev/null" always exists and is never a directory, so every read finds
  // nothing and every write fails quietly.
  const QString nowhere = QStringLiteral("/dev/null");
  for (auto format : {QSettings::NativeFormat, QSettings::IniFormat})
    for (auto scope : {QSettings::UserScope, QSettings::SystemScope}) QSettings::setPath(format, scope, nowhere);
}

}  // namespace orv
