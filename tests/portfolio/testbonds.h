#pragma once

// Bonds for the portfolio tests, built the way the record form builds them.

#include "model/bond.h"
#include "model/date.h"
#include "model/solver.h"

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace tenvix::test {

inline double Day(int y, int m, int d)
{
    return *MakeDate(y, m, d);
}

inline std::unique_ptr<CBondStd> StdBond(std::string id, int period, float coupon, float face, float price,
                                         double release, double maturity)
{
    auto b = std::make_unique<CBondStd>(0);
    b->SetData(period, coupon, face, price, release, maturity, id, id + " name");
    return b;
}

// A bond of given payments (date value, amount), released long before.
inline std::unique_ptr<CBondFree> FreeBond(std::string id, float price, std::vector<std::pair<double, float>> payments)
{
    auto b = std::make_unique<CBondFree>(0);
    b->m_strID = id;
    b->m_strName = id + " name";
    b->m_fPrice = price;
    b->m_nRelease = DaySerial(Day(1990, 1, 1));
    b->m_nMaturity = 0;
    for (const auto& [date, amount] : payments) {
        b->m_cashflows.push_back({DaySerial(date), amount});
        b->m_nMaturity = std::max(b->m_nMaturity, DaySerial(date));
    }
    return b;
}

// A member whose valuation is scripted: it counts its gap evaluations and can
// refuse every trial yield.
class ScriptedBond final : public CBond {
public:
    ScriptedBond() : CBond(BOND_TYPE_FREE, 0) {}
    double PriceGap(double y) const override
    {
        ++calls;
        if (refuse)
            throw CUserException();
        return 100.0 / (1 + y) - m_fPrice;
    }
    int Validate() const override { return code; }

    mutable int calls = 0;
    bool refuse = false;
    int code = BOND_OK;
};

} // namespace tenvix::test
