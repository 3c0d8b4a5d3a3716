// The seek and the matching of the price update over a database of a million
// bonds. The seeks that matter are those that find little: they walk the whole
// list. Each must stay well under 0.2 s.

#include "bench/millionbonds.h"
#include "model/priceupdate.h"
#include "model/seek.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace tenvix;

namespace {

using bench::kStandDay;

CBondList& Database() { return bench::MillionBonds(); }

void Seek(benchmark::State& state, SeekBy by, const char* text)
{
    CBondList& bonds = Database();
    SeekResults results;
    std::size_t found = 0;
    for (auto _ : state) {
        found = SeekBonds(bonds, by, text, results);
        benchmark::DoNotOptimize(found);
    }
    state.counters["found"] = static_cast<double>(found);
}

// Nothing matches: every bond is looked at.
void BM_SeekByIdNoMatch(benchmark::State& state) { Seek(state, SeekBy::ID, "de000zzzzzzz9"); }
void BM_SeekByNameNoMatch(benchmark::State& state) { Seek(state, SeekBy::Name, "émetteur 99"); }
// A common prefix: the walk stops at the 500th match.
void BM_SeekByIdCommonPrefix(benchmark::State& state) { Seek(state, SeekBy::ID, "xs"); }

void BM_CollectMatched(benchmark::State& state)
{
    CBondList& bonds = Database();
    std::size_t matched = 0;
    for (auto _ : state) {
        const std::vector<CBond*> found = CollectMatched(bonds.m_list, kStandDay);
        matched = found.size();
        benchmark::DoNotOptimize(found.data());
    }
    state.counters["matched"] = static_cast<double>(matched);
}

} // namespace

BENCHMARK(BM_SeekByIdNoMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekByNameNoMatch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SeekByIdCommonPrefix)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CollectMatched)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
