#pragma once

// What every tenvix-cli command shares: argument handling, ISO dates, the
// number of threads, and (through cli/reading.h) reading files from disk.

#include "cli/reading.h"
#include "model/bondfile.h"
#include "model/pricefield.h"
#include "model/quotes.h"
#include "model/text.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2, kExitLargeNotWritten = 3 };

// Thrown for a malformed command line; main prints the message and the usage.
struct UsageError {
    std::string message;
};

// Thrown where --help stands among a command's options: main prints that
// command's usage and ends with success.
struct HelpWanted {};

// Options of the form --name VALUE or --flag, and the plain arguments, in order.
class Arguments {
public:
    Arguments(std::vector<std::string> args, std::vector<std::string_view> valued, std::vector<std::string_view> flags);
    const std::vector<std::string>& Positional() const { return m_positional; }
    std::optional<std::string> Value(std::string_view name) const;
    std::string Required(std::string_view name) const;
    bool Flag(std::string_view name) const;

private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_values;
    std::vector<std::string> m_flags;
};

// A decimal option that must read whole as a finite number; nothing when it
// is not given. `wants` says what it wants in the usage error.
std::optional<double> DecimalOption(const Arguments& args, std::string_view name, const char* wants);
// A percentage option as a fraction, `fallback` when it is not given; a
// percentage `fits` refuses is a usage error that says what it `wants`.
double PercentOption(const Arguments& args, std::string_view name, double fallback, const char* wants,
                     bool (*fits)(double));
// --decimal-mark point|comma: the user's word on the mark of doubtful numbers.
std::optional<DecimalMark> DecimalMarkOption(const Arguments& args);
// A list of identifiers separated by commas (--exclude): the core's SplitIdentifiers.
using tenvix::SplitIdentifiers;

// A date option that must be present and valid, as YYYY-MM-DD.
double RequiredDate(const Arguments& args, std::string_view name);
// The --stand option as RequiredDate reads it; today when it is not given.
double StandOrToday(const Arguments& args);
// The --threads option: a whole number from 1 to kMaxThreads; by default as
// many as there are processors to run on.
inline constexpr int kMaxThreads = 256;
int ThreadsOption(const Arguments& args);
// The --quotes option: paid or clean, `fallback` when it is not given.
PriceQuotes QuotesOption(const Arguments& args, PriceQuotes fallback);

// Writes `rows` as a portfolio file at `out` through the safe save. When it
// cannot, says why on standard error (a folder that is not there by name,
// the rest in the portfolio window's words) and returns false.
bool WritePortfolioOut(const std::string& out, std::span<const PortfolioEntry> rows);

// The units of a portfolio file's row `row` (from 1) as the window shows
// and counts them, whole; what differs from the file's is said on standard
// error, and units no row can show (NaN, infinite, negative) give nothing.
std::optional<double> ReadUnitsAsShown(double units, int row);

// A portfolio file's row analysed as the window analyses it: `units` as
// ReadUnitsAsShown read them (nothing leaves the row out for its units) and
// `bond` as FindBonds found it (null when the database has none).
RowFigures AnalyseFileRow(const std::optional<double>& units, CBond* bond, double stand, double horizon);

// What a command that takes one bond by its identifier says when the bond
// gives no figures: which identifier, and why (with the check's code as
// analyse writes it).
std::string UnknownIdMessage(std::string_view id);
std::string NotReadyMessage(std::string_view id, const RowFigures& figures);

// Whether `out`, where a command is told to write a portfolio, must be
// refused: it is the database `database` itself (the same file, however
// spelled or linked to) or an existing file that begins as a database. The
// reason is then on standard error, and nothing may be written.
bool RefuseOutTarget(const std::string& out, const std::string& database);

// For each identifier, a copy of the first bond of the database whose
// identifier equals it without regard to letter case, or null: one pass over
// the records, holding no list.
std::vector<std::unique_ptr<CBond>> FindBonds(const DatabaseFile& db, const std::vector<PortfolioEntry>& rows);

// Reads a .bdp file; on failure prints the portfolio window's message (or
// that the path leads to no regular file) to standard error and returns
// nothing.
std::optional<PortfolioFile> OpenPortfolio(const std::string& path);

} // namespace tenvix::cli
