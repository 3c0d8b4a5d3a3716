#include "model/analyse.h"

#include "model/solver.h"

namespace tenvix {

RecordAnalysis AnalyseRecord(CBond& bond, double stand, double horizon, double price, const Clock& clock, Needs needs)
{
    RecordAnalysis out;
    bond.SetDates(stand, horizon);
    bond.Prepare();
    out.code = bond.Validate();
    const bool goesOn =
        out.code == BOND_OK || (out.code == BOND_STAND_AFTER_HORIZON && needs == Needs::YieldAndDuration);
    if (!goesOn)
        return out;
    try {
        out.ytm = bond.GetYTM(clock);
        bond.GetDurationM2(out.ytm, price, out.duration, out.squareM);
        out.outcome = RecordOutcome::Solved;
    } catch (const NoYieldFound&) {
        out = RecordAnalysis{RecordOutcome::NoYield, out.code};
    }
    return out;
}

} // namespace tenvix
