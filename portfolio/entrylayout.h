#pragma once

// What the portfolio's entry dialogs share: their shape (the fields on the
// left, OK (the default) and Cancel stacked at the top right), how a box is
// refused, and the limits the Immunize and Fund dialogs both take.

#include <optional>

class QDialog;
class QGridLayout;
class QLineEdit;
class QString;
class QWidget;

namespace tenvix::ui {

void LayOutEntryDialog(QDialog* dialog, QGridLayout* fields);

// Makes `box` an entry box named `name` showing `text`: short texts, a
// fixed width for a figure. Returns it.
QLineEdit* EntryBox(QLineEdit* box, const char* name, const QString& text);

// Shows `message` as an error over `parent`, then puts the focus on `box`
// with its text selected for typing over.
void RefuseBox(QWidget* parent, QLineEdit* box, const char* message);

// The most rows, the largest share of one bond (a fraction) and the least
// yield (a fraction, none for an empty box), read from their boxes; the
// first box that is wrong is refused and nothing comes back.
struct SharedLimits {
    int maxRows = 0;
    double maxShare = 1.0;
    std::optional<double> minYtm;
};
std::optional<SharedLimits> ReadSharedLimits(QWidget* parent, QLineEdit* rows, QLineEdit* share, QLineEdit* leastYtm);

} // namespace tenvix::ui
