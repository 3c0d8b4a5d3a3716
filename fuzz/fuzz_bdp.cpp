// Feeds arbitrary bytes to the portfolio file reader. Whatever loads must
// store back to bytes that load again to the same bytes; the rows are then
// looked up in the sample database and valued as the portfolio window would,
// units carried through the whole-number text of the Units cell, so that a
// hostile file can neither crash nor hang the analysis it leads to.

#include "examples/sample_data.h"
#include "fuzz/steppingclock.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"

#include <cstdlib>
#include <span>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tenvix;
    const PortfolioFile file = ReadPortfolio(std::as_bytes(std::span(data, size)));
    if (file.error != PortfolioFileError::None)
        return 0;
    if (file.rows.size() > static_cast<std::size_t>(kPortfolioFileMaxRows))
        std::abort();

    const std::string stored = StorePortfolio(file.rows);
    const PortfolioFile again = ReadPortfolio(std::as_bytes(std::span(stored.data(), stored.size())));
    if (again.error != PortfolioFileError::None || StorePortfolio(again.rows) != stored)
        std::abort();

    static CBondList database = MakeSampleDatabase();
    static const double stand = *MakeDate(2026, 1, 1);
    static const double horizon = *MakeDate(2031, 1, 1);
    const fuzz::SteppingClock clock;
    std::vector<CBond*> bonds;
    std::vector<double> units;
    for (const PortfolioEntry& row : file.rows) {
        CBond* bond = FindBondByID(database.m_list, row.id);
        if (!bond || AnalyseRow(*bond, stand, horizon, clock).status != RowStatus::Ready)
            return 0;
        bonds.push_back(bond);
        units.push_back(ReadLeadingDecimal(FormatFixed(row.units, 0)));
    }
    if (!bonds.empty())
        CalculatePortfolio(bonds, units, stand, horizon, clock);
    return 0;
}
