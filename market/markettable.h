#pragma once

// The Market window's table: a model over the analysed bonds themselves, a
// million rows without a widget or a string of their own, filtered and sorted
// through an order of bond numbers that the model keeps (a proxy model over
// a million rows is too slow).

#include "curve/market.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <memory>
#include <vector>

namespace tenvix::ui {

class MarketTable final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        kColID,
        kColName,
        kColType,
        kColMaturity,
        kColPrice,
        kColAccrued,
        kColClean,
        kColYtm,
        kColDuration,
        kColSquareM,
        kColSpread,
        kColumns
    };

    explicit MarketTable(QObject* parent = nullptr);

    // Shows the bonds of `market` (null: none). Their spreads stay unread, the
    // column empty, until SetFitted: the fit writes them on its worker.
    void SetMarket(std::shared_ptr<const curve::Market> market);
    // The fit has ended: the spreads may be read and shown.
    void SetFitted();
    const curve::Market* Market() const { return m_market.get(); }

    // Shows the bonds whose ID or Name starts with `prefix`, without regard
    // to case; all of them when it is empty.
    void SetFilter(const QString& prefix);

    // The bond (its place in the list) shown in row `row`, and the row that
    // shows bond `bond` (-1 when the filter hides it).
    std::size_t BondAt(int row) const { return m_order[static_cast<std::size_t>(row)]; }
    int RowOf(std::size_t bond) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    void Rebuild();
    void SortOrder();
    bool SpreadsReady() const { return m_market && m_bFitted; }

    std::shared_ptr<const curve::Market> m_market;
    bool m_bFitted = false;
    std::string m_strFilter; // folded
    std::vector<std::uint32_t> m_order;
    int m_nSortColumn = -1; // list order
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace tenvix::ui
