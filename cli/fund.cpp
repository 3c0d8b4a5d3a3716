// tenvix-cli fund: the least-cost portfolio of whole units of the database's
// bonds that, with the units held and the cash kept, pays every liability of
// a schedule on its date; as CSV, and if asked as a portfolio file.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/fundfiles.h"
#include "cli/output.h"
#include "cli/parallel.h"

#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/fundmessages.h"
#include "portfolio/core/portfoliofile.h"

#include <iostream>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// One bond's row analysis and what a unit funds, made on a worker thread and
// offered in file order.
struct Screened {
    std::string id;
    float price = 0.0f;
    RowFigures row;
    FundingColumn funding;
    std::size_t offset = 0;
};

} // namespace

FundResult FundDatabase(const DatabaseFile& db, const std::vector<Liability>& schedule, double stand,
                        const FundLimits& limits, std::span<const FundHolding> held, int threads)
{
    const double horizon = static_cast<double>(schedule.back().day);
    const FundingGrid grid(schedule, stand, limits.reinvest);
    FundScreen screen(limits.minYtm, limits.exclude);
    RunInOrder<std::vector<Screened>>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, std::vector<Screened>& out) {
            out.resize(db.index.UnitSize(unit));
            BondRecordReader records(db.Bytes(), db.index.unitStarts[unit]);
            std::vector<PaymentColumn::Flow> flows;
            for (Screened& s : out) {
                s.offset = records.Offset();
                CBond& bond = records.Next();
                s.id = bond.m_strID;
                s.price = bond.m_fPrice;
                s.row = AnalyseRow(bond, stand, horizon, SystemClock());
                s.funding = {};
                if (s.row.status == RowStatus::Ready) {
                    flows.clear();
                    AppendPayments(bond, flows);
                    s.funding = FundingOf(flows, grid);
                }
            }
        },
        [&](std::size_t, std::vector<Screened>& out) {
            for (const Screened& s : out)
                screen.Offer(s.id, s.price, s.row, s.funding, s.offset);
        });
    screen.Finish();
    const FundFetch fetch = [&](std::size_t offset) { return CopyOfBond(BondRecordReader(db.Bytes(), offset).Next()); };
    return Fund(screen, grid, limits, held, stand, horizon, fetch);
}

void AppendFundedRows(std::string& text, const FundResult& r)
{
    text += "id,units,cost,share,ytm\r\n";
    for (const FundedRow& row : r.rows) {
        AppendReportText(text, row.id);
        text += ',';
        AppendFixed(text, row.units, 0);
        text += ',';
        AppendFixed(text, row.cost, 2);
        text += ',';
        AppendFixed(text, row.share, 8);
        text += ',';
        AppendFixed(text, row.ytm, 8);
        EndCsvRow(text);
    }
    text += "cash,,";
    AppendFixed(text, r.cash, 2);
    text += ',';
    AppendFixed(text, r.cost > 0 ? r.cash / r.cost : 0.0, 8);
    text += ",\r\nportfolio,cost=";
    AppendFixed(text, r.cost, 2);
    text += ",lower_bound=";
    AppendFixed(text, r.lowerBound, 2);
    text += ",gap_percent=";
    AppendFixed(text, r.GapPercent(), 4);
    text += "\r\n";
}

int RunFund(const std::vector<std::string>& argv)
{
    const Arguments args(
        argv,
        {"stand", "decimal-mark", "reinvest", "max-rows", "max-share", "min-ytm", "exclude", "hold", "out", "threads"},
        {});
    if (args.Positional().size() != 2)
        throw UsageError{"fund takes a database file and a schedule file"};
    const double stand = RequiredDate(args, "stand");
    const std::optional<DecimalMark> mark = DecimalMarkOption(args);
    FundLimits limits;
    limits.reinvest =
        PercentOption(args, "reinvest", 0.0, "a percentage of at least 0", [](double v) { return v >= 0; });
    if (const auto text = args.Value("max-rows")) {
        const auto n = ReadWholeNumber(*text);
        if (!n || text->empty() || *n < 1 || *n > kFundMaxRows)
            throw UsageError{"--max-rows wants a number of rows from 1 to 200, not \"" + *text + "\""};
        limits.maxRows = *n;
    }
    limits.maxShare = PercentOption(args, "max-share", 1.0, "a percentage above 0 and at most 100",
                                    [](double v) { return v > 0 && v <= 100; });
    if (const auto least = DecimalOption(args, "min-ytm", "a percentage"))
        limits.minYtm = *least / 100;
    if (const auto ids = args.Value("exclude"))
        limits.exclude = SplitIdentifiers(*ids);
    const int threads = ThreadsOption(args);
    const auto outPath = args.Value("out");
    if (outPath && limits.maxRows > kPortfolioFileMaxRows)
        throw UsageError{"A portfolio file holds at most 20 bonds ."};

    const std::string& dbPath = args.Positional()[0];
    const auto db = OpenDatabase(dbPath);
    if (!db)
        return kExitFailure;
    if (outPath && RefuseOutTarget(*outPath, dbPath))
        return kExitFailure;
    const auto schedule = ReadScheduleFile(args.Positional()[1], stand, mark);
    if (!schedule)
        return kExitFailure;
    const double horizon = static_cast<double>(schedule->back().day);
    std::vector<FundHolding> held;
    if (const auto holdPath = args.Value("hold")) {
        auto read = ReadHoldings(*db, *holdPath, stand, horizon);
        if (!read)
            return kExitFailure;
        held = std::move(*read);
    }
    const FundResult r = FundDatabase(*db, *schedule, stand, limits, held, threads);
    if (outPath) {
        if (r.rows.empty()) {
            std::cerr << TextOf(FundText::NothingBought) << "\n";
        } else {
            std::vector<PortfolioEntry> entries;
            for (const FundedRow& row : r.rows)
                entries.push_back({row.id, row.units});
            if (!WritePortfolioOut(*outPath, entries))
                return kExitFailure;
        }
    }
    Output out(STDOUT_FILENO);
    AppendFundedRows(out.Text(), r);
    return FinishOutput(out);
}

} // namespace tenvix::cli
