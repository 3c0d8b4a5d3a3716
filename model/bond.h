#pragma once

// Bond records: the identity, dates and price every bond has, and the two
// kinds that say what it pays. A record also carries the stand date and the
// investment horizon of the analysis in hand, copied in by SetDates.

#include "model/clock.h"
#include "model/solver.h"

#include <cstdint>
#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

class ByteReader;
class ByteWriter;

// What Validate finds; GetYTM keeps it in m_nStatus.
enum BondCode : int {
    BOND_OK = 0,
    BOND_STAND_AFTER_MATURITY = 10,
    BOND_STAND_AFTER_HORIZON = 11, // yield and duration still work; Square-M needs a later horizon
    BOND_STAND_BEFORE_RELEASE = 12,
    BOND_PRICE_TOO_HIGH = -3, // no positive yield reaches the price
    BOND_BAD_TERMS = -5,      // terms no valuation can use: a pay period below 1, an amount that is not
                              // finite, a price below the lowest the forms store (0.00001)
};

enum BondType : int { BOND_TYPE_STD = 0, BOND_TYPE_FREE = 1 };

class CBond {
public:
    virtual ~CBond() = default;

    // Records live in the pools of model/pool.h: a database of millions of
    // them costs their size and nothing more.
    static void* operator new(std::size_t size);
    static void operator delete(void* p, std::size_t size) noexcept;

    virtual void Serialize(ByteWriter& ar) const;
    virtual void Serialize(ByteReader& ar);
    // Present value at `ytm` of the payments after the stand date, minus the price.
    virtual double PriceGap(double ytm) const;
    // Duration and Square-M at `ytm`, each payment's present value weighted by `price`.
    virtual void GetDurationM2(double ytm, double price, double& duration, double& m2) const;
    // Derives what the valuation needs from the terms and the dates.
    virtual void Prepare();
    virtual int Validate() const;
    // The gap the yield search evaluates: PriceGap, unless a kind keeps what
    // it works out there for the walk at the yield found.
    virtual double SearchGap(double ytm) { return PriceGap(ytm); }

    int GetType() const { return m_nType; }
    // Stores both dates as whole days.
    int SetDates(double stand, double horizon);
    // The yield to maturity, by SolveYield within m_nTimeLimit milliseconds of
    // `clock`. Returns 0.0 when Validate allows no analysis (the code stays in
    // m_nStatus); throws NoYieldFound when no yield can be found.
    double GetYTM(const Clock& clock);

    // First, so that a scan over a whole database for an identifier touches
    // as few cache lines as it can.
    std::string m_strID;
    std::int32_t m_nStatus = BOND_OK;
    std::int32_t m_nType;
    std::int32_t m_nTimeLimit = kRecordTimeLimitMs; // a portfolio sets its own
    std::int32_t m_nRelease;
    std::int32_t m_nMaturity;
    std::int32_t m_nStandDate = 0;
    std::int32_t m_nHorizon = 0;
    float m_fPrice = 0.0f;
    std::string m_strName;

protected:
    CBond(int type, std::int32_t today) : m_nType(type), m_nRelease(today), m_nMaturity(today) {}
    CBond(const CBond&) = default;
    CBond& operator=(const CBond&) = default;
};

// "Type I": a coupon every pay period, counted back from maturity, and the
// face value at maturity.
class CBondStd final : public CBond {
public:
    explicit CBondStd(const Clock& clock);
    // Construction with a given day for release and maturity, for the loader,
    // which overwrites both.
    explicit CBondStd(std::int32_t today) : CBond(BOND_TYPE_STD, today) {}

    void Serialize(ByteWriter& ar) const override;
    void Serialize(ByteReader& ar) override;
    double PriceGap(double ytm) const override;
    void GetDurationM2(double ytm, double price, double& duration, double& m2) const override;
    void Prepare() override;
    int Validate() const override;
    // GetDurationM2 payment by payment: `visit` sees each payment as the sums
    // take it in. Defined in model/paymentwalk.h; GetDurationM2 is this walk
    // with nothing watching.
    template <class Visit>
    void WalkPayments(double ytm, double price, double& duration, double& m2, Visit&& visit) const;

