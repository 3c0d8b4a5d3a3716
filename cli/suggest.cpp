// tenvix-cli suggest: the bonds the portfolio window's Suggest would append
// to a portfolio of a given number of rows.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/parallel.h"

#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/core/suggest.h"

#include <algorithm>
#include <memory>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// A qualifying bond of a unit, and where its record starts in the unit's
// bytes: the bond itself is gone once its unit is judged.
struct Found {
    SuggestedRow row;
    std::size_t offset;
};

// What a unit found, and the unit's bytes, which the delivery reads the
// filed bonds from.
struct UnitFinds {
    std::vector<Found> found;
    std::string buffer;
    std::span<const std::byte> bytes;
};

void AppendRow(std::string& out, const SuggestedRow& r)
{
    const SUGGESTION& s = r.suggestion;
    AppendReportText(out, s.pBond->m_strID);
    out += ',';
    AppendReportText(out, s.pBond->m_strName);
    for (double figure : {s.dYield, s.dDuration, s.dSquareM}) {
        out += ',';
        AppendFixed(out, figure, 8);
    }
    out += r.group == SuggestGroup::Exact ? ",exact" : r.group == SuggestGroup::Shorter ? ",short" : ",long";
    EndCsvRow(out);
}

} // namespace

void SuggestFromDatabase(const DatabaseFile& db, double stand, double horizon, int rows, Output& out, int threads)
{
    // The bonds are judged unit by unit on every thread, but filed here one by
    // one in list order, exactly as a scan of the list files them: ties keep
    // the order in which the list holds them.
    const double horizonYears = YearFraction(horizon, stand);
    SuggestLists lists;
    // The bonds the lists point to, copied when filed; the ones that have
    // fallen out of the lists are dropped after each unit.
    std::vector<std::unique_ptr<CBond>> kept;
    RunInOrder<UnitFinds>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, UnitFinds& finds) {
            finds.found.clear();
            finds.bytes = ForEachUnitRecord(db, unit, finds.buffer, [&](CBond& bond, std::size_t offset) {
                if (auto row = AssessBond(bond, stand, horizon, horizonYears, SystemClock())) {
                    row->suggestion.pBond = nullptr;
                    finds.found.push_back({*row, offset});
                }
            });
        },
        [&](std::size_t, UnitFinds& finds) {
            for (const Found& f : finds.found) {
                if (SUGGESTION* filed = lists.Add(f.row)) {
                    kept.push_back(CopyOfBond(BondRecordReader(finds.bytes, f.offset).Next()));
                    filed->pBond = kept.back().get();
                }
            }
            auto listed = [&](const CBond* b) {
                auto in = [b](const auto& places, int count) {
                    return std::any_of(places.begin(), places.begin() + count,
                                       [b](const SUGGESTION& s) { return s.pBond == b; });
                };
                return in(lists.m_short, lists.m_nShortCount) || in(lists.m_long, lists.m_nLongCount);
            };
            std::erase_if(kept, [&](const std::unique_ptr<CBond>& b) { return !listed(b.get()); });
        });

    const std::vector<SuggestedRow> picked = PresentSuggestions(lists, rows);
    if (picked.empty()) {
        out.Append(TextOf(PortfolioText::NothingSuggested));
        out.Append("\n");
        return;
    }
    out.Append("id,name,ytm,duration,square_m,group\r\n");
    for (const SuggestedRow& r : picked)
        AppendRow(out.Text(), r);
}

int RunSuggest(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon", "rows", "threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"suggest takes one database file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    int rows = 0;
    if (const auto text = args.Value("rows")) {
        const auto n = ReadWholeNumber(*text);
        if (!n || text->empty() || *n < 0 || *n > kPortfolioRows)
            throw UsageError{"--rows wants a number of rows from 0 to 20, not \"" + *text + "\""};
        rows = *n;
    }
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabaseUnits(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    // Without room for a pair the window does not even scan.
    if (rows > kSuggestMaxRows)
        return kExitOk;
    Output out(STDOUT_FILENO);
    return FinishDatabasePass(*db, out, [&] { SuggestFromDatabase(*db, stand, horizon, rows, out, threads); });
}

} // namespace tenvix::cli
