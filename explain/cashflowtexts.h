#pragma once

// Everything the Cashflows view says, in one place: its column headings, the
// names of the charts' series and axes, its state lines and its button.

#include "model/explain.h"

#include <QString>
#include <QStringList>

namespace tenvix::ui {

// The window an explanation came from.
enum class ExplainSource { Form, Analysis, Portfolio };

// Why a shown explanation no longer describes what it came from.
enum class OutOfDate {
    Edited,   // its window's entries changed (each window words it its own way)
    Dates,    // the run bar's stand date or horizon changed
    Prices,   // prices in the database changed
    Replaced, // another database took the open one's place
    Deleted,  // the record analysed is gone from the database
    Imported, // records were imported into the database
};

enum class CashflowText {
    Title, // the dock's
    Nothing,
    Amount,
    PresentValue,
    Selected,
    Horizon,
    Duration,
    SaveCsv,
    SaveCsvTip,
    CsvFilter,
    DerivedTip,
    DateTip, // the Date heading's
    Total,
    ShiftAxis, // the horizon value chart's axes
    ChangeAxis,
    Funding, // the funding chart's title and series
    Liability,
    Inflow,
    Surplus,
};
QString TextOf(CashflowText text);

// The horizon value chart's title: the horizon and the duration it is about.
QString HorizonTitle(const Explanation& explanation);

// The table's headings, in column order.
QStringList ColumnHeadings();

// What was analysed: the window, and the record's identifier where there is one.
QString SubjectLine(ExplainSource source, const QString& subject);
// The figures of a shown explanation, after what was analysed; for a Type I
// bond its accrued interest and clean price per 100 of face too.
QString SummaryLine(ExplainSource source, const QString& subject, const Explanation& explanation);
// An analysis that gave no figures, with the window's own message.
QString FailureLine(ExplainSource source, const QString& message);
QString OutOfDateLine(ExplainSource source, OutOfDate reason);

} // namespace tenvix::ui
