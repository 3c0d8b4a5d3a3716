// The seek list: what a seek shows, what it remembers, and that a picked row
// leads to the right bond.

#include "shell/mylistview.h"
#include "support/fakes.h"

#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QTest>

using namespace tenvix;
using namespace tenvix::ui;

namespace {

void Add(CBondList& list, const std::string& id, const std::string& name)
{
    auto bond = std::make_unique<CBondStd>(0);
    bond->m_strID = id;
    bond->m_strName = name;
    list.m_list.push_back(std::move(bond));
}

QStringList Column(const QTreeWidget& view, int column)
{
    QStringList texts;
    for (int r = 0; r < view.topLevelItemCount(); ++r)
        texts << view.topLevelItem(r)->text(column);
    return texts;
}

QStringList Entries(const QComboBox& box)
{
    QStringList texts;
    for (int k = 0; k < box.count(); ++k)
        texts << box.itemText(k);
    return texts;
}

} // namespace

class TestListView : public QObject {
    Q_OBJECT

    CBondList m_bonds;
    SeekResults m_results;
    std::unique_ptr<QWidget> m_window;
    QComboBox* m_by = nullptr;
    QComboBox* m_what = nullptr;
    CMyListView* m_view = nullptr;
    std::vector<CBondList::Position> m_shown;

    void Seek(int by, const QString& text)
    {
        m_by->setCurrentIndex(by);
        m_what->setEditText(text);
        RunSeek(*m_by, *m_what, *m_view, m_bonds);
    }

private slots:
    void init()
    {
        m_bonds.RemoveAllBonds();
        for (const auto& [id, name] : {std::pair{"AB1", "Zeta"}, {"xab", "alpha"}, {"abc", "ALPHA bank"},
                                       {"a", "Alp"}, {"Ab", "beta"}, {"ÉCU", "Élan"}})
            Add(m_bonds, id, name);
        m_window = std::make_unique<QWidget>();
        m_by = new QComboBox(m_window.get());
        m_by->addItems({"By ID", "By Name"});
        m_what = new QComboBox(m_window.get());
        SetUpSeekBox(*m_what);
        m_view = new CMyListView(m_window.get());
        m_view->SetSeekResults(m_results);
        m_shown.clear();
        m_view->SetRecordShower([this](CBondList::Position at) { m_shown.push_back(at); });
    }

    void cleanup() { m_window.reset(); }

    void layout()
    {
        QCOMPARE(m_view->columnCount(), 2);
        QCOMPARE(m_view->headerItem()->text(0), QString("ID"));
        QCOMPARE(m_view->headerItem()->text(1), QString("Name"));
        QCOMPARE(m_view->columnWidth(0), 75);
        QCOMPARE(m_view->columnWidth(1), 100);
        QCOMPARE(m_view->selectionMode(), QAbstractItemView::SingleSelection);
        QCOMPARE(m_view->selectionBehavior(), QAbstractItemView::SelectRows);
        QVERIFY(!m_view->header()->sectionsClickable());
        QCOMPARE(m_what->lineEdit()->maxLength(), kMaxSeekText);
    }

    void seeksByIdAndByName()
    {
        Seek(0, "ab");
        QCOMPARE(Column(*m_view, 0), QStringList({"AB1", "abc", "Ab"}));
        QCOMPARE(Column(*m_view, 1), QStringList({"Zeta", "ALPHA bank", "beta"}));
        Seek(1, "ALP");
        QCOMPARE(Column(*m_view, 0), QStringList({"xab", "abc", "a"}));
        Seek(1, "élan");
        QCOMPARE(Column(*m_view, 0), QStringList({"ÉCU"}));
        Seek(0, "zz");
        QCOMPARE(m_view->topLevelItemCount(), 0);
    }

    void showsAtMostFiveHundred()
    {
        m_bonds.RemoveAllBonds();
        for (int k = 0; k < 600; ++k)
            Add(m_bonds, "M" + std::to_string(k), "n");
        Seek(0, "m");
        QCOMPARE(m_view->topLevelItemCount(), 500);
        QCOMPARE(m_view->topLevelItem(499)->text(0), QString("M499"));
        // An empty text lists the first 500 bonds and is not remembered.
        Seek(1, "");
        QCOMPARE(m_view->topLevelItemCount(), 500);
        QCOMPARE(m_view->topLevelItem(0)->text(0), QString("M0"));
        QCOMPARE(Entries(*m_what), QStringList({"m"}));
    }

    void historyIsLowerCaseNewestFirst()
    {
        Seek(0, "Abc");
        Seek(0, "abc");
        QCOMPARE(Entries(*m_what), QStringList({"abc"}));
        // The box keeps the text as typed, not the history's lower case.
        Seek(0, "XAB");
        QCOMPARE(m_what->currentText(), QString("XAB"));
        QCOMPARE(Entries(*m_what), QStringList({"xab", "abc"}));
        for (int k = 0; k < 9; ++k)
            Seek(1, QString("N%1").arg(k));
        QCOMPARE(m_what->count(), int(kSeekHistory));
        QCOMPARE(m_what->itemText(0), QString("n8"));
        QCOMPARE(m_what->itemText(9), QString("xab"));
    }

    void chosenEntryMovesUpAndStaysSelected()
    {
        for (const char* text : {"a", "b", "c"})
            Seek(0, text);
        QCOMPARE(Entries(*m_what), QStringList({"c", "b", "a"}));
        m_what->setCurrentIndex(2);
        RunSeek(*m_by, *m_what, *m_view, m_bonds);
        QCOMPARE(Entries(*m_what), QStringList({"a", "c", "b"}));
        QCOMPARE(m_what->currentIndex(), 0);
        QCOMPARE(m_what->currentText(), QString("a"));
        QCOMPARE(Column(*m_view, 0), QStringList({"AB1", "abc", "a", "Ab"}));

        // A chosen entry edited afterwards is typed text again.
        m_what->setCurrentIndex(1);
        m_what->setEditText("C");
        RunSeek(*m_by, *m_what, *m_view, m_bonds);
        QCOMPARE(Entries(*m_what), QStringList({"c", "a", "b"}));
        QCOMPARE(m_what->currentText(), QString("C"));
    }

    void pickingARowShowsItsBond()
    {
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        Seek(0, "ab");
        // Nothing selected: a double-click on the empty area does nothing.
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, QPoint(5, m_view->viewport()->height() - 3));
        QVERIFY(m_shown.empty());

        const QRect row1 = m_view->visualItemRect(m_view->topLevelItem(1));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, {}, row1.center());
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, {}, row1.center());
        QCOMPARE(m_shown.size(), std::size_t(1));
        QCOMPARE((*m_shown[0])->m_strID, std::string("abc"));

        // Enter on the selected row does the same.
        m_view->setCurrentItem(m_view->topLevelItem(2));
        QTest::keyClick(m_view, Qt::Key_Return);
        QCOMPARE(m_shown.size(), std::size_t(2));
        QCOMPARE((*m_shown[1])->m_strID, std::string("Ab"));

        m_view->RemoveAllRows();
        QCOMPARE(m_view->topLevelItemCount(), 0);
        QTest::keyClick(m_view, Qt::Key_Return);
        QCOMPARE(m_shown.size(), std::size_t(2));
    }

    void screenshot()
    {
        m_window->resize(260, 200);
        m_view->setGeometry(0, 0, 260, 200);
        Seek(1, "");
        m_view->setCurrentItem(m_view->topLevelItem(2));
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        QVERIFY(m_window->grab().save(QDir::temp().filePath("tenvix_listview.png")));
    }
};

QTEST_MAIN(TestListView)
#include "tst_listview.moc"
