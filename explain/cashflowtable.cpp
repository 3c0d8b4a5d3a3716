#include "explain/cashflowtable.h"

#include "explain/cashflowtexts.h"
#include "model/format.h"
#include "uikit/datetext.h"
#include "uikit/strings.h"

#include <QApplication>
#include <QClipboard>
#include <QColor>
#include <QFont>
#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace tenvix::ui {
namespace {

// Decimals shown: amounts and present values to four (a coupon of 2.125
// shows whole), times, factors and shares as the program shows its figures.
int DecimalsOf(int column)
{
    switch (column) {
    case CashflowTableModel::ColAmount:
    case CashflowTableModel::ColPresentValue:
        return 4;
    default:
        return 8;
    }
}

QVariant Figure(double value, int column, int role)
{
    switch (role) {
    case Qt::DisplayRole:
        return Qs(FormatFixed(value, DecimalsOf(column)));
    case CashflowTableModel::kCopyRole:
        return Qs(FormatShortest(value));
    case CashflowTableModel::kSortRole:
        return value;
    case Qt::TextAlignmentRole:
        return int(Qt::AlignRight | Qt::AlignVCenter);
    default:
        return {};
    }
}

} // namespace

void CashflowTableModel::SetExplanation(const Explanation& explanation)
{
    beginResetModel();
    m_explanation = explanation;
    m_bShown = true;
    endResetModel();
}

void CashflowTableModel::Clear()
{
    beginResetModel();
    m_explanation = {};
    m_bShown = false;
    endResetModel();
}

int CashflowTableModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid() || !m_bShown)
        return 0;
    return static_cast<int>(m_explanation.payments.size()) + 1;
}

int CashflowTableModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : ColCount; }

QVariant CashflowTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::ToolTipRole && section == ColDate)
        return TextOf(CashflowText::DateTip);
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return ColumnHeadings().value(section);
}

QVariant CashflowTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const auto row = static_cast<std::size_t>(index.row());
    if (row == m_explanation.payments.size())
        return role == kTotalsRole ? QVariant(true) : TotalsData(index.column(), role);
    if (role == kTotalsRole)
        return false;
    return PaymentData(m_explanation.payments[row], index.column(), role);
}

QVariant CashflowTableModel::PaymentData(const ExplainedPayment& p, int column, int role) const
{
    switch (column) {
    case ColNo:
        if (role == Qt::DisplayRole || role == kCopyRole)
            return Qs(FormatInteger(static_cast<std::int64_t>(p.no)));
        if (role == kSortRole)
            return static_cast<qulonglong>(p.no);
        if (role == Qt::TextAlignmentRole)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        return {};
    case ColMember:
        if (role == Qt::DisplayRole || role == kCopyRole || role == kSortRole)
            return Qs(p.member);
        return {};
    case ColDate:
        if (role == Qt::DisplayRole || role == kCopyRole)
            return FormatDate(p.day);
        if (role == kSortRole)
            return p.day;
        // A Type I record keeps no dates: its dates are counted back from
        // maturity and shown in a colour of their own. Not in italics: an
        // italic face often lacks the digits of locales that have their own.
        if (role == Qt::ForegroundRole && p.dayDerived)
            return QColor(0x00, 0x6d, 0x77);
        if (role == Qt::ToolTipRole && p.dayDerived)
            return TextOf(CashflowText::DerivedTip);
        return {};
    case ColYears:
        return Figure(p.years, column, role);
    case ColAmount:
        return Figure(p.amount, column, role);
    case ColDiscount:
        return Figure(p.discount, column, role);
    case ColPresentValue:
        return Figure(p.presentValue, column, role);
    case ColShare:
        return Figure(p.share, column, role);
    case ColDurationPart:
        return Figure(p.durationPart, column, role);
    case ColSquareMPart:
        return Figure(p.squareMPart, column, role);
    default:
        return {};
    }
}

QVariant CashflowTableModel::TotalsData(int column, int role) const
{
    const Explanation& e = m_explanation;
    if (role == Qt::FontRole) {
        QFont font;
        font.setBold(true);
        return font;
    }
    switch (column) {
    case ColNo:
        return role == Qt::DisplayRole || role == kCopyRole ? QVariant(TextOf(CashflowText::Total)) : QVariant();
    case ColAmount:
        return Figure(e.amount, column, role);
    case ColPresentValue:
        return Figure(e.presentValue, column, role);
    case ColShare:
        return Figure(e.share, column, role);
    case ColDurationPart:
        return Figure(e.duration, column, role);
    case ColSquareMPart:
        return Figure(e.squareM, column, role);
    default:
        return role == kCopyRole ? QVariant(QString()) : QVariant();
    }
}

bool CashflowSortProxy::lessThan(const QModelIndex& left, const QModelIndex& right) const
{
    // The totals row is the greatest in ascending order and the least in
    // descending order, so that it ends up last in both.
    const bool ascending = sortOrder() == Qt::AscendingOrder;
    if (left.data(CashflowTableModel::kTotalsRole).toBool())
        return !ascending;
    if (right.data(CashflowTableModel::kTotalsRole).toBool())
        return ascending;
    return QSortFilterProxyModel::lessThan(left, right);
}

CashflowTable::CashflowTable(QWidget* parent)
    : QTableView(parent), m_model(new CashflowTableModel(this)), m_proxy(new CashflowSortProxy(this))
{
    m_proxy->setSourceModel(m_model);
    m_proxy->setSortRole(CashflowTableModel::kSortRole);
    setModel(m_proxy);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setAlternatingRowColors(true);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    setSortingEnabled(true);
    sortByColumn(CashflowTableModel::ColNo, Qt::AscendingOrder);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, &CashflowTable::SelectedPaymentsChanged);
    connect(m_model, &QAbstractItemModel::modelReset, this, [this] {
        resizeColumnsToContents();
        emit SelectedPaymentsChanged();
    });
}

QList<int> CashflowTable::SelectedPayments() const
{
    QList<int> rows;
    for (const QModelIndex& index : selectionModel()->selectedRows()) {
        const QModelIndex source = m_proxy->mapToSource(index);
        if (!source.data(CashflowTableModel::kTotalsRole).toBool())
            rows << source.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

QString CashflowTable::SelectionText() const
{
    QModelIndexList selected = selectionModel()->selectedRows();
    if (selected.isEmpty())
        return {};
    std::sort(selected.begin(), selected.end(),
              [](const QModelIndex& a, const QModelIndex& b) { return a.row() < b.row(); });
    QString text = ColumnHeadings().join(u'\t') + u'\n';
    for (const QModelIndex& index : selected) {
        QStringList cells;
        for (int c = 0; c < CashflowTableModel::ColCount; ++c)
            cells << m_proxy->index(index.row(), c).data(CashflowTableModel::kCopyRole).toString();
        text += cells.join(u'\t') + u'\n';
    }
    return text;
}

void CashflowTable::CopySelection() const
{
    const QString text = SelectionText();
    if (!text.isEmpty())
        QApplication::clipboard()->setText(text);
}

bool CashflowTable::event(QEvent* event)
{
    if (event->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    return QTableView::event(event);
}

void CashflowTable::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Copy)) {
        CopySelection();
        event->accept();
        return;
    }
    QTableView::keyPressEvent(event);
}

} // namespace tenvix::ui
