#include "examples/generated.h"

#include "model/archive.h"
#include "model/bond.h"
#include "model/bondfile.h"
#include "model/format.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace tenvix {
namespace {

// Draws from the generator's raw output only: the standard distributions may
// differ between libraries, and the files must not.
class Draw {
public:
    explicit Draw(std::uint32_t seed) : m_rng(seed) {}
    // A whole number in [lo, hi].
    int Int(int lo, int hi) { return lo + static_cast<int>(m_rng() % static_cast<std::uint32_t>(hi - lo + 1)); }
    // A number in [lo, hi).
    double Real(double lo, double hi) { return lo + (hi - lo) * (m_rng() / 4294967296.0); }
    bool Chance(int percent) { return Int(0, 99) < percent; }
    std::uint32_t Bits() { return m_rng(); }

private:
    std::mt19937 m_rng;
};

constexpr int kYear = 365;

// `prefix`, then k with at least `digits` digits.
std::string Numbered(std::string_view prefix, std::size_t k, int digits)
{
    std::string number;
    AppendInteger(number, static_cast<std::int64_t>(k));
    std::string text(prefix);
    if (static_cast<int>(number.size()) < digits)
        text.append(static_cast<std::size_t>(digits) - number.size(), '0');
    text += number;
    return text;
}

// "Bond 4.125% 2041 Q": the annual rate and the maturity year.
std::string OrdinaryName(double annualPercent, std::int32_t maturity, int period)
{
    std::string name = "Bond ";
    AppendGeneral(name, annualPercent, 5);
    name += "% ";
    AppendInteger(name, 1899 + (maturity + 1) / kYear);
    name += period == 12 ? " A" : period == 6 ? " S" : period == 3 ? " Q" : " M";
    return name;
}

// A fairly priced coupon bond maturing within 30 years of the stand date.
void Ordinary(CBondStd& b, Draw& draw, std::size_t k, std::initializer_list<int> periods)
{
    const int period = *(periods.begin() + draw.Int(0, static_cast<int>(periods.size()) - 1));
    const double annualPercent = draw.Int(4, 64) / 8.0; // 0.5% to 8% in eighths
    const std::int32_t maturity = kGeneratedStand + draw.Int(kYear, 30 * kYear);
    const double years = (maturity - kGeneratedStand) / 365.25;
    const double fair = 100 * (1 + (annualPercent / 100 - 0.035) * std::min(years, 12.0));
    b.m_nPeriodMonths = period;
    b.m_fCoupon = static_cast<float>(annualPercent * period / 12);
    b.m_fFace = 100.0f;
    b.m_fPrice = static_cast<float>(std::round(fair * draw.Real(0.96, 1.04) * 1000) / 1000);
    b.m_nMaturity = maturity;
    b.m_nRelease = maturity - draw.Int(static_cast<int>(years * kYear) + 1, 40 * kYear);
    b.m_strID = Numbered("B", k, 7);
    b.m_strName = OrdinaryName(annualPercent, maturity, period);
}

// Identifiers and names a CSV writer must quote, or that are not ASCII, or
// long enough for the wider length prefix.
std::string AwkwardText(Draw& draw, std::size_t k)
{
    // clang-format off
    static const char* const kTexts[] = {
        "Utility 5.20% 2029, quarterly", "The \"green\" bond", "line\r\nbreak", "Zürich Kantonalbank",
        "€ note", "", "a,b,\"c\"", "trailing,", "\"", "Œuvre 2031 – tranche B",
    };
    // clang-format on
    const int pick = draw.Int(0, 11);
    if (pick == 10)
        return std::string(300, static_cast<char>('a' + k % 26));
    if (pick == 11)
        return Numbered("X", k, 3);
    return kTexts[pick];
}

// Tiny, negative and odd amounts; with `huge`, also the largest floats and
// random bit patterns (infinities and NaN among them). Only prices get huge
// ones: a coupon or payment near the float limit leaves the yield search a gap
// it can never close, so it runs for its whole time budget and the figures
// would depend on the machine's speed.
float AwkwardAmount(Draw& draw, bool huge)
{
    if (huge) {
        switch (draw.Int(0, 2)) {
        case 0:
            return 3.0e38f;
        case 1:
            return static_cast<float>(draw.Real(0, 1e9));
        default: {
            const std::uint32_t bits = draw.Bits();
            float f;
            static_assert(sizeof f == sizeof bits);
            std::memcpy(&f, &bits, sizeof f);
            return f;
        }
        }
    }
    switch (draw.Int(0, 4)) {
    case 0:
        return 1e-7f;
    case 1:
        return -2.5f;
    case 2:
        return -0.0f;
    case 3:
        return std::numeric_limits<float>::denorm_min();
    default:
        return static_cast<float>(draw.Real(0, 200));
    }
}

void Unusual(CBondStd& b, Draw& draw, std::size_t k)
{
    Ordinary(b, draw, k, {1, 3, 6, 12});
    switch (draw.Int(0, 9)) {
    case 0: // matured
        b.m_nMaturity = kGeneratedStand - draw.Int(0, 3 * kYear);
        b.m_nRelease = b.m_nMaturity - 10 * kYear;
        break;
    case 1: // not yet issued
        b.m_nRelease = kGeneratedStand + draw.Int(1, 200);
        break;
    case 2: // no yield reaches the price: it is too dear, or so cheap that
            // the yield would lie past the search's reach
        if (k % 2 == 0) {
            b.m_fPrice = b.m_fFace + 100 * b.m_fCoupon;
        } else {
            b.m_fPrice = 0.00001f;
            b.m_nMaturity = kGeneratedStand + 30 + static_cast<std::int32_t>(k % 300);
        }
        break;
    case 3:
        b.m_nPeriodMonths = draw.Int(-12, 0);
        break;
    case 4:
        b.m_fCoupon = draw.Chance(20) ? std::numeric_limits<float>::quiet_NaN() : AwkwardAmount(draw, false);
        break;
    case 5:
        b.m_fFace = draw.Chance(20) ? -std::numeric_limits<float>::infinity() : AwkwardAmount(draw, false);
        break;
    case 6:
        b.m_fPrice = AwkwardAmount(draw, draw.Chance(50));
        break;
    case 7: // dates the calendar cannot show
        b.m_nRelease = -700000 - draw.Int(0, 1000);
        b.m_nMaturity = 3000000 + draw.Int(0, 1000);
        break;
    case 8: // odd pay periods
        b.m_nPeriodMonths = draw.Int(1, 400);
        break;
    default: // matures on the stand date, or on the horizon
        b.m_nMaturity = draw.Chance(50) ? kGeneratedStand : kGeneratedHorizon;
        break;
    }
    if (draw.Chance(30))
        b.m_strID = AwkwardText(draw, k);
    if (draw.Chance(30))
        b.m_strName = AwkwardText(draw, k);
}

void Payments(CBondFree& b, Draw& draw, std::size_t k)
{
    b.m_strID = Numbered("F", k, 7);
    b.m_strName = draw.Chance(20) ? AwkwardText(draw, k) : Numbered("Loan ", k, 1);
    b.m_nRelease = kGeneratedStand - draw.Int(-30, 10 * kYear);
    const int count = draw.Int(0, 14);
    b.m_cashflows.clear();
    double total = 0;
    std::int32_t latest = b.m_nRelease;
    for (int i = 0; i < count; ++i) {
        const std::int32_t date = kGeneratedStand + draw.Int(-2 * kYear, 25 * kYear);
        const float amount = draw.Chance(5) ? AwkwardAmount(draw, false) : static_cast<float>(draw.Int(1, 4000) / 8.0);
        b.m_cashflows.push_back({date, amount});
        if (date > kGeneratedStand)
            total += amount;
        latest = std::max(latest, date);
    }
    b.m_nMaturity = latest;
    const double share = draw.Chance(10) ? draw.Real(0.95, 1.2) : draw.Real(0.4, 0.97);
    b.m_fPrice = static_cast<float>(std::max(total * share, 1.0));
}

// The market's curve: continuously compounded zero rates rising from about
// 1.5 % to 3.5 % with a hump near five years.
double MarketRate(double years)
{
    const double x1 = years / 1.5, x2 = years / 8.0;
    const double f1 = x1 > 0 ? (1 - std::exp(-x1)) / x1 : 1.0;
    const double f2 = x2 > 0 ? (1 - std::exp(-x2)) / x2 : 1.0;
    return 0.035 - 0.02 * f1 + 0.015 * (f1 - std::exp(-x1)) - 0.01 * (f2 - std::exp(-x2));
}

double MarketValue(double amount, double years, double spread)
{
    return amount * std::exp(-(MarketRate(years) + spread) * years);
}

// A spread of -25 to 25 basis points, more often near 0.
double MarketSpread(Draw& draw) { return (draw.Real(-12.5, 12.5) + draw.Real(-12.5, 12.5)) / 10000; }

void MarketCoupon(CBondStd& b, Draw& draw, std::size_t k)
{
    const int periods[] = {3, 6, 12};
    const int period = periods[draw.Int(0, 2)];
    const double annualPercent = draw.Int(4, 64) / 8.0;
    const std::int32_t maturity = kGeneratedStand + draw.Int(30, 40 * kYear);
    const double years = (maturity - kGeneratedStand) / 365.25;
    const double spread = MarketSpread(draw);
    const double coupon = annualPercent * period / 12;
    double price = MarketValue(100, years, spread);
    for (double t = years; t > 0; t -= period / 12.0)
        price += MarketValue(coupon, t, spread);
    b.m_nPeriodMonths = period;
    b.m_fCoupon = static_cast<float>(coupon);
    b.m_fFace = 100.0f;
    b.m_fPrice = static_cast<float>(std::round(price * 1000) / 1000);
    b.m_nMaturity = maturity;
    b.m_nRelease = std::min(kGeneratedStand, maturity - draw.Int(static_cast<int>(years * kYear) + 1, 41 * kYear));
    b.m_strID = Numbered("M", k, 7);
    b.m_strName = OrdinaryName(annualPercent, maturity, period);
}

void MarketZero(CBondFree& b, Draw& draw, std::size_t k)
{
    const std::int32_t maturity = kGeneratedStand + draw.Int(30, 40 * kYear);
    const double years = (maturity - kGeneratedStand) / 365.25;
    b.m_cashflows.assign(1, CASHFLOW{maturity, 100.0f});
    b.m_nMaturity = maturity;
    b.m_nRelease = kGeneratedStand - draw.Int(0, 5 * kYear);
    b.m_fPrice = static_cast<float>(std::round(MarketValue(100, years, MarketSpread(draw)) * 1000) / 1000);
    b.m_strID = Numbered("Z", k, 7);
    b.m_strName = "Zero " + std::to_string(1899 + (maturity + 1) / kYear);
}

// A loan of forty quarterly payments from within three months of the stand
// date: interest on what is left, and the principal either at the end or in
// equal parts; priced at a yield of 2 to 8 %.
void Loan(CBondFree& b, Draw& draw, std::size_t k)
{
    b.m_strID = Numbered("L", k, 7);
    b.m_strName = Numbered("Loan ", k, 1);
    b.m_nRelease = kGeneratedStand - draw.Int(0, 5 * kYear);
    const double rate = draw.Int(8, 64) / 800.0; // a quarter's interest, 1% to 8% a year
    const bool amortising = draw.Chance(50);
    const std::int32_t first = kGeneratedStand + draw.Int(1, 91);
    const double yield = draw.Real(0.02, 0.08);
    double left = 100;
    double value = 0;
    b.m_cashflows.clear();
    for (int q = 0; q < 40; ++q) {
        const std::int32_t date = first + static_cast<std::int32_t>(std::lround(q * 91.3125));
        const double principal = amortising ? 2.5 : (q == 39 ? 100.0 : 0.0);
        const auto amount = static_cast<float>(left * rate + principal);
        left -= principal;
        b.m_cashflows.push_back({date, amount});
        value += amount / std::pow(1 + yield, (date - kGeneratedStand) / 365.25);
    }
    b.m_nMaturity = b.m_cashflows.back().m_nDate;
    b.m_fPrice = static_cast<float>(std::round(value * 1000) / 1000);
}

} // namespace

