#include "model/analysiscsv.h"

#include "model/date.h"
#include "model/format.h"

namespace tenvix {

AnalysisCsvWriter::AnalysisCsvWriter(double stand, double horizon, Needs needs, const Clock& clock)
    : m_dStand(stand),
      m_dHorizon(horizon),
      m_needs(needs),
      m_clock(clock),
      m_years(FormatFixed(YearFraction(horizon, stand), 8))
{
}

void AnalysisCsvWriter::AppendRow(std::string& out, CBond& bond) const
{
    // Each bond reads the clock for its own time budget.
    const RecordAnalysis r =
        AnalyseRecord(bond, m_dStand, m_dHorizon, static_cast<double>(bond.m_fPrice), m_clock, m_needs);
    const char* status = r.outcome == RecordOutcome::Solved    ? "ok"
                         : r.outcome == RecordOutcome::NoYield ? "bad_ytm"
                                                               : "incompatible";
    AppendReportText(out, bond.m_strID);
    out += ',';
    AppendReportText(out, bond.m_strName);
    out += bond.GetType() == BOND_TYPE_STD ? ",I," : ",II,";
    out += status;
    out += ',';
    AppendInteger(out, r.code);
    if (r.outcome == RecordOutcome::Solved) {
        for (double figure : {r.ytm, r.duration, r.squareM}) {
            out += ',';
            AppendFixed(out, figure, 8);
        }
        out += ',';
        out += m_years;
    } else {
        out += ",,,,";
    }
    out += "\r\n";
}

} // namespace tenvix
