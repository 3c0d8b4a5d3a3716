// The record form driven through its widgets, with a fake frame behind it and
// the message seam recording every box.

#include "editor/inview.h"
#include "editor/paymentgrid.h"
#include "model/date.h"
#include "shell/datepicker.h"
#include "shell/datetext.h"
#include "support/fakes.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::FakeClock;
using tenvix::test::FakeMessages;

namespace {

class FakeHost final : public FormHost {
public:
    double StandDate() const override { return stand; }
    double Horizon() const override { return horizon; }
    bool SquareM() const override { return squareM; }
    void SetModified() override { ++modified; }
    void ClearListView() override { ++listCleared; }

    double stand = 0;
    double horizon = 0;
    bool squareM = false;
    int modified = 0;
    int listCleared = 0;
};

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

std::unique_ptr<CBondStd> StdBond(const char* id, float price, float coupon, float face, int period, double release,
                                  double maturity)
{
    auto b = std::make_unique<CBondStd>(0);
    b->SetData(period, coupon, face, price, release, maturity, id, "Name " + std::string(id));
    return b;
}

std::unique_ptr<CBondFree> FreeBond(const char* id, float price, double release,
                                    std::vector<CASHFLOW> flows)
{
    auto b = std::make_unique<CBondFree>(0);
    b->m_strID = id;
    b->m_fPrice = price;
    b->m_nRelease = DaySerial(release);
    b->m_cashflows = std::move(flows);
    b->m_nMaturity = b->m_cashflows.empty() ? b->m_nRelease : b->m_cashflows.back().m_nDate;
    return b;
}

} // namespace

class TestInView : public QObject {
    Q_OBJECT

    template <class T>
    T* Child(const char* name)
    {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
    PaymentGrid* Grid() { return Child<PaymentGrid>("paymentGrid"); }

    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<FakeMessages> m_msgs;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<CInView> m_form;

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        m_clock = std::make_unique<FakeClock>(Day(2024, 3, 15) + 0.5);
        m_msgs = std::make_unique<FakeMessages>();
        m_host = std::make_unique<FakeHost>();
        m_host->stand = Day(2024, 3, 15);
        m_host->horizon = Day(2027, 3, 15);
        m_form = std::make_unique<CInView>();
        m_form->SetHost(m_host.get());
    }
    void cleanup()
    {
        m_form.reset();
        m_host.reset();
        m_msgs.reset();
        m_clock.reset();
    }

private:
    // Puts n Type I records with identifiers R1..Rn into the list and shows the first.
    void Load(int n)
    {
        for (int i = 1; i <= n; ++i)
            m_form->m_bondList.m_list.push_back(StdBond(qPrintable(QStringLiteral("R%1").arg(i)), 90.f + i, 5.f,
                                                        100.f, 12, Day(2020, 1, 1), Day(2030, 1, 1)));
        m_form->OnInitialUpdate();
    }
    CBond& Current() { return ***m_form->m_posCurrent; }
    int IndexOfCurrent()
    {
        return m_form->m_posCurrent ? int(std::distance(m_form->m_bondList.m_list.begin(), *m_form->m_posCurrent))
                                    : -1;
    }
    void ClickTab(int index)
    {
        auto* tabs = Child<QTabBar>("typeTabs");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
        QCOMPARE(tabs->currentIndex(), index);
    }
    void FillValidStd()
    {
        Edit("couponEdit")->setText("5");
        Edit("faceEdit")->setText("100");
        Edit("priceEdit")->setText("101.5");
        Child<QComboBox>("payPeriodBox")->setEditText("12");
        Child<DatePicker>("releasePicker")->SetValue(Day(2020, 1, 1));
        Child<DatePicker>("maturityPicker")->SetValue(Day(2030, 1, 1));
    }
    void FillGrid(const QStringList& amounts, const QStringList& dates)
    {
        Child<QSpinBox>("periodsBox")->setValue(int(amounts.size()));
        for (int i = 0; i < amounts.size(); ++i) {
            Grid()->SetText(i, 0, amounts[i]);
            Grid()->SetText(i, 1, dates.value(i));
        }
    }
    void ShowForm()
    {
        m_form->resize(m_form->DesignSize());
        m_form->show();
        m_form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_form.get()));
    }


