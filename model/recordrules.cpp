#include "model/recordrules.h"

#include "model/date.h"
#include "model/numbers.h"

namespace tenvix {

namespace {

// An amount field's code once its text is read: `bad` for no number, `bad + 1`
// out of the range from `floor`.
int AmountCode(std::optional<double> v, double floor, int bad, double& value)
{
    if (!v)
        return bad;
    if (!InFormRange(*v, floor))
        return bad + 1;
    value = *v;
    return FORM_OK;
}

} // namespace

int ReadFormAmount(std::string_view text, double floor, int bad, double& value)
{
    return AmountCode(ReadDecimal(TrimRight(text)), floor, bad, value);
}

bool FormStoresAmount(float stored, double floor)
{
    // Rounding to float keeps the order, so the floats of the range are
    // those from the floor's float to the ceiling's.
    return stored >= static_cast<float>(floor) && stored <= static_cast<float>(kAmountCeiling);
}

int ReadFormPeriod(std::string_view text, std::int32_t& months)
{
    const std::optional<std::int32_t> period = ReadPayPeriod(text);
    if (!period)
        return FORM_BAD_PERIOD;
    if (*period < 1)
        return FORM_PERIOD_RANGE;
    months = *period;
    return FORM_OK;
}

int CheckFormDates(double release, double maturity)
{
    return DaySerial(release) < DaySerial(maturity) ? FORM_OK : FORM_MATURITY_NOT_AFTER_RELEASE;
}

int ReadStdFields(const StdFieldTexts& texts, StdFields& out)
{
    StdFields f;
    if (const int code = ReadFormAmount(texts.coupon, kCouponFloor, FORM_BAD_COUPON, f.coupon))
        return code;
    if (const int code = ReadFormAmount(texts.face, kFaceFloor, FORM_BAD_FACE, f.face))
        return code;
    if (const int code = ReadFormAmount(texts.price, kPriceFloor, FORM_BAD_PRICE, f.price))
        return code;
    if (const int code = ReadFormPeriod(texts.payPeriod, f.periodMonths))
        return code;
    if (const int code = CheckFormDates(texts.release, texts.maturity))
        return code;
    f.release = texts.release;
    f.maturity = texts.maturity;
    out = f;
    return FORM_OK;
}

int ReadFreePrice(std::string_view text, double floor, double& price)
{
    static_assert(FORM_PRICE_RANGE == FORM_BAD_PRICE + 1);
    return AmountCode(ReadDecimal(text), floor, FORM_BAD_PRICE, price);
}

} // namespace tenvix
