#pragma once

// What every tenvix-cli command shares: argument handling, ISO dates, the
// number of threads, and reading files from disk.

#include "model/bondfile.h"
#include "model/filemessages.h"
#include "model/pricefield.h"
#include "model/quotes.h"
#include "model/text.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"

#include <cerrno>
#include <cstdint>
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
// --decimal-mark point|comma: the user's word on the mark of doubtful numbers.
std::optional<DecimalMark> DecimalMarkOption(const Arguments& args);
// A list of identifiers separated by commas (--exclude): the core's SplitIdentifiers.
using tenvix::SplitIdentifiers;

// A date option that must be present and valid, as YYYY-MM-DD.
double RequiredDate(const Arguments& args, std::string_view name);
// The --threads option: a whole number from 1 to kMaxThreads; by default as
// many as there are processors to run on.
inline constexpr int kMaxThreads = 256;
int ThreadsOption(const Arguments& args);
// The --quotes option: paid or clean, `fallback` when it is not given.
PriceQuotes QuotesOption(const Arguments& args, PriceQuotes fallback);

// Which file a path led to when it was read: while the device, the inode, the
// size and the modification time (to the nanosecond) are the same, nobody
// has written or replaced it since.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The identity of the file `path` leads to now (through links); nothing when
// there is none.
std::optional<FileIdentity> CurrentIdentity(const std::string& path);

// What the reader does with a file longer than its limit.
enum class Beyond {
    Refuse, // nothing, unread, with errno EFBIG
    Cut,    // its first `limit` bytes, for formats that ignore what follows their end
};

// errno after ReadFileBytes refused a path that leads to a folder, a pipe, a
// device or a socket rather than a regular file.
inline constexpr int kNotRegularFile = ENODEV;

// A regular file read whole; nothing when it cannot be opened or read, or is
// no regular file (errno then tells why). A pipe or a device named by mistake
// is refused at once, unopened, and a hostile file cannot make the reader
// hold (or read) more than the limit. A file whose size reads 0, as those of
// /proc do, is read to its end. `identity`, when given, is set to the file's
// as it was opened.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit, Beyond beyond = Beyond::Refuse,
                                         FileIdentity* identity = nullptr);

// A file of rows another program wrote (prices, bonds) read whole, up to
// `limit`; on failure prints the program's message to standard error (for a
// file over the limit, `tooLarge`, the format's own words) and returns
// nothing.
std::optional<std::string> ReadRowsFile(const std::string& path, std::size_t limit, const std::string& tooLarge);

// The database ceiling of the windows and of every command.
inline constexpr std::size_t kDatabaseReadLimit = std::size_t(1) << 30;
// A database file read whole, unchecked; on failure prints the program's
// message to standard error and returns nothing.
std::optional<std::string> ReadDatabaseBytes(const std::string& path, FileIdentity* identity = nullptr);

// A database file read whole and checked whole, with the index that lets it
// be read in units.
struct DatabaseFile {
    std::string bytes;
    BondFileIndex index;

    std::span<const std::byte> Bytes() const { return std::as_bytes(std::span(bytes.data(), bytes.size())); }
};

// Records a unit of work holds: small enough to spread a database over the
// threads evenly, large enough that handing units over costs nothing.
inline constexpr std::size_t kUnitRecords = 1024;

// Reads and checks a .bnd file; on failure prints the program's message to
// standard error and returns nothing. Nothing has been written then.
std::optional<DatabaseFile> OpenDatabase(const std::string& path);

// The same, loaded into `list` for a command that needs the bonds at once.
bool LoadWholeDatabase(const std::string& path, CBondList& list);

// Writes `rows` as a portfolio file at `out` through the safe save. When it
// cannot, says why on standard error (a folder that is not there by name,
// the rest in the portfolio window's words) and returns false.
bool WritePortfolioOut(const std::string& out, std::span<const PortfolioEntry> rows);

// The units of a portfolio file's row `row` (from 1) as the window shows
// and counts them, whole; what differs from the file's is said on standard
// error, and units no row can show (NaN, infinite, negative) give nothing.
std::optional<double> ReadUnitsAsShown(double units, int row);

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
