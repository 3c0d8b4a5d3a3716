// The yield curve over generated markets (nine in ten coupon bonds of up to 40
// years, one in ten zeros) of ten thousand and a million bonds, on one thread
// and on two: the analysis of every bond with its payments gathered, the fit
// (search, polish, every bond's spread), and the two together, which is
// `tenvix-cli curve` without reading the file and writing the rows. The
// whole-process runs of scripts/curve_bench.sh add those.

#include "curve/market.h"
#include "examples/generated.h"
#include "model/bondfile.h"
#include "model/clock.h"

#include <benchmark/benchmark.h>

#include <map>

namespace {

using namespace tenvix;

struct Database {
    std::string bytes;
    BondFileIndex index;
    std::span<const std::byte> Bytes() const { return std::as_bytes(std::span(bytes.data(), bytes.size())); }
};

const Database& Market(std::size_t count)
{
    static std::map<std::size_t, Database> made;
    auto [it, added] = made.try_emplace(count);
    if (added) {
        it->second.bytes = GenerateDatabase(count, 1, GeneratedMix::Market);
        it->second.index = *IndexBondDatabase(it->second.Bytes(), 1024);
    }
    return it->second;
}

curve::MarketOptions Options(int threads)
{
    const double stand = kGeneratedStand;
    return {stand, stand, &SystemClock(), threads};
}

void Report(benchmark::State& state, std::size_t bonds)
{
    state.counters["bonds"] = static_cast<double>(bonds);
}

void BM_CurveAnalyse(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    const Database& db = Market(count);
    for (auto _ : state) {
        curve::Market market;
        market.Analyse(db.Bytes(), db.index, Options(threads), nullptr);
        benchmark::DoNotOptimize(market.Bonds().data());
    }
    Report(state, count);
}

void BM_CurveFit(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    const Database& db = Market(count);
    curve::Market market;
    market.Analyse(db.Bytes(), db.index, Options(threads), nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(market.Fit(threads, nullptr));
    Report(state, count);
}

void BM_CurveWhole(benchmark::State& state)
{
    const auto count = static_cast<std::size_t>(state.range(0));
    const int threads = static_cast<int>(state.range(1));
    const Database& db = Market(count);
    for (auto _ : state) {
        curve::Market market;
        market.Analyse(db.Bytes(), db.index, Options(threads), nullptr);
        benchmark::DoNotOptimize(market.Fit(threads, nullptr));
    }
    Report(state, count);
}

void Sizes(benchmark::internal::Benchmark* b)
{
    for (std::int64_t count : {10'000, 1'000'000})
        for (std::int64_t threads : {1, 2})
            b->Args({count, threads});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

BENCHMARK(BM_CurveAnalyse)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_CurveFit)->Apply(Sizes)->Iterations(3);
BENCHMARK(BM_CurveWhole)->Apply(Sizes)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
