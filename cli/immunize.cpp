// tenvix-cli immunize: the whole-unit portfolio of the database's bonds whose
// composite duration holds the horizon with the least Square-M, as CSV, and
// if asked as a portfolio file that `tenvix-cli portfolio` reads back to the
// same figures.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/parallel.h"

#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/immunize.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/core/portfoliomessages.h"

#include <cmath>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// One bond's row analysis, made on a worker thread and offered in file order.
struct Assessed {
    std::string id;
    float price = 0.0f;
    RowFigures row;
    std::size_t offset = 0;
};

} // namespace

ImmunizeResult ImmunizeDatabase(const DatabaseFile& db, const ImmunizeLimits& limits, double stand, double horizon,
                                int threads)
{
    // Too tight limits are told before a million bonds are analysed.
    if (CheckLimits(limits) != ImmunizeFailure::None)
        return RefusalOfLimits(limits);
    ImmunizeScreen screen(limits);
    RunInOrder<std::vector<Assessed>>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, std::vector<Assessed>& out) {
            out.resize(db.index.UnitSize(unit));
            BondRecordReader records(db.Bytes(), db.index.unitStarts[unit]);
            for (Assessed& a : out) {
                a.offset = records.Offset();
                CBond& bond = records.Next();
                a.id = bond.m_strID;
                a.price = bond.m_fPrice;
                a.row = AnalyseRow(bond, stand, horizon, SystemClock());
            }
        },
        [&](std::size_t, std::vector<Assessed>& out) {
            for (const Assessed& a : out)
                screen.Offer(a.id, a.price, a.row, a.offset);
        });
    screen.Finish();
    const ImmunizeFetch fetch = [&](std::size_t offset) {
        return CopyOfBond(BondRecordReader(db.Bytes(), offset).Next());
    };
    return Immunize(screen, limits, stand, horizon, fetch, SystemClock());
}

void AppendCompositeLine(std::string& text, const PortfolioFigures& p)
{
    text += "portfolio,ytm=";
    AppendFixed(text, p.ytm, 8);
    text += ",duration=";
    AppendFixed(text, p.duration, 8);
    text += ",square_m=";
    AppendFixed(text, p.squareM, 8);
    text += "\r\n";
}

void AppendImmunizedRows(std::string& text, const ImmunizeResult& r)
{
    text += "id,units,amount,share,ytm,duration,square_m\r\n";
    for (const ImmunizedRow& row : r.rows) {
        AppendReportText(text, row.bond.id);
        text += ',';
        AppendFixed(text, row.units, 0);
        text += ',';
        AppendFixed(text, row.amount, 2);
        for (double figure : {row.share, row.bond.ytm, row.bond.duration, row.bond.squareM}) {
            text += ',';
            AppendFixed(text, figure, 8);
        }
        EndCsvRow(text);
    }
    AppendCompositeLine(text, r.figures);
}

int RunImmunize(const std::vector<std::string>& argv)
{
    const Arguments args(
        argv, {"stand", "horizon", "amount", "max-rows", "max-share", "min-ytm", "exclude", "out", "threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"immunize takes one database file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    ImmunizeLimits limits;
    const std::string amountText = args.Required("amount");
    const auto amount = DecimalOption(args, "amount", "an amount above 0");
    if (!amount || !(*amount > 0))
        throw UsageError{"--amount wants an amount above 0, not \"" + amountText + "\""};
    limits.amount = *amount;
    if (const auto text = args.Value("max-rows")) {
        const auto n = ReadWholeNumber(*text);
        if (!n || text->empty() || *n < 1 || *n > kImmunizeMaxRows)
            throw UsageError{"--max-rows wants a number of rows from 1 to 20, not \"" + *text + "\""};
        limits.maxRows = *n;
    }
    limits.maxShare = PercentOption(args, "max-share", limits.maxShare, "a percentage above 0 and at most 100",
                                    [](double v) { return v > 0 && v <= 100; });
    const std::string shareText = args.Value("max-share").value_or("100");
    if (const auto least = DecimalOption(args, "min-ytm", "a percentage"))
        limits.minYtm = *least / 100;
    if (const auto ids = args.Value("exclude"))
        limits.exclude = SplitIdentifiers(*ids);
    const int threads = ThreadsOption(args);

    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    const auto outPath = args.Value("out");
    if (outPath && RefuseOutTarget(*outPath, args.Positional()[0]))
        return kExitFailure;
    const ImmunizeResult r = ImmunizeDatabase(*db, limits, stand, horizon, threads);
    if (r.failure != ImmunizeFailure::None) {
        std::cerr << ImmunizeFailureText(r, limits.maxRows, shareText, YearFraction(horizon, stand)) << "\n";
        return kExitFailure;
    }
    if (outPath) {
        std::vector<PortfolioEntry> entries;
        for (const ImmunizedRow& row : r.rows)
            entries.push_back({row.bond.id, row.units});
        if (!WritePortfolioOut(*outPath, entries))
            return kExitFailure;
    }
    Output out(STDOUT_FILENO);
    AppendImmunizedRows(out.Text(), r);
    return FinishOutput(out);
}

} // namespace tenvix::cli
