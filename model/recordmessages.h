#pragma once

// The record form's codes and what the user is told for each: written once
// here, because the bond import refuses a row with the form's own words
// where the form's rule and the database agree, in the window and on the
// command line alike.

#include <string>

namespace tenvix {

// Form codes: 0 is success, every other value is one message (FormMessage).
// The grid codes of CBondFree::SetFromGrid become form codes by adding
// kGridCodeOffset, which puts the row in the upper bits: 16 * row + 14 .. 17
// for row numbers counted from 1.
enum FormCode : int {
    FORM_OK = 0,
    // The record holds what the form can't show, so saving the form would
    // lose it: more payments than the grid has rows, or a date no picker holds.
    FORM_TOO_MANY_PAYMENTS = -6,
    // An analysis that found no yield: none positive reaches the price, or
    // the search failed or ran out of time.
    FORM_PRICE_TOO_HIGH = -7,
    FORM_NO_YIELD = -8,
    FORM_DATE_OUT_OF_RANGE = -5,
    FORM_NO_ITEMS = -4,
    FORM_ID_OCCUPIED = -2,
    FORM_BAD_COUPON = 1,
    FORM_COUPON_RANGE = 2,
    FORM_BAD_FACE = 3,
    FORM_FACE_RANGE = 4,
    FORM_BAD_PRICE = 5,
    FORM_PRICE_RANGE = 6,
    FORM_BAD_PERIOD = 7,
    FORM_PERIOD_RANGE = 8,
    FORM_MATURITY_NOT_AFTER_RELEASE = 9,
    FORM_STAND_AFTER_MATURITY = 10,
    FORM_HORIZON_NOT_AFTER_STAND = 11,
    FORM_STAND_BEFORE_RELEASE = 12,
    FORM_NO_CASHFLOWS = 13,
    FORM_GRID_MATURITY_NOT_AFTER_RELEASE = 18,
};
inline constexpr int kGridCodeOffset = 12;

// What the user is told for a form code; empty for 0 and for a code that
// means nothing.
std::string FormMessage(int code);

} // namespace tenvix