    int SetData(std::int32_t periodMonths, float coupon, float face, float price, double release, double maturity,
                std::string_view id, std::string_view name);

    std::int32_t m_nPeriodMonths = 12;
    float m_fCoupon = 0.0f;
    float m_fFace = 0.0f;
    std::int32_t m_bBroken = 0;
    std::int32_t m_nPeriods = 0;
    float m_fYears = 0.0f;
    float m_fFirst = 0.0f;
    float m_fPeriodsExact = 0.0f;

private:
    bool TermsUsable() const;
};

struct CASHFLOW {
    std::int32_t m_nDate = 0;
    float m_fAmount = 0.0f;
    friend bool operator==(const CASHFLOW&, const CASHFLOW&) = default;
};

// One row of the payment grid as the form shows it: amount text, date text.
struct GridRow {
    std::string amount;
    std::string date;
    friend bool operator==(const GridRow&, const GridRow&) = default;
};

// Turns a date text into a date value, or nothing when it does not parse. The
// user interface supplies one for the user's locale.
using DateParser = std::function<std::optional<double>(std::string_view)>;

// "Type II": an explicit list of payments.
class CBondFree final : public CBond {
public:
    explicit CBondFree(const Clock& clock);
    explicit CBondFree(std::int32_t today) : CBond(BOND_TYPE_FREE, today) {}

    void Serialize(ByteWriter& ar) const override;
    void Serialize(ByteReader& ar) override;
    double PriceGap(double ytm) const override;
    // PriceGap that keeps the discounts for the walk at the same yield.
    double SearchGap(double ytm) override;
    void GetDurationM2(double ytm, double price, double& duration, double& m2) const override;
    void Prepare() override;
    int Validate() const override;
    // GetDurationM2 payment by payment: `visit` sees each payment as the sums
    // take it in. Defined in model/paymentwalk.h; GetDurationM2 is this walk
    // with nothing watching.
    template <class Visit>
    void WalkPayments(double ytm, double price, double& duration, double& m2, Visit&& visit) const;

    // Reads the payments from the grid (amount, date per row, top to bottom).
    // Returns 0, 1 for an empty grid, 6 when no payment falls after the
    // release date, or 16*i + 18 .. 21 for a bad amount (not a number, too
    // small, too big) or a bad date in row i. The whole grid is checked before
    // anything changes, so a failure leaves the record as it was.
    int SetFromGrid(std::span<const GridRow> grid, float price, double release, std::string_view id,
                    std::string_view name, const DateParser& parseDate);
    // The same with payments already read, for a record whose payments are
    // more than the grid shows: each amount is checked against the grid's
    // bounds (as a float, as stored), then the latest date against the
    // release date. The same codes, with i the payment's index.
    int SetFromCashflows(std::vector<CASHFLOW> flows, float price, double release, std::string_view id,
                         std::string_view name);
    int RemoveCashflows();

    std::vector<CASHFLOW> m_cashflows;
    double m_dtStand = 0.0;

private:
    // Takes checked payments, unless none falls after the release date (6).
    int Adopt(std::vector<CASHFLOW> flows, float price, double release, std::string_view id, std::string_view name);

    // The payments after the stand date with their times in years, made by
    // Prepare so that the yield search does no calendar work.
    struct Flow {
        double amount;
        double years;
    };
    std::vector<Flow> m_flows;
    // The flows' discounts of the last SearchGap, at ln(1 + y) = m_dSearchLog
    // (NaN when there are none): the walk at the yield found takes them
    // rather than work them out again, the very same doubles.
    std::vector<double> m_searchDiscounts;
    double m_dSearchLog = std::numeric_limits<double>::quiet_NaN();
    // The price gap, each discount kept at `keep` when given, ln(1 + y) in `log`.
    double Gap(double y, double* keep, double& log) const;
};

// A copy of `bond`, of its own kind, that the caller owns: the lists and
// files hand out bonds they keep, and whoever dates or prepares one for
// work of its own takes a copy first.
std::unique_ptr<CBond> CopyOfBond(const CBond& bond);

} // namespace tenvix
