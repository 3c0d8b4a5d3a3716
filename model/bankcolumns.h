#pragma once

// Which column of a bank's or a broker's list of bonds holds what: the
// identifier, the name, the coupon rate, the maturity, the price, the face
// value, the pay period and the release date. Guessed from the heading's
// words (English and German, in any case, ranked as the price import ranks
// its headings), or given as the command line's --columns.

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

enum class BankField { Id, Name, Rate, Maturity, Price, Face, Period, Release };
inline constexpr std::size_t kBankFieldCount = 8;
inline constexpr BankField kBankFields[kBankFieldCount] = {
    BankField::Id,    BankField::Name, BankField::Rate,   BankField::Maturity,
    BankField::Price, BankField::Face, BankField::Period, BankField::Release};

// The word --columns takes for a field: id, name, rate, maturity, price,
// face, period, release.
const char* BankFieldKey(BankField field);
std::optional<BankField> BankFieldOfKey(std::string_view key);
// What the window calls it: "ID", "Coupon rate %", ...
const char* BankFieldTitle(BankField field);
// Whether a list must have the field: the identifier, the rate, the
// maturity and the price; the others have defaults.
bool BankFieldRequired(BankField field);

inline constexpr std::size_t kNoColumn = static_cast<std::size_t>(-1);

// The column (from 0) each field is read from, kNoColumn for none.
struct BankColumns {
    std::array<std::size_t, kBankFieldCount> column;
    BankColumns() { column.fill(kNoColumn); }
    std::size_t& operator[](BankField f) { return column[static_cast<std::size_t>(f)]; }
    std::size_t operator[](BankField f) const { return column[static_cast<std::size_t>(f)]; }
    // Gives `field` the column `c`, which no other field keeps.
    void Assign(BankField field, std::size_t c);
    // The field read from column `c`, if any.
    std::optional<BankField> FieldIn(std::size_t c) const;
    friend bool operator==(const BankColumns&, const BankColumns&) = default;
};

// The columns the headings name: each field the column whose heading names
// it best (the whole heading one of its words before a heading that holds
// one as a word), each column one field at most.
BankColumns GuessBankColumns(const std::vector<std::string>& headings);

// The first field a list must have and `columns` lacks.
std::optional<BankField> MissingBankField(const BankColumns& columns);
// How many of the fields a list must have `columns` has.
std::size_t RequiredFound(const BankColumns& columns);

// The command line's --columns: "id=ISIN,name=Bezeichnung,price=3,release="
// (a heading as the file writes it, else in any case, or a column's number
// from 1; nothing after '=' for no column) over `guessed`; a column given to
// a field is taken from the field that was guessed for it. Nothing, with
// `error` set, for a text it cannot follow.
std::optional<BankColumns> ApplyColumnsOption(std::string_view option, const std::vector<std::string>& headings,
                                              std::size_t columnCount, BankColumns guessed, std::string& error);

} // namespace tenvix
