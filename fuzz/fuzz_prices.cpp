// Feeds arbitrary bytes to the price file reader, as a bank's download or the
// clipboard would reach it, and judges the rows against the sample database.
// Whatever the bytes, reading and judging end, every verdict stands on a row
// of the file, and applying the verdicts to a copy of the database gives
// every accepted row's bond exactly its new price; read by a decimal mark the
// user chose and applied without the large changes, no flagged bond moves.

#include "examples/sample_data.h"
#include "model/pricemessages.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tenvix;
    // A stand day inside the sample's lives, so that every verdict can occur.
    constexpr std::int32_t kStandDay = 46023; // 1 January 2026

    CBondList database = MakeSampleDatabase();
    const BondIdIndex index(database.m_list);
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // Fewer rows than the real limit, so that a run stays quick.
    const PriceFile file = ReadPriceFile(bytes, index, {}, 5000);
    if (file.error != PriceFileError::None) {
        if (!file.rows.empty() || PriceFileErrorText(file).empty())
            std::abort();
        return 0;
    }
    const std::vector<PriceVerdict> verdicts = JudgePrices(file, index, kStandDay);
    if (verdicts.size() != file.rows.size())
        std::abort();
    std::size_t updates = 0;
    for (const PriceVerdict& v : verdicts) {
        if (v.kind == PriceVerdictKind::Refused && PriceRefusalText(v).empty())
            std::abort();
        if (v.kind == PriceVerdictKind::Update) {
            ++updates;
            if (!v.bond || !std::isfinite(v.newPrice))
                std::abort();
        }
    }
    if (ApplyPrices(verdicts) > updates)
        std::abort();
    for (const PriceVerdict& v : verdicts)
        if (v.kind == PriceVerdictKind::Update && v.bond->m_fPrice != static_cast<float>(v.newPrice))
            std::abort();

    // The user's word on the decimal mark, and the large changes kept back:
    // judging still gives a verdict a row, and no flagged bond takes its price.
    PriceFile marked = file;
    marked.decimalMark = size % 2 == 0 ? DecimalMark::Point : DecimalMark::Comma;
    CBondList kept = MakeSampleDatabase();
    const BondIdIndex keptIndex(kept.m_list);
    const std::vector<PriceVerdict> onKept = JudgePrices(marked, keptIndex, kStandDay);
    if (onKept.size() != file.rows.size())
        std::abort();
    ApplyPrices(onKept, LargeChanges::Skip);
    for (const PriceVerdict& v : onKept)
        if (v.largeChange && v.bond->m_fPrice != static_cast<float>(v.oldPrice))
            std::abort();
    return 0;
}
