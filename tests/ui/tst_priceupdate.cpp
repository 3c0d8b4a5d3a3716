// Re-pricing page by page: the pages, how typed prices are checked, and what
// reaches the bonds. Which bonds match and how pages split is the matching's
// own test.

#include "prices/priceupdatedlg.h"
#include "support/app.h"
#include "support/pricelist.h"

#include <functional>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::ShownMessage;

namespace {

constexpr int kStandDay = 46000;

CBond& Add(CBondList& list, const std::string& id, std::int32_t maturity = kStandDay + 1, float price = 100.0f)
{
    CBond& bond = test::AddRecord(list, id, price, maturity);
    bond.m_strName = "Name of " + id;
    return bond;
}

} // namespace

class TestPriceUpdate : public QObject {
    Q_OBJECT

    CBondList m_bonds;
    std::unique_ptr<CPriceUpdateDlg> m_dlg;
    std::unique_ptr<test::FakeMessages> m_messages;

    QAbstractItemView* List() const { return test::PriceList(m_dlg.get()); }
    QString Page() const
    {
        return m_dlg->findChild<QLineEdit*>("currentPage")->text() + " " +
               m_dlg->findChild<QLabel*>("pageCount")->text();
    }
    QString Cell(int row, int column) const { return List()->model()->index(row, column).data().toString(); }
    int Rows() const { return List()->model()->rowCount(); }
    void GoTo(int row) const { List()->setCurrentIndex(List()->model()->index(row, 0)); }
    void Click(const char* name) { QTest::mouseClick(m_dlg->findChild<QAbstractButton*>(name), Qt::LeftButton); }

    void Open()
    {
        m_dlg = std::make_unique<CPriceUpdateDlg>();
        m_dlg->m_pBondList = &m_bonds;
        m_dlg->m_nStandDay = kStandDay;
        QVERIFY(test::Active(m_dlg.get()));
    }

    void AddMany(int count)
    {
        for (int k = 0; k < count; ++k)
            Add(m_bonds, QString::asprintf("B%04d", k).toStdString());
    }

    QLineEdit* OpenEditor() const { return test::OpenPriceEditor(m_dlg.get()); }

    // Types `text` into the price editor of `row` and commits it with Enter.
    void TypePrice(int row, const QString& text)
    {
        QAbstractItemView* list = List();
        list->setFocus();
        GoTo(row);
        QTest::keyClick(list, Qt::Key_F2);
        QPointer<QLineEdit> editor = OpenEditor();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_Delete);
        QTest::keyClicks(editor, text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!editor || !editor->isVisible());
        QCoreApplication::processEvents();
    }

