// Duration and Square-M must not move by one bit when the way they are summed
// is reorganised: the figures below are the sums exactly as they were first
// written, kept here as a private copy, checked against the engine over many
// generated bonds, yields and horizons.

#include "model/bond.h"
#include "model/cashflowcalc.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "testbonds.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <random>

namespace tenvix {
namespace {

using test::Day;

struct Sums {
    double d = 0;
    double m2 = 0;
};

Sums ReferenceStd(const CBondStd& b, double y, double P)
{
    const double tau = b.m_nPeriodMonths / 12.0;
    const double r = b.m_fFirst;
    const double T = b.m_fYears;
    const double Q = b.m_fCoupon;
    const double h = YearFraction(b.m_nStandDate, b.m_nHorizon);
    double t, w;
    if (b.m_bBroken) {
        t = r - tau;
        w = r - tau + h;
    } else {
        t = 0;
        w = r + h;
    }
    double D = 0, M2 = 0;
    const std::int32_t coupons = b.m_nPeriods + (b.m_bBroken ? 1 : 0);
    for (std::int32_t k = 0; k < coupons; ++k) {
        t = t + tau;
        const double weight = Q / std::pow(1 + y, t) / P;
        D = D + weight * t;
        w = w + tau;
        M2 = M2 + weight * (w * w);
    }
    const double weightF = b.m_fFace / std::pow(1 + y, T) / P;
    D = D + weightF * T;
    const double q = YearFraction(b.m_nHorizon, b.m_nMaturity);
    M2 = M2 + weightF * (q * q);
    return {D, M2};
}

Sums ReferenceFree(const CBondFree& b, double y, double P)
{
    const double IH = YearFraction(b.m_nHorizon, b.m_dtStand);
    double D = 0, M2 = 0;
    for (const CASHFLOW& cf : b.m_cashflows) {
        if (cf.m_nDate <= b.m_nStandDate)
            continue;
        const double years = YearFraction(cf.m_nDate, b.m_dtStand);
        const double weight = std::pow(1 + y, -years) * static_cast<double>(cf.m_fAmount) / P;
        D = D + weight * years;
        const double d = years - IH;
        M2 = M2 + weight * (d * d);
    }
    return {D, M2};
}

// The window's sums over its rows after the stand date, by its year method.
Sums ReferenceWindow(const std::vector<std::pair<double, double>>& rows, double stand, double horizon,
                     YearMethod method, double y, double price)
{
    const std::int32_t s = DaySerial(stand);
    const double ih = YearFraction(method, DaySerial(horizon), s);
    double d = 0.0, m2 = 0.0;
    for (const auto& [amount, date] : rows) {
        if (DaySerial(date) <= s)
            continue;
        const double years = YearFraction(method, DaySerial(date), s);
        const double weight = std::pow(1.0 + y, -years) * amount / price;
        d += weight * years;
        m2 += weight * ((years - ih) * (years - ih));
    }
    return {d, m2};
}

// Same bits, NaN included: a comparison of values would let a sign of zero or
// a changed NaN through.
void ExpectSameBits(double got, double want, const char* what, int round)
{
    EXPECT_EQ(std::bit_cast<std::uint64_t>(got), std::bit_cast<std::uint64_t>(want))
        << what << " in round " << round << ": " << got << " against " << want;
}

constexpr int kRounds = 4000;

TEST(DurationM2Sums, TypeIUnchangedBitForBit)
{
    std::mt19937 rng(20240611);
    const int periods[] = {1, 2, 3, 4, 6, 12, 24, 36};
    std::uniform_int_distribution<int> day(0, 20000), span(1, 16000), pick(0, 7);
    std::uniform_real_distribution<double> coupon(0, 12), price(20, 160), yield(-0.5, 4);
    for (int round = 0; round < kRounds; ++round) {
        const double release = Day(1980, 1, 1) + day(rng);
        const double maturity = release + span(rng);
        const double stand = release + std::uniform_real_distribution<double>(0, maturity - release)(rng);
        // Horizons before, on and after the stand date all give a Square-M.
        const double horizon = stand + std::uniform_int_distribution<int>(-400, 12000)(rng);
        const float q = round % 9 == 0 ? 0.0f : static_cast<float>(coupon(rng));
        const float face = round % 13 == 0 ? 0.0f : 100.0f;
        auto b = test::StdBond("G", periods[pick(rng)], q, face, static_cast<float>(price(rng)), release, maturity);
        b->SetDates(stand, horizon);
        b->Prepare();
        const double y = round % 17 == 0 ? 0.05 : yield(rng);
        const double P = round % 5 == 0 ? static_cast<double>(b->m_fPrice) : price(rng);
        double d = 0, m2 = 0;
        b->GetDurationM2(y, P, d, m2);
        const Sums ref = ReferenceStd(*b, y, P);
        ExpectSameBits(d, ref.d, "duration", round);
        ExpectSameBits(m2, ref.m2, "Square-M", round);
    }
}

TEST(DurationM2Sums, TypeIIUnchangedBitForBit)
{
    std::mt19937 rng(77);
    std::uniform_int_distribution<int> count(1, 40), offset(-800, 12000), day(0, 15000);
    std::uniform_real_distribution<double> amount(0.01, 150), price(1, 900), yield(-0.5, 4);
    for (int round = 0; round < kRounds; ++round) {
        const double stand = Day(1990, 1, 1) + day(rng);
        std::vector<std::pair<double, float>> payments;
        for (int k = count(rng); k > 0; --k)
            payments.push_back({stand + offset(rng), static_cast<float>(amount(rng))});
        // Payments on the stand date itself are not due after it.
        if (round % 4 == 0)
            payments.push_back({stand, 7.5f});
        auto b = test::FreeBond("G", static_cast<float>(price(rng)), payments);
        b->SetDates(stand, stand + std::uniform_int_distribution<int>(-300, 9000)(rng));
        b->Prepare();
        const double y = yield(rng);
        const double P = price(rng);
        double d = 0, m2 = 0;
        b->GetDurationM2(y, P, d, m2);
        const Sums ref = ReferenceFree(*b, y, P);
        ExpectSameBits(d, ref.d, "duration", round);
        ExpectSameBits(m2, ref.m2, "Square-M", round);
    }
}

TEST(DurationM2Sums, AnalysisWindowUnchangedBitForBitUnderBothYearMethods)
{
    std::mt19937 rng(5);
    std::uniform_int_distribution<int> count(1, 30), offset(-200, 9000), day(0, 15000);
    std::uniform_real_distribution<double> amount(0, 120);
    const DateParser dayNumber = [](std::string_view s) -> std::optional<double> { return std::stod(std::string(s)); };
    int solved = 0;
    for (int round = 0; round < 600; ++round) {
        const double stand = Day(1990, 1, 1) + day(rng) + 0.5;
        const double horizon = stand + std::uniform_int_distribution<int>(-100, 6000)(rng);
        std::vector<std::pair<double, double>> rows;
        std::vector<GridRow> grid;
        double due = 0;
        for (int k = count(rng); k > 0; --k) {
            const double date = std::floor(stand) + offset(rng);
            const double a = std::round(amount(rng) * 100) / 100;
            rows.push_back({a, date});
            grid.push_back({FormatShortest(a), std::to_string(date)});
            if (DaySerial(date) > DaySerial(stand))
                due += a;
        }
        const double price = std::round(due * std::uniform_real_distribution<double>(0.3, 0.99)(rng) * 100) / 100;
        const std::string priceText = FormatShortest(price);
        for (YearMethod method : {YearMethod::CalendarParts, YearMethod::DayCount}) {
            const CashflowResult r =
                CalculateCashflows({priceText, grid, stand, horizon, method, false}, dayNumber, SystemClock());
            if (!r.Ok())
                continue;
            ++solved;
            const Sums ref = ReferenceWindow(rows, stand, horizon, method, r.ytm, *ReadDecimal(priceText));
            ExpectSameBits(r.duration, ref.d, "duration", round);
            ExpectSameBits(r.squareM, ref.m2, "Square-M", round);
        }
    }
    EXPECT_GT(solved, 800); // the comparison must have had something to compare
}

} // namespace
} // namespace tenvix
