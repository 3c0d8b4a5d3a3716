#pragma once

// The record form's rules for the entries of a record: which amounts, pay
// periods and dates it saves, in which order it checks them, and the code
// (model/recordmessages.h) of the first it refuses. Written once here, because
// the bond import judges a row by the same rules, so that nothing enters the
// database through a file that the form would refuse to save.

#include "model/recordmessages.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tenvix {

// The greatest amount of any field.
inline constexpr double kAmountCeiling = 1e18;
// The lowest spot price of either type: saving accepts less than analysing a
// Type II record does, so such a price can be stored but not analysed.
inline constexpr double kPriceFloor = 0.00001;
inline constexpr double kFreePriceFloorSave = kPriceFloor;
inline constexpr double kFreePriceFloorAnalyse = 0.0001;
// The lowest coupon and face value.
inline constexpr double kCouponFloor = 0.0;
inline constexpr double kFaceFloor = 0.0;

// Whether the form's range that starts at `floor` holds `value`; NaN it never
// holds.
inline bool InFormRange(double value, double floor) { return value >= floor && value <= kAmountCeiling; }

// An amount field: trailing blanks dropped, then the whole text a number
// within [floor, kAmountCeiling]. `bad` and `bad + 1` are the field's two
// codes (no number, out of range).
int ReadFormAmount(std::string_view text, double floor, int bad, double& value);

// Whether `stored` is a value the form stores for an amount whose range
// starts at `floor`: the float of a number within the range. The float of
// the floor itself may lie just below it (a saved 0.00001 does), and is the
// form's all the same.
bool FormStoresAmount(float stored, double floor);

// The pay period: FORM_BAD_PERIOD when it is no whole number, FORM_PERIOD_RANGE
// below one month.
int ReadFormPeriod(std::string_view text, std::int32_t& months);

// Release and maturity compared as whole days: a release later on the
// maturity day is no earlier than it.
int CheckFormDates(double release, double maturity);

// The Type I fields as the form holds them. Amounts and the pay period are
// texts as typed; the dates are the pickers' full date values.
struct StdFieldTexts {
    std::string coupon;
    std::string face;
    std::string price;
    std::string payPeriod;
    double release = 0.0;
    double maturity = 0.0;
};

struct StdFields {
    double coupon = 0.0;
    double face = 0.0;
    double price = 0.0;
    std::int32_t periodMonths = 0;
    double release = 0.0;
    double maturity = 0.0;
};

// Checks coupon, face value, spot price, pay period and then the dates, in
// that order; the first failure is the code. On 0 `out` holds every value.
int ReadStdFields(const StdFieldTexts& texts, StdFields& out);

// The Type II spot price, read as typed (a trailing blank makes it invalid):
// FORM_BAD_PRICE, FORM_PRICE_RANGE or 0 with the value in `price`.
int ReadFreePrice(std::string_view text, double floor, double& price);

} // namespace tenvix
