#pragma once

// A portfolio valued as one bond: its cashflows are the unit-weighted sum of
// its members' cashflows, so the ordinary yield search and the ordinary
// duration and Square-M sums give the figures of the pooled stream. Nothing
// is averaged: a member's own yield plays no part.

#include "model/bond.h"
#include "model/bondlist.h"
#include "model/clock.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tenvix {

// Below this many units (either sign) a member adds nothing to the gap the
// yield search closes; it still counts in the market value.
inline constexpr double kNegligibleUnits = 0.0001;
// A kind of its own: a portfolio is never stored, so no file ever sees it.
inline constexpr int kPortfolioBondType = 2;

class CBondPortf final : public CBond {
public:
    explicit CBondPortf(const Clock& clock);

    // The combined present value at `ytm` of the members holding units,
    // minus their combined price.
    double PriceGap(double ytm) const override;
    // `price` is ignored: every member is weighted by the pooled market value
    // instead of its own price, which turns its terms into shares of the whole.
    void GetDurationM2(double ytm, double price, double& duration, double& m2) const override;
    // Every member's price times its units, all members counted: the value
    // that weights the members' payments.
    double MarketValue() const;
    // Gives every member this portfolio's dates and prepares it.
    void Prepare() override;
    // 0; the one-based position of the first member its own check refuses;
    // -1 when the units are all zero or one of them is negative.
    int Validate() const override;

    // The members and their units, index for index; the caller owns both
    // arrays and keeps them alive while this object is used.
    CBond* const* m_ppBonds = nullptr;
    const double* m_pUnits = nullptr;
    std::int32_t m_nCount = 0;
};

// What one portfolio row says about its bond; BadUnits is a row's own, of
// units a file holds that no row can show (PortfolioRows).
enum class RowStatus { Ready, NotFound, Incompatible, BadYtm, BadUnits };

struct RowFigures {
    RowStatus status = RowStatus::NotFound;
    double ytm = 0.0;
    double duration = 0.0;
    double squareM = 0.0;
    int code = 0; // the check's refusal, for Incompatible
};

// Analyses a row's bond, weighted by its own price: the database's own
// object, whose dates and schedule change and nothing else. Any refusal of
// its check makes the row incompatible, a stand date on the horizon
// included, which a single bond's yield would tolerate: a portfolio row needs
// a Square-M.
RowFigures AnalyseRow(CBond& bond, double stand, double horizon, const Clock& clock);
// AnalyseRow again with the dates the bond was last analysed with.
RowFigures ReanalyseRow(CBond& bond, const Clock& clock);

// The first bond whose identifier equals `id` without regard to letter case,
// or null: the first case-blind match of MatchBondID, the one rule every
// lookup by identifier follows. A row keeps the bond it found this way.
CBond* FindBondByID(CBondList::List& bonds, std::string_view id);

enum class PortfolioOutcome {
    Ready,
    NoUnits,            // all units zero, or one negative
    MemberIncompatible, // a member's own check refuses it; nothing to tell the user
    BadYtm,             // the yield search gave up
};

struct PortfolioFigures {
    PortfolioOutcome outcome = PortfolioOutcome::Ready;
    int member = 0; // one-based, for MemberIncompatible
    double ytm = 0.0;
    double duration = 0.0;
    double squareM = 0.0;
};

// The whole calculation over ready rows: date, prepare and check the
// composite, then solve within the portfolio's budget.
PortfolioFigures CalculatePortfolio(std::span<CBond* const> bonds, std::span<const double> units, double stand,
                                    double horizon, const Clock& clock);

} // namespace tenvix
