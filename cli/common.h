#pragma once

// What every tenvix-cli command shares: argument handling, ISO dates, CSV
// fields and reading a database from disk.

#include "model/bondlist.h"

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix::cli {

enum ExitCode { kExitOk = 0, kExitFailure = 1, kExitUsage = 2 };

// Thrown for a malformed command line; main prints the message and the usage.
struct UsageError {
    std::string message;
};

// Options of the form --name VALUE or --flag, and the plain arguments, in order.
class Arguments {
public:
    Arguments(std::vector<std::string> args, std::vector<std::string_view> valued,
              std::vector<std::string_view> flags);
    const std::vector<std::string>& Positional() const { return m_positional; }
    std::optional<std::string> Value(std::string_view name) const;
    std::string Required(std::string_view name) const;
    bool Flag(std::string_view name) const;

private:
    std::vector<std::string> m_positional;
    std::vector<std::pair<std::string, std::string>> m_values;
    std::vector<std::string> m_flags;
};

// A strict YYYY-MM-DD date as a date value.
std::optional<double> ParseIsoDate(std::string_view text);
// A date option that must be present and valid.
double RequiredDate(const Arguments& args, std::string_view name);
// YYYY-MM-DD of a day serial; the bare number when it is no valid date.
std::string IsoDate(std::int32_t daySerial);

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string CsvField(std::string_view text);
void WriteCsvRow(std::ostream& out, const std::vector<std::string>& fields);

// printf-style formatting of one double.
std::string Format(const char* format, double value);

// At most `limit` bytes of a file; nothing when it cannot be opened or read
// (errno then tells why). A hostile file cannot make the reader hold more.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit);

// Loads a .bnd file; on failure prints the program's message to standard
// error and returns nothing.
std::optional<CBondList> LoadDatabase(const std::string& path);

} // namespace tenvix::cli
