#pragma once

// The rows of a price file with their verdicts, as a table for the import
// window: a model over the verdicts themselves, a million rows without a
// widget or a string of their own, sorted and filtered through an order of
// row numbers.

#include "model/priceverdicts.h"

#include <QAbstractTableModel>

#include <cstdint>
#include <vector>

namespace tenvix::ui {

class PriceVerdictModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    // The columns it can show; Quote and Accrued only for clean quotes.
    enum Column {
        kColLine,
        kColID,
        kColOldPrice,
        kColNewPrice,
        kColQuote,
        kColAccrued,
        kColChange,
        kColVerdict,
        kColReason,
        kColumns
    };
    // Which rows are shown.
    enum class Filter { All, Update, LargeChange, Unchanged, Unknown, NotAlive, Refused };

    explicit PriceVerdictModel(QObject* parent = nullptr);

    // Shows `verdicts` of the rows of `file`, index for index; both must
    // outlive their showing (until the next call). Null shows nothing. The
    // Quote and Accrued columns show when the verdicts are of clean quotes.
    void SetVerdicts(const PriceFile* file, std::vector<PriceVerdict>* verdicts);
    // Which column a section of the table shows.
    Column ColumnAt(int section) const;
    bool Clean() const { return m_bClean; }
    void SetFilter(Filter filter);
    Filter CurrentFilter() const { return m_filter; }
    // Flags the large changes anew.
    void SetThreshold(double percent);

    // The file's row (index into the verdicts) shown in row `row`.
    std::size_t RowAt(int row) const { return m_order[static_cast<std::size_t>(row)]; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    void sort(int column, Qt::SortOrder order) override;

private:
    bool Passes(const PriceVerdict& verdict) const;
    // The rows that pass the filter, in the order of the sort column.
    void Rebuild();
    void SortOrder();

    const PriceFile* m_pFile = nullptr;
    std::vector<PriceVerdict>* m_pVerdicts = nullptr;
    std::vector<std::uint32_t> m_order;
    Filter m_filter = Filter::All;
    double m_dThreshold = kLargeChangePercent;
    bool m_bClean = false;
    int m_nSortColumn = kColLine;
    Qt::SortOrder m_sortOrder = Qt::AscendingOrder;
};

} // namespace tenvix::ui
