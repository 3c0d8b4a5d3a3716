#include "cli/fundfiles.h"

#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/pricecsv.h"
#include "model/pricefile.h"
#include "model/pricemessages.h"
#include "portfolio/core/portfoliomessages.h"

#include <iostream>

namespace tenvix::cli {

std::optional<std::vector<Liability>> ReadScheduleFile(const std::string& path, double stand,
                                                       std::optional<DecimalMark> mark)
{
    const auto bytes = ReadRowsFile(path, kMaxCsvBytes, PriceFileErrorText(PriceFileError::TooLarge));
    if (!bytes)
        return std::nullopt;
    const Schedule schedule = ReadSchedule(*bytes, DaySerial(stand), mark.value_or(DecimalMark::Undecided));
    if (schedule.problem != ScheduleProblem::None) {
        std::cerr << ScheduleErrorText(schedule) << "\n";
        return std::nullopt;
    }
    return schedule.liabilities;
}

std::optional<std::vector<FundHolding>> ReadHoldings(const DatabaseFile& db, const std::string& path, double stand,
                                                     double horizon)
{
    const auto file = OpenPortfolio(path);
    if (!file)
        return std::nullopt;
    const std::vector<std::unique_ptr<CBond>> bonds = FindBonds(db, file->rows);
    std::vector<FundHolding> held;
    for (std::size_t i = 0; i < file->rows.size(); ++i) {
        const PortfolioEntry& row = file->rows[i];
        CBond* bond = bonds[i].get();
        // The window shows the units as a whole number and counts what it
        // shows; units no row can show are refused as portfolio refuses them.
        const std::optional<double> units = ReadUnitsAsShown(row.units, static_cast<int>(i + 1));
        const RowFigures f = AnalyseFileRow(units, bond, stand, horizon);
        if (f.status != RowStatus::Ready) {
            std::cerr << ExcludedRowMessage(row.id, static_cast<int>(i + 1)) << "\n";
            return std::nullopt;
        }
        FundHolding h;
        h.id = row.id;
        h.units = *units;
        // The row analysis left the bond dated and prepared.
        AppendPayments(*bond, h.payments);
        held.push_back(std::move(h));
    }
    return held;
}

} // namespace tenvix::cli
