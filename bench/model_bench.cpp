// The core's speed: one bond analysed end to end, a database of a million
// records loaded and saved, and a case-insensitive prefix scan over it.

#include "examples/generated.h"
#include "model/analyse.h"
#include "model/bondfile.h"
#include "model/date.h"
#include "model/explain.h"
#include "model/solver.h"
#include "model/text.h"

#include <benchmark/benchmark.h>
#include <malloc.h>

#include <string>

using namespace tenvix;

namespace {

double D(int y, int m, int d) { return *MakeDate(y, m, d); }

const double kStand = D(2026, 12, 6);
const double kHorizon = D(2031, 12, 6);

// How many times the search evaluates the bond's price gap, its brackets
// included: fixed by the search's steps, so the same before and after any
// change to the arithmetic of one evaluation.
int GapEvaluations(CBond& bond)
{
    bond.SetDates(kStand, kHorizon);
    bond.Prepare();
    int evaluations = 0;
    try {
        SolveYield(
            kRecordSolver,
            [&](double y) {
                ++evaluations;
                return bond.PriceGap(y);
            },
            [](double, double) { return false; });
    } catch (const NoYieldFound&) {
    }
    return evaluations;
}

void Analyse(CBond& bond, double price, benchmark::State& state)
{
    bond.SetDates(kStand, kHorizon);
    bond.Prepare();
    if (bond.Validate() != BOND_OK) {
        state.SkipWithError("bond does not validate");
        return;
    }
    const double y = bond.GetYTM(SystemClock());
    double d = 0, m2 = 0;
    bond.GetDurationM2(y, price, d, m2);
    benchmark::DoNotOptimize(y);
    benchmark::DoNotOptimize(d);
    benchmark::DoNotOptimize(m2);
}

// A ten-year semi-annual government bond, bought between coupon dates.
void BM_AnalyseTypeI(benchmark::State& state)
{
    CBondStd bond(0);
    bond.SetData(6, 2.125f, 100, 98.40f, D(2026, 8, 15), D(2036, 8, 15), "TSY-2036", "");
    for (auto _ : state)
        Analyse(bond, 98.40, state);
    state.counters["gap_evaluations"] = GapEvaluations(bond);
}
BENCHMARK(BM_AnalyseTypeI);

// Forty quarterly payments of an amortising loan.
void BM_AnalyseTypeII(benchmark::State& state)
{
    CBondFree bond(0);
    bond.m_nRelease = DaySerial(D(2026, 1, 15));
    for (int k = 0; k < 40; ++k) {
        const int month = 1 + 3 * (k % 4);
        const double date = D(2027 + k / 4, month, 15);
        bond.m_cashflows.push_back({DaySerial(date), 3.0f + (k == 39 ? 60.0f : 0.0f)});
        bond.m_nMaturity = DaySerial(date);
    }
    bond.m_fPrice = 150.0f;
    for (auto _ : state)
        Analyse(bond, 150.0, state);
    state.counters["gap_evaluations"] = GapEvaluations(bond);
}
BENCHMARK(BM_AnalyseTypeII);

// Every bond of a generated database analysed in turn (the ordinary Type I
// one, and the one whose every other bond is a loan of forty quarterly
// payments), with the search's gap evaluations a bond, counted apart.
void BM_AnalyseGenerated(benchmark::State& state)
{
    const auto mix = state.range(0) == 0 ? GeneratedMix::TypeI : GeneratedMix::Mixed;
    const std::string bytes = GenerateDatabase(100'000, 1, mix);
    CBondList list;
    if (!LoadBondDatabase(std::as_bytes(std::span(bytes.data(), bytes.size())), list)) {
        state.SkipWithError("load failed");
        return;
    }
    for (auto _ : state) {
        double sum = 0;
        for (const auto& bond : list.m_list) {
            const RecordAnalysis r = AnalyseRecord(*bond, kStand, kHorizon, static_cast<double>(bond->m_fPrice),
                                                   SystemClock(), Needs::YieldAndDuration);
            sum += r.ytm + r.duration + r.squareM;
        }
        benchmark::DoNotOptimize(sum);
    }
    double evaluations = 0, searched = 0;
    for (const auto& bond : list.m_list) {
        bond->SetDates(kStand, kHorizon);
        bond->Prepare();
        if (bond->Validate() != BOND_OK)
            continue;
        evaluations += GapEvaluations(*bond);
        ++searched;
    }
    state.counters["ns_per_bond"] =
        benchmark::Counter(static_cast<double>(list.m_list.size()),
                           benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["gap_evaluations_per_bond"] = evaluations / searched;
}
BENCHMARK(BM_AnalyseGenerated)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

// A thirty-year semi-annual bond analysed and explained payment by payment,
// then written as CSV: what the payment table costs on top of the analysis.
void BM_ExplainTypeI30y(benchmark::State& state)
{
    CBondStd bond(0);
    bond.SetData(6, 2.375f, 100, 96.10f, D(2025, 11, 15), D(2056, 11, 15), "TSY-2056", "");
    std::size_t rows = 0;
    for (auto _ : state) {
        const BondExplanation x = AnalyseAndExplain(bond, kStand, kHorizon, 96.10, SystemClock());
        if (x.status != ExplainStatus::Ok)
            state.SkipWithError("no explanation");
        const std::string csv = ExplanationCsv(x.explanation);
        rows = x.explanation.payments.size();
        benchmark::DoNotOptimize(csv.data());
    }
    state.counters["rows"] = static_cast<double>(rows);
}
BENCHMARK(BM_ExplainTypeI30y)->Unit(benchmark::kMicrosecond);

constexpr int kRecords = 1'000'000;

CBondList MillionBonds()
{
    CBondList list;
    for (int k = 0; k < kRecords; ++k) {
        auto bond = std::make_unique<CBondStd>(0);
        const std::string id = "ID" + std::to_string(k);
        bond->SetData(k % 3 == 0 ? 6 : 12, 4.5f, 100, 99.0f, 40000 + k % 1000, 45000 + k % 5000, id,
                      "Bond " + std::to_string(k));
        list.m_list.push_back(std::move(bond));
    }
    return list;
}

// A million Type I bonds like those of a real database: identifiers of eight
// characters, names of sixteen to eighteen, which the strings keep on the heap.
const std::string& MillionBytes()
{
    static const std::string bytes = GenerateDatabase(kRecords, 1, GeneratedMix::TypeI);
    return bytes;
}

// Every byte the heap has handed out, its headers included: the arena's and
// the blocks it maps of their own (which uordblks alone would miss).
std::size_t HeapBytesInUse()
{
    const struct mallinfo2 m = mallinfo2();
    return m.uordblks + m.hblkhd;
}

void BM_Load1M(benchmark::State& state)
{
    const std::string& bytes = MillionBytes();
    double perRecord = 0;
    for (auto _ : state) {
        const std::size_t before = HeapBytesInUse();
        CBondList list;
        if (!LoadBondDatabase(std::as_bytes(std::span(bytes.data(), bytes.size())), list))
            state.SkipWithError("load failed");
        perRecord = static_cast<double>(HeapBytesInUse() - before) / kRecords;
        state.PauseTiming();
        list.RemoveAllBonds();
        state.ResumeTiming();
    }
    state.counters["bytes_per_record"] = perRecord;
}
BENCHMARK(BM_Load1M)->Unit(benchmark::kMillisecond);

void BM_Save1M(benchmark::State& state)
{
    const CBondList list = MillionBonds();
    for (auto _ : state) {
        std::string bytes = StoreBondDatabase(list);
        benchmark::DoNotOptimize(bytes.data());
    }
}
BENCHMARK(BM_Save1M)->Unit(benchmark::kMillisecond);

void BM_PrefixScan1M(benchmark::State& state)
{
    const CBondList list = MillionBonds();
    const std::string prefix = FoldCase("id9999");
    std::size_t matches = 0;
    for (auto _ : state) {
        matches = 0;
        for (const auto& bond : list.m_list)
            matches += StartsWithFolded(bond->m_strID, prefix);
        benchmark::DoNotOptimize(matches);
    }
    state.counters["matches"] = static_cast<double>(matches);
}
BENCHMARK(BM_PrefixScan1M)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
