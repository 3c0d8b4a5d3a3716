#include "market/markettable.h"

#include "market/markettexts.h"
#include "model/format.h"
#include "model/text.h"
#include "uikit/busycursor.h"
#include "uikit/datetext.h"
#include "uikit/strings.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace tenvix::ui {

namespace {

QString Figure(double value, int decimals) { return Qs(FormatFixed(value, decimals)); }

// The value a numeric column shows and sorts by, if the bond has one.
std::optional<double> ValueOf(const curve::MarketBond& b, int column, bool spreads)
{
    auto known = [](double v) { return std::isnan(v) ? std::nullopt : std::optional(v); };
    switch (column) {
    case MarketTable::kColType:
        return static_cast<double>(b.type);
    case MarketTable::kColMaturity:
        return static_cast<double>(b.maturity);
    case MarketTable::kColPrice:
        return static_cast<double>(b.price);
    case MarketTable::kColAccrued:
        return known(b.accrued);
    case MarketTable::kColClean:
        return known(b.clean);
    case MarketTable::kColYtm:
        return b.Solved() ? std::optional(b.ytm) : std::nullopt;
    case MarketTable::kColDuration:
        return b.Solved() ? std::optional(b.duration) : std::nullopt;
    case MarketTable::kColSquareM:
        // Square-M measures from the horizon: only with the horizon after the stand date.
        return b.Solved() && b.code == BOND_OK ? std::optional(b.squareM) : std::nullopt;
    case MarketTable::kColSpread:
        return spreads && b.Solved() ? known(b.spread * 10000) : std::nullopt;
    }
    return std::nullopt;
}

int Decimals(int column)
{
    switch (column) {
    case MarketTable::kColPrice:
    case MarketTable::kColSpread:
        return 2;
    case MarketTable::kColAccrued:
    case MarketTable::kColClean:
        return 6;
    default:
        return 8;
    }
}

// The first 24 bytes of a text as three numbers, and its length: the
// comparison of two texts up to that long ends there, even among names that
// share a long stem, without a look at the texts themselves.
struct Head {
    std::uint64_t part[3] = {0, 0, 0};
    std::uint32_t length = 0;
};
constexpr std::size_t kHeadBytes = 24;

Head HeadOf(std::string_view text)
{
    Head h;
    for (std::size_t k = 0; k < kHeadBytes; ++k)
        h.part[k / 8] = h.part[k / 8] << 8 | (k < text.size() ? static_cast<unsigned char>(text[k]) : 0u);
    h.length = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), 0xFFFFFFFF));
    return h;
}

// -1, 0 or 1 as `a` sorts before, with or after `b`; 2 when only the texts
// themselves can tell. Past equal heads the shorter text, padded with zeros,
// is the other's start.
int CompareHeads(const Head& a, const Head& b)
{
    for (int i = 0; i < 3; ++i)
        if (a.part[i] != b.part[i])
            return a.part[i] < b.part[i] ? -1 : 1;
    if (a.length > kHeadBytes || b.length > kHeadBytes)
        return 2;
    return a.length < b.length ? -1 : a.length > b.length ? 1 : 0;
}

} // namespace

MarketTable::MarketTable(QObject* parent) : QAbstractTableModel(parent) {}

void MarketTable::SetMarket(std::shared_ptr<const curve::Market> market)
{
    beginResetModel();
    m_market = std::move(market);
    m_bFitted = false;
    Rebuild();
    endResetModel();
}

void MarketTable::SetFitted()
{
    if (!m_market)
        return;
    m_bFitted = true;
    if (m_nSortColumn == kColSpread) {
        sort(m_nSortColumn, m_sortOrder);
    } else if (!m_order.empty()) {
        emit dataChanged(index(0, kColSpread), index(rowCount() - 1, kColSpread));
    }
}

void MarketTable::SetFilter(const QString& prefix)
{
    const std::string folded = FoldCase(Std(prefix));
    if (folded == m_strFilter)
        return;
    const BusyCursor busy;
    beginResetModel();
    m_strFilter = folded;
    Rebuild();
    endResetModel();
}

