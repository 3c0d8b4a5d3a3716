#include "model/priceverdicts.h"

#include "model/priceupdate.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace tenvix {
namespace {

// Rows between two reports of progress.
constexpr std::size_t kProgressStep = 65536;

} // namespace

std::vector<PriceVerdict> JudgePrices(const PriceFile& file, const BondIdIndex& index, std::int32_t standDay,
                                      double largeChangePercent, const ImportProgress& progress, PriceQuotes quotes)
{
    const bool clean = quotes == PriceQuotes::Clean;
    const std::size_t n = file.rows.size();
    const bool commaSeparated = file.separator == ',';
    std::vector<PriceVerdict> verdicts(n);
    // Three passes: each row on its own; then per bond the rows that would
    // give it a price; then the rows again. Every pass reaches into memory
    // far apart (the index, the bonds, the per-bond table) and asks for it
    // rows ahead, so that the memory fetches many at once.
    constexpr std::size_t kAhead = 16;
    auto cancelled = [&](std::size_t pass, std::size_t i) {
        return progress && i > 0 && i % kProgressStep == 0 && !progress(pass * n + i, 3 * n);
    };

    std::vector<std::uint64_t> hashes(n);
    for (std::size_t i = 0; i < n; ++i)
        hashes[i] = BondIdIndex::HashOf(file.rows[i].id);
    // The bond's position for a row that would give it a price, else kNone.
    constexpr std::uint32_t kNone = std::numeric_limits<std::uint32_t>::max();
    std::vector<std::uint32_t> positionOf(n, kNone);
    std::vector<float> stored(n);
    bool anyTaken = false;
    for (std::size_t i = 0; i < n; ++i) {
        if (cancelled(0, i))
            return {};
        if (i + kAhead < n)
            index.PrefetchSlot(hashes[i + kAhead]);
        if (i + kAhead / 2 < n)
            index.PrefetchBond(hashes[i + kAhead / 2]);
        const PriceRow& row = file.rows[i];
        PriceVerdict& v = verdicts[i];
        v.clean = clean;
        if (row.id.empty()) {
            v.refusal = PriceRefusal::NoId;
            continue;
        }
        const PriceReading reading = ReadImportedPrice(row.price, commaSeparated, file.decimalMark);
        v.newPrice = reading.value;
        v.quote = clean ? reading.value : 0.0;
        if (reading.refusal != PriceRefusal::None) {
            v.refusal = reading.refusal;
            continue;
        }
        const IdMatch match = index.Match(row.id, hashes[i]);
        v.matches = match.Count();
        if (v.matches == 0) {
            v.kind = PriceVerdictKind::Unknown;
            continue;
        }
        if (v.matches > 1) {
            v.refusal = PriceRefusal::SeveralBonds;
            continue;
        }
        v.bond = match.Bond();
        v.oldPrice = static_cast<double>(v.bond->m_fPrice);
        if (clean) {
            if (v.bond->GetType() != BOND_TYPE_STD) {
                v.refusal = PriceRefusal::NotTypeI;
                continue;
            }
            const QuotedPrice quoted = PriceOfCleanQuote(*v.bond, reading.value, standDay);
            v.accrued = quoted.accrued;
            v.newPrice = quoted.price;
            v.priced = true;
        }
        if (v.bond->m_nMaturity <= standDay) {
            v.kind = PriceVerdictKind::NotAlive;
            continue;
        }
        // A quote in range can still make a price that is not: a face value
        // of nothing, or of a billion billions.
        if (clean && !(v.newPrice >= kMinNewPrice && v.newPrice <= kMaxNewPrice)) {
            v.refusal = PriceRefusal::OutOfRange;
            continue;
        }
        // Taken, unless another row gives the bond another price.
        v.kind = PriceVerdictKind::Update;
        positionOf[i] = static_cast<std::uint32_t>(match.Position());
        stored[i] = static_cast<float>(v.newPrice);
        anyTaken = true;
    }
    hashes = {};
    if (!anyTaken)
        return verdicts;

    // Per bond: its first row, that row's price, and the first row with
    // another price.
    struct PerBond {
        std::uint32_t first = kNone;
        float firstPrice = 0.0f;
        std::uint32_t other = kNone;
    };
    std::vector<PerBond> perBond(index.Size());
    auto prefetchBondOf = [&](std::size_t i) {
        if (i < n && positionOf[i] != kNone) {
#if defined(__GNUC__)
            __builtin_prefetch(&perBond[positionOf[i]]);
#endif
        }
    };
    for (std::size_t i = 0; i < n; ++i) {
        if (cancelled(1, i))
            return {};
        prefetchBondOf(i + kAhead);
        if (positionOf[i] == kNone)
            continue;
        PerBond& b = perBond[positionOf[i]];
        if (b.first == kNone) {
            b.first = static_cast<std::uint32_t>(i);
            b.firstPrice = stored[i];
        } else if (b.other == kNone && stored[i] != b.firstPrice) {
            b.other = static_cast<std::uint32_t>(i);
        }
    }

    // A bond given different prices takes none of them; each of its rows
    // names the first row with a price other than its own.
    for (std::size_t i = 0; i < n; ++i) {
        if (cancelled(2, i))
            return {};
        prefetchBondOf(i + kAhead);
        if (positionOf[i] == kNone)
            continue;
        PriceVerdict& v = verdicts[i];
        const PerBond& b = perBond[positionOf[i]];
        if (b.other != kNone) {
            const std::uint32_t against = stored[i] != b.firstPrice ? b.first : b.other;
            v.kind = PriceVerdictKind::Refused;
            v.refusal = file.rows[i].id == file.rows[against].id ? PriceRefusal::SameIdOtherPrice
                                                                 : PriceRefusal::SameBondOtherPrice;
            v.otherLine = file.rows[against].line;
            continue;
        }
        const auto old = static_cast<float>(v.oldPrice);
        if (stored[i] == old) {
            v.kind = PriceVerdictKind::Unchanged;
            continue;
        }
        v.changePercent = old == 0.0f ? std::numeric_limits<double>::infinity()
                                      : (static_cast<double>(stored[i]) - v.oldPrice) / v.oldPrice * 100.0;
        v.largeChange = IsLargeChange(v.changePercent, largeChangePercent);
    }
    return verdicts;
}