private slots:

    void showsBothKindsOfRecord()
    {
        m_form->m_bondList.m_list.push_back(StdBond("A1", 99.999f, 5.f, 100.f, 6, Day(2020, 1, 1), Day(2030, 1, 1)));
        m_form->m_bondList.m_list.push_back(FreeBond("B2", 90.f, Day(2020, 1, 1),
                                                     {{DaySerial(Day(2025, 6, 1)), 5.f},
                                                      {DaySerial(Day(2024, 6, 1)), 105.004f},
                                                      {DaySerial(Day(2026, 1, 2)), 7.5f}}));
        m_form->m_bondList.m_list.push_back(FreeBond("C3", 1.f, Day(2020, 1, 1), {}));
        m_form->OnInitialUpdate();
        QVERIFY(m_form->m_posCurrent == m_form->m_bondList.m_list.begin());
        QCOMPARE(Edit("idEdit")->text(), "A1");
        QCOMPARE(Edit("nameEdit")->text(), "Name A1");
        QCOMPARE(Edit("priceEdit")->text(), "100.00");
        QCOMPARE(Edit("couponEdit")->text(), "5.00");
        QCOMPARE(Child<QComboBox>("payPeriodBox")->currentText(), "6");
        QCOMPARE(Child<DatePicker>("maturityPicker")->Day(), Day(2030, 1, 1));
        QVERIFY(Edit("idEdit")->isEnabled());
        QVERIFY(!Grid()->isVisibleTo(m_form.get()));

        // The payments in the record's order, not sorted, with two decimals.
        m_form->MoveNext();
        QCOMPARE(Edit("idEdit")->text(), "B2");
        QCOMPARE(Child<QSpinBox>("periodsBox")->value(), 3);
        QCOMPARE(Grid()->RowCount(), 3);
        QCOMPARE(Grid()->Text(0, 1), "6/1/2025");
        QCOMPARE(Grid()->Text(1, 0), "105.00");
        QCOMPARE(Grid()->Text(1, 1), "6/1/2024");
        QCOMPARE(Grid()->Text(2, 2), "3");
        QCOMPARE(Child<QTabBar>("typeTabs")->currentIndex(), 1);
        QVERIFY(Grid()->isVisibleTo(m_form.get()));
        QVERIFY(Edit("couponEdit")->text().isEmpty());

        m_form->MoveNext();
        QCOMPARE(Grid()->RowCount(), 1);
        QCOMPARE(Grid()->Text(0, 0), PaymentGrid::kPlaceholder);
        QCOMPARE(Grid()->Text(0, 1), "");
        QCOMPARE(Grid()->Text(0, 2), "1");
        QVERIFY(m_msgs->shown.isEmpty());
    }

    void showingThenSavingRoundsToCents()
    {
        m_form->m_bondList.m_list.push_back(StdBond("A", 99.999f, 4.996f, 100.f, 6, Day(2020, 1, 1), Day(2030, 1, 1)));
        m_form->m_bondList.m_list.push_back(FreeBond("B", 50.f, Day(2020, 1, 1), {{DaySerial(Day(2026, 1, 1)), 10.555f}}));
        m_form->OnInitialUpdate();
        m_form->SaveRecord();
        const auto& a = static_cast<const CBondStd&>(Current());
        QCOMPARE(a.m_fPrice, 100.f);
        QCOMPARE(a.m_fCoupon, 5.f);
        QCOMPARE(a.m_nPeriodMonths, 6);
        QCOMPARE(a.m_nMaturity, DaySerial(Day(2030, 1, 1)));
        m_form->MoveNext();
        m_form->SaveRecord();
        const auto& b = static_cast<const CBondFree&>(Current());
        QCOMPARE(b.m_cashflows.size(), std::size_t(1));
        QCOMPARE(b.m_cashflows[0].m_fAmount, 10.56f);
        QCOMPARE(b.m_cashflows[0].m_nDate, DaySerial(Day(2026, 1, 1)));
        QCOMPARE(m_msgs->Texts(), QStringList({"Updates saved !", "Updates saved !"}));
        QCOMPARE(m_msgs->Last().caption, "tenvix");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Information);
        QCOMPARE(m_host->modified, 2);
        QCOMPARE(m_host->listCleared, 2);
    }

    void saveChecksInOrderAndChangesNothingOnFailure()
    {
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Texts(), QStringList({"No items !"}));
        QCOMPARE(m_msgs->Last().caption, "Error");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Exclamation);
        QCOMPARE(m_host->listCleared, 0);

        Load(2);
        m_form->MoveNext();
        Edit("idEdit")->setText(" R1\t");
        Edit("couponEdit")->setText("bad"); // the identifier is checked first
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "This ID is currently occupied !");
        QCOMPARE(m_host->listCleared, 0);

        Edit("idEdit")->setText("NEW");
        Edit("faceEdit")->setText("also bad");
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Invalid Coupon !");
        QCOMPARE(m_host->listCleared, 1); // gone once the identifier passed
        QCOMPARE(m_host->modified, 0);
        QCOMPARE(Current().m_strID, "R2");
        QCOMPARE(Edit("couponEdit")->text(), "bad"); // texts stay as typed

        Edit("couponEdit")->setText("5");
        Edit("faceEdit")->setText("100");
        Edit("priceEdit")->setText("");
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Spot Price out of range !");
        Edit("priceEdit")->setText("100");
        Child<QComboBox>("payPeriodBox")->setEditText("12.0");
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Coupon Period should be integer !");
        Child<QComboBox>("payPeriodBox")->setEditText("24");
        Child<DatePicker>("releasePicker")->SetValue(Day(2030, 1, 1) + 0.2);
        Child<DatePicker>("maturityPicker")->SetValue(Day(2030, 1, 1) + 0.7);
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Maturity should be later than Release Date !");
        QCOMPARE(Current().m_fPrice, 92.f);

        Child<DatePicker>("maturityPicker")->SetValue(Day(2031, 1, 1));
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Updates saved !");
        QCOMPARE(Current().m_strID, "NEW");
        QCOMPARE(static_cast<CBondStd&>(Current()).m_nPeriodMonths, 24);
        QCOMPARE(m_host->modified, 1);
    }

    void saveOfPaymentGrid()
    {
        m_form->m_bondList.m_list.push_back(FreeBond("F", 50.f, Day(2020, 1, 1), {{DaySerial(Day(2026, 1, 1)), 60.f}}));
        m_form->OnInitialUpdate();
        Edit("priceEdit")->setText("50 ");
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Invalid Spot Price !");
        Edit("priceEdit")->setText("0.00005"); // saving allows less than analysing
        FillGrid({"10", "0", "90"}, {"1/1/2025", "1/1/2026", "1/1/2027"});
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Cashflow in row 2 is too low !");
        const auto& f = static_cast<const CBondFree&>(Current());
        QCOMPARE(f.m_cashflows.size(), std::size_t(1)); // the record kept its payments
        QCOMPARE(f.m_fPrice, 50.f);
        Grid()->SetText(1, 0, "20");
        Grid()->SetText(2, 1, "");
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Date in row 3 is invalid !");
        Grid()->SetText(2, 1, "12/31/2019");
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Updates saved !");
        QCOMPARE(f.m_cashflows.size(), std::size_t(3));
        QCOMPARE(f.m_nMaturity, DaySerial(Day(2026, 1, 1)));
        QCOMPARE(f.m_fPrice, 0.00005f);

        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().text, "Spot Price out of range !");
    }

    void typeChangeAsksFirst()
    {
        Load(2);
        m_form->MoveNext();
        ClickTab(1);
        QVERIFY(Grid()->isVisibleTo(m_form.get()));
        Edit("priceEdit")->setText("95");
        FillGrid({"105"}, {"6/30/2026"});

        m_msgs->Answer(MsgAnswer::No);
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Texts(), QStringList({"Bond type changed.Save ?"}));
        QCOMPARE(m_msgs->Last().caption, "Question");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Question);
        QCOMPARE(m_msgs->Last().buttons, MsgButtons::YesNo);
        QCOMPARE(Current().GetType(), int(BOND_TYPE_STD));
        QCOMPARE(m_host->listCleared, 1);
        QCOMPARE(m_host->modified, 0);

        // Yes with a grid that does not pass: the record keeps its type and
        // its data rather than turning into an empty record of the other kind.
        Grid()->SetText(0, 0, PaymentGrid::kPlaceholder);
        m_msgs->Answer(MsgAnswer::Yes);
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Invalid Cashflow in row 1 !");
        QCOMPARE(Current().GetType(), int(BOND_TYPE_STD));
        QCOMPARE(Current().m_fPrice, 92.f);
        QCOMPARE(m_form->m_bondList.m_list.size(), std::size_t(2));

        Grid()->SetText(0, 0, "105");
        Edit("nameEdit")->setText("changed");
        m_msgs->Answer(MsgAnswer::Yes);
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "Updates saved !");
        QCOMPARE(IndexOfCurrent(), 1);
        const auto* f = dynamic_cast<const CBondFree*>(&Current());
        QVERIFY(f);
        QCOMPARE(f->m_strID, "R2");
        QCOMPARE(f->m_strName, "changed");
        QCOMPARE(f->m_cashflows.size(), std::size_t(1));
        QCOMPARE(m_host->modified, 1);

        // And back to Type I, through the same question.
        ClickTab(0);
        FillValidStd();
        m_msgs->Answer(MsgAnswer::Yes);
        m_form->SaveRecord();
        QVERIFY(dynamic_cast<const CBondStd*>(&Current()));
        QCOMPARE(Current().m_fPrice, 101.5f);
    }

    void addInsertsAfterCurrent()
    {
        QCOMPARE(m_form->AddRecord(0), 0); // empty list: the record is the only one
        ShowForm();
        QCOMPARE(m_form->m_bondList.m_list.size(), std::size_t(1));
        QCOMPARE(IndexOfCurrent(), 0);
        QVERIFY(Edit("idEdit")->isEnabled() && Edit("priceEdit")->isEnabled());
        QCOMPARE(m_host->modified, 1);
        QCOMPARE(m_host->listCleared, 1);
        m_form->activateWindow();
        QTRY_COMPARE(QApplication::focusWidget(), Edit("idEdit"));

        m_form->m_bondList.m_list.clear();
        m_form->m_posCurrent.reset();
        Load(5);
        m_form->MoveNext();
        Edit("nameEdit")->setText("typed");
        QCOMPARE(m_form->AddRecord(1), 0);
        QCOMPARE(IndexOfCurrent(), 2);
        QCOMPARE(Current().GetType(), int(BOND_TYPE_FREE));
        QCOMPARE(Current().m_nRelease, DaySerial(Day(2024, 3, 15))); // today, from the clock
        QCOMPARE(Edit("nameEdit")->text(), "");
        QCOMPARE(Child<QTabBar>("typeTabs")->currentIndex(), 1);
        QVERIFY(Grid()->isVisibleTo(m_form.get()));
        QCOMPARE(Grid()->RowCount(), 1);
        m_form->MoveNext();
        QCOMPARE(Edit("idEdit")->text(), "R3");

        // Two unsaved additions collide on their empty identifiers.
        m_form->AddRecord(0);
        m_form->AddRecord(0);
        FillValidStd();
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Last().text, "This ID is currently occupied !");
        // The record exists with its defaults even though the form was empty.
        m_form->MovePrev();
        m_form->MoveNext();
        QCOMPARE(Edit("priceEdit")->text(), "0.00");
        QCOMPARE(Child<QComboBox>("payPeriodBox")->currentText(), "12");
    }

    void deleteShowsANeighbour()
    {
        Load(3);
        m_msgs->Answer(MsgAnswer::No);
        m_form->DeleteRecord();
        QCOMPARE(m_msgs->Last().text, "Delete ?");
        QCOMPARE(m_msgs->Last().caption, "Question");
        QCOMPARE(m_form->m_bondList.m_list.size(), std::size_t(3));
        QCOMPARE(m_host->listCleared + m_host->modified, 0);

        m_msgs->Answer(MsgAnswer::Yes);
        m_form->DeleteRecord(); // the first: the next one shows
        QCOMPARE(Edit("idEdit")->text(), "R2");
        QCOMPARE(IndexOfCurrent(), 0);
        m_form->AddRecord(0); // R2, new, R3
        m_msgs->Answer(MsgAnswer::Yes);
        m_form->DeleteRecord(); // the middle one: the previous shows
        QCOMPARE(Edit("idEdit")->text(), "R2");
        m_msgs->Answer(MsgAnswer::Yes);
        m_form->DeleteRecord();
        m_msgs->Answer(MsgAnswer::Yes);
        m_form->DeleteRecord();
        QVERIFY(m_form->m_bondList.m_list.empty());
        QVERIFY(!m_form->m_posCurrent);
        QCOMPARE(Edit("idEdit")->text(), "");
        QVERIFY(!Edit("idEdit")->isEnabled() && !Edit("nameEdit")->isEnabled() && !Edit("priceEdit")->isEnabled());
        QCOMPARE(Child<DatePicker>("releasePicker")->Value(), Day(2024, 3, 15) + 0.5);
        QCOMPARE(m_host->modified, 5); // four deletes and one add

        m_msgs->Clear();
        m_form->DeleteRecord(); // nothing to delete, nothing asked
        QVERIFY(m_msgs->shown.isEmpty());
    }

    void movesStopAtTheEndsAndKeepEdits()
    {
        Load(3);
        Edit("nameEdit")->setText("unsaved");
        m_form->MovePrev();
        m_form->MoveFirst();
        QCOMPARE(Edit("nameEdit")->text(), "unsaved");
        m_form->MoveLast();
        QCOMPARE(Edit("idEdit")->text(), "R3");
        Edit("nameEdit")->setText("unsaved");
        m_form->MoveNext();
        m_form->MoveLast();
        QCOMPARE(Edit("nameEdit")->text(), "unsaved");
        m_form->MovePrev();
        QCOMPARE(Edit("idEdit")->text(), "R2");
        m_form->MoveLast();
        QCOMPARE(Edit("nameEdit")->text(), "Name R3"); // the edit was dropped
        QCOMPARE(m_host->modified + m_host->listCleared, 0);
        m_form->m_bondList.m_list.clear();
        m_form->m_posCurrent.reset();
        m_form->MoveFirst();
        m_form->MoveLast();
        QVERIFY(!m_form->m_posCurrent);
    }

    void analyseReportsWhatTheFormHolds()
    {
        Load(1);
        FillValidStd();
        Edit("priceEdit")->setText("100");
        m_host->stand = Day(2025, 1, 1);
        m_host->horizon = Day(2027, 1, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().caption, "Result");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Information);
        QVERIFY(m_msgs->Last().text.startsWith("YTM=0.0500000"));
        QCOMPARE(m_msgs->Last().text.count('\n'), 1);
        m_host->squareM = true;
        QTest::mouseClick(Child<QPushButton>("analyseButton"), Qt::LeftButton);
        QVERIFY(m_msgs->Last().text.contains("\nM2="));
        QVERIFY(m_msgs->Last().text.endsWith("\n\nIH=2.00000000"));

        m_host->horizon = Day(2024, 1, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().text, "Investment horizon should be later than stand date !");
        m_host->squareM = false;
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().caption, "Result");

        // Price beyond every payment and stand date after maturity: the price wins.
        Edit("priceEdit")->setText("1000");
        m_host->stand = Day(2031, 1, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().text, "Bad YTM !");
        QCOMPARE(m_msgs->Last().caption, "Error");

        ClickTab(1);
        FillGrid({"60", "60"}, {"1/1/2026", "1/1/2027"});
        Edit("priceEdit")->setText("119.999999");
        m_host->stand = Day(2025, 6, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().text, "Bad YTM !");
        QCOMPARE(m_msgs->Last().caption, "tenvix");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Exclamation);
        m_host->stand = Day(2027, 6, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().text, "Stand date should be before Maturity !");
        m_host->stand = Day(2019, 6, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().text, "Stand date can't be before release date !");
        Edit("priceEdit")->setText("100");
        m_host->stand = Day(2025, 6, 1);
        m_host->horizon = Day(2026, 6, 1);
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Last().caption, "Result");
        QCOMPARE(Current().GetType(), int(BOND_TYPE_STD)); // analysing never writes the record
        QCOMPARE(m_host->modified + m_host->listCleared, 0);
    }

    void analyseWithoutRecordComplainsAboutThePrice()
    {
        m_form->OnInitialUpdate();
        m_form->OnAnalyse();
        QCOMPARE(m_msgs->Texts(), QStringList({"Spot Price out of range !"}));
    }

    void periodsDriveTheGridRows()
    {
        m_form->OnInitialUpdate();
        ClickTab(1);
        auto* periods = Child<QSpinBox>("periodsBox");
        FillGrid({"1", "2", "3", "4", "5"}, {"a", "b", "c", "d", "e"});
        periods->stepBy(-2);
        QCOMPARE(Grid()->RowCount(), 3);
        QCOMPARE(Grid()->Text(2, 0), "3");
        periods->stepBy(2);
        QCOMPARE(Grid()->RowCount(), 5);
        QCOMPARE(Grid()->Text(3, 0), PaymentGrid::kPlaceholder);
        QCOMPARE(Grid()->Text(4, 1), "");
        QCOMPARE(Grid()->Text(4, 2), "5");
        QCOMPARE(Grid()->Text(2, 1), "c");
        periods->setValue(1000);
        QCOMPARE(Grid()->RowCount(), 200);
        periods->setValue(-3);
        QCOMPARE(Grid()->RowCount(), 1);
        // Typing does nothing; only the arrows count.
        ShowForm();
        periods->setFocus();
        QTest::keyClicks(periods, "7");
        QCOMPARE(periods->value(), 1);
        QTest::keyClick(periods, Qt::Key_Up);
        QCOMPARE(Grid()->RowCount(), 2);
    }

    void amountsAreEditedInPlaceOnly()
    {
        m_form->OnInitialUpdate();
        ClickTab(1);
        ShowForm();
        FillGrid({"1", "2"}, {"", ""});
        Grid()->setFocus();
        Grid()->setCurrentItem(Grid()->topLevelItem(1), 1);
        QTest::keyClick(Grid(), Qt::Key_F2);
        QLineEdit* editor = Grid()->Editor();
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QString(300, u'7'));
        QTest::keyClick(editor, Qt::Key_Escape); // Esc keeps what was typed
        QTRY_VERIFY(!Grid()->Editor());
        QCOMPARE(Grid()->Text(1, 0), QString(254, u'7'));
        QCOMPARE(Grid()->Text(1, 1), "");

        // Date and number cells never open an editor.
        const QModelIndex dateCell = Grid()->model()->index(0, 1);
        Grid()->setCurrentIndex(dateCell);
        Grid()->edit(dateCell);
        QVERIFY(!Grid()->Editor());
        QCOMPARE(Grid()->itemDelegate()->createEditor(Grid()->viewport(), {}, dateCell), nullptr);
    }

    void insertWritesTheCalendarDay()
    {
        m_form->OnInitialUpdate();
        ClickTab(1);
        FillGrid({"1", "2", "3"}, {"", "", ""});
        Child<QCalendarWidget>("calendar")->setSelectedDate(QDate(2004, 3, 15));
        Grid()->clearSelection();
        QTest::mouseClick(Child<QPushButton>("insertButton"), Qt::LeftButton);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(Grid()->Text(i, 1), "");
        Grid()->topLevelItem(1)->setSelected(true);
        QTest::mouseClick(Child<QPushButton>("insertButton"), Qt::LeftButton);
        QCOMPARE(Grid()->Text(1, 1), "3/15/2004");
        QCOMPARE(Grid()->SelectedRow(), 1);
    }

    void clearEmptiesTheFormButNotTheRecord()
    {
        m_form->m_bondList.m_list.push_back(FreeBond("F", 50.f, Day(2020, 1, 1),
                                                     {{DaySerial(Day(2026, 1, 1)), 60.f}, {DaySerial(Day(2027, 1, 1)), 6.f}}));
        m_form->OnInitialUpdate();
        QTest::mouseClick(Child<QPushButton>("clearButton"), Qt::LeftButton);
        QCOMPARE(Edit("idEdit")->text(), "");
        QCOMPARE(Edit("priceEdit")->text(), "");
        QCOMPARE(Grid()->RowCount(), 1);
        QCOMPARE(Grid()->Text(0, 0), PaymentGrid::kPlaceholder);
        QCOMPARE(Child<DatePicker>("releasePicker")->Value(), Day(2024, 3, 15) + 0.5);
        QCOMPARE(Child<QTabBar>("typeTabs")->currentIndex(), 1);
        QVERIFY(Edit("idEdit")->isEnabled());
        m_form->MoveFirst(); // already first: nothing changes
        QCOMPARE(Edit("idEdit")->text(), "");
        m_form->ShowRecordAt(m_form->m_bondList.m_list.begin());
        QCOMPARE(Grid()->RowCount(), 2);
        QCOMPARE(Edit("idEdit")->text(), "F");
        QCOMPARE(m_host->modified, 0);
    }

    void refreshPriceShowsOnlyThePrice()
    {
        Load(1);
        Edit("nameEdit")->setText("typed");
        Current().m_fPrice = 77.126f;
        m_form->RefreshPrice();
        QCOMPARE(Edit("priceEdit")->text(), "77.13");
        QCOMPARE(Edit("nameEdit")->text(), "typed");
    }

    void growthGoesToTheGridAndTheTabArea()
    {
        m_form->OnInitialUpdate();
        ClickTab(1);
        ShowForm();
        const QSize design = m_form->DesignSize();
        auto* area = Child<QWidget>("tabArea");
        auto* insert = Child<QPushButton>("insertButton");
        auto* calendar = Child<QCalendarWidget>("calendar");
        auto* id = Edit("idEdit");
        const auto snapshot = [&] {
            QApplication::processEvents();
            const QRect g = Grid()->geometry();
            return std::tuple{g.size(), area->size(), insert->pos() - g.topRight(), calendar->pos() - g.topRight(),
                              id->geometry()};
        };
        const auto [grid0, area0, insert0, cal0, id0] = snapshot();
        m_form->resize(design + QSize(100, 50));
        const auto [grid1, area1, insert1, cal1, id1] = snapshot();
        QCOMPARE(grid1, grid0 + QSize(100, 50));
        QCOMPARE(area1, area0 + QSize(100, 50));
        QCOMPARE(insert1, insert0);
        QCOMPARE(cal1, cal0);
        QCOMPARE(id1, id0);
        // The tab area spans the whole width at any size.
        QCOMPARE(m_form->width() - area->mapTo(m_form.get(), QPoint(area->width(), 0)).x(),
                 design.width() - area0.width() - area->mapTo(m_form.get(), QPoint(0, 0)).x());
        // Smaller than the design: the design layout, scrolled.
        m_form->resize(design - QSize(150, 100));
        const auto [grid2, area2, insert2, cal2, id2] = snapshot();
        QCOMPARE(grid2, grid0);
        QCOMPARE(area2, area0);
        // Growing with Type I shown never uncovers the payment group.
        ClickTab(0);
        m_form->resize(design + QSize(300, 200));
        QApplication::processEvents();
        QVERIFY(!Grid()->isVisible() && !calendar->isVisible() && !insert->isVisible());
        QVERIFY(Edit("couponEdit")->isVisible());
        QCOMPARE(Edit("couponEdit")->width(), Edit("faceEdit")->width());
    }

    void mnemonicsGoToTheFormOnlyWhileItHasTheFocus()
    {
        // A frame-like window: a menu bar whose "&View" shares Alt+V with
        // "Face &Value", and a text field outside the form.
        QMainWindow window;
        QMenu* view = window.menuBar()->addMenu(QStringLiteral("&View"));
        view->addAction(QStringLiteral("&Toolbar"));
        auto* central = new QWidget;
        auto* layout = new QHBoxLayout(central);
        auto* outside = new QLineEdit;
        layout->addWidget(outside);
        auto* form = new CInView;
        form->SetHost(m_host.get());
        layout->addWidget(form);
        window.setCentralWidget(central);
        form->m_bondList.m_list.push_back(StdBond("A", 90.f, 5.f, 100.f, 12, Day(2020, 1, 1), Day(2030, 1, 1)));
        form->OnInitialUpdate();
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto field = [form](const char* name) { return form->findChild<QWidget*>(QLatin1String(name)); };
        const auto press = [](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QApplication::processEvents();
        };

        field("idEdit")->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), field("idEdit"));
        press(Qt::Key_V);
        QCOMPARE(QApplication::focusWidget(), field("faceEdit"));
        QVERIFY(!view->isVisible());
        press(Qt::Key_D);
        QCOMPARE(QApplication::focusWidget(), field("payPeriodBox"));
        press(Qt::Key_T);
        QCOMPARE(QApplication::focusWidget(), field("releasePicker"));
        press(Qt::Key_I);
        QCOMPARE(QApplication::focusWidget(), field("idEdit"));
        press(Qt::Key_P); // Periods is hidden with Type I: nothing happens
        QCOMPARE(QApplication::focusWidget(), field("idEdit"));
        QVERIFY(m_msgs->shown.isEmpty());
        press(Qt::Key_Y); // a button's key presses it
        QCOMPARE(m_msgs->shown.size(), 1);
        QCOMPARE(m_msgs->Last().caption, "Result");

        // Outside the form the menu has the key, and the button's key is dead.
        outside->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), outside);
        press(Qt::Key_Y);
        QCOMPARE(m_msgs->shown.size(), 1);
        press(Qt::Key_V);
        QTRY_VERIFY(view->isVisible());
        view->close();
        QTRY_VERIFY(!view->isVisible());

        // With Type II shown, Face Value is hidden and Alt+V is the menu's again.
        form->AddRecord(1);
        QTRY_COMPARE(QApplication::focusWidget(), field("idEdit"));
        press(Qt::Key_P);
        QCOMPARE(QApplication::focusWidget(), field("periodsBox"));
        press(Qt::Key_V);
        QTRY_VERIFY(view->isVisible());
        view->close();
    }

    void tooltips()
    {
        const std::pair<const char*, const char*> tips[] = {
            {"idEdit", "Identification string"},
            {"nameEdit", "Bond name"},
            {"periodsBox", "Number of the future cashflows"},
            {"priceEdit", "Bond price on stand date"},
            {"insertButton", "Insert the date into the grid"},
            {"analyseButton", "Analyse the current bond"},
            {"clearButton", "Resets all data for the bond"},
            {"releasePicker", "Release date"},
            {"couponEdit", "The payment for one period"},
            {"payPeriodBox", "The pay interval in months"},
            {"maturityPicker", "The bond's end"},
            {"faceEdit", "The nominal price of the bond"},
        };
        int withTip = 0;
        for (QWidget* w : m_form->findChildren<QWidget*>())
            withTip += !w->toolTip().isEmpty();
        QCOMPARE(withTip, int(std::size(tips)));
        for (auto [name, tip] : tips)
            QCOMPARE(Child<QWidget>(name)->toolTip(), tip);
    }

    void editCommandsFollowTheFocusedField()
    {
        Load(1);
        ShowForm();
        QApplication::clipboard()->clear();
        QLineEdit* name = Edit("nameEdit");
        name->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), name);
        name->deselect();
        QVERIFY(!m_form->CanEditCopy() && !m_form->CanEditPaste() && !m_form->CanEditUndo());
        m_form->OnEditPaste(); // disabled commands are ignored
        QCOMPARE(name->text(), "Name R1");

        name->setSelection(5, 2);
        QVERIFY(m_form->CanEditCopy() && m_form->CanEditCut());
        m_form->OnEditCut();
        QCOMPARE(name->text(), "Name ");
        QVERIFY(m_form->CanEditUndo() && m_form->CanEditPaste());
        m_form->OnEditUndo();
        QCOMPARE(name->text(), "Name R1");
        name->setCursorPosition(0);
        m_form->OnEditPaste();
        QCOMPARE(name->text(), "R1Name R1");

        // The Pay Period box's own editor counts as a text field.
        auto* pay = Child<QComboBox>("payPeriodBox");
        pay->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), pay);
        pay->lineEdit()->selectAll();
        QVERIFY(m_form->CanEditCopy());
        m_form->OnEditCopy();
        QCOMPARE(QApplication::clipboard()->text(), "12");

        // The grid itself is not a text field; its in-place editor is.
        ClickTab(1);
        Grid()->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), Grid());
        QVERIFY(!m_form->CanEditCopy() && !m_form->CanEditPaste() && !m_form->CanEditUndo());
        Grid()->setCurrentItem(Grid()->topLevelItem(0), 0);
        QTest::keyClick(Grid(), Qt::Key_F2);
        QTRY_VERIFY(Grid()->Editor() && QApplication::focusWidget() == Grid()->Editor());
        Grid()->Editor()->selectAll();
        QVERIFY(m_form->CanEditCopy() && m_form->CanEditPaste());
        m_form->OnEditPaste();
        QCOMPARE(Grid()->Editor()->text(), "12");

        // The read-only Periods field can be copied from, not written to.
        auto* periods = Child<QSpinBox>("periodsBox");
        periods->setFocus();
        QTRY_COMPARE(QApplication::focusWidget(), periods);
        periods->selectAll();
        QVERIFY(m_form->CanEditCopy());
        QVERIFY(!m_form->CanEditCut() && !m_form->CanEditPaste());
    }
};

QTEST_MAIN(TestInView)
#include "tst_inview.moc"
