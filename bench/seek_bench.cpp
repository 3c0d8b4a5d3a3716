// The seek and the matching of the price update over a database of a million
// bonds. The seeks that matter are those that find little: they walk the whole
// list. Each must stay well under 0.2 s.

#include "model/priceupdate.h"
#include "model/seek.h"

#include <benchmark/benchmark.h>

#include <random>

using namespace tenvix;

namespace {

constexpr int kBonds = 1'000'000;
constexpr std::int32_t kStandDay = 46000;

// Identifiers in mixed case from a few dozen prefixes, so that the sort meets
// long common stems; names with an accented first letter on every tenth bond,
// so that the seek by name also takes its slow path.
CBondList& Database()
{
    static CBondList list = [] {
        CBondList bonds;
        std::mt19937 rng(2024);
        const char alnum[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
        const char* const prefixes[] = {"XS", "DE000", "us912", "FR00", "GB00B", "CH0", "AT0000A", "NL00"};
        const char* const issuers[] = {"Government", "Treasury", "Utility", "Industrial", "Municipal",
                                       "Bank",       "Railway",  "Energy",  "Telecom",    "Insurance"};
        std::uniform_int_distribution<int> pick(0, 61);
        for (int k = 0; k < kBonds; ++k) {
            auto bond = std::make_unique<CBondStd>(0);
            std::string id = prefixes[k % 8];
            while (id.size() < 12)
                id += alnum[pick(rng)];
            bond->m_strID = std::move(id);
            bond->m_strName = (k % 10 == 3 ? std::string("Émetteur ") : std::string(issuers[k % 10]) + " ") +
                              std::to_string(k % 97) + "." + std::to_string(k % 100) + "% " +
                              std::to_string(2000 + k % 60);
            // About four bonds in five are still alive on the stand day.
            bond->m_nMaturity = kStandDay - 20000 + static_cast<std::int32_t>((k * 7919LL) % 100000);
            bonds.m_list.push_back(std::move(bond));
        }
        return bonds;
    }();
    return list;
}

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
