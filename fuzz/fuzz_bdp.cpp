// Feeds arbitrary bytes to the portfolio file reader. Whatever loads must
// store back to bytes that load again to the same bytes; the rows are then
// looked up in the sample database and valued as the portfolio window would,
// units carried through the whole-number text of the Units cell, so that a
// hostile file can neither crash nor hang the analysis it leads to.

#include "examples/sample_data.h"
#include "model/clock.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"

#include <cstdlib>
#include <span>
#include <vector>

namespace {

// A clock that runs out at once, so a slow yield search ends at its first
// check instead of spending the real budget.
class SteppingClock final : public tenvix::Clock {
public:
    std::int64_t Milliseconds() const override { return m_nMs += 1000; }
    double Now() const override { return 46362.0; }

private:
    mutable std::int64_t m_nMs = 0;
};

} // namespace

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
    const SteppingClock clock;
    std::vector<CBond*> bonds;
    std::vector<double> units;
    for (const PortfolioEntry& row : file.rows) {
        CBond* bond = FindBondByID(database.m_list, row.id);
        if (!bond || AnalyseBond(*bond, stand, horizon, clock).status != RowStatus::Ready)
            return 0;
        bonds.push_back(bond);
        units.push_back(ReadLeadingDecimal(FormatFixed(row.units, 0)));
    }
    if (!bonds.empty())
        CalculatePortfolio(bonds, units, stand, horizon, clock);
    return 0;
}
