// tenvix-cli suggest: the bonds the portfolio window's Suggest would append
// to a portfolio of a given number of rows.

#include "cli/commands.h"
#include "cli/common.h"

#include "model/numbers.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/suggest.h"

#include <iostream>

namespace tenvix::cli {

int RunSuggest(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon", "rows"}, {});
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
    auto list = LoadDatabase(args.Positional()[0]);
    if (!list)
        return kExitFailure;
    // Without room for a pair the window does not even scan.
    if (rows > kSuggestMaxRows)
        return kExitOk;

    SuggestLists lists;
    ScanBonds(list->m_list, stand, horizon, lists, SystemClock());
    const std::vector<SuggestedRow> picked = PresentSuggestions(lists, rows);
    if (picked.empty()) {
        std::cout << "Nothing suggested .\n";
        return kExitOk;
    }
    WriteCsvRow(std::cout, {"id", "name", "ytm", "duration", "square_m", "group"});
    for (const SuggestedRow& r : picked) {
        const SUGGESTION& s = r.suggestion;
        const char* group = r.group == SuggestGroup::Exact ? "exact" : r.group == SuggestGroup::Shorter ? "short" : "long";
        WriteCsvRow(std::cout, {s.pBond->m_strID, s.pBond->m_strName, FormatNumber("%.8f", s.dYield),
                                FormatNumber("%.8f", s.dDuration), FormatNumber("%.8f", s.dSquareM), group});
    }
    return kExitOk;
}

} // namespace tenvix::cli
