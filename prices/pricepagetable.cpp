#include "prices/pricepagetable.h"

namespace tenvix::ui {

void PricePageTable::Show(const std::vector<CBond*>& matched, PageSpan span)
{
    beginResetModel();
    m_page.Show(matched, span);
    endResetModel();
}

void PricePageTable::Clear()
{
    beginResetModel();
    m_page.Clear();
    endResetModel();
}

PriceCheck PricePageTable::Type(int r, const QString& text)
{
    const PriceCheck check = m_page.Type(r, text.toStdString());
    if (check == PriceCheck::OK)
        emit dataChanged(index(r, kColPrice), index(r, kColStatus));
    return check;
}

void PricePageTable::Save(const std::vector<CBond*>& matched)
{
    m_page.Save(matched);
    ShowAll();
}

void PricePageTable::ShowAll()
{
    if (m_page.Count() > 0)
        emit dataChanged(index(0, 0), index(m_page.Count() - 1, kColumns - 1));
}

int PricePageTable::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : m_page.Count(); }

int PricePageTable::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : kColumns; }

QVariant PricePageTable::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= m_page.Count() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    const PageRow& row = m_page.Row(index.row());
    switch (index.column()) {
    case kColPrice:
        return QString::fromStdString(row.price);
    case kColID:
        return QString::fromStdString(row.id);
    case kColName:
        return QString::fromStdString(row.name);
    case kColStatus:
        return row.changed ? QStringLiteral("changed") : QString();
    default:
        return {};
    }
}

QVariant PricePageTable::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const char* const kHeaders[kColumns] = {"Price", "ID", "Name", "Status"};
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 || section >= kColumns)
        return {};
    return QString::fromLatin1(kHeaders[section]);
}

Qt::ItemFlags PricePageTable::flags(const QModelIndex& index) const
{
    Qt::ItemFlags flags = QAbstractTableModel::flags(index);
    if (index.isValid() && index.column() == kColPrice)
        flags |= Qt::ItemIsEditable;
    return flags;
}

} // namespace tenvix::ui
