#include "shell/mylistview.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>

namespace tenvix::ui {

CMyListView::CMyListView(QWidget* parent) : QTreeWidget(parent)
{
    setObjectName(QStringLiteral("listView"));
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("ID"), QStringLiteral("Name")});
    // Room for twelve digits, as wide as the longest identifiers of the
    // bundled sample, at least; digits are as wide as capitals or wider in
    // most fonts, and the cell's own margins come on top.
    const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
    setColumnWidth(0, std::max(75, fontMetrics().horizontalAdvance(QString(12, u'0')) + margins));
    setColumnWidth(1, 100);
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(false);
    header()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    setSortingEnabled(false);
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void CMyListView::Seek(CBondList& bonds, SeekBy by, const QString& text)
{
    RemoveAllRows();
    const std::size_t found = SeekBonds(bonds, by, text.left(kMaxSeekText).toStdString(), m_pSeekResults);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(found));
    for (std::size_t r = 0; r < found; ++r) {
        const CBond& bond = *(*m_pSeekResults[r]);
        rows.append(new QTreeWidgetItem(
            QStringList{QString::fromStdString(bond.m_strID), QString::fromStdString(bond.m_strName)}));
    }
    addTopLevelItems(rows);
}

void CMyListView::RemoveAllRows() { clear(); }

int CMyListView::SuggestedWidth() const
{
    return columnWidth(0) + columnWidth(1) + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

int CMyListView::IdsWidth() const
{
    return columnWidth(0) + 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
}

void CMyListView::ShowSelected()
{
    const QList<QTreeWidgetItem*> selected = selectedItems();
    if (selected.isEmpty() || !m_showRecord)
        return;
    // Single selection: the one selected row is also the first from the top.
    const int row = indexOfTopLevelItem(selected.constFirst());
    if (row < 0 || static_cast<std::size_t>(row) >= m_pSeekResults.size())
        return;
    m_showRecord(m_pSeekResults[static_cast<std::size_t>(row)]);
}

void CMyListView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        ShowSelected();
    QTreeWidget::mouseDoubleClickEvent(event);
}

void CMyListView::keyPressEvent(QKeyEvent* event)
{
    // The keyboard's double-click.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && event->modifiers() == Qt::NoModifier &&
        !selectedItems().isEmpty()) {
        ShowSelected();
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void SetUpSeekBox(QComboBox& what)
{
    what.setEditable(true);
    what.lineEdit()->setMaxLength(kMaxSeekText);
    what.setInsertPolicy(QComboBox::NoInsert);
    what.setCompleter(nullptr);
}

void RunSeek(const QComboBox& by, QComboBox& what, CMyListView& view, CBondList& bonds)
{
    const QString text = what.currentText().left(kMaxSeekText);
    view.Seek(bonds, by.currentIndex() == 0 ? SeekBy::ID : SeekBy::Name, text);
    if (text.isEmpty())
        return;

    std::vector<std::string> history;
    for (int k = 0; k < what.count(); ++k)
        history.push_back(what.itemText(k).toStdString());
    // The entry the box shows as chosen from its list, not edited since.
    const int current = what.currentIndex();
    const int selected = current >= 0 && what.itemText(current) == what.currentText() ? current : -1;

    const SeekBoxShows shows = RememberSeekText(history, text.toStdString(), selected);
    QStringList entries;
    for (const std::string& entry : history)
        entries << QString::fromStdString(entry);
    what.clear();
    what.addItems(entries);
    if (shows == SeekBoxShows::Entry0) {
        what.setCurrentIndex(0);
    } else {
        what.setCurrentIndex(-1);
        what.setEditText(text);
    }
}

} // namespace tenvix::ui
