#pragma once

// The price update window's page as its list shows it: Price, ID, Name and
// Status, where Status says "changed" for a price typed and not yet saved.
// Every change to the page goes through here, so the list always shows what
// the page holds.

#include "model/priceupdate.h"

#include <QAbstractTableModel>

namespace tenvix::ui {

class PricePageTable : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column { kColPrice = 0, kColID = 1, kColName = 2, kColStatus = 3, kColumns = 4 };

    using QAbstractTableModel::QAbstractTableModel;

    const PricePage& Page() const { return m_page; }

    void Show(const std::vector<CBond*>& matched, PageSpan span);
    void Clear();
    PriceCheck Type(int r, const QString& text);
    void Save(const std::vector<CBond*>& matched);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    // Only the price is edited, whichever cell the user starts on.
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    void ShowAll();

    PricePage m_page;
};

} // namespace tenvix::ui
