#pragma once

// What fund and ladder read besides the database: the schedule of
// liabilities, and the units of a portfolio file as `tenvix-cli portfolio`
// counts them.

#include "cli/common.h"

#include "portfolio/core/fund.h"
#include "portfolio/core/schedule.h"

#include <optional>
#include <string>
#include <vector>

namespace tenvix::cli {

// The schedule file read and checked; on a refusal prints it to standard
// error and returns nothing.
std::optional<std::vector<Liability>> ReadScheduleFile(const std::string& path, double stand,
                                                       std::optional<DecimalMark> mark);

// The rows of a portfolio file with their bonds' payments, each row
// analysed with the run's dates as `tenvix-cli portfolio` analyses it; the
// first row it would not count is refused with its message on standard
// error, and nothing is returned.
std::optional<std::vector<FundHolding>> ReadHoldings(const DatabaseFile& db, const std::string& path, double stand,
                                                     double horizon);

} // namespace tenvix::cli
