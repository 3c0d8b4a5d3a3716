#pragma once

// The payment grid of a Type II record: one row per payment with its amount,
// its date and its number. The amount and the date are typed in place (F2, a
// double click or simply typing on the cell); the date can also come from the
// calendar, and the number is kept by the form.

#include "model/bond.h"

#include <QSpinBox>
#include <QTreeWidget>

#include <vector>

class QLineEdit;

namespace tenvix::ui {

class AmountDelegate;

class PaymentGrid : public QTreeWidget {
    Q_OBJECT
public:
    enum Column { kPayment = 0, kDate = 1, kNo = 2 };
    // What a new row holds until the user types an amount.
    static inline const QString kPlaceholder = QStringLiteral("??????????");
    // The in-place editors keep at most this many characters.
    static constexpr int kMaxAmountChars = 254;
    static constexpr int kMaxDateChars = 64;

    explicit PaymentGrid(QWidget* parent = nullptr);

    int RowCount() const { return topLevelItemCount(); }
    QString Text(int row, int column) const;
    void SetText(int row, int column, const QString& text);
    void AppendPlaceholderRow();
    void RemoveLastRow();
    // Appends placeholder rows or removes rows from the end until there are
    // `rows` (none for a negative count); removed rows lose their texts, and
    // an open editor loses what it holds.
    void SetRowCount(int rows);
    // The selected row, or -1.
    int SelectedRow() const;
    // Amount and date texts of every row, top to bottom, as the core reads them.
    std::vector<GridRow> Rows() const;
    // The in-place editor, of an amount or a date, while one is open.
    QLineEdit* Editor() const;
    // Ends an open editing as Enter would: its text goes to EditEnded.
    void CommitEdit();
    // Closes an open editor and drops what it holds, for when the rows are
    // about to show something else.
    void DropEdit();

    using QTreeWidget::edit;

signals:
    // The in-place editing of a cell ended with this text; ending it with Esc
    // keeps the text too. The text is as the core reads it: an amount with a
    // decimal comma the locale writes turned into the full stop, a date that
    // reads written as the grid shows dates (one that does not read is left as
    // typed).
    void EditEnded(int row, int column, const QString& text);

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;

private:
    friend class AmountDelegate;
    AmountDelegate* m_delegate;
};

// The Periods box beside a payment grid: only its arrows change it, so the
// grid never has to guess what a half-typed number means. It shows ASCII
// digits in every locale.
class PeriodsBox final : public QSpinBox {
public:
    explicit PeriodsBox(QWidget* parent = nullptr);
};

} // namespace tenvix::ui
