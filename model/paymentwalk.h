#pragma once

// The one walk over a record's payments that adds up duration and Square-M.
// GetDurationM2 runs it with nothing to watch; the payment-by-payment
// explanation runs it with a visitor that keeps every step. Because both run
// the same arithmetic in the same order, the explanation's totals are the very
// doubles the analysis reports. Keep every expression as it stands: a
// reordered product changes the last bit of a published figure. Discounts
// come from model/discount.h: one logarithm a yield, then products along a
// Type I schedule and an exponential a Type II payment.

#include "model/bond.h"
#include "model/date.h"
#include "model/discount.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace tenvix {

// One payment as the walk adds it. Each figure is the double the walk uses.
struct PaymentStep {
    std::size_t index = 0; // among the payments walked, from 0
    bool face = false;     // a Type I face value, not a coupon
    double years = 0.0;    // time from the stand date, as the engine counts it
    double amount = 0.0;
    double discount = 0.0;     // (1 + ytm)^-years
    double presentValue = 0.0; // the payment's value at the yield
    double share = 0.0;        // presentValue over the weighting price
    double distance = 0.0;     // from the horizon, as the engine measures it
    double durationPart = 0.0; // share * years, its part of the duration
    double squareMPart = 0.0;  // share * distance^2, its part of Square-M
};

// Coupons at their times counted back from maturity, then the face value at
// maturity. A coupon's distance from the horizon is the running w, its time
// minus the horizon in years (plus the remainder r below 0.00001 when the
// stand date falls on a coupon date); the face value's is the horizon's year
// fraction after maturity, the other way round from the coupons', which only
// its square can tell apart.
template <class Visit>
void CBondStd::WalkPayments(double y, double P, double& duration, double& m2, Visit&& visit) const
{
    const double tau = m_nPeriodMonths / 12.0;
    const double r = m_fFirst;
    const double T = m_fYears;
    const double Q = m_fCoupon;
    const double h = YearFraction(m_nStandDate, m_nHorizon);
    double t, w;
    if (m_bBroken) {
        t = r - tau;
        w = r - tau + h;
    } else {
        t = 0;
        w = r + h;
    }
    double D = 0, M2 = 0;
    const std::int32_t coupons = m_nPeriods + (m_bBroken ? 1 : 0);
    PaymentStep step;
    step.amount = Q;
    // Adds the k-th coupon at time t, its present value in step.
    auto add = [&](std::int32_t k) {
        const double weight = step.presentValue / P;
        step.durationPart = weight * t;
        D = D + step.durationPart;
        w = w + tau;
        step.squareMPart = weight * (w * w);
        M2 = M2 + step.squareMPart;
        step.index = static_cast<std::size_t>(k);
        step.years = t;
        step.share = weight;
        step.distance = w;
        visit(static_cast<const PaymentStep&>(step));
    };
    const GrowthLog growth(y);
    // The discounts fall (or rise) with time, so when the first coupon's and
    // the face value's lie in the usable range, all do.
    const bool usable =
        std::fabs((t + tau) * growth.log) < kNormalExponent && std::fabs(T * growth.log) < kNormalExponent;
    double discount = 0;
    if (usable) {
        // Each coupon's discount is the one before it times (1 + y)^-tau; the
        // first (a broken period's) and every kDiscountAnchor-th are taken
        // afresh, so that rounding cannot pile up over a long schedule.
        const PeriodDiscount period(tau * growth.log);
        for (std::int32_t k = 0; k < coupons;) {
            t = t + tau;
            discount = t == tau ? period.high + period.low : growth.Discount(t);
            const std::int32_t end = std::min(coupons, k + kDiscountAnchor);
            for (;;) {
                step.discount = discount;
                step.presentValue = Q * discount;
                add(k);
                if (++k == end)
                    break;
                // The sum rounds: t rises by tau - e, and the discount
                // follows the time as summed (e * ln(1 + y) is so small that
                // exp(e * ln(1 + y)) is 1 + e * ln(1 + y) to the last bit).
                const double before = t;
                t = t + tau;
                const double low = period.low + period.high * (RoundingOfSum(before, tau, t) * growth.log);
                discount = discount * period.high + discount * low;
            }
        }
    } else {
        for (std::int32_t k = 0; k < coupons; ++k) {
            t = t + tau;
            const double power = std::pow(1 + y, t);
            step.presentValue = Q / power;
            step.discount = 1 / power;
            add(k);
        }
    }
    // The face value falls due with the last coupon but for the rounding of
    // the times, which the series bridges.
    const double faceStep = (T - t) * growth.log;
    step.amount = m_fFace;
    step.discount = usable && coupons > 0 && std::fabs(faceStep) < kSmallExponent ? discount * SmallDiscount(faceStep)
                                                                                  : growth.Discount(T);
    if (DiscountUsable(step.discount)) {
        step.presentValue = step.amount * step.discount;
    } else {
        const double power = std::pow(1 + y, T);
        step.presentValue = step.amount / power;
        step.discount = 1 / power;
    }
    const double weightF = step.presentValue / P;
    step.durationPart = weightF * T;
    D = D + step.durationPart;
    const double q = YearFraction(m_nHorizon, m_nMaturity);
    step.squareMPart = weightF * (q * q);
    M2 = M2 + step.squareMPart;
    step.index = static_cast<std::size_t>(coupons);
    step.face = true;
    step.years = T;
    step.share = weightF;
    step.distance = q;
    visit(static_cast<const PaymentStep&>(step));
    duration = D;
    m2 = M2;
}

// The payments after the stand date in list order, each at its calendar time
// from the stand date; the distance from the horizon is that time minus the
// horizon in years.
template <class Visit>
void CBondFree::WalkPayments(double y, double P, double& duration, double& m2, Visit&& visit) const
{
    const double IH = YearFraction(m_nHorizon, m_dtStand);
    double D = 0, M2 = 0;
    const GrowthLog growth(y);
    PaymentStep step;
    for (const Flow& f : m_flows) {
        step.discount = growth.Discount(f.years);
        if (!DiscountUsable(step.discount))
            step.discount = std::pow(1 + y, -f.years);
        step.presentValue = step.discount * f.amount;
        const double weight = step.presentValue / P;
        step.durationPart = weight * f.years;
        D = D + step.durationPart;
        const double d = f.years - IH;
        step.squareMPart = weight * (d * d);
        M2 = M2 + step.squareMPart;
        step.years = f.years;
        step.amount = f.amount;
        step.share = weight;
        step.distance = d;
        visit(static_cast<const PaymentStep&>(step));
        ++step.index;
    }
    duration = D;
    m2 = M2;
}

} // namespace tenvix
