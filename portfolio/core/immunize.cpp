#include "portfolio/core/immunize.h"

#include "model/date.h"
#include "model/paymentwalk.h"
#include "portfolio/core/immunizesearch.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace tenvix {

namespace {

// The most whole units of `price` that `budget` pays for.
double WholeUnitsWithin(double budget, double price)
{
    if (!(price > 0.0) || !(budget >= price))
        return 0.0;
    double u = std::min(std::floor(budget / price), kImmunizeMaxUnits);
    while (u > 0 && u * price > budget)
        u -= 1;
    while (u < kImmunizeMaxUnits && (u + 1) * price <= budget)
        u += 1;
    return u;
}

// The share of the amount one bond may take, in money.
double ShareBudget(const ImmunizeLimits& l) { return l.maxShare * l.amount; }

} // namespace

ImmunizeFailure CheckLimits(const ImmunizeLimits& limits)
{
    if (!(limits.amount <= kImmunizeMaxAmount))
        return ImmunizeFailure::AmountTooLarge;
    // A share typed as a decimal may miss 1/N by the last bit of a double.
    if (limits.maxRows * limits.maxShare < 1.0 - 1e-12)
        return ImmunizeFailure::LimitsTooTight;
    return ImmunizeFailure::None;
}

ImmunizeResult RefusalOfLimits(const ImmunizeLimits& limits)
{
    ImmunizeResult result;
    result.failure = CheckLimits(limits);
    if (result.failure == ImmunizeFailure::AmountTooLarge)
        result.largestAmount = kImmunizeMaxAmount;
    return result;
}

// ---- the screen ----------------------------------------------------------------

ImmunizeScreen::ImmunizeScreen(const ImmunizeLimits& limits)
    : m_limits(limits), m_filter(limits.minYtm, limits.exclude)
{
}

void ImmunizeScreen::Offer(std::string_view id, float price, const RowFigures& row, std::size_t ref)
{
    const std::size_t order = m_filter.Offered();
    if (!m_filter.Admit(id, row))
        return;
    const double p = static_cast<double>(price);
    m_candidates.push_back(ImmunizeCandidate{std::string(id), ref, order, p, row.ytm, row.duration, row.squareM,
                                             WholeUnitsWithin(ShareBudget(m_limits), p)});
}

void ImmunizeScreen::Finish()
{
    m_filter.Finish();
    std::erase_if(m_candidates, [&](const ImmunizeCandidate& c) { return m_filter.Hidden(c.order); });
    m_left = m_candidates.size();
    // A bond so cheap that the share buys more units than a double counts
    // exactly is as good as unbuyable: no whole number of it can be told.
    // Should that leave none, the amount is what is too large.
    for (const ImmunizeCandidate& c : m_candidates)
        if (c.maxUnits >= kImmunizeMaxUnits)
            m_largestAmount = std::max(m_largestAmount, std::floor((kImmunizeMaxUnits - 1) * c.price / m_limits.maxShare));
    std::erase_if(m_candidates, [](const ImmunizeCandidate& c) { return c.maxUnits < 1.0 || c.maxUnits >= kImmunizeMaxUnits; });
    if (!m_candidates.empty()) {
        const auto [low, high] = std::minmax_element(
            m_candidates.begin(), m_candidates.end(),
            [](const ImmunizeCandidate& a, const ImmunizeCandidate& b) { return a.duration < b.duration; });
        m_lowDuration = low->duration;
        m_highDuration = high->duration;
    }
}

ImmunizeFailure ImmunizeScreen::Failure(double horizonYears) const
{
    if (m_filter.Ready() == 0)
        return ImmunizeFailure::NothingReady;
    if (m_left == 0)
        return ImmunizeFailure::NothingLeft;
    if (m_candidates.empty())
        return m_largestAmount > 0 ? ImmunizeFailure::AmountTooLarge : ImmunizeFailure::NothingAffordable;
    // A bond within the tolerance of the horizon reaches it on its own.
    if (horizonYears < m_lowDuration - kImmunizeTolerance || horizonYears > m_highDuration + kImmunizeTolerance)
        return ImmunizeFailure::HorizonOutside;
    return ImmunizeFailure::None;
}

