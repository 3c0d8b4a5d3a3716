#include "model/analysismessages.h"

namespace tenvix {

AnalysisFailure FailureOf(RecordOutcome outcome, int code)
{
    switch (outcome) {
    case RecordOutcome::Solved:
        return AnalysisFailure::None;
    case RecordOutcome::NoYield:
        return AnalysisFailure::NoYield;
    case RecordOutcome::Refused:
        break;
    }
    switch (code) {
    case BOND_STAND_AFTER_HORIZON:
        return AnalysisFailure::HorizonNotAfterStand;
    case BOND_PRICE_TOO_HIGH:
        return AnalysisFailure::PriceTooHigh;
    case BOND_STAND_AFTER_MATURITY:
        return AnalysisFailure::StandAfterMaturity;
    case BOND_STAND_BEFORE_RELEASE:
        return AnalysisFailure::StandBeforeRelease;
    default:
        // Terms no valuation can use; the form's checks keep them out, so
        // this reads as a failed search rather than a message of its own.
        return AnalysisFailure::NoYield;
    }
}

const char* AnalysisFailureText(AnalysisFailure failure)
{
    switch (failure) {
    case AnalysisFailure::None:
        break;
    case AnalysisFailure::NoYield:
        return "Bad YTM .";
    case AnalysisFailure::PriceTooHigh:
        return "Bad YTM !";
    case AnalysisFailure::StandAfterMaturity:
        return "Stand date should be before Maturity !";
    case AnalysisFailure::HorizonNotAfterStand:
        return "Investment horizon should be later than stand date !";
    case AnalysisFailure::StandBeforeRelease:
        return "Stand date can't be before release date !";
    }
    return "";
}

} // namespace tenvix
