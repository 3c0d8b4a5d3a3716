#pragma once

// The rows of the portfolio window. What a row shows is what it holds: the
// units and the price stay the texts shown (the units as "%.0f" when a row is
// added, the texts as typed after an update), and Calculate and Save read
// their values back from those texts. A row only points at its bond, which
// belongs to the database.

#include "model/bond.h"
#include "model/bondlist.h"
#include "model/clock.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/core/suggest.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tenvix {

// The columns, in the order the window shows them. Value is the units at the
// bond's stored price ("%.2f"), empty without a bond.
enum class RowColumn { Units, Duration, SquareM, ID, YTM, Price, Name, Status, Value };
inline constexpr int kRowColumns = 9;

// The picture beside a row's units.
enum class RowPicture { Problem, NotFound, Suggested, Ready };

struct PortfolioRow {
    std::array<std::string, kRowColumns> texts;
    RowPicture picture = RowPicture::Problem;
    // The bond found for the identifier, else null.
    CBond* found = nullptr;
    // The bond when the row takes part in Calculate, else null.
    CBond* ready = nullptr;
    // Units from a file that no row can show (ShownUnits): the row takes no
    // part, whatever its bond's figures, until an update gives it units, and
    // Save writes these back.
    std::optional<double> unreadUnits;

    const std::string& Text(RowColumn c) const { return texts[static_cast<std::size_t>(c)]; }
    std::string& Text(RowColumn c) { return texts[static_cast<std::size_t>(c)]; }
};

// Units as a row shows them, "%.0f", which is what Calculate counts; nothing
// for units no row can show: NaN, infinite or negative.
std::optional<std::string> ShownUnits(double units);

// What an update did.
struct RowUpdate {
    bool unitsChanged = false;
    // The bond took the new price and the rows of that bond were analysed again.
    bool priceChanged = false;
};

class PortfolioRows {
public:
    // A row for identifier `id`: its bond looked up in `bonds` and analysed
    // for the stand date and horizon. Units no row can show leave it out,
    // with the reason as its status.
    static PortfolioRow Lookup(const std::string& id, double units, CBondList::List& bonds, double stand,
                               double horizon, const Clock& clock);
    // A row for a suggested bond, with the figures the scan found and no units.
    static PortfolioRow Suggested(const SUGGESTION& s);

    int Count() const { return static_cast<int>(m_rows.size()); }
    bool Full() const { return Count() >= kPortfolioRows; }
    const PortfolioRow& Row(int r) const { return m_rows[static_cast<std::size_t>(r)]; }
    // Empty outside the rows.
    std::string Text(int r, RowColumn c) const;

    // False when the rows are full.
    bool Append(PortfolioRow row);
    void Remove(int r);
    void Clear();
    // Row r takes the units and price texts as typed; `price` is what the
    // price text reads as. A price that differs from the one shown by 1e-6
    // or more goes to the bond, which is analysed again with the dates it was
    // added with, and every row of that bond shows the result. New units
    // bring a row left out for its units back in.
    RowUpdate Update(int r, const std::string& units, const std::string& price, double priceValue, const Clock& clock);
    // Copies row r's figures, status, price and picture to every other row of
    // the same bond.
    void Propagate(int r);

    // Rows added, removed or updated since the last Save or Load.
    bool Changed() const { return m_changed; }
    void SetChanged(bool changed) { m_changed = changed; }

    // The values read from the texts: the leading number of each, 0 when
    // there is none.
    double Units(int r) const;
    double Price(int r) const;
    std::vector<double> AllUnits() const;
    std::vector<PortfolioEntry> Entries() const;
    std::vector<std::string> Ids() const;
    std::vector<CBond*> ReadyBonds() const;
    // The sum of the rows' values: each row's units at its bond's stored
    // price, a row without a bond or without a finite value left out.
    double TotalValue() const;
    // The first row that does not take part in Calculate.
    std::optional<int> FirstExcluded() const;
    // Pairs of rows naming the same identifier, as DuplicatePairs orders them.
    std::vector<std::pair<int, int>> Duplicates() const;

private:
    std::vector<PortfolioRow> m_rows;
    bool m_changed = false;
};

} // namespace tenvix