namespace {

// Whether whole units keep every limit, checked on the stored prices.
bool KeepsLimits(const std::vector<ImmunizedRow>& rows, const ImmunizeLimits& l)
{
    if (rows.empty() || rows.size() > static_cast<std::size_t>(l.maxRows))
        return false;
    double V = 0.0, dearest = 0.0;
    for (const ImmunizedRow& r : rows) {
        if (r.units < 1 || r.amount > ShareBudget(l))
            return false;
        V += r.amount;
        dearest = std::max(dearest, r.bond.price);
    }
    return V <= l.amount && l.amount - dearest < V;
}

} // namespace

ImmunizeResult Immunize(const ImmunizeScreen& screen, const ImmunizeLimits& limits, double stand, double horizon,
                        const ImmunizeFetch& fetch, const Clock& clock, const ImmunizeProgress& progress)
{
    using namespace immunizing;
    ImmunizeResult result;
    result.lowDuration = screen.LowDuration();
    result.highDuration = screen.HighDuration();
    const double H = YearFraction(horizon, stand);
    if (CheckLimits(limits) != ImmunizeFailure::None)
        return RefusalOfLimits(limits);
    result.failure = screen.Failure(H);
    result.largestAmount = std::min(screen.LargestAmount(), kImmunizeMaxAmount);
    if (result.failure != ImmunizeFailure::None)
        return result;

    const std::size_t offset = progress ? screen.Offered() : 0;
    Ticker ticker(progress, offset, offset + kSearchSteps);
    try {
        const std::vector<ImmunizeCandidate>& cands = screen.Candidates();
        const bool small = cands.size() <= kSmallSet;
        Optimizer opt(limits, H, ticker, small);
        for (std::size_t i : Narrow(cands, H, limits.maxShare)) {
            std::unique_ptr<CBond> bond = fetch(cands[i].ref);
            if (!bond)
                continue;
            bond->SetDates(stand, horizon);
            bond->Prepare();
            if (bond->Validate() != BOND_OK)
                continue;
            std::vector<PaymentColumn::Flow> flows;
            AppendPayments(*bond, flows);
            // A payment the holder makes, not receives, has no place in a
            // distance from the horizon weighted by present value.
            if (std::any_of(flows.begin(), flows.end(), [](const PaymentColumn::Flow& f) { return !(f.amount > 0); }))
                continue;
            opt.columns.Add(cands[i].price, cands[i].maxUnits, flows);
            opt.bonds.push_back(std::move(bond));
            opt.candidates.push_back(&cands[i]);
        }
        const std::vector<Trial> trials = opt.Search();
        result.bound = trials.empty() ? 0.0 : trials.front().value;

        // Whole units at the best trial yields, until one comes close to the
        // bound; then the engine's word on them, best first. The engine's
        // composite yield search is the slow part for a large amount, so it
        // runs once as a rule.
        struct Answer {
            std::vector<ImmunizedRow> rows;
            double squareM;
        };
        std::vector<Answer> answers;
        // The best trial yields cluster where the fractional optimum lies;
        // on a small amount the best whole units may lie at a yield of their
        // own, so the later tries keep apart from the earlier ones.
        double lowY = 0.0, highY = 0.0;
        if (!trials.empty()) {
            const auto [lo, hi] = std::minmax_element(trials.begin(), trials.end(),
                                                      [](const Trial& a, const Trial& b) { return a.y < b.y; });
            lowY = lo->y;
            highY = hi->y;
        }
        const double apart = std::clamp((highY - lowY) / 12, 1e-7, 1.5e-4);
        std::vector<double> tried;
        double found = std::numeric_limits<double>::infinity();
        for (const Trial& t : trials) {
            // The fractional least at a yield is as good as whole units near it get.
            if (tried.size() >= (small ? 12u : 4u) || t.value >= found)
                break;
            const double near = small ? apart : 1e-7;
            if (std::any_of(tried.begin(), tried.end(), [&](double y) { return std::fabs(y - t.y) < near; }))
                continue;
            tried.push_back(t.y);
            double squareM = 0.0;
            const auto units = opt.WholeUnitsAt(t.y, squareM);
            if (!units)
                continue;
            std::vector<ImmunizedRow> rows;
            for (std::size_t k = 0; k < units->size(); ++k) {
                if ((*units)[k] < 1)
                    continue;
                ImmunizedRow r;
                r.bond = *opt.candidates[k];
                r.units = (*units)[k];
                r.amount = r.units * r.bond.price;
                r.share = r.amount / limits.amount;
                rows.push_back(std::move(r));
            }
            if (!KeepsLimits(rows, limits))
                continue;
            std::sort(rows.begin(), rows.end(), [](const ImmunizedRow& a, const ImmunizedRow& b) {
                return a.amount != b.amount ? a.amount > b.amount : a.bond.id < b.bond.id;
            });
            answers.push_back({std::move(rows), squareM});
            found = std::min(found, squareM);
            if (squareM <= result.bound * 1.001 + 1e-12)
                break;
        }
        // One bond alone is a portfolio too, with the row's own figures: when
        // the row limit binds hard, the search above may find nothing better.
        const ImmunizeCandidate* alone = nullptr;
        for (const ImmunizeCandidate& c : cands) {
            const double value = c.maxUnits * c.price;
            if (std::fabs(c.duration - H) <= 0.98 * kImmunizeTolerance && value > limits.amount - c.price &&
                (!alone || c.squareM < alone->squareM))
                alone = &c;
        }
        if (alone) {
            ImmunizedRow r;
            r.bond = *alone;
            r.units = alone->maxUnits;
            r.amount = r.units * r.bond.price;
            r.share = r.amount / limits.amount;
            answers.push_back({{r}, alone->squareM});
        }
        std::stable_sort(answers.begin(), answers.end(),
                         [](const Answer& a, const Answer& b) { return a.squareM < b.squareM; });
        for (Answer& a : answers) {
            // The figures as Calculate gives them, members in the rows' order.
            std::vector<std::unique_ptr<CBond>> copies;
            std::vector<CBond*> members;
            std::vector<double> memberUnits;
            for (const ImmunizedRow& r : a.rows) {
                copies.push_back(fetch(r.bond.ref));
                members.push_back(copies.back().get());
                memberUnits.push_back(r.units);
            }
            ticker.Check();
            const PortfolioFigures f = CalculatePortfolio(members, memberUnits, stand, horizon, clock);
            if (f.outcome == PortfolioOutcome::Ready && std::fabs(f.duration - H) <= kImmunizeTolerance) {
                result.rows = std::move(a.rows);
                result.figures = f;
                break;
            }
        }
    } catch (const StopRequested&) {
        ImmunizeResult stopped;
        stopped.failure = ImmunizeFailure::Stopped;
        stopped.lowDuration = result.lowDuration;
        stopped.highDuration = result.highDuration;
        FreeSolverMemory();
        return stopped;
    }
    FreeSolverMemory();
    if (result.rows.empty())
        result.failure = ImmunizeFailure::NotWithinLimits;
    return result;
}