std::string GenerateDatabase(std::size_t count, std::uint32_t seed, GeneratedMix mix)
{
    Draw draw(seed);
    ByteWriter ar;
    ar.Reserve(15 + count * 60);
    ar.WriteBytes({kBondFileMagic, sizeof kBondFileMagic});
    ar.WriteI32(static_cast<std::int32_t>(count));
    ar.WriteI32(static_cast<std::int32_t>(count));
    CBondStd coupons(0);
    CBondFree payments(0);
    for (std::size_t k = 0; k < count; ++k) {
        CBond* bond = &coupons;
        if (mix == GeneratedMix::TypeI) {
            Ordinary(coupons, draw, k, {3, 6, 12});
        } else if (mix == GeneratedMix::Market) {
            if (draw.Int(0, 9) == 0) {
                MarketZero(payments, draw, k);
                bond = &payments;
            } else {
                MarketCoupon(coupons, draw, k);
            }
        } else if (mix == GeneratedMix::Mixed) {
            if (k % 2 == 0) {
                Ordinary(coupons, draw, k, {3, 6, 12});
            } else {
                Loan(payments, draw, k);
                bond = &payments;
            }
        } else {
            const int kind = draw.Int(0, 99);
            if (kind < 55) {
                Ordinary(coupons, draw, k, {1, 3, 6, 12});
            } else if (kind < 75) {
                Unusual(coupons, draw, k);
            } else {
                Payments(payments, draw, k);
                bond = &payments;
            }
        }
        ar.WriteI32(bond->GetType());
        bond->Serialize(ar);
    }
    return ar.Take();
}

} // namespace tenvix
