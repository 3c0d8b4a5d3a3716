#include "portfolio/core/portfoliorows.h"

#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/duplicates.h"
#include "portfolio/core/portfoliomessages.h"

#include <cmath>

namespace tenvix {
namespace {

// A row's figures, or its status when there are none.
void ShowFigures(PortfolioRow& row, const RowFigures& f)
{
    if (f.status == RowStatus::Ready) {
        row.Text(RowColumn::YTM) = FormatFixed(f.ytm, 8);
        row.Text(RowColumn::Duration) = FormatFixed(f.duration, 8);
        row.Text(RowColumn::SquareM) = FormatFixed(f.squareM, 8);
    } else {
        row.Text(RowColumn::Status) = StatusText(f.status);
    }
}

// What a row is worth: its units at its bond's stored price; none without a
// bond, for units no row can show, or where no number holds it.
std::optional<double> ValueOf(const PortfolioRow& row)
{
    if (!row.found || row.unreadUnits)
        return std::nullopt;
    const double value = ReadLeadingDecimal(row.Text(RowColumn::Units)) * static_cast<double>(row.found->m_fPrice);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

void ShowValue(PortfolioRow& row)
{
    const auto value = ValueOf(row);
    row.Text(RowColumn::Value) = value ? FormatFixed(*value, 2) : std::string();
}

// The row's figures from a fresh analysis of its bond, and whether it takes
// part, by them.
void Analysed(PortfolioRow& row, const RowFigures& f)
{
    ShowFigures(row, f);
    const bool ready = f.status == RowStatus::Ready;
    row.ready = ready ? row.found : nullptr;
    row.picture = ready ? RowPicture::Ready : RowPicture::Problem;
}

void ShowNotFound(PortfolioRow& row)
{
    row.Text(RowColumn::Status) = StatusText(RowStatus::NotFound);
    row.picture = RowPicture::NotFound;
}

} // namespace

std::optional<std::string> ShownUnits(double units)
{
    if (!(units >= 0.0) || std::isinf(units))
        return std::nullopt;
    // -0 is no less than 0, and shown as it.
    return FormatFixed(units + 0.0, 0);
}

PortfolioRow PortfolioRows::Lookup(const std::string& id, double units, CBondList::List& bonds, double stand,
                                   double horizon, const Clock& clock)
{
    PortfolioRow row;
    const std::optional<std::string> shown = ShownUnits(units);
    row.Text(RowColumn::Units) = shown ? *shown : FormatFixed(units, 0);
    row.Text(RowColumn::ID) = id;
    row.found = FindBondByID(bonds, id);
    if (!row.found) {
        ShowNotFound(row);
    } else {
        row.Text(RowColumn::Name) = row.found->m_strName;
        row.Text(RowColumn::Price) = FormatFixed(row.found->m_fPrice, 2);
        // Analysed all the same: the figures are the bond's, and new units
        // bring the row in with the dates it was added with.
        Analysed(row, AnalyseRow(*row.found, stand, horizon, clock));
    }
    if (!shown) {
        row.unreadUnits = units;
        row.ready = nullptr;
        row.picture = RowPicture::Problem;
        row.Text(RowColumn::Status) = StatusText(RowStatus::BadUnits);
    }
    ShowValue(row);
    return row;
}

PortfolioRow PortfolioRows::Suggested(const SUGGESTION& s)
{
    PortfolioRow row;
    // Not `= "0"`: GCC 12 at -O3 warns falsely of an overlapping copy there.
    row.Text(RowColumn::Units).assign(1, '0');
    row.Text(RowColumn::Duration) = FormatFixed(s.dDuration, 8);
    row.Text(RowColumn::SquareM) = FormatFixed(s.dSquareM, 8);
    row.Text(RowColumn::YTM) = FormatFixed(s.dYield, 8);
    if (s.pBond) {
        row.Text(RowColumn::Price) = FormatFixed(s.pBond->m_fPrice, 2);
        row.Text(RowColumn::ID) = s.pBond->m_strID;
        row.Text(RowColumn::Name) = s.pBond->m_strName;
    }
    row.picture = RowPicture::Suggested;
    row.found = s.pBond;
    row.ready = s.pBond;
    ShowValue(row);
    return row;
}

std::string PortfolioRows::Text(int r, RowColumn c) const
{
    return r >= 0 && r < Count() ? Row(r).Text(c) : std::string();
}

bool PortfolioRows::Append(PortfolioRow row)
{
    if (Full())
        return false;
    m_rows.push_back(std::move(row));
    m_changed = true;
    return true;
}

void PortfolioRows::Remove(int r)
{
    if (r < 0 || r >= Count())
        return;
    m_rows.erase(m_rows.begin() + r);
    m_changed = true;
}

void PortfolioRows::Clear()
{
    m_rows.clear();
    m_changed = true;
}

RowUpdate PortfolioRows::Update(int r, const std::string& units, const std::string& price, double priceValue,
                                const Clock& clock)
{
    RowUpdate done;
    if (r < 0 || r >= Count())
        return done;
    // New units, or a new price of a bond other rows hold too: every row's
    // value is shown anew, whichever way the update ends.
    struct ValuesShown {
        std::vector<PortfolioRow>& rows;
        ~ValuesShown()
        {
            for (PortfolioRow& row : rows)
                ShowValue(row);
        }
    } valuesShown{m_rows};
    PortfolioRow& row = m_rows[static_cast<std::size_t>(r)];
    if (row.Text(RowColumn::Units) != units) {
        row.Text(RowColumn::Units) = units;
        done.unitsChanged = true;
        m_changed = true;
    }
    // Units typed in (whole, as the update takes them) stand for those no
    // row could show.
    const bool unitsNow = row.unreadUnits && done.unitsChanged;
    if (unitsNow)
        row.unreadUnits.reset();
    CBond* b = row.found;
    done.priceChanged = b && std::fabs(priceValue - Price(r)) >= 1e-6;
    if (!done.priceChanged && !unitsNow)
        return done;
    row.Text(RowColumn::Status).clear();
    if (!b) {
        ShowNotFound(row);
        return done;
    }
    if (done.priceChanged) {
        m_changed = true;
        b->m_fPrice = static_cast<float>(priceValue);
        row.Text(RowColumn::Price) = price;
    }
    for (RowColumn c : {RowColumn::Duration, RowColumn::SquareM, RowColumn::YTM})
        row.Text(c).clear();
    // The dates are those the row was added with.
    Analysed(row, ReanalyseRow(*b, clock));
    if (done.priceChanged)
        Propagate(r);
    return done;
}

void PortfolioRows::Propagate(int r)
{
    if (r < 0 || r >= Count())
        return;
    const PortfolioRow& from = Row(r);
    // A row left out for its units shows its bond's figures, not whether
    // the bond is ready.
    if (!from.found || from.unreadUnits)
        return;
    const bool ready = from.picture == RowPicture::Ready || from.picture == RowPicture::Suggested;
    for (int i = 0; i < Count(); ++i) {
        PortfolioRow& to = m_rows[static_cast<std::size_t>(i)];
        if (i == r || to.found != from.found)
            continue;
        for (RowColumn c : {RowColumn::YTM, RowColumn::Duration, RowColumn::SquareM, RowColumn::Price})
            to.Text(c) = from.Text(c);
        ShowValue(to); // at the bond's price, shared
        if (to.unreadUnits)
            continue;
        to.Text(RowColumn::Status) = from.Text(RowColumn::Status);
        to.picture = from.picture;
        to.ready = ready ? from.found : nullptr;
    }
}

double PortfolioRows::Units(int r) const { return ReadLeadingDecimal(Text(r, RowColumn::Units)); }

double PortfolioRows::Price(int r) const { return ReadLeadingDecimal(Text(r, RowColumn::Price)); }

std::vector<double> PortfolioRows::AllUnits() const
{
    std::vector<double> units;
    for (int r = 0; r < Count(); ++r)
        units.push_back(Units(r));
    return units;
}

std::vector<PortfolioEntry> PortfolioRows::Entries() const
{
    std::vector<PortfolioEntry> entries;
    for (int r = 0; r < Count(); ++r)
        entries.push_back({Text(r, RowColumn::ID), Row(r).unreadUnits.value_or(Units(r))});
    return entries;
}

std::vector<std::string> PortfolioRows::Ids() const
{
    std::vector<std::string> ids;
    for (const PortfolioRow& row : m_rows)
        ids.push_back(row.Text(RowColumn::ID));
    return ids;
}

std::vector<CBond*> PortfolioRows::ReadyBonds() const
{
    std::vector<CBond*> bonds;
    for (const PortfolioRow& row : m_rows)
        bonds.push_back(row.ready);
    return bonds;
}

double PortfolioRows::TotalValue() const
{
    double total = 0.0;
    for (const PortfolioRow& row : m_rows)
        if (const auto value = ValueOf(row))
            total += *value;
    return total;
}

std::optional<int> PortfolioRows::FirstExcluded() const
{
    for (int r = 0; r < Count(); ++r)
        if (!Row(r).ready)
            return r;
    return std::nullopt;
}

std::vector<std::pair<int, int>> PortfolioRows::Duplicates() const { return DuplicatePairs(Ids()); }

} // namespace tenvix
