// The immunization search over 10,000 and 1,000,000 generated Type I bonds,
// as tenvix-cli immunize runs it on a file already read: the screen (every
// bond's row analysed, on one thread or two) and the search, and the search
// alone on a screen made once. The whole processes are timed by
// scripts/cli_bench.sh.

#include "bench/generatedfile.h"
#include "cli/commands.h"
#include "cli/common.h"
#include "examples/generated.h"
#include "model/date.h"
#include "portfolio/core/immunize.h"

#include <benchmark/benchmark.h>


namespace {

using namespace tenvix;
using namespace tenvix::cli;

ImmunizeLimits Limits()
{
    ImmunizeLimits l;
    l.amount = 1e7;
    return l;
}

void Report(benchmark::State& state, const ImmunizeResult& r)
{
    state.counters["rows"] = static_cast<double>(r.rows.size());
    state.counters["square_m"] = r.figures.squareM;
    state.counters["above_bound_pct"] = r.bound > 0 ? 100 * (r.figures.squareM / r.bound - 1) : 0;
}

// Arguments: bonds, threads.
void BM_Immunize(benchmark::State& state)
{
    const DatabaseFile& db = bench::GeneratedDatabaseFile(static_cast<std::size_t>(state.range(0)));
    ImmunizeResult r;
    for (auto _ : state) {
        r = ImmunizeDatabase(db, Limits(), kGeneratedStand, kGeneratedHorizon, static_cast<int>(state.range(1)));
        if (r.failure != ImmunizeFailure::None)
            state.SkipWithError("no portfolio");
    }
    Report(state, r);
}
BENCHMARK(BM_Immunize)
    ->Args({10'000, 1})
    ->Args({10'000, 2})
    ->Args({1'000'000, 1})
    ->Args({1'000'000, 2})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// The search alone: the candidates narrowed, fetched, and the programs solved.
void BM_ImmunizeSearch(benchmark::State& state)
{
    const DatabaseFile& db = bench::GeneratedDatabaseFile(static_cast<std::size_t>(state.range(0)));
    ImmunizeScreen screen(Limits());
    BondRecordReader records(db.Bytes(), db.index.unitStarts[0]);
    for (std::size_t k = 0; k < db.index.count; ++k) {
        const std::size_t offset = records.Offset();
        CBond& bond = records.Next();
        screen.Offer(bond.m_strID, bond.m_fPrice, AnalyseRow(bond, kGeneratedStand, kGeneratedHorizon, SystemClock()),
                     offset);
    }
    screen.Finish();
    const ImmunizeFetch fetch = [&](std::size_t offset) { return CopyOfBond(BondRecordReader(db.Bytes(), offset).Next()); };
    ImmunizeResult r;
    for (auto _ : state)
        r = Immunize(screen, Limits(), kGeneratedStand, kGeneratedHorizon, fetch, SystemClock());
    Report(state, r);
    state.counters["candidates"] = static_cast<double>(screen.Candidates().size());
}
BENCHMARK(BM_ImmunizeSearch)->Arg(10'000)->Arg(1'000'000)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
