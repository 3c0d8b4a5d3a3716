#include "model/bankcolumns.h"

#include "model/numbers.h"
#include "model/pricecolumns.h"
#include "model/text.h"

#include <algorithm>
#include <span>
#include <tuple>

namespace tenvix {
namespace {

struct FieldText {
    BankField field;
    const char* key;
    const char* title;
    bool required;
    std::span<const std::string_view> words; // folded, best first
};

// English and German, as banks, brokers and spreadsheets head their columns.
// "Frequency" and "Zahlweise" count payments a year, not months: not taken.
constexpr std::string_view kIdWords[] = {"id",   "identifier", "isin",  "wkn",     "cusip",
                                         "code", "symbol",     "ticker", "kennung"};
constexpr std::string_view kNameWords[] = {"name",     "bezeichnung", "description", "beschreibung", "wertpapier",
                                           "security", "title",       "titel",       "issuer",       "emittent"};
constexpr std::string_view kRateWords[] = {"coupon",    "kupon",       "rate", "zins", "zinssatz", "kuponsatz",
                                           "nominalzins", "interest", "cpn"};
constexpr std::string_view kMaturityWords[] = {"maturity",        "fälligkeit", "faelligkeit", "fällig",
                                               "faellig",         "endfälligkeit", "due",      "redemption",
                                               "rückzahlung",     "expiry"};
constexpr std::string_view kPriceWords[] = {"price", "kurs", "preis", "cours", "prezzo", "close",
                                            "last",  "quote", "bid",  "mid",   "schlusskurs"};
constexpr std::string_view kFaceWords[] = {"face",  "nominal",     "nennwert", "par",
                                           "denomination", "stückelung", "nominale"};
constexpr std::string_view kPeriodWords[] = {"period", "months", "monate", "periode", "zinsperiode", "kuponperiode"};
constexpr std::string_view kReleaseWords[] = {"release",    "issue",        "issued",   "emission", "emissionsdatum",
                                              "ausgabe",    "ausgabedatum", "begebung", "valuta"};

constexpr FieldText kFieldTexts[kBankFieldCount] = {
    {BankField::Id, "id", "ID", true, kIdWords},
    {BankField::Name, "name", "Name", false, kNameWords},
    {BankField::Rate, "rate", "Coupon rate %", true, kRateWords},
    {BankField::Maturity, "maturity", "Maturity", true, kMaturityWords},
    {BankField::Price, "price", "Price", true, kPriceWords},
    {BankField::Face, "face", "Face value", false, kFaceWords},
    {BankField::Period, "period", "Pay period (months)", false, kPeriodWords},
    {BankField::Release, "release", "Release date", false, kReleaseWords},
};

const FieldText& TextOf(BankField field) { return kFieldTexts[static_cast<std::size_t>(field)]; }

// A column of --columns: a heading as written, else in any case, else a
// number from 1.
std::optional<std::size_t> ColumnNamed(std::string_view name, const std::vector<std::string>& headings,
                                       std::size_t columnCount)
{
    for (std::size_t c = 0; c < headings.size(); ++c)
        if (Trim(headings[c]) == name)
            return c;
    const std::string folded = FoldCase(name);
    for (std::size_t c = 0; c < headings.size(); ++c)
        if (FoldCase(Trim(headings[c])) == folded)
            return c;
    const std::optional<std::int32_t> number = ReadWholeNumber(name);
    if (!name.empty() && std::all_of(name.begin(), name.end(), [](char ch) { return ch >= '0' && ch <= '9'; }) &&
        number && *number >= 1 && static_cast<std::size_t>(*number) <= columnCount)
        return static_cast<std::size_t>(*number - 1);
    return std::nullopt;
}

} // namespace

const char* BankFieldKey(BankField field) { return TextOf(field).key; }
const char* BankFieldTitle(BankField field) { return TextOf(field).title; }
bool BankFieldRequired(BankField field) { return TextOf(field).required; }

std::optional<BankField> BankFieldOfKey(std::string_view key)
{
    for (const FieldText& t : kFieldTexts)
        if (key == t.key)
            return t.field;
    return std::nullopt;
}

void BankColumns::Assign(BankField field, std::size_t c)
{
    if (c != kNoColumn)
        for (std::size_t& other : column)
            if (other == c)
                other = kNoColumn;
    (*this)[field] = c;
}

std::optional<BankField> BankColumns::FieldIn(std::size_t c) const
{
    for (const BankField f : kBankFields)
        if ((*this)[f] == c && c != kNoColumn)
            return f;
    return std::nullopt;
}

BankColumns GuessBankColumns(const std::vector<std::string>& headings)
{
    // Every heading a field's words name, best first: a whole heading before
    // a word of one, then the earlier word, the earlier field, the earlier column.
    std::vector<std::tuple<bool, int, std::size_t, std::size_t>> named;
    for (std::size_t f = 0; f < kBankFieldCount; ++f) {
        const std::span<const std::string_view> words = kFieldTexts[f].words;
        for (std::size_t c = 0; c < headings.size(); ++c) {
            const int rank = HeadingRank(headings[c], words);
            if (rank < 0)
                continue;
            const bool asWord = rank >= static_cast<int>(words.size());
            named.emplace_back(asWord, asWord ? rank - static_cast<int>(words.size()) : rank, f, c);
        }
    }
    std::sort(named.begin(), named.end());
    BankColumns columns;
    for (const auto& [asWord, rank, f, c] : named) {
        const BankField field = kBankFields[f];
        if (columns[field] == kNoColumn && !columns.FieldIn(c))
            columns[field] = c;
    }
    return columns;
}

std::optional<BankField> MissingBankField(const BankColumns& columns)
{
    for (const BankField f : kBankFields)
        if (BankFieldRequired(f) && columns[f] == kNoColumn)
            return f;
    return std::nullopt;
}

std::size_t RequiredFound(const BankColumns& columns)
{
    return static_cast<std::size_t>(std::count_if(std::begin(kBankFields), std::end(kBankFields), [&](BankField f) {
        return BankFieldRequired(f) && columns[f] != kNoColumn;
    }));
}

std::optional<BankColumns> ApplyColumnsOption(std::string_view option, const std::vector<std::string>& headings,
                                              std::size_t columnCount, BankColumns guessed, std::string& error)
{
    BankColumns columns = guessed;
    std::array<bool, kBankFieldCount> given{};
    std::size_t from = 0;
    while (from <= option.size()) {
        const std::size_t to = std::min(option.find(',', from), option.size());
        const std::string_view item = option.substr(from, to - from);
        from = to + 1;
        const std::size_t eq = item.find('=');
        const std::optional<BankField> field =
            eq == std::string_view::npos ? std::nullopt : BankFieldOfKey(item.substr(0, eq));
        if (!field) {
            error = "--columns wants FIELD=COLUMN, FIELD one of id, name, rate, maturity, price, face, period, "
                    "release, not \"" +
                    std::string(item) + "\"";
            return std::nullopt;
        }
        if (given[static_cast<std::size_t>(*field)]) {
            error = "--columns names " + std::string(BankFieldKey(*field)) + " twice";
            return std::nullopt;
        }
        given[static_cast<std::size_t>(*field)] = true;
        const std::string_view name = item.substr(eq + 1);
        if (name.empty()) {
            columns[*field] = kNoColumn;
            continue;
        }
        const std::optional<std::size_t> c = ColumnNamed(name, headings, columnCount);
        if (!c) {
            error = "--columns: the file has no column \"" + std::string(name) + "\"";
            return std::nullopt;
        }
        if (const std::optional<BankField> holder = columns.FieldIn(*c);
            holder && given[static_cast<std::size_t>(*holder)] && *holder != *field) {
            error = "--columns gives column \"" + std::string(name) + "\" to both " + BankFieldKey(*holder) +
                    " and " + BankFieldKey(*field);
            return std::nullopt;
        }
        columns.Assign(*field, *c);
    }
    return columns;
}

} // namespace tenvix
