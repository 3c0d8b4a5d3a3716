#pragma once

// The analysis of every bond as CSV, one row a bond: what `tenvix-cli
// analyse` prints and what the window's Export analysis writes, from the same
// code, so that both give the same bytes for the same bonds and settings.

#include "model/analyse.h"

#include <string>
#include <string_view>

namespace tenvix {

class Clock;

// The heading row, with its line end.
inline constexpr std::string_view kAnalysisCsvHeader =
    "id,name,type,status,code,ytm,duration,square_m,horizon_years\r\n";

// Writes the rows for one stand date and horizon. `needs` is the analysis
// road's: Needs::SquareM refuses a horizon not after the stand date, as the
// record form does with Square-M wanted; Needs::YieldAndDuration gives the
// figures all the same. The writer holds no state that changes, so threads
// may share it as long as `clock` may be read from several at once.
class AnalysisCsvWriter {
public:
    AnalysisCsvWriter(double stand, double horizon, Needs needs, const Clock& clock);

    // One row: the analysis of `bond` at its stored price. Only the record's
    // dates and what they derive change.
    void AppendRow(std::string& out, CBond& bond) const;

private:
    double m_dStand;
    double m_dHorizon;
    Needs m_needs;
    const Clock& m_clock;
    std::string m_years; // the horizon's distance from the stand date, as text
};

} // namespace tenvix
