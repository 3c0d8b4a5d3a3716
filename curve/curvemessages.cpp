#include "curve/curvemessages.h"

#include "model/format.h"

namespace tenvix::curve {

std::string TooFewBondsText()
{
    std::string text = "At least ";
    AppendInteger(text, static_cast<std::int64_t>(kLeastFitted));
    return text += " bonds are needed to fit a curve .";
}

std::string FitOutcomeText(FitOutcome outcome)
{
    switch (outcome) {
    case FitOutcome::TooFewBonds:
        return TooFewBondsText();
    case FitOutcome::TooManyDates:
        return "The bonds pay on too many dates to fit a curve .";
    case FitOutcome::NoCurve:
        return "No curve fits these bonds .";
    case FitOutcome::Fitted:
    case FitOutcome::Stopped:
        break;
    }
    return {};
}

std::string NoBondText(std::string_view id) { return "No bond " + std::string(id) + " ."; }

std::string_view MarketStatusText(const MarketBond& bond)
{
    switch (bond.outcome) {
    case RecordOutcome::Refused:
        return "incompatible";
    case RecordOutcome::NoYield:
        return "bad_ytm";
    case RecordOutcome::Solved:
        break;
    }
    if (bond.excluded)
        return bond.Short() ? "excluded short" : "excluded";
    return bond.Short() ? "short" : "";
}

} // namespace tenvix::curve