private slots:
    void init()
    {
        m_bonds.RemoveAllBonds();
        m_messages = std::make_unique<test::FakeMessages>();
    }
    void cleanup()
    {
        m_dlg.reset();
        m_messages.reset();
    }

    void rowsShowTheLiveBondsInPages()
    {
        // Which bonds and in which order is PriceUpdate.OrderEqualsOneByOneInsertion.
        Add(m_bonds, "b2", kStandDay + 1, 12.345f);
        Add(m_bonds, "A1");
        Open();
        QCOMPARE(QStringList({Cell(1, 0), Cell(1, 1), Cell(1, 2), Cell(1, 3)}),
                 QStringList({"12.35", "b2", "Name of b2", ""}));

        // 201 bonds: two pages; the arrow stops at the last, the keys page too.
        m_bonds.RemoveAllBonds();
        AddMany(201);
        Open();
        QCOMPARE(Page(), QString("1 of 2"));
        for (int k = 0; k < 3; ++k)
            Click("nextPage");
        QCOMPARE(Page(), QString("2 of 2"));
        QCOMPARE(Rows(), 1);
        auto* scroll = m_dlg->findChild<QWidget*>("scrollPages");
        scroll->setFocus();
        QTest::keyClick(scroll, Qt::Key_Home);
        QCOMPARE(Page(), QString("1 of 2"));
        QTest::keyClick(scroll, Qt::Key_Right);
        QCOMPARE(Page(), QString("2 of 2"));
        // A Save without changed rows still counts as a save. The float a
        // typed price is stored as is PriceUpdate.PageRowsKeepTheTypedTexts';
        // the window's Save storing it, an editor still open included, is
        // tst_heldopen's priceUpdateWindowHoldsTheOpen.
        Click("saveButton");
        QCOMPARE(m_dlg->m_bSaved, 1);

        // None: one empty page (PriceUpdate.PagesOfTwoHundred), and Save on
        // it is no save.
        m_bonds.RemoveAllBonds();
        Open();
        Click("saveButton");
        QCOMPARE(m_dlg->m_bSaved, 0);
    }

    void typedPricesAreChecked_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("message");
        QTest::newRow("too small") << "0.00001"
                                   << "New Price out of range !";
        // A decimal comma is read only where the locale writes one. Beside a
        // full stop it is refused everywhere, as the record form shows
        // (tst_numbertexts' typedDecimalCommaFollowsTheLocale, the same reader).
        QTest::newRow("decimal comma") << "97,5" << (QLocale().decimalPoint() == "," ? "" : "Invalid price !");
    }

    void typedPricesAreChecked()
    {
        QFETCH(QString, typed);
        QFETCH(QString, message);
        const QString taken = QString(typed).replace(u',', u'.');
        Add(m_bonds, "X1");
        Open();
        TypePrice(0, typed);
        if (message.isEmpty()) {
            QVERIFY(m_messages->shown.isEmpty());
            // As typed, with the full stop that reads back.
            QCOMPARE(Cell(0, 0) + "|" + Cell(0, 3), taken + "|changed");
        } else {
            QCOMPARE(m_messages->Texts(), QStringList{message});
            QCOMPARE(m_messages->Last().caption, QString("Error"));
            QCOMPARE(Cell(0, 0) + "|" + Cell(0, 3), QString("100.00|"));
        }
        // That nothing reaches the bond before Save is PriceUpdate.PageRowsKeepTheTypedTexts'.
        Click("saveButton");
        QCOMPARE(m_bonds.m_list.back()->m_fPrice, message.isEmpty() ? taken.toFloat() : 100.0f);
    }

    // Typing in the list looks for an identifier, as in any list: a page
    // number typed by mistake changes no price. F2, Enter and a double click
    // open the price of the row.
    void typingSeeksAndOnlyTheEditKeysEditAPrice()
    {
        for (const char* id : {"ALPHA", "BETA", "BRAVO", "CHARLIE"})
            Add(m_bonds, id);
        Open();
        QAbstractItemView* list = List();
        const auto current = [list] { return list->currentIndex().siblingAtColumn(1).data().toString(); };
        const auto seek = [list](const char* typed) {
            QTest::qWait(QApplication::keyboardInputInterval() + 1); // a new search, not more of the last
            QTest::keyClicks(list, typed);
        };
        seek("12");
        QVERIFY(!OpenEditor());
        seek("br");
        QCOMPARE(current(), QString("BRAVO"));
        QVERIFY(!OpenEditor());
        for (int row = 0; row < 4; ++row)
            QCOMPARE(Cell(row, 0) + "|" + Cell(row, 3), QString("100.00|"));

        // F2 is how every other test here opens a price; the keypad's Enter
        // takes Return's way.
        const QPoint idCell = list->visualRect(list->model()->index(2, 1)).center();
        for (const auto& open : std::initializer_list<std::function<void()>>{
                 [&] { QTest::keyClick(list, Qt::Key_Return); },
                 [&] {
                     QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, idCell);
                     QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, idCell);
                 }}) {
            open();
            QPointer<QLineEdit> editor = OpenEditor();
            QVERIFY(editor);
            QCOMPARE(list->currentIndex().row(), 2);
            QTest::keyClick(editor, Qt::Key_Escape);
            QTRY_VERIFY(!editor || !editor->isVisible());
            list->setFocus();
        }
        QVERIFY(m_dlg->isVisible());
        QVERIFY(m_messages->shown.isEmpty());
    }

    void typedPricesAreNeverDroppedWithoutAsking()
    {
        AddMany(250);
        Open();
        const auto price = [&](int k) { return std::next(m_bonds.m_list.begin(), k)->get()->m_fPrice; };
        const auto asked = [&] {
            const bool once = m_messages->Texts() == QStringList{"Save changed prices ?"};
            const ShownMessage box = m_messages->shown.value(0);
            m_messages->Clear();
            return once && box.caption == "Question" && box.icon == MsgIcon::Question &&
                   box.buttons == MsgButtons::YesNoCancel;
        };

        // Nothing typed, nothing asked: the first question below is the only one.
        Click("nextPage");
        Click("previousPage");

        // Cancel stays with the edit, No drops it, Yes saves it and goes on.
        TypePrice(3, "55");
        m_messages->Answer(MsgAnswer::Cancel);
        Click("nextPage");
        QVERIFY(asked());
        QCOMPARE(Page() + " " + Cell(3, 0) + "|" + Cell(3, 3), QString("1 of 2 55|changed"));
        m_messages->Answer(MsgAnswer::No);
        Click("nextPage");
        QVERIFY(asked());
        QCOMPARE(Page(), QString("2 of 2"));
        Click("previousPage");
        QCOMPARE(Cell(3, 0) + "|" + Cell(3, 3), QString("100.00|"));
        QCOMPARE(m_dlg->m_bSaved, 0);
        TypePrice(3, "55");
        m_messages->Answer(MsgAnswer::Yes);
        auto* scroll = m_dlg->findChild<QWidget*>("scrollPages");
        scroll->setFocus();
        QTest::keyClick(scroll, Qt::Key_End);
        QVERIFY(asked());
        QCOMPARE(Page(), QString("2 of 2"));
        QCOMPARE(price(3), 55.0f);
        QCOMPARE(m_dlg->m_bSaved, 1);

        // A price still in its editor is typed too: the close box leaves the
        // focus in it. One that is refused keeps the window open, and says why.
        const auto closeWhileTyping = [&](int row, const QString& text) {
            GoTo(row);
            QVERIFY(test::TypeIntoPrice(m_dlg.get(), text));
            m_dlg->close();
        };
        m_messages->Answer(MsgAnswer::Cancel);
        closeWhileTyping(0, "7");
        QVERIFY(asked());
        QCOMPARE(Cell(0, 0) + "|" + Cell(0, 3), QString("7|changed"));
        closeWhileTyping(1, "7x");
        QTRY_COMPARE(m_messages->Texts(), QStringList{"Invalid price !"});
        m_messages->Clear();
        QVERIFY(m_dlg->isVisible());
        m_messages->Answer(MsgAnswer::Yes);
        Click("previousPage");
        QVERIFY(asked());
        QCOMPARE(price(200), 7.0f);

        // Closing asks the same, by the button or Esc; the close box is
        // closeWhileTyping's above.
        TypePrice(0, "8");
        for (const auto& close : std::initializer_list<std::function<void()>>{
                 [&] { Click("closeButton"); }, [&] { QTest::keyClick(List(), Qt::Key_Escape); }}) {
            m_messages->Answer(MsgAnswer::Cancel);
            close();
            QVERIFY(asked());
            QVERIFY(m_dlg->isVisible());
        }
        m_messages->Answer(MsgAnswer::No);
        m_dlg->close();
        QVERIFY(asked());
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(price(0), 100.0f);

        Open();
        TypePrice(1, "9");
        m_messages->Answer(MsgAnswer::Yes);
        Click("closeButton");
        QVERIFY(asked());
        QCOMPARE(m_dlg->result(), CPriceUpdateDlg::kCloseCode);
        QCOMPARE(price(1), 9.0f);
        QCOMPARE(m_dlg->m_bSaved, 1);
    }
};

QTEST_MAIN(TestPriceUpdate)
#include "tst_priceupdate.moc"
