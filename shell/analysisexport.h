#pragma once

// File > Export analysis: the analysis of every bond written to a CSV file,
// row for row what `tenvix-cli analyse` prints, for the frame's stand date,
// horizon and Square-M setting.

#include "model/bondlist.h"

#include <QString>

class QWidget;

namespace tenvix::ui {

// Asks where to write, analyses every bond with a progress window and a
// Cancel, and replaces the chosen file only once the whole text is written;
// a failure is told in the database's words. With `squareM` a horizon not
// after the stand date is refused for every bond, as the record form refuses
// it. The chooser starts beside `databasePath`, under its name, or in the
// working folder under `title` while the database has no file; it refuses
// the database itself and any other database or portfolio. Returns whether
// a file was written.
bool ExportAnalysis(QWidget* parent, CBondList& bonds, double stand, double horizon, bool squareM,
                    const QString& databasePath, const QString& title);

} // namespace tenvix::ui
