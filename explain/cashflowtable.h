#pragma once

// The Cashflows view's table: one row a payment and a totals row that stays
// last however the columns are sorted. Ctrl+C copies the selected rows, with
// the headings, as tab-separated text.

#include "model/explain.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QTableView>

namespace tenvix::ui {

class CashflowTableModel final : public QAbstractTableModel {
    Q_OBJECT
public:
    enum Column {
        ColNo,
        ColMember,
        ColDate,
        ColYears,
        ColAmount,
        ColDiscount,
        ColPresentValue,
        ColShare,
        ColDurationPart,
        ColSquareMPart,
        ColCount
    };
    // What the columns sort by: numbers as numbers, dates as days.
    static constexpr int kSortRole = Qt::UserRole;
    // True on the totals row.
    static constexpr int kTotalsRole = Qt::UserRole + 1;
    // A cell as copied: figures in their shortest text that reads back the
    // same double, so that a spreadsheet reconciles to the last digit.
    static constexpr int kCopyRole = Qt::UserRole + 2;

    using QAbstractTableModel::QAbstractTableModel;

    // The payments and their totals; nothing at all after Clear.
    void SetExplanation(const Explanation& explanation);
    void Clear();
    const Explanation& Shown() const { return m_explanation; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVariant PaymentData(const ExplainedPayment& p, int column, int role) const;
    QVariant TotalsData(int column, int role) const;

    Explanation m_explanation;
    bool m_bShown = false;
};

// Sorts by the model's sort role and keeps the totals row last in either order.
class CashflowSortProxy final : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override;
};

class CashflowTable final : public QTableView {
    Q_OBJECT
public:
    explicit CashflowTable(QWidget* parent = nullptr);

    CashflowTableModel& Model() const { return *m_model; }
    // The payments selected, as indexes into the explanation's rows.
    QList<int> SelectedPayments() const;
    // The headings and the selected rows in the order shown, tab-separated,
    // a line each.
    QString SelectionText() const;
    void CopySelection() const;

signals:
    void SelectedPaymentsChanged();

protected:
    // Ctrl+C belongs to the table while it has the focus, not to the frame's
    // Copy, which serves the record form's fields.
    bool event(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    CashflowTableModel* m_model;
    CashflowSortProxy* m_proxy;
};

} // namespace tenvix::ui
