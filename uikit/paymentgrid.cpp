#include "uikit/paymentgrid.h"

#include "uikit/datetext.h"
#include "uikit/typeddecimal.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QStyledItemDelegate>

#include <algorithm>

namespace tenvix::ui {

// Opens an editor on the amount and on the date, and hands what was taken to
// the grid's owner rather than writing the model itself, so the form decides
// what a cell keeps. It knows the one editor that is open, so the grid can end
// the editing on its owner's behalf.
class AmountDelegate final : public QStyledItemDelegate {
public:
    explicit AmountDelegate(PaymentGrid* grid) : QStyledItemDelegate(grid), m_grid(grid) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        Q_UNUSED(option);
        auto* editor = new QLineEdit(parent);
        editor->setFrame(false);
        if (index.column() == PaymentGrid::kPayment) {
            editor->setObjectName(QStringLiteral("amountEditor"));
            editor->setMaxLength(PaymentGrid::kMaxAmountChars);
        } else if (index.column() == PaymentGrid::kDate) {
            editor->setObjectName(QStringLiteral("dateEditor"));
            editor->setMaxLength(PaymentGrid::kMaxDateChars);
            editor->setPlaceholderText(DateFormat());
        } else {
            delete editor;
            return nullptr;
        }
        m_open = editor;
        return editor;
    }

    // The view lets go of every editor through here, whether it was closed
    // or its row went away; a closed one may linger until it is deleted.
    void destroyEditor(QWidget* editor, const QModelIndex& index) const override
    {
        if (editor == m_open)
            m_open = nullptr;
        QStyledItemDelegate::destroyEditor(editor, index);
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            line->setText(index.data(Qt::DisplayRole).toString());
    }

    void setModelData(QWidget* editor, QAbstractItemModel*, const QModelIndex& index) const override
    {
        if (auto* line = qobject_cast<QLineEdit*>(editor))
            emit m_grid->EditEnded(index.row(), index.column(), Taken(index.column(), line->text()));
    }

    QLineEdit* Open() const { return m_open; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        // Esc ends the editing like Enter does: what was typed stays.
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
            if (auto* editor = qobject_cast<QWidget*>(object)) {
                emit commitData(editor);
                emit closeEditor(editor, QAbstractItemDelegate::NoHint);
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    // An amount with the full stop the core reads; a date that reads as one
    // as the grid shows every date, so that it reads back as the same day.
    // A date that does not read stays as typed, for the entries' check to
    // refuse with its row.
    static QString Taken(int column, const QString& typed)
    {
        if (column == PaymentGrid::kPayment)
            return TypedDecimal(typed);
        if (const std::optional<double> day = ParseTypedDate(typed, false))
            return FormatDate(*day);
        return typed;
    }

    PaymentGrid* m_grid;
    mutable QPointer<QLineEdit> m_open;
};

PaymentGrid::PaymentGrid(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(3);
    setHeaderLabels({QStringLiteral("Payment"), QStringLiteral("Date"), QStringLiteral("No")});
    headerItem()->setTextAlignment(kNo, Qt::AlignRight | Qt::AlignVCenter);
    setColumnWidth(kPayment, 90);
    setColumnWidth(kDate, 90);
    setColumnWidth(kNo, 32);
    header()->setStretchLastSection(false);
    header()->setSectionsMovable(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::SelectedClicked | QAbstractItemView::DoubleClicked |
                    QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    m_delegate = new AmountDelegate(this);
    setItemDelegate(m_delegate);
}

QString PaymentGrid::Text(int row, int column) const
{
    const QTreeWidgetItem* item = topLevelItem(row);
    return item ? item->text(column) : QString();
}

void PaymentGrid::SetText(int row, int column, const QString& text)
{
    if (QTreeWidgetItem* item = topLevelItem(row))
        item->setText(column, text);
}

void PaymentGrid::AppendPlaceholderRow()
{
    auto* item = new QTreeWidgetItem({kPlaceholder, QString(), QString::number(RowCount() + 1)});
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren);
    item->setTextAlignment(kNo, Qt::AlignRight | Qt::AlignVCenter);
    addTopLevelItem(item);
}

void PaymentGrid::RemoveLastRow()
{
    if (RowCount() > 0)
        delete takeTopLevelItem(RowCount() - 1);
}

void PaymentGrid::SetRowCount(int rows)
{
    DropEdit();
    rows = std::max(rows, 0);
    while (RowCount() < rows)
        AppendPlaceholderRow();
    while (RowCount() > rows)
        RemoveLastRow();
}

PeriodsBox::PeriodsBox(QWidget* parent) : QSpinBox(parent)
{
    lineEdit()->setReadOnly(true);
    // A count is a number like every other: ASCII digits whatever the
    // locale, and no group separator, so its text reads back as shown.
    QLocale ascii = QLocale::c();
    ascii.setNumberOptions(QLocale::OmitGroupSeparator);
    setLocale(ascii);
    setGroupSeparatorShown(false);
}

int PaymentGrid::SelectedRow() const
{
    const QList<QTreeWidgetItem*> items = selectedItems();
    return items.isEmpty() ? -1 : indexOfTopLevelItem(items.constFirst());
}

std::vector<GridRow> PaymentGrid::Rows() const
{
    std::vector<GridRow> rows;
    rows.reserve(static_cast<std::size_t>(RowCount()));
    for (int i = 0; i < RowCount(); ++i)
        rows.push_back({Text(i, kPayment).toStdString(), Text(i, kDate).toStdString()});
    return rows;
}

QLineEdit* PaymentGrid::Editor() const { return m_delegate->Open(); }

void PaymentGrid::CommitEdit()
{
    if (QLineEdit* editor = Editor()) {
        emit m_delegate->commitData(editor);
        emit m_delegate->closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void PaymentGrid::DropEdit()
{
    if (QLineEdit* editor = Editor())
        closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool PaymentGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // The amount and the date are each edited in their own cell; a key on the
    // number, which the form keeps, edits the row's amount.
    if ((trigger == EditKeyPressed || trigger == AnyKeyPressed) && index.isValid() && index.column() == kNo)
        return QTreeWidget::edit(index.sibling(index.row(), kPayment), trigger, event);
    return QTreeWidget::edit(index, trigger, event);
}

} // namespace tenvix::ui
