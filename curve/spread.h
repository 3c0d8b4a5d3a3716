#pragma once

// A fitted curve applied to the bonds of a payment book: the discount at every
// payment time, each bond's model price, and its spread, the constant s by
// which every zero rate must move for the curve to give the bond's price,
//   sum of amount * e^(-(z(t) + s) t) = P.
// A bond that pays more than the curve asks has a positive spread: it is cheap.

#include "curve/nss.h"
#include "curve/paymentbook.h"

#include <optional>
#include <vector>

namespace tenvix::curve {

class CurveValues {
public:
    CurveValues(const PaymentBook& book, const CurveParams& params);

    // The sum of amount * d(t) over the bond's payments.
    double ModelPrice(std::uint32_t bond) const;
    // The spread as a fraction (0.0001 for 1 bp); nothing when no spread
    // gives the price (payments of both signs can miss it).
    std::optional<double> Spread(std::uint32_t bond, double price) const;

private:
    const PaymentBook& m_book;
    std::vector<double> m_discounts;
    std::vector<double> m_sums; // along each chain
};

} // namespace tenvix::curve
