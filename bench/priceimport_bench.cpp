// Importing a bank file of a million prices into a database of a million
// bonds: the index over the identifiers, reading the file and judging every
// row. The whole import up to the preview should take about a second.

#include "bench/millionbonds.h"
#include "model/format.h"
#include "model/priceverdicts.h"
#include "model/text.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <random>

using namespace tenvix;

namespace {

constexpr int kRows = 1'000'000;
using bench::kStandDay;

CBondList& Database() { return bench::MillionBonds(); }

// A German bank's download: a heading, semicolons, decimal commas, quoted
// names, Windows line ends; the bonds in another order than the database's,
// one row in fifty an identifier the database lacks, some in lower case.
const std::string& File()
{
    static const std::string text = [] {
        std::vector<const CBond*> bonds;
        for (const auto& bond : Database().m_list)
            bonds.push_back(bond.get());
        std::mt19937 rng(7);
        std::shuffle(bonds.begin(), bonds.end(), rng);
        std::string out = "\"ISIN\";\"Bezeichnung\";\"Kurs\";\"W\xc3\xa4hrung\"\r\n";
        for (int k = 0; k < kRows; ++k) {
            const CBond& bond = *bonds[static_cast<std::size_t>(k) % bonds.size()];
            std::string id = k % 50 == 0 ? "ZZ" + std::to_string(k) : bond.m_strID;
            if (k % 7 == 0)
                std::transform(id.begin(), id.end(), id.begin(), FoldAscii);
            std::string price = FormatFixed(static_cast<double>(bond.m_fPrice) + (k % 5) * 0.125, 3);
            std::replace(price.begin(), price.end(), '.', ',');
            out += id + ";\"" + bond.m_strName + "\";" + price + ";EUR\r\n";
        }
        return out;
    }();
    return text;
}

void BuildIndex(benchmark::State& state)
{
    for (auto _ : state) {
        const BondIdIndex index(Database().m_list);
        benchmark::DoNotOptimize(index.Size());
    }
}

void ReadFile(benchmark::State& state)
{
    const BondIdIndex index(Database().m_list);
    std::size_t rows = 0;
    for (auto _ : state) {
        const PriceFile file = ReadPriceFile(File(), index);
        rows = file.rows.size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = static_cast<double>(rows);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * File().size()));
}

void JudgeRows(benchmark::State& state)
{
    const BondIdIndex index(Database().m_list);
    const PriceFile file = ReadPriceFile(File(), index);
    std::size_t updates = 0;
    for (auto _ : state) {
        const std::vector<PriceVerdict> verdicts = JudgePrices(file, index, kStandDay);
        updates = static_cast<std::size_t>(std::count_if(verdicts.begin(), verdicts.end(), [](const PriceVerdict& v) {
            return v.kind == PriceVerdictKind::Update;
        }));
    }
    state.counters["updates"] = static_cast<double>(updates);
}

// What the user waits for between choosing the file and seeing the preview.
void WholeImport(benchmark::State& state)
{
    File();
    std::size_t verdictCount = 0;
    for (auto _ : state) {
        const BondIdIndex index(Database().m_list);
        const PriceFile file = ReadPriceFile(File(), index);
        const std::vector<PriceVerdict> verdicts = JudgePrices(file, index, kStandDay);
        verdictCount = verdicts.size();
        benchmark::DoNotOptimize(verdictCount);
    }
    state.counters["rows"] = static_cast<double>(verdictCount);
}

// Hostile texts are refused in time linear in their size, without holding
// more than the text itself: a 200 MB line, ten million columns, 200 MB of
// binary junk whose only zero byte comes last.
void Refuse(benchmark::State& state, const std::string& text, PriceFileError expected)
{
    CBondList none;
    const BondIdIndex index(none.m_list);
    for (auto _ : state) {
        const PriceFile file = ReadPriceFile(text, index);
        if (file.error != expected)
            state.SkipWithError("not refused as expected");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

void RefuseLongLine(benchmark::State& state)
{
    static const std::string text = "DE1;1\n" + std::string(200u << 20, 'x');
    Refuse(state, text, PriceFileError::LineTooLong);
}

void RefuseColumns(benchmark::State& state)
{
    static const std::string text = "DE1;1\n" + std::string(10'000'000, ';');
    Refuse(state, text, PriceFileError::TooManyColumns);
}

void RefuseBinary(benchmark::State& state)
{
    static const std::string text = [] {
        std::string junk(200u << 20, '\x01');
        std::mt19937_64 rng(1);
        for (std::size_t k = 0; k + 8 <= junk.size(); k += 8) {
            std::uint64_t word = rng() | 0x0101010101010101ULL; // no zero byte
            std::memcpy(junk.data() + k, &word, 8);
        }
        junk.back() = '\0';
        return junk;
    }();
    Refuse(state, text, PriceFileError::NotText);
}

} // namespace

BENCHMARK(RefuseLongLine)->Unit(benchmark::kMillisecond);
BENCHMARK(RefuseColumns)->Unit(benchmark::kMillisecond);
BENCHMARK(RefuseBinary)->Unit(benchmark::kMillisecond);
BENCHMARK(BuildIndex)->Unit(benchmark::kMillisecond);
BENCHMARK(ReadFile)->Unit(benchmark::kMillisecond);
BENCHMARK(JudgeRows)->Unit(benchmark::kMillisecond);
BENCHMARK(WholeImport)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
