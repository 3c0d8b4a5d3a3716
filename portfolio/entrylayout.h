#pragma once

// The shape both small entry dialogs of the portfolio share: their fields on
// the left, OK (the default) and Cancel stacked at the top right.

class QDialog;
class QGridLayout;

namespace tenvix::ui {

void LayOutEntryDialog(QDialog* dialog, QGridLayout* fields);

} // namespace tenvix::ui
