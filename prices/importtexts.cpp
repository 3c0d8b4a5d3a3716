#include "prices/importtexts.h"

#include "model/format.h"

namespace tenvix::prices {

const char* TextOf(ImportText text)
{
    switch (text) {
    case ImportText::Caption:
        return "Import prices";
    case ImportText::ChooseFile:
        return "Choose a file of prices, or take them from the clipboard.";
    case ImportText::Reading:
        return "Reading the prices...";
    case ImportText::ClipboardEmpty:
        return "The clipboard holds no prices .";
    case ImportText::ClipboardSource:
        return "the clipboard";
    case ImportText::LargeChange:
        return "Large change !";

    }
    return "";
}

const char* VerdictWord(PriceVerdictKind kind)
{
    switch (kind) {
    case PriceVerdictKind::Update:
        return "Update";
    case PriceVerdictKind::Unchanged:
        return "Unchanged";
    case PriceVerdictKind::Unknown:
        return "Unknown";
    case PriceVerdictKind::NotAlive:
        return "Not alive";
    case PriceVerdictKind::Refused:
        break;
    }
    return "Refused";
}

VerdictCounts CountVerdicts(std::span<const PriceVerdict> verdicts)
{
    VerdictCounts counts;
    counts.rows = verdicts.size();
    for (const PriceVerdict& v : verdicts) {
        switch (v.kind) {
        case PriceVerdictKind::Update:
            ++counts.update;
            counts.large += v.largeChange ? 1 : 0;
            break;
        case PriceVerdictKind::Unchanged:
            ++counts.unchanged;
            break;
        case PriceVerdictKind::Unknown:
            ++counts.unknown;
            break;
        case PriceVerdictKind::NotAlive:
            ++counts.notAlive;
            break;
        case PriceVerdictKind::Refused:
            ++counts.refused;
            break;
        }
    }
    return counts;
}

std::string SummaryText(const VerdictCounts& counts)
{
    const auto n = [](std::size_t count) { return FormatInteger(static_cast<std::int64_t>(count)); };
    return "Rows: " + n(counts.rows) + ". To update: " + n(counts.update) + " (large changes: " + n(counts.large) +
           "). Unchanged: " + n(counts.unchanged) + ". Unknown: " + n(counts.unknown) +
           ". Not alive: " + n(counts.notAlive) + ". Refused: " + n(counts.refused) + ".";
}

std::string PricesUpdatedText(std::size_t updated)
{
    return FormatInteger(static_cast<std::int64_t>(updated)) +
           (updated == 1 ? " price updated ." : " prices updated .");
}

std::string LargeChangesQuestion(std::size_t large, std::string_view percent)
{
    const std::string n = FormatInteger(static_cast<std::int64_t>(large));
    const std::string p(percent);
    return large == 1 ? n + " price changes by more than " + p + " % . Store it too ?"
                      : n + " prices change by more than " + p + " % . Store them too ?";
}

const char* DecimalMarkWord(DecimalMark mark)
{
    switch (mark) {
    case DecimalMark::Point:
        return "point";
    case DecimalMark::Comma:
        return "comma";
    case DecimalMark::Undecided:
        break;
    }
    return "";
}

} // namespace tenvix::prices
