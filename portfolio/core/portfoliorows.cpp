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
// bond, or where no number holds it.
std::optional<double> ValueOf(const PortfolioRow& row)
{
    if (!row.found)
        return std::nullopt;
    const double value = ReadLeadingDecimal(row.Text(RowColumn::Units)) * static_cast<double>(row.found->m_fPrice);
    return std::isfinite(value) ? std::optional(value) : std::nullopt;
}

void ShowValue(PortfolioRow& row)
{
    const auto value = ValueOf(row);
    row.Text(RowColumn::Value) = value ? FormatFixed(*value, 2) : std::string();
}

} // namespace

PortfolioRow PortfolioRows::Lookup(const std::string& id, double units, CBondList::List& bonds, double stand,
                                   double horizon, const Clock& clock)
{
    PortfolioRow row;
    row.Text(RowColumn::Units) = FormatFixed(units, 0);
    row.Text(RowColumn::ID) = id;
    row.found = FindBondByID(bonds, id);
    if (!row.found) {
        row.Text(RowColumn::Status) = StatusText(RowStatus::NotFound);
        row.picture = RowPicture::NotFound;
        return row;
    }
    row.Text(RowColumn::Name) = row.found->m_strName;
    row.Text(RowColumn::Price) = FormatFixed(row.found->m_fPrice, 2);
    ShowValue(row);
    const RowFigures f = AnalyseRow(*row.found, stand, horizon, clock);
    ShowFigures(row, f);
    if (f.status == RowStatus::Ready) {
        row.ready = row.found;
        row.picture = RowPicture::Ready;
    }
    return row;
}

PortfolioRow PortfolioRows::Suggested(const SUGGESTION& s)
{
    PortfolioRow row;
    row.Text(RowColumn::Units) = "0";
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
    PortfolioRow& row = m_rows[static_cast<std::size_t>(r)];
    if (row.Text(RowColumn::Units) != units) {
        row.Text(RowColumn::Units) = units;
        done.unitsChanged = true;
        m_changed = true;
    }
    ShowValue(row);
    CBond* b = row.found;
    if (!b || !(std::fabs(priceValue - Price(r)) >= 1e-6))
        return done;
    done.priceChanged = true;
    m_changed = true;

    b->m_fPrice = static_cast<float>(priceValue);
    row.Text(RowColumn::Price) = price;
    for (RowColumn c : {RowColumn::Duration, RowColumn::SquareM, RowColumn::YTM, RowColumn::Status})
        row.Text(c).clear();
    // The dates are those the row was added with.
    const RowFigures f = ReanalyseRow(*b, clock);
    ShowFigures(row, f);
    const bool ready = f.status == RowStatus::Ready;
    row.ready = ready ? b : nullptr;
    row.picture = ready ? RowPicture::Ready : RowPicture::Problem;
    ShowValue(row);
    Propagate(r);
    return done;
}

void PortfolioRows::Propagate(int r)
{
    if (r < 0 || r >= Count())
        return;
    const PortfolioRow& from = Row(r);
    if (!from.found)
        return;
    const bool ready = from.picture == RowPicture::Ready || from.picture == RowPicture::Suggested;
    for (int i = 0; i < Count(); ++i) {
        PortfolioRow& to = m_rows[static_cast<std::size_t>(i)];
        if (i == r || to.found != from.found)
            continue;
        for (RowColumn c :
             {RowColumn::YTM, RowColumn::Duration, RowColumn::SquareM, RowColumn::Status, RowColumn::Price})
            to.Text(c) = from.Text(c);
        to.picture = from.picture;
        to.ready = ready ? from.found : nullptr;
        ShowValue(to); // the price is the bond's, shared
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
        entries.push_back({Text(r, RowColumn::ID), Units(r)});
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
