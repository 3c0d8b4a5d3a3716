#pragma once

// The price update window's list as a user reaches it: the row of a bond,
// and a price typed into the open editor.

#include <QAbstractItemView>
#include <QLineEdit>
#include <QTest>

namespace tenvix::test {

inline QAbstractItemView* PriceList(const QWidget* dlg) { return dlg->findChild<QAbstractItemView*>("priceList"); }

// Makes the row of bond `id` the current one; false when no row shows it.
inline bool GoToBond(const QWidget* dlg, const QString& id)
{
    QAbstractItemView* list = PriceList(dlg);
    const QModelIndexList found = list->model()->match(list->model()->index(0, 1), Qt::DisplayRole, id, 1,
                                                       Qt::MatchExactly);
    if (found.isEmpty())
        return false;
    list->setCurrentIndex(found.first());
    return true;
}

// The price editor now open; closed ones linger hidden until they are deleted.
inline QLineEdit* OpenPriceEditor(const QWidget* dlg)
{
    for (QLineEdit* editor : PriceList(dlg)->findChildren<QLineEdit*>("priceEditor"))
        if (editor->isVisible())
            return editor;
    return nullptr;
}

// Opens the price of the current row with F2 and types `text`, leaving the
// editor open; false when no editor opened.
inline bool TypeIntoPrice(const QWidget* dlg, const QString& text)
{
    QTest::keyClick(PriceList(dlg), Qt::Key_F2);
    QLineEdit* editor = OpenPriceEditor(dlg);
    if (!editor)
        return false;
    editor->setText(text);
    return true;
}

} // namespace tenvix::test
