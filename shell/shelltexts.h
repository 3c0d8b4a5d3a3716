#pragma once

// What the frame and its own windows say, in one place: the start-up
// failure, the document's save question, the price update window's
// refusals and question, and the export's captions. The file messages are the core's
// (model/filemessages.h), shared with the command line.

#include "model/priceupdate.h"

#include <QString>

namespace tenvix::ui {

enum class ShellText {
    NoFrame,           // the main window could not be made
    SaveChangedPrices, // leaving a page of the price update with changes
    ExportCaption,     // the file chooser of Export analysis
    Analysing,         // the progress window's line while the export runs
};
QString TextOf(ShellText text);

// Asked before a modified database is closed; `name` as the user knows it.
QString SaveChangesQuestion(const QString& name);

// Why the price update window refuses a typed price; empty for OK.
QString PriceCheckMessage(PriceCheck check);

} // namespace tenvix::ui
