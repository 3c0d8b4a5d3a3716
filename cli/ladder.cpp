// tenvix-cli ladder: any portfolio walked against a schedule of liabilities,
// date by date, as the funding counts it.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/fundfiles.h"
#include "cli/output.h"

#include "model/format.h"
#include "portfolio/core/ladder.h"

#include <cmath>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// Money as "%.2f", a value that rounds to no cent without its sign.
void AppendMoney(std::string& text, double v) { AppendFixed(text, std::fabs(v) < 0.005 ? 0.0 : v, 2); }

} // namespace

void AppendLadderRows(std::string& text, const Ladder& ladder)
{
    text += "date,liability,inflow,reinvestment,surplus,flag\r\n";
    for (const LadderRow& row : ladder.rows) {
        AppendIsoDate(text, row.day);
        for (const double money : {row.liability, row.inflow, row.reinvestment, row.surplus}) {
            text += ',';
            AppendMoney(text, money);
        }
        text += row.surplus < kShortBelow ? ",short" : ",";
        EndCsvRow(text);
    }
    text += "after,,";
    AppendMoney(text, ladder.after);
    text += ",,\r\n";
}

int RunLadder(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"portfolio", "stand", "hold", "cash", "reinvest", "decimal-mark"}, {});
    if (args.Positional().size() != 2)
        throw UsageError{"ladder takes a database file and a schedule file"};
    const std::string portfolioPath = args.Required("portfolio");
    const double stand = RequiredDate(args, "stand");
    const std::optional<DecimalMark> mark = DecimalMarkOption(args);
    const double cash = DecimalOption(args, "cash", "an amount of at least 0").value_or(0.0);
    if (!(cash >= 0))
        throw UsageError{"--cash wants an amount of at least 0, not \"" + *args.Value("cash") + "\""};
    const double reinvest =
        PercentOption(args, "reinvest", 0.0, "a percentage of at least 0", [](double v) { return v >= 0; });

    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    const auto schedule = ReadScheduleFile(args.Positional()[1], stand, mark);
    if (!schedule)
        return kExitFailure;
    const double horizon = static_cast<double>(schedule->back().day);
    auto holdings = ReadHoldings(*db, portfolioPath, stand, horizon);
    if (!holdings)
        return kExitFailure;
    if (const auto holdPath = args.Value("hold")) {
        auto held = ReadHoldings(*db, *holdPath, stand, horizon);
        if (!held)
            return kExitFailure;
        for (FundHolding& h : *held)
            holdings->push_back(std::move(h));
    }
    const FundingGrid grid(*schedule, stand, reinvest);
    std::vector<LadderHolding> walked;
    for (const FundHolding& h : *holdings)
        walked.push_back({h.units, h.payments});
    Output out(STDOUT_FILENO);
    AppendLadderRows(out.Text(), WalkLadder(grid, cash, walked));
    return FinishOutput(out);
}

} // namespace tenvix::cli
