// tenvix-cli portfolio: the rows of a portfolio file analysed against a
// database, and the portfolio's own figures, as the portfolio window's
// Calculate gives them.

#include "cli/commands.h"
#include "cli/common.h"

#include "cli/output.h"

#include "model/format.h"
#include "model/numbers.h"
#include "model/text.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfexplain.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/core/portfoliomessages.h"

#include <iostream>
#include <memory>
#include <unistd.h>

namespace tenvix::cli {

namespace {

void AppendRow(std::string& out, const std::string& id, const std::string& units, const char* status,
               const RowFigures* f)
{
    AppendReportText(out, id);
    out += ',';
    AppendCsvField(out, units);
    out += ',';
    AppendReportText(out, status);
    if (f) {
        for (double figure : {f->ytm, f->duration, f->squareM}) {
            out += ',';
            AppendFixed(out, figure, 8);
        }
    } else {
        out += ",,,";
    }
    EndCsvRow(out);
}

} // namespace

int RunPortfolio(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon"}, {"table"});
    // --table: the pooled payments instead of the rows and the figures.
    const bool table = args.Flag("table");
    if (args.Positional().size() != 2)
        throw UsageError{"portfolio takes a database file and a portfolio file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;

    const auto read = OpenPortfolio(args.Positional()[1]);
    if (!read)
        return kExitFailure;
    const PortfolioFile& file = *read;

    Output out(STDOUT_FILENO);
    std::string rowsOfTable; // where the rows go when the table is wanted instead
    std::string& rows = table ? rowsOfTable : out.Text();
    rows += "id,units,status,ytm,duration,square_m\r\n";
    const std::vector<std::unique_ptr<CBond>> bonds = FindBonds(*db, file.rows);
    std::vector<CBond*> ready;
    std::vector<double> units;
    std::string refusal;
    for (std::size_t i = 0; i < file.rows.size(); ++i) {
        const PortfolioEntry& row = file.rows[i];
        // The window shows the units as a whole number and calculates with
        // what it shows.
        const std::optional<double> whole = ReadUnitsAsShown(row.units, static_cast<int>(i + 1));
        CBond* bond = bonds[i].get();
        const RowFigures f = AnalyseFileRow(whole, bond, stand, horizon);
        const std::string unitsText = FormatFixed(whole.value_or(row.units), 0);
        if (f.status == RowStatus::Ready) {
            AppendRow(rows, row.id, unitsText, "ready", &f);
            ready.push_back(bond);
            units.push_back(*whole);
        } else {
            AppendRow(rows, row.id, unitsText, StatusText(f.status), nullptr);
            if (refusal.empty())
                refusal = ExcludedRowMessage(row.id, static_cast<int>(i + 1));
        }
    }
    if (file.rows.empty()) {
        // No row is no units, as shifts says.
        FinishOutput(out);
        std::cerr << OutcomeMessage(PortfolioOutcome::NoUnits) << "\n";
        return kExitFailure;
    }
    if (!refusal.empty()) {
        FinishOutput(out);
        std::cerr << refusal << "\n";
        return kExitFailure;
    }
    const PortfolioExplanation explained =
        table ? ExplainPortfolio(ready, units, stand, horizon, SystemClock()) : PortfolioExplanation{};
    const PortfolioFigures p =
        table ? explained.figures : CalculatePortfolio(ready, units, stand, horizon, SystemClock());
    switch (p.outcome) {
    case PortfolioOutcome::Ready: {
        if (table)
            return WriteExplanation(explained.explanation);
        AppendCompositeLine(out.Text(), p);
        return FinishOutput(out);
    }
    case PortfolioOutcome::NoUnits:
    case PortfolioOutcome::BadYtm:
        FinishOutput(out);
        std::cerr << OutcomeMessage(p.outcome) << "\n";
        return kExitFailure;
    case PortfolioOutcome::MemberIncompatible: {
        // Rows analysed moments ago cannot turn incompatible here; should one
        // all the same, it is named as a row that can't be included. Every
        // row is ready by now, so the member's place is its row's.
        FinishOutput(out);
        const auto member = static_cast<std::size_t>(p.member);
        if (member >= 1 && member <= file.rows.size())
            std::cerr << ExcludedRowMessage(file.rows[member - 1].id, p.member) << "\n";
        return kExitFailure;
    }
    }
    return kExitFailure;
}

} // namespace tenvix::cli
