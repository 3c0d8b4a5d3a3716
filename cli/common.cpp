#include "cli/common.h"

#include "cli/parallel.h"
#include "cli/savefile.h"

#include "model/clock.h"
#include "model/filemessages.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/text.h"
#include "portfolio/core/portfoliomessages.h"
#include "portfolio/core/portfoliorows.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <filesystem>
#include <iostream>
#include <sys/stat.h>

namespace tenvix::cli {

Arguments::Arguments(std::vector<std::string> args, std::vector<std::string_view> valued,
                     std::vector<std::string_view> flags)
{
    auto contains = [](const auto& names, std::string_view s) {
        return std::find(names.begin(), names.end(), s) != names.end();
    };
    // --help is answered whatever else is wrong with the line; the value of
    // an option that takes one is never read as it.
    for (std::size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help")
            throw HelpWanted{};
        if (args[i].starts_with("--") && contains(valued, std::string_view(args[i]).substr(2)))
            ++i;
    }
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a.size() > 2 && a.starts_with("--")) {
            const std::string name = a.substr(2);
            if (contains(valued, name)) {
                if (i + 1 >= args.size())
                    throw UsageError{"option " + a + " needs a value"};
                if (Value(name))
                    throw UsageError{"option " + a + " given twice"};
                m_values.emplace_back(name, args[++i]);
            } else if (contains(flags, name)) {
                m_flags.push_back(name);
            } else {
                throw UsageError{"unknown option " + a};
            }
        } else {
            m_positional.push_back(a);
        }
    }
}

std::optional<double> DecimalOption(const Arguments& args, std::string_view name, const char* wants)
{
    const auto text = args.Value(name);
    if (!text)
        return std::nullopt;
    const auto v = ReadDecimal(*text);
    if (!v || text->empty() || !std::isfinite(*v))
        throw UsageError{"--" + std::string(name) + " wants " + wants + ", not \"" + *text + "\""};
    return v;
}

double PercentOption(const Arguments& args, std::string_view name, double fallback, const char* wants,
                     bool (*fits)(double))
{
    const auto v = DecimalOption(args, name, wants);
    if (!v)
        return fallback;
    if (!fits(*v))
        throw UsageError{"--" + std::string(name) + " wants " + wants + ", not \"" + *args.Value(name) + "\""};
    return *v / 100;
}

std::optional<DecimalMark> DecimalMarkOption(const Arguments& args)
{
    const auto text = args.Value("decimal-mark");
    if (!text)
        return std::nullopt;
    if (*text == "point")
        return DecimalMark::Point;
    if (*text == "comma")
        return DecimalMark::Comma;
    throw UsageError{"--decimal-mark wants point or comma, not \"" + *text + "\""};
}

std::optional<std::string> Arguments::Value(std::string_view name) const
{
    for (const auto& [n, v] : m_values)
        if (n == name)
            return v;
    return std::nullopt;
}

std::string Arguments::Required(std::string_view name) const
{
    auto v = Value(name);
    if (!v)
        throw UsageError{"missing --" + std::string(name)};
    return *v;
}

bool Arguments::Flag(std::string_view name) const
{
    return std::find(m_flags.begin(), m_flags.end(), name) != m_flags.end();
}

double RequiredDate(const Arguments& args, std::string_view name)
{
    const std::string text = args.Required(name);
    const auto date = ParseIsoDate(text);
    if (!date)
        throw UsageError{"--" + std::string(name) + " wants a date as YYYY-MM-DD, not \"" + text + "\""};
    return *date;
}

double StandOrToday(const Arguments& args)
{
    return args.Value("stand") ? RequiredDate(args, "stand") : SystemClock().Now();
}

int ThreadsOption(const Arguments& args)
{
    const auto text = args.Value("threads");
    if (!text)
        return std::min(AvailableThreads(), kMaxThreads);
    const auto n = ReadWholeNumber(*text);
    if (!n || text->empty() || *n < 1 || *n > kMaxThreads)
        throw UsageError{"--threads wants a number from 1 to " + std::to_string(kMaxThreads) + ", not \"" + *text +
                         "\""};
    return *n;
}

PriceQuotes QuotesOption(const Arguments& args, PriceQuotes fallback)
{
    const auto text = args.Value("quotes");
    if (!text)
        return fallback;
    if (const std::optional<PriceQuotes> quotes = QuotesFromWord(*text))
        return *quotes;
    throw UsageError{"--quotes wants paid or clean, not \"" + *text + "\""};
}

