#include "model/analysiscalc.h"

#include "model/clock.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/paymentwalk.h"
#include "model/solver.h"

#include <cmath>
#include <limits>
#include <optional>
#include <vector>

namespace tenvix {

namespace {

struct Payment {
    double amount;
    std::int32_t day;
};

// A payment still to come, with its time from the stand date in years.
struct Flow {
    double amount;
    double years;
};

int RowFault(std::size_t row, int kind) { return static_cast<int>(16 * row) + kind; }

// Reads and checks the entries; on success fills `payments` with every row.
int ReadEntries(const AnalysisInput& in, const DateParser& parseDate, std::int32_t stand, std::int32_t horizon,
                double& price, std::vector<Payment>& payments)
{
    if (in.squareM && stand >= horizon)
        return kAnalysisHorizonNotAfterStand;

    const std::optional<double> p = ReadDecimal(TrimRight(in.price));
    if (!p)
        return kAnalysisPriceNotANumber;
    if (*p < 0.000001)
        return kAnalysisPriceTooLow;
    if (*p > 1e20)
        return kAnalysisPriceTooHigh;
    price = *p;

    // Below every valid date, so that the latest payment is always a real one.
    std::int32_t latest = std::numeric_limits<std::int32_t>::min();
    payments.reserve(in.rows.size());
    for (std::size_t i = 0; i < in.rows.size(); ++i) {
        const std::string_view amountText = TrimRight(in.rows[i].amount);
        const std::optional<double> amount = ReadDecimal(amountText);
        if (!amount || (amountText.empty() && in.emptyAmountIsNoNumber))
            return RowFault(i, kAnalysisRowAmountNotANumber);
        // A zero payment is allowed: it keeps a row's place without weight.
        if (*amount < 0 || *amount > 1e20)
            return RowFault(i, kAnalysisRowAmountOutOfRange);
        const std::optional<double> date = parseDate(in.rows[i].date);
        if (!date)
            return RowFault(i, kAnalysisRowBadDate);
        const std::int32_t day = DaySerial(*date);
        payments.push_back({*amount, day});
        if (day > latest)
            latest = day;
    }
    // A last payment on the stand date itself passes here; it is not due after
    // the stand date, so the search below finds nothing to discount.
    if (latest < stand)
        return kAnalysisNoPaymentDue;
    return 0;
}

} // namespace

double HorizonYears(YearMethod method, double stand, double horizon)
{
    return YearFraction(method, DaySerial(horizon), DaySerial(stand));
}

namespace {

// The entries read, the yield solved, and what the duration walk needs.
struct Solved {
    AnalysisResult result;
    std::vector<Flow> flows;
    std::vector<std::int32_t> days; // of the flows, index for index
    double price = 0.0;
    double horizonYears = 0.0;
};

Solved Solve(const AnalysisInput& in, const DateParser& parseDate, const Clock& clock)
{
    Solved s;
    AnalysisResult& result = s.result;
    const std::int32_t stand = DaySerial(in.stand);
    const std::int32_t horizon = DaySerial(in.horizon);
    double price = 0.0;
    std::vector<Payment> payments;
    result.fault = ReadEntries(in, parseDate, stand, horizon, price, payments);
    if (result.fault)
        return s;

    // The budget counts from here, before the precheck, as the user sees it:
    // from pressing Calculate to the answer.
    const std::int64_t start = clock.Milliseconds();

    std::vector<Flow>& flows = s.flows;
    double due = 0.0;
    for (const Payment& p : payments)
        if (p.day > stand) {
            flows.push_back({p.amount, YearFraction(in.method, p.day, stand)});
            s.days.push_back(p.day);
            due += p.amount;
        }
    // Less to come than the price: no yield of -100% or more makes up for it.
    if (due < price) {
        result.error = true;
        return s;
    }

    // The clock is read on every 2048th evaluation, bracketing included, so a
    // search that never settles still ends soon after the budget is spent.
    auto gap = [&](double y) {
        ++result.evaluations;
        if (result.evaluations % kAnalysisClockCadence == 0 && clock.Milliseconds() - start > kAnalysisTimeLimitMs)
            throw NoYieldFound();
        if (y < -1e18 || y > 1e18)
            throw NoYieldFound();
        double pv = 0.0;
        for (const Flow& f : flows)
            pv += f.amount / std::pow(1.0 + y, f.years);
        return pv - price;
    };
    // Running out of time is a failure: there is no band of estimates that are
    // close enough.
    auto afterStep = [](double, double) { return false; };

    try {
        result.ytm = SolveYield(kWindowSolver, gap, afterStep);
    } catch (const NoYieldFound&) {
        result.error = true;
        return s;
    }
    s.price = price;
    s.horizonYears = YearFraction(in.method, horizon, stand);
    return s;
}

// Duration and Square-M over the rows after the stand date, each payment handed
// to `visit` as the sums take it in, as the records' own walk does.
template <class Visit>
void WalkFlows(const Solved& s, double& duration, double& squareM, Visit&& visit)
{
    const double y = s.result.ytm;
    double d = 0.0, m2 = 0.0;
    PaymentStep step;
    for (const Flow& f : s.flows) {
        step.discount = std::pow(1.0 + y, -f.years);
        step.presentValue = step.discount * f.amount;
        const double weight = step.presentValue / s.price;
        step.durationPart = weight * f.years;
        d += step.durationPart;
        step.distance = f.years - s.horizonYears;
        step.squareMPart = weight * (step.distance * step.distance);
        m2 += step.squareMPart;
        step.years = f.years;
        step.amount = f.amount;
        step.share = weight;
        visit(static_cast<const PaymentStep&>(step));
        ++step.index;
    }
    duration = d;
    squareM = m2;
}

} // namespace

AnalysisResult CalculateAnalysis(const AnalysisInput& in, const DateParser& parseDate, const Clock& clock)
{
    Solved s = Solve(in, parseDate, clock);
    if (s.result.Ok())
        WalkFlows(s, s.result.duration, s.result.squareM, [](const PaymentStep&) {});
    return s.result;
}

AnalysisExplanation ExplainAnalysis(const AnalysisInput& in, const DateParser& parseDate, const Clock& clock)
{
    Solved s = Solve(in, parseDate, clock);
    AnalysisExplanation out;
    if (s.result.Ok()) {
        Explanation& e = out.explanation;
        e.ytm = s.result.ytm;
        e.price = s.price;
        e.horizonYears = s.horizonYears;
        WalkFlows(s, s.result.duration, s.result.squareM, [&](const PaymentStep& step) {
            e.payments.push_back(ExplainStep(step, {}, s.days[step.index], false));
        });
        NumberAndSumRows(e);
        e.duration = s.result.duration;
        e.squareM = s.result.squareM;
    }
    out.result = s.result;
    return out;
}

std::string AnalysisFaultMessage(int fault)
{
    const char* before = nullptr;
    const char* after = nullptr;
    switch (fault < 16 ? fault : 16 + (fault & 15)) {
    case kAnalysisNoPaymentDue:
        return "Stand Date should be less than the maturity !";
    case kAnalysisHorizonNotAfterStand:
        return "Investment Horizon should be bigger than Stand Date !";
    case kAnalysisPriceNotANumber:
        return "Invalid Spot Price !";
    case kAnalysisPriceTooLow:
        return "Negative or low Spot Price !";
    case kAnalysisPriceTooHigh:
        return "Too big Spot Price  !";
    case kAnalysisRowAmountNotANumber:
        before = "Invalid cashflow  in row ", after = " !";
        break;
    case kAnalysisRowAmountOutOfRange:
        before = "Cashflow in row ", after = " should be positive \nor not so big !";
        break;
    case kAnalysisRowBadDate:
        before = "Invalid date in row ", after = " !";
        break;
    default:
        return {};
    }
    std::string text = before;
    AppendInteger(text, fault >> 4);
    return text += after;
}

} // namespace tenvix
