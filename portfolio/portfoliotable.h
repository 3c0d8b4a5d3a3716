#pragma once

// The portfolio window's rows as its list shows them: the texts of each row,
// and the row's picture beside its units (also as a number under
// Qt::UserRole). Every change to the rows goes through here, so the list
// always shows what the rows hold.

#include "portfolio/core/portfoliorows.h"

#include <QAbstractTableModel>
#include <QIcon>

#include <array>

namespace tenvix::ui {

class PortfolioTable : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit PortfolioTable(QObject* parent = nullptr);

    const PortfolioRows& Rows() const { return m_rows; }

    // False when the rows are full.
    bool Append(PortfolioRow row);
    void Remove(int r);
    void Clear();
    // Changes to the rows that neither add nor remove one.
    template <class Change>
    auto Edit(Change change)
    {
        struct Shown {
            PortfolioTable* table;
            ~Shown() { table->ShowAll(); }
        } shown{this};
        return change(m_rows);
    }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    void ShowAll();

    PortfolioRows m_rows;
    std::array<QIcon, 4> m_pictures;
};

} // namespace tenvix::ui