ImmunizeResult ImmunizeList(const CBondList::List& bonds, const ImmunizeLimits& limits, double stand, double horizon,
                            const Clock& clock, const ImmunizeProgress& progress)
{
    ImmunizeResult result;
    if (CheckLimits(limits) != ImmunizeFailure::None)
        return RefusalOfLimits(limits);
    ImmunizeScreen screen(limits);
    std::vector<const CBond*> byRef;
    byRef.reserve(bonds.size());
    ScratchBond scratchBond;
    const std::size_t total = bonds.size() + immunizing::kSearchSteps;
    std::size_t reached = 0;
    for (const auto& p : bonds) {
        if (progress && (reached & 1023) == 0 && !progress(reached, total)) {
            result.failure = ImmunizeFailure::Stopped;
            return result;
        }
        ++reached;
        const CBond* bond = p.get();
        RowFigures row;
        if (CBond* scratch = scratchBond.Of(bond))
            row = AnalyseRow(*scratch, stand, horizon, clock);
        screen.Offer(bond ? std::string_view(bond->m_strID) : std::string_view(), bond ? bond->m_fPrice : 0.0f, row,
                     byRef.size());
        byRef.push_back(bond);
    }
    screen.Finish();
    const ImmunizeFetch fetch = [&](std::size_t ref) { return CopyOfBond(*byRef[ref]); };
    return Immunize(screen, limits, stand, horizon, fetch, clock, progress);
}

} // namespace tenvix
