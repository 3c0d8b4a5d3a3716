#include "model/bond.h"

#include "model/archive.h"
#include "model/date.h"
#include "model/discount.h"
#include "model/numbers.h"
#include "model/paymentwalk.h"
#include "model/pool.h"
#include "model/solver.h"

#include <bit>
#include <cmath>
#include <limits>

namespace tenvix {

// ---- CBond -------------------------------------------------------------------

namespace {

// The forms never store a price below 0.00001; a file made by hand can. Such
// a price, as a price of nothing, has no meaningful yield: the search would
// report an absurd one (1e14, with a duration of 2.5e38). The forms check the
// typed double and store it as a float, which puts 0.00001 itself just below
// the double 0.00001, so the float is compared with the float.
constexpr float kLowestStoredPrice = 0.00001f;
bool PriceUsable(float price) { return std::isfinite(price) && price >= kLowestStoredPrice; }

} // namespace

static_assert(alignof(CBondStd) <= 8 && alignof(CBondFree) <= 8, "pooled blocks are aligned to 8 bytes");

void* CBond::operator new(std::size_t size) { return PooledAllocate(size); }

void CBond::operator delete(void* p, std::size_t size) noexcept { PooledFree(p, size); }

void CBond::Serialize(ByteWriter&) const {}
void CBond::Serialize(ByteReader&) {}
double CBond::PriceGap(double) const { return 0.0; }
void CBond::GetDurationM2(double, double, double&, double&) const {}
void CBond::Prepare() {}
int CBond::Validate() const { return BOND_OK; }

int CBond::SetDates(double stand, double horizon)
{
    m_nStandDate = DaySerial(stand);
    m_nHorizon = DaySerial(horizon);
    return 0;
}

double CBond::GetYTM(const Clock& clock)
{
    const std::int64_t start = clock.Milliseconds();
    m_nStatus = BOND_OK;
    m_nStatus = Validate();
    if (m_nStatus != BOND_OK && m_nStatus != BOND_STAND_AFTER_HORIZON)
        return 0.0;

    // When the budget is gone, an estimate close enough to the price is
    // still good enough.
    int steps = 0;
    auto afterStep = [&](double, double g) {
        if (++steps < kRecordClockCadence)
            return false;
        steps = 0;
        if (clock.Milliseconds() - start <= m_nTimeLimit)
            return false;
        if (!(std::fabs(g) > kRecordAcceptBand))
            return true;
        throw NoYieldFound();
    };
    return SolveYield(
        kRecordSolver, [this](double y) { return SearchGap(y); }, afterStep);
}

// ---- CBondStd ----------------------------------------------------------------

CBondStd::CBondStd(const Clock& clock) : CBondStd(TodaySerial(clock)) {}

int CBondStd::SetData(std::int32_t periodMonths, float coupon, float face, float price, double release, double maturity,
                      std::string_view id, std::string_view name)
{
    m_nPeriodMonths = periodMonths;
    m_fCoupon = coupon;
    m_fFace = face;
    m_fPrice = price;
    m_nRelease = DaySerial(release);
    m_nMaturity = DaySerial(maturity);
    m_strID = id;
    m_strName = name;
    return 0;
}

bool CBondStd::TermsUsable() const
{
    return m_nPeriodMonths >= 1 && std::isfinite(m_fCoupon) && std::isfinite(m_fFace) && PriceUsable(m_fPrice);
}

void CBondStd::Prepare()
{
    if (m_nPeriodMonths < 1) {
        // No schedule exists; Validate says so before anything values it.
        m_nPeriods = 0;
        m_fYears = m_fFirst = m_fPeriodsExact = 0.0f;
        m_bBroken = 0;
        return;
    }
    const double T = YearFraction(m_nMaturity, m_nStandDate);
    m_fYears = static_cast<float>(T);
    const auto M = static_cast<std::int32_t>(T * 12); // |T| stays within ten thousand years
    m_fPeriodsExact = static_cast<float>(static_cast<double>(M) / m_nPeriodMonths);
    m_nPeriods = M / m_nPeriodMonths;
    const double r = T - static_cast<double>(m_nPeriods * m_nPeriodMonths) * kOneTwelfth;
    m_fFirst = static_cast<float>(r);
    m_bBroken = std::fabs(r) >= 0.00001 ? 1 : 0;
}

int CBondStd::Validate() const
{
    if (!TermsUsable())
        return BOND_BAD_TERMS;
    const double undiscounted =
        static_cast<double>(m_nPeriods + (m_bBroken ? 1 : 0)) * m_fCoupon + static_cast<double>(m_fFace);
    if (m_fPrice > undiscounted)
        return BOND_PRICE_TOO_HIGH;
    if (m_nStandDate >= m_nMaturity)
        return BOND_STAND_AFTER_MATURITY;
    if (m_nStandDate < m_nRelease)
        return BOND_STAND_BEFORE_RELEASE;
    return m_nStandDate < m_nHorizon ? BOND_OK : BOND_STAND_AFTER_HORIZON;
}

namespace {
// ln(1/2): below a period's growth of one half (a yield near -100 %) the
// formula's 1 + i keeps fewer digits than the growth itself, as it always
// has; the powers decide there.
constexpr double kHalfGrowthLog = -0.6931471805599453;
} // namespace

double CBondStd::PriceGap(double y) const
{
    if (y > 1e18)
        throw NoYieldFound();
    const double tau = m_nPeriodMonths / 12.0;
    // The four powers from one logarithm: the growth over a period (as the
    // rate, by expm1, which keeps the digits of a small one), the annuity over
    // the whole periods, the broken period, and the face value's time, which
    // is the broken period and the whole periods but for the floats' rounding
    // of both times, a step of the exponent far below 1e-5.
    const GrowthLog growth(y);
    const double periodLog = tau * growth.log;
    const double annuityLog = m_nPeriods * periodLog;
    const double firstLog = m_fFirst * growth.log;
    const double faceLog = m_fYears * growth.log;
    const double faceStep = faceLog - firstLog - annuityLog;
    if (periodLog > kHalfGrowthLog && periodLog < kNormalExponent && std::fabs(annuityLog) < kNormalExponent &&
        std::fabs(firstLog) < kNormalExponent && std::fabs(faceLog) < kNormalExponent) {
        const double i = ExpMinusOne(periodLog);
        if (i > 1e18)
            throw NoYieldFound();
        const double Q = m_fCoupon;
        const double c0 = m_bBroken ? Q : 0.0;
        const double annuityDiscount = std::exp(-annuityLog);
        const double firstDiscount = std::exp(-firstLog);
        const double faceDiscount = std::fabs(faceStep) < kSmallExponent
                                        ? firstDiscount * annuityDiscount * SmallDiscount(faceStep)
                                        : std::exp(-faceLog);
        // The share of the coupons' undiscounted sum the annuity takes away,
        // by its series where it is small: 1 - (1 + i)^-N would cancel down
        // to its rounding at a yield near nothing (a price near the sum of
        // the payments), where the search still looks for a gap below 1e-6.
        const double taken = std::fabs(annuityLog) < kSeriesReach ? -ExpMinusOne(-annuityLog) : 1 - annuityDiscount;
        // The division by the rate last: the rate comes last.
        const double annuity = Q * taken * firstDiscount / i;
        return (c0 * firstDiscount + m_fFace * faceDiscount - m_fPrice) + annuity;
    }
    const double i = std::pow(1 + y, tau) - 1;
    if (i > 1e18)
        throw NoYieldFound();
    const double Q = m_fCoupon;
    const double c0 = m_bBroken ? Q : 0.0;
    const double A = c0 + (Q / i) * (1 - 1 / std::pow(1 + i, m_nPeriods));
    return A / std::pow(1 + y, static_cast<double>(m_fFirst)) +
           m_fFace / std::pow(1 + y, static_cast<double>(m_fYears)) - m_fPrice;
}

void CBondStd::GetDurationM2(double y, double P, double& duration, double& m2) const
{
    WalkPayments(y, P, duration, m2, [](const PaymentStep&) {});
}

void CBondStd::Serialize(ByteWriter& ar) const
{
    unsigned char fixed[24];
    ByteWriter::StoreLE(fixed + 0, std::bit_cast<std::uint32_t>(m_fCoupon));
    ByteWriter::StoreLE(fixed + 4, static_cast<std::uint32_t>(m_nPeriodMonths));
    ByteWriter::StoreLE(fixed + 8, std::bit_cast<std::uint32_t>(m_fFace));
    ByteWriter::StoreLE(fixed + 12, std::bit_cast<std::uint32_t>(m_fPrice));
    ByteWriter::StoreLE(fixed + 16, static_cast<std::uint32_t>(m_nRelease));
    ByteWriter::StoreLE(fixed + 20, static_cast<std::uint32_t>(m_nMaturity));
    ar.WriteBytes({reinterpret_cast<const char*>(fixed), sizeof fixed});
    ar.WriteString(m_strID);
    ar.WriteString(m_strName);
}

void CBondStd::Serialize(ByteReader& ar)
{
    m_fCoupon = ar.ReadF32();
    m_nPeriodMonths = ar.ReadI32();
    m_fFace = ar.ReadF32();
    m_fPrice = ar.ReadF32();
    m_nRelease = ar.ReadI32();
    m_nMaturity = ar.ReadI32();
    ar.ReadString(m_strID);
    ar.ReadString(m_strName);
}

// ---- CBondFree ---------------------------------------------------------------

CBondFree::CBondFree(const Clock& clock) : CBondFree(TodaySerial(clock)) {}

int CBondFree::RemoveCashflows()
{
    m_cashflows.clear();
    m_flows.clear();
    return 0;
}

int CBondFree::SetFromGrid(std::span<const GridRow> grid, float price, double release, std::string_view id,
                           std::string_view name, const DateParser& parseDate)
{
    if (grid.empty())
        return 1;
    std::vector<CASHFLOW> flows;
    flows.reserve(grid.size());
    for (std::size_t i = 0; i < grid.size(); ++i) {
        const int row = static_cast<int>(16 * i);
        const std::optional<double> amount = ReadDecimal(TrimRight(grid[i].amount));
        if (!amount)
            return row + 18;
        if (*amount < 0.00001)
            return row + 19;
        if (*amount > 1e18)
            return row + 20;
        const std::optional<double> date = parseDate(grid[i].date);
        if (!date)
            return row + 21;
        flows.push_back({DaySerial(*date), static_cast<float>(*amount)});
    }
    return Adopt(std::move(flows), price, release, id, name);
}

int CBondFree::SetFromCashflows(std::vector<CASHFLOW> flows, float price, double release, std::string_view id,
                                std::string_view name)
{
    if (flows.empty())
        return 1;
    for (std::size_t i = 0; i < flows.size(); ++i) {
        const int row = static_cast<int>(16 * i);
        const float amount = flows[i].m_fAmount;
        if (!(amount >= 0.00001f)) // a stored 0.00001 is just below the double
            return row + 19;
        if (amount > 1e18f)
            return row + 20;
    }
    return Adopt(std::move(flows), price, release, id, name);
}

int CBondFree::Adopt(std::vector<CASHFLOW> flows, float price, double release, std::string_view id,
                     std::string_view name)
{
    std::int32_t latest = -750000;
    for (const CASHFLOW& cf : flows)
        if (cf.m_nDate > latest)
            latest = cf.m_nDate;
    const std::int32_t releaseDay = DaySerial(release);
    if (latest <= releaseDay)
        return 6;
    m_fPrice = price;
    m_cashflows = std::move(flows);
    m_flows.clear();
    m_nMaturity = latest;
    m_nRelease = releaseDay;
    m_strID = id;
    m_strName = name;
    return 0;
}

void CBondFree::Prepare()
{
    m_dtStand = m_nStandDate;
    m_flows.clear();
    m_dSearchLog = std::numeric_limits<double>::quiet_NaN();
    const CivilDate stand = Civil(m_dtStand);
    for (const CASHFLOW& cf : m_cashflows)
        if (cf.m_nDate > m_nStandDate)
            m_flows.push_back({cf.m_fAmount, YearFraction(CivilOfDay(cf.m_nDate), stand)});
}

int CBondFree::Validate() const
{
    if (!PriceUsable(m_fPrice))
        return BOND_BAD_TERMS;
    for (const CASHFLOW& cf : m_cashflows)
        if (!std::isfinite(cf.m_fAmount))
            return BOND_BAD_TERMS;
    if (m_nStandDate >= m_nMaturity)
        return BOND_STAND_AFTER_MATURITY;
    if (m_nStandDate < m_nRelease)
        return BOND_STAND_BEFORE_RELEASE;
    double S = 0;
    for (const CASHFLOW& cf : m_cashflows)
        if (cf.m_nDate > m_nStandDate)
            S += cf.m_fAmount;
    if (S - m_fPrice < 0.00001)
        return BOND_PRICE_TOO_HIGH;
    return m_nStandDate < m_nHorizon ? BOND_OK : BOND_STAND_AFTER_HORIZON;
}

double CBondFree::PriceGap(double y) const
{
    double log = 0;
    return Gap(y, nullptr, log);
}

double CBondFree::SearchGap(double y)
{
    m_dSearchLog = std::numeric_limits<double>::quiet_NaN();
    m_searchDiscounts.resize(m_flows.size());
    double log = 0;
    const double gap = Gap(y, m_searchDiscounts.data(), log);
    m_dSearchLog = log;
    return gap;
}

double CBondFree::Gap(double y, double* keep, double& log) const
{
    if (y < -1e18 || y > 1e18)
        throw NoYieldFound();
    const GrowthLog growth(y);
    log = growth.log;
    double sum = 0;
    for (const Flow& f : m_flows) {
        const double discount = growth.Discount(f.years);
        if (keep)
            *keep++ = discount;
        sum += DiscountUsable(discount) ? f.amount * discount : f.amount / std::pow(1 + y, f.years);
    }
    return sum - m_fPrice;
}

void CBondFree::GetDurationM2(double y, double P, double& duration, double& m2) const
{
    WalkPayments(y, P, duration, m2, [](const PaymentStep&) {});
}

void CBondFree::Serialize(ByteWriter& ar) const
{
    ar.WriteI32(m_nRelease);
    ar.WriteI32(m_nMaturity);
    ar.WriteF32(m_fPrice);
    ar.WriteString(m_strID);
    ar.WriteString(m_strName);
    ar.WriteI32(static_cast<std::int32_t>(m_cashflows.size()));
    for (const CASHFLOW& cf : m_cashflows) {
        ar.WriteF32(cf.m_fAmount);
        ar.WriteI32(cf.m_nDate);
    }
}

void CBondFree::Serialize(ByteReader& ar)
{
    m_nRelease = ar.ReadI32();
    m_nMaturity = ar.ReadI32();
    m_fPrice = ar.ReadF32();
    ar.ReadString(m_strID);
    ar.ReadString(m_strName);
    const std::int32_t count = ar.ReadI32();
    // Eight bytes a payment: a count the rest of the file cannot hold is a lie,
    // and is refused before anything is allocated for it. After this test no
    // read can fail, so the payments are overwritten in place, which lets a
    // reader that reuses one record keep its storage.
    if (count < 0 || static_cast<std::uint64_t>(count) * 8 > ar.Remaining())
        throw FormatError("bad payment count");
    m_cashflows.resize(static_cast<std::size_t>(count));
    // The block of payments at once: a loan has dozens.
    const std::string_view block = ar.ReadBytes(static_cast<std::size_t>(count) * 8);
    const auto* p = reinterpret_cast<const unsigned char*>(block.data());
    auto u32 = [](const unsigned char* q) {
        return std::uint32_t{q[0]} | (std::uint32_t{q[1]} << 8) | (std::uint32_t{q[2]} << 16) |
               (std::uint32_t{q[3]} << 24);
    };
    for (CASHFLOW& cf : m_cashflows) {
        cf.m_fAmount = std::bit_cast<float>(u32(p));
        cf.m_nDate = static_cast<std::int32_t>(u32(p + 4));
        p += 8;
    }
    m_flows.clear();
}

std::unique_ptr<CBond> CopyOfBond(const CBond& bond)
{
    if (bond.GetType() == BOND_TYPE_STD)
        return std::make_unique<CBondStd>(static_cast<const CBondStd&>(bond));
    return std::make_unique<CBondFree>(static_cast<const CBondFree&>(bond));
}

} // namespace tenvix
