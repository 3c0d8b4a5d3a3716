// tenvix-cli's export, analyse and suggest over a million generated Type I
// bonds, on one thread and on two, and the parts their time goes to: checking
// the file, reading the records, the analysis alone, and writing the rows.
// Output goes to /dev/null; reading the file from disk is left to the
// whole-process runs of scripts/cli_bench.sh.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/parallel.h"
#include "examples/generated.h"
#include "model/analyse.h"
#include "model/bondfile.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

using namespace tenvix;
using namespace tenvix::cli;

constexpr std::size_t kBonds = 1'000'000;

const DatabaseFile& Database()
{
    static const DatabaseFile db = [] {
        DatabaseFile file;
        file.bytes = GenerateDatabase(kBonds, 1, GeneratedMix::TypeI);
        file.index = *IndexBondDatabase(file.Bytes(), kUnitRecords);
        return file;
    }();
    return db;
}

class DevNull {
public:
    DevNull() : m_fd(::open("/dev/null", O_WRONLY | O_CLOEXEC)) {}
    ~DevNull() { ::close(m_fd); }
    int fd() const { return m_fd; }

private:
    int m_fd;
};

void Report(benchmark::State& state)
{
    state.counters["bonds"] = static_cast<double>(kBonds);
    state.counters["ns_per_bond"] = benchmark::Counter(
        static_cast<double>(kBonds), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The check every command makes before its first row: the whole file read
// record by record, keeping only where the units start.
void BM_CheckFile(benchmark::State& state)
{
    const DatabaseFile& db = Database();
    for (auto _ : state)
        benchmark::DoNotOptimize(IndexBondDatabase(db.Bytes(), kUnitRecords));
    Report(state);
}
BENCHMARK(BM_CheckFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// Reading every record into the reused ones, nothing else.
void BM_ReadRecords(benchmark::State& state)
{
    const DatabaseFile& db = Database();
    for (auto _ : state) {
        BondRecordReader records(db.Bytes(), db.index.unitStarts[0]);
        for (std::size_t k = 0; k < db.index.count; ++k)
            benchmark::DoNotOptimize(records.Next().m_fPrice);
    }
    Report(state);
}
BENCHMARK(BM_ReadRecords)->Unit(benchmark::kMillisecond)->UseRealTime();

// The analysis alone, records read but no text made: what analyse costs
// beyond its output.
void BM_Engine(benchmark::State& state)
{
    const DatabaseFile& db = Database();
    const int threads = static_cast<int>(state.range(0));
    for (auto _ : state) {
        RunInOrder<double>(
            db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
            [&](std::size_t unit, double& sum) {
                sum = 0;
                BondRecordReader records(db.Bytes(), db.index.unitStarts[unit]);
                for (std::size_t k = db.index.UnitSize(unit); k > 0; --k) {
                    CBond& bond = records.Next();
                    const RecordAnalysis r =
                        AnalyseRecord(bond, kGeneratedStand, kGeneratedHorizon, static_cast<double>(bond.m_fPrice),
                                      SystemClock(), Needs::YieldAndDuration);
                    sum += r.ytm + r.duration + r.squareM;
                }
            },
            [](std::size_t, double& sum) { benchmark::DoNotOptimize(sum); });
    }
    Report(state);
}
BENCHMARK(BM_Engine)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

// A command's whole work on the database, its output written to /dev/null.
template <class Command>
void TimeCommand(benchmark::State& state, Command command)
{
    const DatabaseFile& db = Database();
    const DevNull null;
    for (auto _ : state) {
        Output out(null.fd());
        command(db, out, static_cast<int>(state.range(0)));
        if (!out.Finish())
            state.SkipWithError("write failed");
    }
    Report(state);
}

void BM_Export(benchmark::State& state)
{
    TimeCommand(state, [](const DatabaseFile& db, Output& out, int threads) { ExportDatabase(db, out, threads); });
}
BENCHMARK(BM_Export)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Analyse(benchmark::State& state)
{
    TimeCommand(state, [](const DatabaseFile& db, Output& out, int threads) {
        AnalyseDatabase(db, kGeneratedStand, kGeneratedHorizon, out, threads);
    });
}
BENCHMARK(BM_Analyse)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Suggest(benchmark::State& state)
{
    TimeCommand(state, [](const DatabaseFile& db, Output& out, int threads) {
        SuggestFromDatabase(db, kGeneratedStand, kGeneratedHorizon, 0, out, threads);
    });
}
BENCHMARK(BM_Suggest)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
