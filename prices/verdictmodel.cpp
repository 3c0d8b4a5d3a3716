#include "prices/verdictmodel.h"

#include "model/format.h"
#include "model/pricemessages.h"
#include "prices/importtexts.h"
#include "uikit/busycursor.h"
#include "uikit/strings.h"

#include <QBrush>
#include <QColor>

#include <algorithm>
#include <optional>

namespace tenvix::ui {

namespace {

const char* const kHeadings[] = {"Line",     "ID",      "Old price", "New price", "Quote",
                                 "Accrued",  "Change %", "Verdict",   "Reason"};
static_assert(std::size(kHeadings) == PriceVerdictModel::kColumns);
// Paid prices show every column but the two of clean quotes.
constexpr int kPaidColumns = PriceVerdictModel::kColumns - 2;

QString Figure(double value) { return Qs(FormatFixed(value, 2)); }

// The value a column sorts by, if the row has one.
std::optional<double> SortValue(const PriceVerdict& v, int column)
{
    const VerdictFigures figures = FiguresOf(v);
    switch (column) {
    case PriceVerdictModel::kColOldPrice:
        return figures.oldPrice ? std::optional(v.oldPrice) : std::nullopt;
    case PriceVerdictModel::kColNewPrice:
        return figures.newPrice ? std::optional(v.newPrice) : std::nullopt;
    case PriceVerdictModel::kColQuote:
        return figures.quote ? std::optional(v.quote) : std::nullopt;
    case PriceVerdictModel::kColAccrued:
        return figures.accrued ? std::optional(v.accrued) : std::nullopt;
    case PriceVerdictModel::kColChange:
        return figures.change ? std::optional(v.changePercent) : std::nullopt;
    case PriceVerdictModel::kColVerdict:
        return static_cast<double>(v.kind);
    case PriceVerdictModel::kColReason:
        if (v.kind == PriceVerdictKind::Refused)
            return static_cast<double>(v.refusal);
        return v.largeChange ? std::optional(-1.0) : std::nullopt;
    }
    return 0.0;
}

} // namespace

PriceVerdictModel::PriceVerdictModel(QObject* parent) : QAbstractTableModel(parent) {}

void PriceVerdictModel::SetVerdicts(const PriceFile* file, std::vector<PriceVerdict>* verdicts)
{
    beginResetModel();
    m_pFile = file;
    m_pVerdicts = file ? verdicts : nullptr;
    if (m_pVerdicts)
        MarkLargeChanges(*m_pVerdicts, m_dThreshold);
    // An empty table keeps the columns it had, so that the header does not
    // jump while the verdicts are made anew.
    // Other columns, other sections: the rows go back to the file's order,
    // as the window's header then shows.
    if (m_pVerdicts && !m_pVerdicts->empty() && m_pVerdicts->front().clean != m_bClean) {
        m_bClean = m_pVerdicts->front().clean;
        m_nSortColumn = kColLine;
        m_sortOrder = Qt::AscendingOrder;
    }
    Rebuild();
    endResetModel();
}

PriceVerdictModel::Column PriceVerdictModel::ColumnAt(int section) const
{
    if (!m_bClean && section >= kColQuote)
        section += 2;
    return section >= 0 && section < kColumns ? static_cast<Column>(section) : kColumns;
}

void PriceVerdictModel::SetFilter(Filter filter)
{
    if (filter == m_filter)
        return;
    beginResetModel();
    m_filter = filter;
    Rebuild();
    endResetModel();
}

void PriceVerdictModel::SetThreshold(double percent)
{
    m_dThreshold = percent;
    if (!m_pVerdicts)
        return;
    MarkLargeChanges(*m_pVerdicts, percent);
    // Which rows a filter or a sort on the flag shows may change with it.
    if (m_filter == Filter::LargeChange || m_nSortColumn == kColReason) {
        beginResetModel();
        Rebuild();
        endResetModel();
    } else if (!m_order.empty()) {
        emit dataChanged(index(0, 0), index(rowCount() - 1, columnCount() - 1));
    }
}

bool PriceVerdictModel::Passes(const PriceVerdict& v) const
{
    switch (m_filter) {
    case Filter::All:
        return true;
    case Filter::Update:
        return v.kind == PriceVerdictKind::Update;
    case Filter::LargeChange:
        return v.kind == PriceVerdictKind::Update && v.largeChange;
    case Filter::Unchanged:
        return v.kind == PriceVerdictKind::Unchanged;
    case Filter::Unknown:
        return v.kind == PriceVerdictKind::Unknown;
    case Filter::NotAlive:
        return v.kind == PriceVerdictKind::NotAlive;
    case Filter::Refused:
        return v.kind == PriceVerdictKind::Refused;
    }
    return true;
}

void PriceVerdictModel::Rebuild()
{
    m_order.clear();
    if (!m_pVerdicts)
        return;
    const std::vector<PriceVerdict>& verdicts = *m_pVerdicts;
    for (std::size_t i = 0; i < verdicts.size(); ++i)
        if (Passes(verdicts[i]))
            m_order.push_back(static_cast<std::uint32_t>(i));
    SortOrder();
}

void PriceVerdictModel::SortOrder()
{
    if (m_order.empty())
        return;
    const std::vector<PriceVerdict>& verdicts = *m_pVerdicts;
    const std::vector<PriceRow>& rows = m_pFile->rows;
    const bool descending = m_sortOrder == Qt::DescendingOrder;
    // Rows equal in the column keep the file's order, whichever way it goes.
    // Each row's key is worked out once: a million rows are sorted in a
    // blink only when a comparison reads two numbers side by side.
    if (m_nSortColumn == kColLine) {
        std::sort(m_order.begin(), m_order.end(),
                  [&](std::uint32_t a, std::uint32_t b) { return descending ? a > b : a < b; });
        return;
    }
    if (m_nSortColumn == kColID) {
        // The first eight bytes as a number decide most comparisons.
        std::vector<std::uint64_t> head(rows.size());
        for (const std::uint32_t i : m_order) {
            std::uint64_t h = 0;
            for (std::size_t k = 0; k < 8; ++k)
                h = h << 8 | (k < rows[i].id.size() ? static_cast<unsigned char>(rows[i].id[k]) : 0u);
            head[i] = h;
        }
        std::sort(m_order.begin(), m_order.end(), [&](std::uint32_t a, std::uint32_t b) {
            int c = head[a] < head[b] ? -1 : head[a] > head[b] ? 1 : 0;
            if (c == 0)
                c = rows[a].id.compare(rows[b].id);
            return c != 0 ? (descending ? c > 0 : c < 0) : a < b;
        });
        return;
    }
    // Rows without a value come last either way, in the file's order.
    std::vector<double> key(verdicts.size());
    const auto valued = std::stable_partition(m_order.begin(), m_order.end(), [&](std::uint32_t i) {
        const std::optional<double> value = SortValue(verdicts[i], m_nSortColumn);
        key[i] = value.value_or(0.0);
        return value.has_value();
    });
    std::sort(m_order.begin(), valued, [&](std::uint32_t a, std::uint32_t b) {
        if (key[a] != key[b])
            return descending ? key[a] > key[b] : key[a] < key[b];
        return a < b;
    });
    std::sort(valued, m_order.end());
}

void PriceVerdictModel::sort(int section, Qt::SortOrder order)
{
    const Column column = ColumnAt(section);
    if (column == kColumns)
        return;
    const BusyCursor busy;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    m_nSortColumn = column;
    m_sortOrder = order;
    SortOrder();
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

int PriceVerdictModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_order.size());
}

int PriceVerdictModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_bClean ? kColumns : kPaidColumns;
}

QVariant PriceVerdictModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const std::size_t i = RowAt(index.row());
    const PriceVerdict& v = (*m_pVerdicts)[i];
    const PriceRow& row = m_pFile->rows[i];
    const Column column = ColumnAt(index.column());
    switch (role) {
    case Qt::DisplayRole: {
        const VerdictFigures figures = FiguresOf(v);
        switch (column) {
        case kColLine:
            return Qs(FormatInteger(row.line));
        case kColID:
            return Qs(row.id);
        case kColOldPrice:
            return figures.oldPrice ? Figure(v.oldPrice) : QString();
        case kColNewPrice:
            return figures.newPrice ? Figure(v.newPrice) : QString();
        case kColQuote:
            return figures.quote ? Figure(v.quote) : QString();
        case kColAccrued:
            return figures.accrued ? Qs(FormatFixed(v.accrued, 6)) : QString();
        case kColChange:
            return figures.change ? Figure(v.changePercent) : QString();
        case kColVerdict:
            return QString::fromLatin1(prices::VerdictWord(v.kind));
        case kColReason:
            return v.largeChange ? QString::fromLatin1(prices::TextOf(prices::ImportText::LargeChange))
                                 : Qs(PriceRefusalText(v));
        case kColumns:
            break;
        }
        return {};
    }
    case Qt::TextAlignmentRole:
        if (column != kColID && column != kColVerdict && column != kColReason)
            return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
        return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        // A large change stands out from the rows around it.
        if (v.largeChange)
            return QBrush(QColor(255, 226, 170));
        return {};
    case Qt::ForegroundRole:
        if (v.kind == PriceVerdictKind::Refused && column >= kColVerdict)
            return QBrush(QColor(176, 0, 0));
        return {};
    }
    return {};
}

QVariant PriceVerdictModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    return QString::fromLatin1(kHeadings[ColumnAt(section)]);
}

} // namespace tenvix::ui