int MarketTable::RowOf(std::size_t bond) const
{
    const auto it = std::find(m_order.begin(), m_order.end(), static_cast<std::uint32_t>(bond));
    return it == m_order.end() ? -1 : static_cast<int>(it - m_order.begin());
}

void MarketTable::Rebuild()
{
    m_order.clear();
    if (!m_market)
        return;
    const std::size_t count = m_market->Bonds().size();
    m_order.reserve(m_strFilter.empty() ? count : 0);
    for (std::size_t k = 0; k < count; ++k)
        if (m_strFilter.empty() || StartsWithFolded(m_market->Id(k), m_strFilter) ||
            StartsWithFolded(m_market->Name(k), m_strFilter))
            m_order.push_back(static_cast<std::uint32_t>(k));
    SortOrder();
}

void MarketTable::SortOrder()
{
    if (m_order.empty() || m_nSortColumn < 0)
        return;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // Bonds equal in the column keep the list's order, whichever way it goes.
    // Each bond's key is worked out once: a million rows sort in a blink
    // only when a comparison reads two numbers side by side.
    if (m_nSortColumn == kColID || m_nSortColumn == kColName) {
        const bool id = m_nSortColumn == kColID;
        auto text = [&](std::uint32_t k) { return id ? m_market->Id(k) : m_market->Name(k); };
        std::vector<Head> head(m_market->Bonds().size());
        for (const std::uint32_t k : m_order)
            head[k] = HeadOf(text(k));
        std::sort(m_order.begin(), m_order.end(), [&](std::uint32_t a, std::uint32_t b) {
            int c = CompareHeads(head[a], head[b]);
            if (c == 2)
                c = text(a).compare(text(b));
            return c != 0 ? (descending ? c > 0 : c < 0) : a < b;
        });
        return;
    }
    // Bonds without a value come last either way, in the list's order.
    const auto bonds = m_market->Bonds();
    std::vector<double> key(bonds.size());
    const auto valued = std::stable_partition(m_order.begin(), m_order.end(), [&](std::uint32_t k) {
        const std::optional<double> value = ValueOf(bonds[k], m_nSortColumn, SpreadsReady());
        key[k] = value.value_or(0.0);
        return value.has_value();
    });
    std::sort(m_order.begin(), valued, [&](std::uint32_t a, std::uint32_t b) {
        if (key[a] != key[b])
            return descending ? key[a] > key[b] : key[a] < key[b];
        return a < b;
    });
    std::sort(valued, m_order.end());
}

void MarketTable::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= kColumns)
        return;
    const BusyCursor busy;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<std::uint32_t> bondsBefore;
    for (const QModelIndex& i : before)
        bondsBefore.push_back(m_order[static_cast<std::size_t>(i.row())]);
    m_nSortColumn = column;
    m_sortOrder = order;
    SortOrder();
    // The selection and the current row follow their bonds.
    for (int i = 0; i < before.size(); ++i) {
        const int row = RowOf(bondsBefore[static_cast<std::size_t>(i)]);
        changePersistentIndex(before[i], row < 0 ? QModelIndex() : index(row, before[i].column()));
    }
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int MarketTable::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int MarketTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant MarketTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::size_t k = BondAt(index.row());
    const curve::MarketBond& b = m_market->Bonds()[k];
    const int column = index.column();
    if (role == Qt::TextAlignmentRole)
        return column == kColID || column == kColName ? QVariant(Qt::AlignLeft | Qt::AlignVCenter)
                                                      : QVariant(Qt::AlignRight | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    switch (column) {
    case kColID:
        return Qs(std::string(m_market->Id(k)));
    case kColName:
        return Qs(std::string(m_market->Name(k)));
    case kColType:
        return b.type == BOND_TYPE_STD ? QStringLiteral("I") : QStringLiteral("II");
    case kColMaturity:
        return FormatDate(b.maturity);
    default: {
        const std::optional<double> value = ValueOf(b, column, SpreadsReady());
        return value ? Figure(*value, Decimals(column)) : QString();
    }
    }
}

QVariant MarketTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return QAbstractTableModel::headerData(section, orientation, role);
    return MarketHeadings()[section];
}

} // namespace tenvix::ui
