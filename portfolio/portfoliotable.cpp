#include "portfolio/portfoliotable.h"

#include "uikit/resources.h"

#include <QPixmap>

namespace tenvix::ui {

PortfolioTable::PortfolioTable(QObject* parent) : QAbstractTableModel(parent)
{
    InitResources();
    const QPixmap strip(QStringLiteral(":/portfolio/portfolio_status.png"));
    for (int i = 0; i < 4; ++i)
        m_pictures[static_cast<std::size_t>(i)] = QIcon(strip.copy(16 * i, 0, 16, 16));
}

bool PortfolioTable::Append(PortfolioRow row)
{
    if (m_rows.Full())
        return false;
    const int r = m_rows.Count();
    beginInsertRows({}, r, r);
    m_rows.Append(std::move(row));
    endInsertRows();
    return true;
}

void PortfolioTable::Remove(int r)
{
    if (r < 0 || r >= m_rows.Count())
        return;
    beginRemoveRows({}, r, r);
    m_rows.Remove(r);
    endRemoveRows();
}

void PortfolioTable::Clear()
{
    beginResetModel();
    m_rows.Clear();
    endResetModel();
}

void PortfolioTable::ShowAll()
{
    if (m_rows.Count() > 0)
        emit dataChanged(index(0, 0), index(m_rows.Count() - 1, kRowColumns - 1));
}

int PortfolioTable::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_rows.Count(); }

int PortfolioTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kRowColumns; }

QVariant PortfolioTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.Count() || index.column() >= kRowColumns)
        return {};
    const PortfolioRow& row = m_rows.Row(index.row());
    if (role == Qt::DisplayRole)
        return QString::fromStdString(row.texts[static_cast<std::size_t>(index.column())]);
    if (index.column() != static_cast<int>(RowColumn::Units))
        return {};
    if (role == Qt::DecorationRole)
        return m_pictures[static_cast<std::size_t>(row.picture)];
    if (role == Qt::UserRole)
        return static_cast<int>(row.picture);
    return {};
}

QVariant PortfolioTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kHeaders[kRowColumns] = {"Units", "Duration", "Square-M", "ID",   "YTM",
                                                      "Price", "Name",     "Status",   "Value"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kRowColumns)
        return {};
    return QString::fromLatin1(kHeaders[section]);
}

} // namespace tenvix::ui
