#include "model/recordmessages.h"

#include "model/analysismessages.h"
#include "model/format.h"

namespace tenvix {
namespace {

std::string RowMessage(const char* before, int row, const char* after)
{
    std::string text = before;
    AppendInteger(text, row);
    return text += after;
}

} // namespace

std::string FormMessage(int code)
{
    switch (code) {
    case FORM_NO_YIELD:
        return AnalysisFailureText(AnalysisFailure::NoYield);
    case FORM_PRICE_TOO_HIGH:
        return AnalysisFailureText(AnalysisFailure::PriceTooHigh);
    case FORM_TOO_MANY_PAYMENTS:
        return "Too many payments to show ! Not saved .";
    case FORM_DATE_OUT_OF_RANGE:
        return "Date out of range ! Not saved .";
    case FORM_NO_ITEMS:
        return "No items !";
    case FORM_ID_OCCUPIED:
        return "This ID is currently occupied !";
    case FORM_BAD_COUPON:
        return "Invalid Coupon !";
    case FORM_COUPON_RANGE:
        return "Coupon out of range !";
    case FORM_BAD_FACE:
        return "Invalid Face Value !";
    case FORM_FACE_RANGE:
        return "Face Value out of range !";
    case FORM_BAD_PRICE:
        return "Invalid Spot Price !";
    case FORM_PRICE_RANGE:
        return "Spot Price out of range !";
    case FORM_BAD_PERIOD:
        return "Coupon Period should be integer !";
    case FORM_PERIOD_RANGE:
        return "Coupon Period out of range !";
    case FORM_MATURITY_NOT_AFTER_RELEASE:
    case FORM_GRID_MATURITY_NOT_AFTER_RELEASE:
        return "Maturity should be later than Release Date !";
    case FORM_STAND_AFTER_MATURITY:
        return AnalysisFailureText(AnalysisFailure::StandAfterMaturity);
    case FORM_HORIZON_NOT_AFTER_STAND:
        return AnalysisFailureText(AnalysisFailure::HorizonNotAfterStand);
    case FORM_STAND_BEFORE_RELEASE:
        return AnalysisFailureText(AnalysisFailure::StandBeforeRelease);
    case FORM_NO_CASHFLOWS:
        return "No cashflows !";
    default:
        break;
    }
    // Row codes carry the row number (from 1) above four bits of fault kind.
    if (code < 28)
        return {};
    const int row = (code - kGridCodeOffset) / 16;
    switch ((code - kGridCodeOffset) % 16) {
    case 2:
        return RowMessage("Invalid Cashflow in row ", row, " !");
    case 3:
        return RowMessage("Cashflow in row ", row, " is too low !");
    case 4:
        return RowMessage("Cashflow in row ", row, " is too big !");
    case 5:
        return RowMessage("Date in row ", row, " is invalid !");
    default:
        return {};
    }
}

} // namespace tenvix
