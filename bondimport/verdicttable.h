#pragma once

// The verdicts of the bond import as a table: no widget or text of their
// own, so a million rows cost what the verdicts cost. For a bank's list it
// shows beside each verdict the record the row makes.

#include "model/bondimport.h"

#include <QAbstractTableModel>

#include <vector>

namespace tenvix::ui {

class BondVerdictTable final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        kColLine,
        kColId,
        kColVerdict,
        kColCoupon,
        kColFace,
        kColPrice,
        kColRelease,
        kColMaturity,
        kColReason,
        kColumns
    };

    using QAbstractTableModel::QAbstractTableModel;

    // Null shows nothing; `records` adds the columns of the record made.
    void SetVerdicts(const std::vector<BondVerdict>* verdicts, bool records = false);
    // Which column a section shows.
    Column ColumnAt(int section) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    const std::vector<BondVerdict>* m_verdicts = nullptr;
    bool m_bRecords = false;
};

} // namespace tenvix::ui
