// The Qt face of the dialog's layout table: the widgets of every row, and
// the settings shown in and taken from the controls bound to them.
#pragma once

#include <QString>
#include <QWidget>
#include <vector>

#include "config/config_model.h"

namespace orv {

// The controls of the table as children of form, indexed by TCtl (the form
// itself at frmConfig); tab order and fonts set, texts translated, the form
// named and of the table's font and size.
std::vector<QWidget*> BuildControls(QWidget* form);
// A control's id; frmConfig for one the table does not name.
TCtl IdOf(const std::vector<QWidget*>& controls, const QWidget* control);

// The texts of the table are translated in the dialog's context.
QString TranslatedText(const char* text);

// The bound controls show the values; the values take the bound controls'.
void ShowValues(const std::vector<QWidget*>& controls, const TSettings& values);
void TakeValues(const std::vector<QWidget*>& controls, TSettings& values);

// Calls changed whenever the user changes a bound control.
void WatchValues(const std::vector<QWidget*>& controls, QObject* receiver, const std::function<void()>& changed);

}  // namespace orv
