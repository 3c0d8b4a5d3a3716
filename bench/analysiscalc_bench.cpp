// The Bond Analysis window's Calculate: a full grid of 200 payment rows from
// text to figures, and the longest the search can overrun its time budget,
// one batch of evaluations between two looks at the clock.

#include "model/analysiscalc.h"
#include "model/clock.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

using namespace tenvix;

namespace {

double D(int y, int m, int d) { return *MakeDate(y, m, d); }

// Day numbers as text: the benchmark measures the analysis, not a locale.
const DateParser kDayNumber = [](std::string_view s) -> std::optional<double> { return std::stod(std::string(s)); };

std::vector<GridRow> Grid(int rows, double stand)
{
    std::vector<GridRow> grid;
    for (int i = 1; i <= rows; ++i) {
        const double day = stand + 30.0 * i + (i % 7);
        grid.push_back({i == rows ? "1000" : "4.25", std::to_string(day)});
    }
    return grid;
}

void BM_CalculateGrid200(benchmark::State& state)
{
    const double stand = D(2026, 12, 6);
    const std::vector<GridRow> rows = Grid(200, stand);
    const AnalysisInput input{
        "1000.5", rows, stand, D(2031, 12, 6), state.range(0) ? YearMethod::DayCount : YearMethod::CalendarParts, true};
    for (auto _ : state) {
        const AnalysisResult r = CalculateAnalysis(input, kDayNumber, SystemClock());
        if (!r.Ok())
            state.SkipWithError("no yield");
        benchmark::DoNotOptimize(r.ytm);
    }
}
BENCHMARK(BM_CalculateGrid200)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

// Out of time from the first look: exactly one batch of evaluations over 200
// rows that never converge, which bounds how late the search gives up.
class SpentClock final : public Clock {
public:
    std::int64_t Milliseconds() const override { return m_nReads++ ? 10000 : 0; }
    double Now() const override { return 0; }
    void Reset() { m_nReads = 0; }

private:
    mutable int m_nReads = 0;
};

void BM_OneClockBatchGrid200(benchmark::State& state)
{
    const double stand = D(2000, 1, 1);
    std::vector<GridRow> rows;
    for (int i = 0; i < 200; ++i)
        rows.push_back({"1e20", std::to_string(D(9999, 1, 1) - i)});
    const AnalysisInput input{"1e-6", rows, stand, stand, YearMethod::CalendarParts, false};
    SpentClock clock;
    for (auto _ : state) {
        clock.Reset();
        const AnalysisResult r = CalculateAnalysis(input, kDayNumber, clock);
        if (!r.error || r.evaluations != kAnalysisClockCadence)
            state.SkipWithError("expected one batch, then out of time");
        benchmark::DoNotOptimize(r.evaluations);
    }
}
BENCHMARK(BM_OneClockBatchGrid200)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
