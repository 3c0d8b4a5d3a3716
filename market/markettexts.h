#pragma once

// Everything the Market window says: its title, the table's headings, the
// chart's title and series, the state line, the buttons. The refusals are
// the core's (curve/curvemessages.h), as the command line says them.

#include <QString>
#include <QStringList>

namespace tenvix::ui {

enum class MarketText {
    Title,        // the window's
    FilterLabel,  // before the filter box
    FilterTip,
    Refresh,
    RefreshTip,
    Stop,
    OutOfDate,    // the database changed since the rows were made
    Analysing,
    Fitting,
    Stopped,
    ChartTitle,
    YearsAxis,
    YtmAxis,
    CurveSeries,
};
QString TextOf(MarketText text);

// The table's headings, in column order.
QStringList MarketHeadings();

// The chart's title once a curve is fitted: with the fit's rmse.
QString ChartTitleWithRmse(double rmseBp);

// The groups of spread the chart colours its points by, from dear to cheap,
// each with its upper bound in basis points (the last has none).
struct SpreadBand {
    double upperBp;
    const char* name;
};
inline constexpr SpreadBand kSpreadBands[] = {
    {-20, "Dear, below -20 bp"}, {-5, "Dear, -20 to -5 bp"}, {5, "Fair, -5 to 5 bp"},
    {20, "Cheap, 5 to 20 bp"},   {0, "Cheap, above 20 bp"},
};
inline constexpr int kSpreadBandCount = 5;
// The band of a spread in basis points.
int SpreadBandOf(double spreadBp);

// A point's tooltip: the bond, its years, its yield and its spread.
QString PointTip(const QString& id, double years, double ytm, double spreadBp);

} // namespace tenvix::ui
