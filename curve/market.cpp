#include "curve/market.h"

#include "curve/runeach.h"
#include "curve/spread.h"
#include "model/accrued.h"
#include "model/date.h"
#include "model/quotes.h"
#include "model/text.h"

#include <algorithm>
#include <optional>
#include <unordered_map>

namespace tenvix::curve {

namespace {

// What a worker takes from one unit of the file for the merge in list order.
struct UnitWork {
    struct Bond {
        std::size_t firstPayment = 0;
        std::size_t payments = 0;
        std::size_t coupons = 0;
        std::int32_t periodMonths = 0;
        std::size_t idLength = 0;
        std::size_t nameLength = 0;
    };
    std::vector<Bond> bonds;
    std::vector<Payment> payments;
    std::string texts;
};

// Units a batch, per thread: the merge waits for a whole batch.
constexpr std::size_t kUnitsPerThread = 8;

void AnalyseUnit(std::span<const std::byte> bytes, const BondFileIndex& index, std::size_t unit,
                 const MarketOptions& options, std::span<MarketBond> out, UnitWork& work)
{
    work.bonds.clear();
    work.payments.clear();
    work.texts.clear();
    BondRecordReader records(bytes, index.unitStarts[unit]);
    const std::size_t count = index.UnitSize(unit);
    for (std::size_t k = 0; k < count; ++k) {
        CBond& bond = records.Next();
        MarketBond& row = out[k];
        const RecordAnalysis a = AnalyseRecord(bond, options.stand, options.horizon,
                                               static_cast<double>(bond.m_fPrice), *options.clock,
                                               Needs::YieldAndDuration);
        row.outcome = a.outcome;
        row.code = a.code;
        row.type = bond.GetType();
        row.maturity = bond.m_nMaturity;
        row.price = bond.m_fPrice;
        if (bond.GetType() == BOND_TYPE_STD) {
            const auto& coupons = static_cast<const CBondStd&>(bond);
            row.accrued = AccruedInterest(coupons);
            if (const auto clean = CleanPer100(bond.m_fPrice, row.accrued, coupons.m_fFace))
                row.clean = *clean;
        }
        UnitWork::Bond taken;
        taken.firstPayment = work.payments.size();
        if (row.Solved()) {
            row.ytm = a.ytm;
            row.duration = a.duration;
            row.squareM = a.squareM;
            taken.coupons = AppendPayments(bond, work.payments);
            taken.payments = work.payments.size() - taken.firstPayment;
            if (bond.GetType() == BOND_TYPE_STD) {
                taken.periodMonths = static_cast<const CBondStd&>(bond).m_nPeriodMonths;
                // T as the schedule computes it, before it is stored as a float.
                row.years = YearFraction(bond.m_nMaturity, bond.m_nStandDate);
            } else {
                double last = 0;
                for (std::size_t p = taken.firstPayment; p < work.payments.size(); ++p)
                    last = std::max(last, work.payments[p].years);
                row.years = last;
            }
        }
        taken.idLength = bond.m_strID.size();
        taken.nameLength = bond.m_strName.size();
        work.texts += bond.m_strID;
        work.texts += bond.m_strName;
        work.bonds.push_back(taken);
    }
}

} // namespace

bool Market::Analyse(std::span<const std::byte> bytes, const BondFileIndex& index, const MarketOptions& options,
                     FitControl* control)
{
    *this = Market();
    m_bonds.resize(index.count);
    m_textStarts.reserve(2 * index.count + 1);
    m_textStarts.push_back(0);
    const int threads = std::max(1, options.threads);
    const std::size_t units = index.Units();
    if (control)
        control->total = static_cast<int>(units);
    std::vector<UnitWork> batch(kUnitsPerThread * static_cast<std::size_t>(threads));
    for (std::size_t first = 0; first < units; first += batch.size()) {
        if (control && control->stop.load())
            return false;
        const std::size_t count = std::min(batch.size(), units - first);
        RunEach(count, threads, [&](std::size_t i) {
            const std::size_t unit = first + i;
            const std::span<MarketBond> rows(m_bonds.data() + unit * index.unitRecords, index.UnitSize(unit));
            AnalyseUnit(bytes, index, unit, options, rows, batch[i]);
        });
        // The book and the texts in list order.
        for (std::size_t i = 0; i < count; ++i) {
            const UnitWork& work = batch[i];
            MarketBond* rows = m_bonds.data() + (first + i) * index.unitRecords;
            std::size_t text = 0;
            for (std::size_t k = 0; k < work.bonds.size(); ++k) {
                const UnitWork::Bond& b = work.bonds[k];
                if (rows[k].Solved())
                    rows[k].book = m_book.Add(std::span(work.payments.data() + b.firstPayment, b.payments),
                                              b.coupons, b.periodMonths);
                m_texts.append(work.texts, text, b.idLength);
                m_textStarts.push_back(m_texts.size());
                m_texts.append(work.texts, text + b.idLength, b.nameLength);
                m_textStarts.push_back(m_texts.size());
                text += b.idLength + b.nameLength;
            }
        }
        if (control)
            control->done = static_cast<int>(first + count);
    }
    m_book.Finish();
    return true;
}

std::vector<std::string> Market::Exclude(std::span<const std::string> ids)
{
    std::vector<std::string> unknown;
    std::unordered_map<std::string_view, std::size_t> wanted;
    for (std::size_t e = 0; e < ids.size(); ++e)
        wanted.emplace(ids[e], e);
    std::vector<char> exactly(ids.size(), 0);
    for (std::size_t k = 0; k < m_bonds.size(); ++k)
        if (const auto it = wanted.find(Id(k)); it != wanted.end()) {
            m_bonds[k].excluded = true;
            exactly[it->second] = 1;
        }
    for (std::size_t e = 0; e < ids.size(); ++e) {
        if (exactly[e] || wanted.at(ids[e]) != e)
            continue;
        const std::string folded = FoldCase(ids[e]);
        bool any = false;
        for (std::size_t k = 0; k < m_bonds.size(); ++k)
            if (EqualsFolded(Id(k), folded)) {
                m_bonds[k].excluded = true;
                any = true;
            }
        if (!any)
            unknown.push_back(ids[e]);
    }
    return unknown;
}

std::size_t Market::FittedCount() const
{
    return static_cast<std::size_t>(
        std::count_if(m_bonds.begin(), m_bonds.end(), [](const MarketBond& b) { return b.Fitted(); }));
}

FitOutcome Market::Fit(int threads, FitControl* control)
{
    m_hasCurve = false;
    std::vector<FitBond> fitted;
    for (const MarketBond& b : m_bonds)
        if (b.Fitted())
            fitted.push_back({b.book, static_cast<double>(b.price), b.duration, b.ytm});
    if (fitted.size() < kLeastFitted)
        return FitOutcome::TooFewBonds;
    if (m_book.Overflowed())
        return FitOutcome::TooManyDates;
    const CurveProblem problem(m_book, fitted);
    // The grid on an even sample when there are many bonds; the polish on all.
    std::vector<FitBond> sample;
    const std::size_t every = (fitted.size() + kSearchSample - 1) / kSearchSample;
    for (std::size_t k = 0; every > 1 && k < fitted.size(); k += every)
        sample.push_back(fitted[k]);
    const std::optional<CurveProblem> sampled =
        every > 1 ? std::make_optional<CurveProblem>(m_book, sample) : std::nullopt;
    const CurveFitResult result = FitCurve(sampled ? *sampled : problem, problem, threads, control);
    if (result.stopped)
        return FitOutcome::Stopped;
    if (!result.ok)
        return FitOutcome::NoCurve;
    m_params = result.params;

    const CurveValues values(m_book, m_params);
    constexpr std::size_t kChunk = 4096;
    RunEach((m_bonds.size() + kChunk - 1) / kChunk, std::max(1, threads), [&](std::size_t chunk) {
        const std::size_t end = std::min(m_bonds.size(), (chunk + 1) * kChunk);
        for (std::size_t k = chunk * kChunk; k < end; ++k) {
            MarketBond& b = m_bonds[k];
            if (!b.Solved())
                continue;
            b.modelPrice = values.ModelPrice(b.book);
            const auto spread = values.Spread(b.book, static_cast<double>(b.price));
            b.spread = spread ? *spread : MarketBond::kNone;
        }
    });
    double sum = 0;
    for (const MarketBond& b : m_bonds)
        if (b.Fitted()) {
            const double p = static_cast<double>(b.price);
            const double term = (b.modelPrice - p) / (p * b.duration);
            sum += term * term;
        }
    m_rmseBp = 10000 * std::sqrt(sum / static_cast<double>(fitted.size()));
    m_hasCurve = true;
    return FitOutcome::Fitted;
}

} // namespace tenvix::curve