namespace {

std::string OutFailureMessage(const std::string& out, FileCause cause)
{
    if (cause == FileCause::NotFound) {
        const std::string parent = std::filesystem::path(out).parent_path().string();
        const std::string folder = parent.empty() ? std::string(".") : parent;
        struct stat st {};
        if (::stat(folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return MissingFolderMessage(folder);
    }
    const bool opened = cause == FileCause::DiskFull || cause == FileCause::WriteError;
    return PortfolioFileMessage(cause, opened, true);
}

} // namespace

bool WritePortfolioOut(const std::string& out, std::span<const PortfolioEntry> rows)
{
    const SaveOutcome saved = ReplaceFileSafely(out, StorePortfolio(rows));
    if (saved.ok())
        return true;
    std::cerr << OutFailureMessage(out, saved.cause) << "\n";
    return false;
}

std::optional<double> ReadUnitsAsShown(double units, int row)
{
    const std::optional<std::string> shown = ShownUnits(units);
    if (!shown) {
        std::cerr << UnreadableUnitsMessage(row, units) << "\n";
        return std::nullopt;
    }
    const double whole = ReadLeadingDecimal(*shown);
    if (whole != units)
        std::cerr << RoundedUnitsMessage(row, units, *shown) << "\n";
    return whole;
}

RowFigures AnalyseFileRow(const std::optional<double>& units, CBond* bond, double stand, double horizon)
{
    if (!units)
        return RowFigures{RowStatus::BadUnits};
    return bond ? AnalyseRow(*bond, stand, horizon, SystemClock()) : RowFigures{};
}

std::string UnknownIdMessage(std::string_view id)
{
    std::string text = "Bond ID=";
    text += id;
    return text += " not found !";
}

std::string NotReadyMessage(std::string_view id, const RowFigures& figures)
{
    if (figures.status == RowStatus::NotFound)
        return UnknownIdMessage(id);
    std::string text = "Bond ID=";
    text += id;
    if (figures.status == RowStatus::Incompatible) {
        text += " is incompatible (code ";
        AppendInteger(text, figures.code);
        return text += ") .";
    }
    text += " : ";
    return text += StatusText(figures.status) + std::string(" .");
}

bool RefuseOutTarget(const std::string& out, const std::string& database)
{
    const auto target = CurrentIdentity(out);
    if (!target)
        return false; // nothing there yet: nothing to lose
    const auto read = CurrentIdentity(database);
    if (read && read->device == target->device && read->inode == target->inode) {
        std::cerr << OpenDatabaseTargetMessage() << "\n";
        return true;
    }
    const auto start = ReadFileBytes(out, sizeof kBondFileMagic, Beyond::Cut);
    if (start && std::string_view(*start).starts_with(std::string_view(kBondFileMagic, sizeof kBondFileMagic))) {
        std::cerr << NotAPortfolioMessage(out) << "\n";
        return true;
    }
    return false;
}

std::vector<std::unique_ptr<CBond>> FindBonds(const DatabaseFile& db, const std::vector<PortfolioEntry>& rows)
{
    std::vector<std::unique_ptr<CBond>> found(rows.size());
    std::vector<std::string> wanted;
    for (const PortfolioEntry& row : rows)
        wanted.push_back(FoldCase(row.id));
    std::size_t missing = rows.size();
    if (db.index.count == 0 || missing == 0)
        return found;
    BondRecordReader records(db.Bytes(), db.index.unitStarts[0]);
    for (std::size_t k = 0; k < db.index.count && missing > 0; ++k) {
        const CBond& bond = records.Next();
        for (std::size_t i = 0; i < rows.size(); ++i) {
            if (found[i] || !EqualsFolded(bond.m_strID, wanted[i]))
                continue;
            found[i] = CopyOfBond(bond);
            --missing;
        }
    }
    return found;
}

std::optional<PortfolioFile> OpenPortfolio(const std::string& path)
{
    errno = 0;
    const auto bytes = ReadFileBytes(path, kPortfolioFileReadLimit, Beyond::Cut);
    if (!bytes) {
        std::cerr << (errno == kNotRegularFile ? NotRegularFileMessage(path)
                                               : PortfolioFileMessage(FileCause::ReadError, false, false))
                  << "\n";
        return std::nullopt;
    }
    PortfolioFile file = ReadPortfolio(std::as_bytes(std::span(bytes->data(), bytes->size())));
    if (file.error == PortfolioFileError::TooManyRows) {
        std::cerr << TextOf(PortfolioText::TooManyRows) << "\n";
        return std::nullopt;
    }
    if (file.error != PortfolioFileError::None) {
        std::cerr << PortfolioFileMessage(CauseOf(file.error), true, false) << "\n";
        return std::nullopt;
    }
    return file;
}

} // namespace tenvix::cli
