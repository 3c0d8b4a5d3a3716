// Funding a schedule of 30 yearly liabilities from 10,000 and 1,000,000
// generated Type I bonds, as tenvix-cli fund runs it on a file already read,
// with --max-rows 200 so that the row limit does not bind: the screen (every
// bond's row analysed and valued, on one thread or two) and the search, and
// the search alone on a screen made once. The counter gap_pct is the gap the
// command prints. The whole processes are timed by scripts/cli_bench.sh.

#include "bench/generatedfile.h"
#include "cli/commands.h"
#include "cli/common.h"
#include "examples/generated.h"
#include "model/date.h"
#include "portfolio/core/fund.h"

#include <benchmark/benchmark.h>


namespace {

using namespace tenvix;
using namespace tenvix::cli;

// A million owed on the stand date's day of each of the next 30 years.
std::vector<Liability> Schedule()
{
    const CivilDate stand = Civil(kGeneratedStand);
    std::vector<Liability> s;
    for (int k = 1; k <= 30; ++k)
        s.push_back({DaySerial(*MakeDate(stand.year + k, stand.month, stand.day)), 1e6});
    return s;
}

FundLimits Limits()
{
    FundLimits l;
    l.maxRows = kFundMaxRows;
    return l;
}

void Report(benchmark::State& state, const FundResult& r)
{
    state.counters["rows"] = static_cast<double>(r.rows.size());
    state.counters["cost"] = r.cost;
    state.counters["gap_pct"] = r.GapPercent();
}

// Arguments: bonds, threads.
void BM_Fund(benchmark::State& state)
{
    const DatabaseFile& db = bench::GeneratedDatabaseFile(static_cast<std::size_t>(state.range(0)));
    const std::vector<Liability> schedule = Schedule();
    FundResult r;
    for (auto _ : state)
        r = FundDatabase(db, schedule, kGeneratedStand, Limits(), {}, static_cast<int>(state.range(1)));
    Report(state, r);
}
BENCHMARK(BM_Fund)
    ->Args({10'000, 1})
    ->Args({10'000, 2})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The search alone: the relaxation by column generation, the whole units.
void BM_FundSearch(benchmark::State& state)
{
    const DatabaseFile& db = bench::GeneratedDatabaseFile(static_cast<std::size_t>(state.range(0)));
    const std::vector<Liability> schedule = Schedule();
    const double horizon = static_cast<double>(schedule.back().day);
    const FundingGrid grid(schedule, kGeneratedStand, 0.0);
    FundScreen screen(std::nullopt, {});
    BondRecordReader records(db.Bytes(), db.index.unitStarts[0]);
    std::vector<PaymentColumn::Flow> flows;
    for (std::size_t k = 0; k < db.index.count; ++k) {
        const std::size_t offset = records.Offset();
        CBond& bond = records.Next();
        const RowFigures row = AnalyseRow(bond, kGeneratedStand, horizon, SystemClock());
        FundingColumn funding;
        if (row.status == RowStatus::Ready) {
            flows.clear();
            AppendPayments(bond, flows);
            funding = FundingOf(flows, grid);
        }
        screen.Offer(bond.m_strID, bond.m_fPrice, row, funding, offset);
    }
    screen.Finish();
    const FundFetch fetch = [&](std::size_t offset) { return CopyOfBond(BondRecordReader(db.Bytes(), offset).Next()); };
    FundResult r;
    for (auto _ : state)
        r = Fund(screen, grid, Limits(), {}, kGeneratedStand, horizon, fetch);
    Report(state, r);
    state.counters["candidates"] = static_cast<double>(screen.Candidates().size());
}
BENCHMARK(BM_FundSearch)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
