#include "editor/formrules.h"

#include "model/analyse.h"
#include "model/analysismessages.h"
#include "model/date.h"
#include "model/numbers.h"

namespace tenvix::editor {
namespace {

constexpr double kAmountCeiling = 1e18;

// An amount field: trailing blanks dropped, then the whole text a number
// within [floor, ceiling]. `bad` and `bad + 1` are the field's two codes.
int ReadAmount(std::string_view text, double floor, int bad, double& value)
{
    const std::optional<double> v = ReadDecimal(TrimRight(text));
    if (!v)
        return bad;
    if (!(*v >= floor && *v <= kAmountCeiling))
        return bad + 1;
    value = *v;
    return FORM_OK;
}

} // namespace

int ReadStdFields(const StdFieldTexts& texts, StdFields& out)
{
    StdFields f;
    if (const int code = ReadAmount(texts.coupon, 0.0, FORM_BAD_COUPON, f.coupon))
        return code;
    if (const int code = ReadAmount(texts.face, 0.0, FORM_BAD_FACE, f.face))
        return code;
    if (const int code = ReadAmount(texts.price, 0.00001, FORM_BAD_PRICE, f.price))
        return code;
    const std::optional<std::int32_t> period = ReadPayPeriod(texts.payPeriod);
    if (!period)
        return FORM_BAD_PERIOD;
    if (*period < 1)
        return FORM_PERIOD_RANGE;
    f.periodMonths = *period;
    // Whole days: a release later on the maturity day is no earlier than it.
    if (!(DaySerial(texts.release) < DaySerial(texts.maturity)))
        return FORM_MATURITY_NOT_AFTER_RELEASE;
    f.release = texts.release;
    f.maturity = texts.maturity;
    out = f;
    return FORM_OK;
}

int ReadFreePrice(std::string_view text, double floor, double& price)
{
    const std::optional<double> v = ReadDecimal(text);
    if (!v)
        return FORM_BAD_PRICE;
    if (!(*v >= floor && *v <= kAmountCeiling))
        return FORM_PRICE_RANGE;
    price = *v;
    return FORM_OK;
}

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
