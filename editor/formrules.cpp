#include "editor/formrules.h"

#include "model/analyse.h"
#include "model/analysismessages.h"
#include "model/date.h"

namespace tenvix::editor {

bool IsIDOccupied(const CBondList& list, std::optional<CBondList::Position> current, std::string_view id)
{
    const std::string_view wanted = RecordKey(id);
    for (auto it = list.m_list.begin(); it != list.m_list.end(); ++it) {
        if (current && it == CBondList::List::const_iterator(*current))
            continue;
        if (*it && RecordKey((*it)->m_strID) == wanted)
            return true;
    }
    return false;
}

AnalysisOutcome AnalyseFormBond(CBond& bond, double stand, double horizon, bool squareM, double price,
                                const Clock& clock)
{
    const RecordAnalysis r =
        AnalyseRecord(bond, stand, horizon, price, clock, squareM ? Needs::SquareM : Needs::YieldAndDuration);
    AnalysisOutcome out;
    switch (r.outcome) {
    case RecordOutcome::Solved:
        out.kind = AnalysisOutcome::Result;
        out.code = FORM_OK;
        out.ytm = r.ytm;
        out.duration = r.duration;
        out.m2 = r.squareM;
        out.horizonYears = YearFraction(horizon, stand);
        return out;
    case RecordOutcome::NoYield:
    case RecordOutcome::Refused:
        break;
    }
    switch (FailureOf(r.outcome, r.code)) {
    case AnalysisFailure::None:
    case AnalysisFailure::NoYield:
        out.kind = AnalysisOutcome::NoYield;
        break;
    case AnalysisFailure::PriceTooHigh:
        out.kind = AnalysisOutcome::PriceTooHigh;
        out.code = FORM_PRICE_TOO_HIGH;
        break;
    case AnalysisFailure::StandAfterMaturity:
        out.kind = AnalysisOutcome::FormError;
        out.code = FORM_STAND_AFTER_MATURITY;
        break;
    case AnalysisFailure::HorizonNotAfterStand:
        out.kind = AnalysisOutcome::FormError;
        out.code = FORM_HORIZON_NOT_AFTER_STAND;
        break;
    case AnalysisFailure::StandBeforeRelease:
        out.kind = AnalysisOutcome::FormError;
        out.code = FORM_STAND_BEFORE_RELEASE;
        break;
    }
    return out;
}

} // namespace tenvix::editor
