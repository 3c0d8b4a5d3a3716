#pragma once

// An analysis explained payment by payment, as a window hands it on: the
// core's rows and sums together with the dates they were measured between, so
// that whoever shows them can draw the horizon and the duration on a date axis
// and say what was analysed.

#include "model/date.h"
#include "model/explain.h"
#include "portfolio/core/ladder.h"

#include <QString>

#include <optional>

namespace tenvix::ui {

struct ExplainedAnalysis {
    Explanation explanation;
    double stand = 0.0; // whole days, as the analysis used them
    double horizon = 0.0;
    YearMethod method = YearMethod::CalendarParts; // how its times count years
    QString subject;                               // the record's identifier, where there is one
    // A portfolio funded by a schedule: its payments walked against the
    // schedule, liability by liability. Nothing for anything else.
    std::optional<Ladder> funding;
};

} // namespace tenvix::ui
