// tenvix-cli portfolio: the rows of a portfolio file analysed against a
// database, and the portfolio's own figures, as the portfolio window's
// Calculate gives them.

#include "cli/commands.h"
#include "cli/common.h"

#include "model/numbers.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"

#include <iostream>

namespace tenvix::cli {

int RunPortfolio(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon"}, {});
    if (args.Positional().size() != 2)
        throw UsageError{"portfolio takes a database file and a portfolio file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    auto list = LoadDatabase(args.Positional()[0]);
    if (!list)
        return kExitFailure;

    const auto bytes = ReadFileBytes(args.Positional()[1], kPortfolioFileReadLimit);
    if (!bytes) {
        std::cerr << "Failed to open the file !\n";
        return kExitFailure;
    }
    const PortfolioFile file = ReadPortfolio(std::as_bytes(std::span(bytes->data(), bytes->size())));
    if (file.error == PortfolioFileError::WrongFormat) {
        std::cerr << "Wrong file format !\n";
        return kExitFailure;
    }
    if (file.error == PortfolioFileError::Truncated) {
        std::cerr << "Failed reading the file !\n";
        return kExitFailure;
    }

    WriteCsvRow(std::cout, {"id", "units", "status", "ytm", "duration", "square_m"});
    std::vector<CBond*> ready;
    std::vector<double> units;
    std::string refusal;
    for (std::size_t i = 0; i < file.rows.size(); ++i) {
        const PortfolioEntry& row = file.rows[i];
        // The window shows the units as a whole number and calculates with
        // what it shows.
        const std::string unitsText = FormatNumber("%.0f", row.units);
        CBond* bond = FindBondByID(list->m_list, row.id);
        const RowFigures f = bond ? AnalyseBond(*bond, stand, horizon, SystemClock()) : RowFigures{};
        if (f.status == RowStatus::Ready) {
            WriteCsvRow(std::cout, {row.id, unitsText, "ready", FormatNumber("%.8f", f.ytm),
                                    FormatNumber("%.8f", f.duration), FormatNumber("%.8f", f.squareM)});
            ready.push_back(bond);
            units.push_back(ReadLeadingDecimal(unitsText));
        } else {
            WriteCsvRow(std::cout, {row.id, unitsText, StatusText(f.status), "", "", ""});
            if (refusal.empty())
                refusal = "Bond ID=" + row.id + " ,in row " + std::to_string(i + 1) + " , can't be included !";
        }
    }
    if (file.rows.empty())
        return kExitOk;
    if (!refusal.empty()) {
        std::cerr << refusal << "\n";
        return kExitFailure;
    }
    const PortfolioFigures p = CalculatePortfolio(ready, units, stand, horizon, SystemClock());
    switch (p.outcome) {
    case PortfolioOutcome::Ready:
        std::cout << "portfolio,ytm=" << FormatNumber("%.8f", p.ytm) << ",duration=" << FormatNumber("%.8f", p.duration)
                  << ",square_m=" << FormatNumber("%.8f", p.squareM) << "\r\n";
        return kExitOk;
    case PortfolioOutcome::NoUnits:
        std::cerr << "No units filled in !\n";
        return kExitFailure;
    case PortfolioOutcome::BadYtm:
        std::cerr << "Bad YTM\n";
        return kExitFailure;
    case PortfolioOutcome::MemberIncompatible:
        // The window ends such a calculation without a word; rows analysed
        // moments ago cannot turn incompatible here.
        return kExitFailure;
    }
    return kExitFailure;
}

} // namespace tenvix::cli