bool IsLargeChange(double changePercent, double threshold) { return !(std::fabs(changePercent) <= threshold); }

std::size_t MarkLargeChanges(std::span<PriceVerdict> verdicts, double threshold)
{
    std::size_t large = 0;
    for (PriceVerdict& v : verdicts) {
        v.largeChange = v.kind == PriceVerdictKind::Update && IsLargeChange(v.changePercent, threshold);
        large += v.largeChange ? 1 : 0;
    }
    return large;
}

VerdictFigures FiguresOf(const PriceVerdict& verdict)
{
    VerdictFigures figures;
    figures.oldPrice = verdict.bond != nullptr;
    switch (verdict.refusal) {
    case PriceRefusal::NotTypeI:
    case PriceRefusal::None:
    case PriceRefusal::OutOfRange:
    case PriceRefusal::SeveralBonds:
    case PriceRefusal::SameIdOtherPrice:
    case PriceRefusal::SameBondOtherPrice:
        figures.newPrice = true;
        break;
    case PriceRefusal::NoId:
    case PriceRefusal::NoPrice:
    case PriceRefusal::NotANumber:
    case PriceRefusal::ThousandsSeparator:
    case PriceRefusal::Ambiguous:
        break;
    }
    figures.change = verdict.kind == PriceVerdictKind::Update || verdict.kind == PriceVerdictKind::Unchanged;
    if (verdict.clean) {
        // An out-of-range quote was read, but never made a price.
        figures.quote = figures.newPrice;
        figures.newPrice = figures.accrued = verdict.priced;
    }
    return figures;
}

std::size_t ApplyPrices(std::span<const PriceVerdict> verdicts, LargeChanges large)
{
    std::size_t changed = 0;
    for (const PriceVerdict& v : verdicts) {
        if (v.kind != PriceVerdictKind::Update || !v.bond || (v.largeChange && large == LargeChanges::Skip))
            continue;
        const auto price = static_cast<float>(v.newPrice);
        if (!(v.bond->m_fPrice == price)) {
            v.bond->m_fPrice = price;
            ++changed;
        }
    }
    return changed;
}

} // namespace tenvix
