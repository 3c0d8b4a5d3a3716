#pragma once

// Bonds priced exactly off a known curve, and a market analysed from them,
// for the curve's tests.

#include "curve/market.h"
#include "curve/nss.h"
#include "curve/paymentbook.h"
#include "model/bondfile.h"
#include "../model/testbonds.h"

#include <cmath>

namespace tenvix::test {

// A clock that never moves: no yield search runs out of time.
class StillClock final : public Clock {
public:
    std::int64_t Milliseconds() const override { return 0; }
    double Now() const override { return Day(2026, 1, 1); }
};
inline const Clock& Still()
{
    static const StillClock clock;
    return clock;
}

// The price of `bond` at `stand` on the curve, moved by `spread`: its
// payments as the valuation takes them, discounted at z(t) + spread.
inline double CurvePrice(CBond& bond, double stand, const curve::CurveParams& p, double spread = 0)
{
    bond.SetDates(stand, stand);
    bond.Prepare();
    std::vector<curve::Payment> payments;
    curve::AppendPayments(bond, payments);
    double price = 0;
    for (const curve::Payment& pay : payments)
        price += pay.amount * std::exp(-(curve::ZeroRate(p, pay.years) + spread) * pay.years);
    return price;
}

// Type I bonds maturing every `stepDays` from `firstDays` after the stand to
// 30 years, paying every 3, 6 or 12 months coupons of 0 to 7 %, and a zero
// (Type II) every fifth, each priced off `p` (moved by `spread(k)` bp).
template <class Spread>
void AddCurveBonds(CBondList& list, double stand, const curve::CurveParams& p, int firstDays, int stepDays,
                   Spread&& spreadBp)
{
    const int periods[] = {3, 6, 12};
    int k = 0;
    for (int days = firstDays; days <= 30 * 365; days += stepDays, ++k) {
        const double maturity = stand + days;
        std::unique_ptr<CBond> bond;
        const std::string id = "C" + std::to_string(k);
        if (k % 5 == 4) {
            bond = FreeBond(id, 1.0f, {{maturity, 100.0f}}, stand - 400);
        } else {
            const int period = periods[k % 3];
            const float coupon = static_cast<float>((k % 8) * period / 12.0);
            bond = StdBond(id, period, coupon, 100.0f, 1.0f, stand - 400, maturity);
        }
        bond->m_fPrice = static_cast<float>(CurvePrice(*bond, stand, p, spreadBp(k) / 10000));
        list.m_list.push_back(std::move(bond));
    }
}

// The list as the file's bytes, analysed on `threads` threads.
inline curve::Market AnalyseList(const CBondList& list, double stand, int threads)
{
    const std::string bytes = StoreBondDatabase(list); // read while it analyses, not after
    const auto index = IndexBondDatabase(Span(bytes), 16);
    curve::Market market;
    market.Analyse(Span(bytes), *index, {stand, stand, &Still(), threads}, nullptr);
    return market;
}

} // namespace tenvix::test
