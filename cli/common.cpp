#include "cli/common.h"

#include "model/bondfile.h"
#include "model/date.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>

namespace tenvix::cli {

Arguments::Arguments(std::vector<std::string> args, std::vector<std::string_view> valued,
                     std::vector<std::string_view> flags)
{
    auto contains = [](const auto& names, std::string_view s) {
        return std::find(names.begin(), names.end(), s) != names.end();
    };
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

std::optional<double> ParseIsoDate(std::string_view text)
{
    if (text.size() != 10 || text[4] != '-' || text[7] != '-')
        return std::nullopt;
    int parts[3] = {0, 0, 0};
    const std::size_t starts[3] = {0, 5, 8};
    const std::size_t lengths[3] = {4, 2, 2};
    for (int k = 0; k < 3; ++k)
        for (std::size_t j = 0; j < lengths[k]; ++j) {
            const char c = text[starts[k] + j];
            if (c < '0' || c > '9')
                return std::nullopt;
            parts[k] = parts[k] * 10 + (c - '0');
        }
    return MakeDate(parts[0], parts[1], parts[2]);
}

double RequiredDate(const Arguments& args, std::string_view name)
{
    const std::string text = args.Required(name);
    const auto date = ParseIsoDate(text);
    if (!date)
        throw UsageError{"--" + std::string(name) + " wants a date as YYYY-MM-DD, not \"" + text + "\""};
    return *date;
}

std::string IsoDate(std::int32_t daySerial)
{
    const CivilDate c = Civil(daySerial);
    if (c.year < 0)
        return std::to_string(daySerial);
    char buf[48];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", c.year, c.month, c.day);
    return buf;
}

std::string CsvField(std::string_view text)
{
    if (text.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(text);
    std::string out = "\"";
    for (char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    out += '"';
    return out;
}

void WriteCsvRow(std::ostream& out, const std::vector<std::string>& fields)
{
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i)
            out << ',';
        out << CsvField(fields[i]);
    }
    out << "\r\n";
}

std::string Format(const char* format, double value)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    in.seekg(0);
    if (size < 0 || !in)
        return std::nullopt;
    std::string bytes(std::min(static_cast<std::size_t>(size), limit), '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        return std::nullopt;
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

std::optional<CBondList> LoadDatabase(const std::string& path)
{
    // The same ceiling as the windows: beyond it a file is no database.
    constexpr std::size_t kDatabaseReadLimit = std::size_t(1) << 30;
    errno = 0;
    const auto bytes = ReadFileBytes(path, kDatabaseReadLimit + 1);
    if (!bytes) {
        if (errno == ENOENT)
            std::cerr << path << "\nCannot find this file.\nPlease verify that the correct path and file name are given.\n";
        else
            std::cerr << "An unexpected error occurred while reading " << path << ".\n";
        return std::nullopt;
    }
    CBondList list;
    if (bytes->size() > kDatabaseReadLimit ||
        !LoadBondDatabase(std::as_bytes(std::span(bytes->data(), bytes->size())), list)) {
        std::cerr << "Unexpected file format.\n";
        return std::nullopt;
    }
    return list;
}

} // namespace tenvix::cli
