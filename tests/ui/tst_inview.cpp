// The record form driven through its widgets, with a fake frame behind it and
// the message seam recording every box; the Delete many dialog that asks the
// form to remove every bond maturing before a day; and the form's rules as
// plain functions: what each entry must look like, which failure wins, what
// the user is told, and what an analysis yields.

#include "editor/formrules.h"
#include "editor/inview.h"
#include "model/analyse.h"
#include "model/bondfile.h"
#include "model/format.h"
#include "shell/deletemanydlg.h"
#include "support/app.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"
#include "uikit/strings.h"

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::editor;
using tenvix::test::Day;
using tenvix::test::FreeBond; // matures with its last payment, as Save leaves it

namespace {

class FakeHost final : public FormHost {
public:
    double StandDate() const override { return stand; }
    double Horizon() const override { return horizon; }
    bool SquareM() const override { return squareM; }
    void SetModified() override { ++modified; }
    void ClearListView() override
    {
        ++listCleared;
        if (onClear)
            onClear();
    }
    std::function<void()> onClear;
    double stand = Day(2024, 3, 15);
    double horizon = Day(2027, 3, 15);
    bool squareM = false;
    int modified = 0;
    int listCleared = 0;
};

std::unique_ptr<CBond> StdBond(const std::string& id, float price, int period = 12)
{
    return test::StdBond(id, period, 5.f, 100.f, price, Day(2020, 1, 1), Day(2030, 1, 1));
}

void Focus(QWidget* w)
{
    w->setFocus();
    QTRY_COMPARE(QApplication::focusWidget(), w);
}

// Types `keys` into `edit` as the user would; what it then holds.
QString Typed(QLineEdit* edit, const QString& keys) { return QTest::keyClicks(edit, keys), edit->text(); }

// The list as a database file gives it back.
void ThroughFile(CBondList& list)
{
    const std::string bytes = StoreBondDatabase(list);
    list.RemoveAllBonds();
    QVERIFY(LoadBondDatabase(std::as_bytes(std::span(bytes)), list));
}

editor::AnalysisOutcome AnalyseForm(CBond& bond, double stand, double horizon, double price, bool squareM = false)
{
    return AnalyseFormBond(bond, stand, horizon, squareM, price, SystemClock());
}

} // namespace

class TestInView : public QObject {
    Q_OBJECT

    // Made afresh for each test, the clock first: the form reads it.
    struct Fixture {
        test::FakeClock clock{Day(2024, 3, 15) + 0.5};
        test::FakeMessages msgs;
        FakeHost host;
        CInView form;
    };
    std::unique_ptr<Fixture> m_fx;
    test::FakeMessages* m_msgs = nullptr;
    FakeHost* m_host = nullptr;
    CInView* m_form = nullptr;

    template <class T = QWidget>
    T* Child(const char* name)
    {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
    PaymentGrid* Grid() { return Child<PaymentGrid>("paymentGrid"); }
    CBond& Current() { return ***m_form->m_posCurrent; }
    int CurrentIndex() { return int(std::distance(m_form->m_bondList.m_list.begin(), *m_form->m_posCurrent)); }
    QString Last() { return m_msgs->shown.isEmpty() ? QString() : m_msgs->Last().text; }
    // The last box as "caption: text".
    QString Box() { return m_msgs->shown.isEmpty() ? QString() : m_msgs->Last().caption + ": " + Last(); }
    // Save and Analyse as their buttons do; what the last box said then
    // (with its caption for Analyse, whose boxes differ in it).
    QString Save() { return m_form->SaveRecord(), Last(); }
    QString Analyse() { return m_form->OnAnalyse(), Box(); }
    void Delete(MsgAnswer answer)
    {
        m_msgs->Answer(answer);
        m_form->DeleteRecord();
    }

    // Type I records R1..Rn; the first is shown.
    void Load(int n)
    {
        for (int i = 1; i <= n; ++i)
            m_form->m_bondList.m_list.push_back(StdBond("R" + std::to_string(i), 90.f + i));
        m_form->OnInitialUpdate();
    }
    void ClickTab(int index)
    {
        auto* tabs = Child<QTabBar>("typeTabs");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(index).center());
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
        QVERIFY(test::Active(m_form));
    }
    // Opens the in-place editor of a payment's cell, as F2 does, and types
    // over what it holds.
    void TypeInCell(int row, int column, const QString& text)
    {
        Focus(Grid());
        Grid()->setCurrentItem(Grid()->topLevelItem(row), column);
        QTest::keyClick(Grid(), Qt::Key_F2);
        QVERIFY(Grid()->Editor());
        Grid()->Editor()->selectAll();
        QTest::keyClicks(Grid()->Editor(), text);
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        m_fx = std::make_unique<Fixture>();
        m_msgs = &m_fx->msgs;
        m_host = &m_fx->host;
        m_form = &m_fx->form;
        m_form->SetHost(m_host);
    }
    void cleanup() { m_fx.reset(); }

    // Amounts show as the core formats them: two decimals, or as many as
    // they need to read back as stored (FormatAmount's test; that an unchanged
    // Save leaves every record of the sample as it was, tst_numbertexts').
    void showingThenSavingKeepsEveryAmount()
    {
        auto& list = m_form->m_bondList.m_list;
        list.push_back(StdBond("A", 99.999f, 6));
        list.push_back(FreeBond("B", 90.f, {{Day(2025, 6, 1), 5.f}, {Day(2024, 6, 1), 10.555f}}));
        list.push_back(FreeBond("C", 1.f, {}));
        m_form->OnInitialUpdate();
        QCOMPARE(Edit("priceEdit")->text() + " " + Edit("couponEdit")->text(), "99.999 5.00");

        // Payments in the record's order, not sorted.
        m_form->MoveNext();
        QCOMPARE(QStringList({Grid()->Text(0, 0), Grid()->Text(0, 1), Grid()->Text(1, 0)}),
                 QStringList({"5.00", "6/1/2025", "10.555"}));
        QCOMPARE(Child<QTabBar>("typeTabs")->currentIndex(), 1);
        QVERIFY(Grid()->isVisibleTo(m_form) && Edit("couponEdit")->text().isEmpty());
        m_form->SaveRecord();
        QCOMPARE(Box(), "tenvix: Updates saved !");

        m_form->MoveNext(); // no payments: one placeholder row
        QCOMPARE(Grid()->RowCount(), 1);
        QCOMPARE(Grid()->Text(0, 0), PaymentGrid::kPlaceholder);
    }

    void saveChecksInOrderAndChangesNothingOnFailure()
    {
        m_form->SaveRecord();
        QCOMPARE(Box(), "Error: No items !");
        Load(2);
        m_form->MoveNext();
        Edit("idEdit")->setText(" R1\t");
        Edit("couponEdit")->setText("bad"); // the identifier comes first
        QCOMPARE(Save(), "This ID is currently occupied !");
        QCOMPARE(m_host->listCleared, 0);

        Edit("idEdit")->setText("NEW");
        Edit("faceEdit")->setText("-1");
        Edit("priceEdit")->setText("");
        Child<QComboBox>("payPeriodBox")->setEditText("12.0");
        Child<DatePicker>("maturityPicker")->SetValue(Day(2020, 1, 1) + 0.7);
        const std::pair<std::function<void()>, const char*> steps[] = {
            {[&] { Edit("couponEdit")->setText("5"); }, "Invalid Coupon !"},
            {[&] { Edit("faceEdit")->setText("100"); }, "Face Value out of range !"},
            {[&] { Edit("priceEdit")->setText("100"); }, "Spot Price out of range !"},
            {[&] { Child<QComboBox>("payPeriodBox")->setEditText("24"); }, "Coupon Period should be integer !"},
            {[&] { Child<DatePicker>("maturityPicker")->SetValue(Day(2031, 1, 1)); },
             "Maturity should be later than Release Date !"},
        };
        for (const auto& [fix, message] : steps) {
            QCOMPARE(Save(), message);
            QCOMPARE(Current().m_strID, "R2");
            fix();
        }
        QCOMPARE(m_host->modified, 0);
        QCOMPARE(Save(), "Updates saved !"); // the texts stayed as typed
        QCOMPARE(std::pair(Current().m_strID, static_cast<CBondStd&>(Current()).m_nPeriodMonths),
                 std::pair(std::string("NEW"), 24));
    }

    void typeChangeAsksAndNeverLeavesAnEmptyRecordBehind()
    {
        Load(2);
        m_form->MoveNext();
        ClickTab(1);
        Edit("priceEdit")->setText("0.00005");
        FillGrid({"105"}, {"6/30/2026"});
        m_msgs->Answer(MsgAnswer::No);
        m_form->SaveRecord();
        QCOMPARE(m_msgs->Texts(), QStringList({"Bond type changed.Save ?"}));
        QCOMPARE(m_msgs->Last().buttons, MsgButtons::YesNo);
        QCOMPARE(Current().GetType(), int(BOND_TYPE_STD));

        // Yes, then a failing grid: the record keeps its kind and its data.
        Grid()->SetText(0, 0, PaymentGrid::kPlaceholder);
        m_msgs->Answer(MsgAnswer::Yes);
        QCOMPARE(Save(), "Invalid Cashflow in row 1 !");
        QCOMPARE(std::pair(Current().GetType(), Current().m_fPrice), std::pair(int(BOND_TYPE_STD), 92.f));

        Grid()->SetText(0, 0, "105");
        m_msgs->Answer(MsgAnswer::Yes);
        QCOMPARE(Save(), "Updates saved !");
        QCOMPARE(CurrentIndex(), 1);
        const auto* f = dynamic_cast<const CBondFree*>(&Current());
        QVERIFY(f && f->m_strID == "R2" && f->m_cashflows.size() == 1);
        QCOMPARE(f->m_fPrice, 0.00005f); // Save's floor is lower than Analyse's
        QCOMPARE(Analyse(), "Error: Spot Price out of range !");

        // A failing grid on a record of the same kind leaves its payments.
        FillGrid({"10", "0"}, {"1/1/2025", "1/1/2026"});
        QCOMPARE(Save(), "Cashflow in row 2 is too low !");
        QCOMPARE(f->m_cashflows.size(), std::size_t(1));
    }

    void addDeleteAndMoveKeepTheCurrentRecordRight()
    {
        Load(5);
        ShowForm();
        m_form->MoveNext();
        Edit("nameEdit")->setText("typed");
        m_msgs->Answer(MsgAnswer::No); // typing let go of
        m_form->AddRecord(1);
        // After the current one, released today (the clock's), shown empty on its tab.
        QCOMPARE(std::tuple(CurrentIndex(), Current().GetType(), Current().m_nRelease, Edit("nameEdit")->text(),
                            Child<QTabBar>("typeTabs")->currentIndex()),
                 std::tuple(2, int(BOND_TYPE_FREE), DaySerial(Day(2024, 3, 15)), QString(), 1));
        QTRY_COMPARE(QApplication::focusWidget(), Edit("idEdit"));
        QCOMPARE(std::pair(m_host->modified, m_host->listCleared), std::pair(1, 1));

        // Unsaved additions exist with their defaults (their empty
        // identifiers collide: identifiersCollideAfterTrimmingOnly).
        m_form->AddRecord(0);
        m_form->AddRecord(0);
        m_form->MovePrev();
        QCOMPARE(Edit("priceEdit")->text(), "0.00");

        // Moves stop at the ends without touching unsaved edits, and ask
        // nothing there; the move to the other end lets them go.
        m_msgs->Answer(MsgAnswer::No);
        for (auto [end, beyond] :
             {std::pair{&CInView::MoveLast, &CInView::MoveNext}, std::pair{&CInView::MoveFirst, &CInView::MovePrev}}) {
            (m_form->*end)();
            Edit("nameEdit")->setText("unsaved");
            (m_form->*beyond)();
            (m_form->*end)();
            QCOMPARE(Edit("nameEdit")->text(), "unsaved");
        }

        // Delete: declined (R1 stays, and shows R2 once deleted), then the
        // first (its successor shows), a middle one (its predecessor shows),
        // then all.
        const int modified = m_host->modified;
        Delete(MsgAnswer::No); // "Delete ?", as tst_heldopen reads it
        Delete(MsgAnswer::Yes);
        QCOMPARE(Edit("idEdit")->text(), "R2");
        m_form->MoveNext();
        m_form->MoveNext();
        Delete(MsgAnswer::Yes);
        QCOMPARE(std::pair(CurrentIndex(), m_host->modified), std::pair(1, modified + 2));
        while (!m_form->m_bondList.m_list.empty())
            Delete(MsgAnswer::Yes);
        QVERIFY(!m_form->m_posCurrent);
        QCOMPARE(Edit("idEdit")->text(), "");
        QVERIFY(!Edit("idEdit")->isEnabled() && !Edit("priceEdit")->isEnabled());
        QCOMPARE(Child<DatePicker>("releasePicker")->Value(), Day(2024, 3, 15) + 0.5);
        m_msgs->Clear();
        m_form->DeleteRecord();
        QVERIFY(m_msgs->shown.isEmpty());
        m_form->AddRecord(0); // into the empty list
        QCOMPARE(m_form->m_bondList.m_list.size(), std::size_t(1));
        QVERIFY(Edit("idEdit")->isEnabled() && Edit("priceEdit")->isEnabled());
    }

    void storedEntriesSurviveAnUnchangedSaveAndTypingAsTyped()
    {
        // Amounts that show exactly, and an identifier beyond the typing limit.
        const QString longId = QStringLiteral("XS0123456789-OLD");
        auto& list = m_form->m_bondList.m_list;
        list.push_back(StdBond(longId.toStdString(), 95.5f, 6));
        list.push_back(StdBond("R2", 90.f));
        ThroughFile(m_form->m_bondList);
        m_form->OnInitialUpdate();
        ShowForm();
        QLineEdit* id = Edit("idEdit");
        const std::string before = StoreBondDatabase(m_form->m_bondList);
        QCOMPARE(Save(), "Updates saved !");
        QCOMPARE(StoreBondDatabase(m_form->m_bondList), before);

        // Typing never makes an identifier longer than 15, a stored one
        // included; what it held before, undo brings back.
        Focus(id);
        id->end(false);
        QCOMPARE(Typed(id, "X"), longId);
        QTest::keyClick(id, Qt::Key_Backspace);
        QCOMPARE(Typed(id, "X"), longId.left(15));
        m_form->OnEditUndo();
        QCOMPARE(id->text(), longId);
        id->selectAll();
        QCOMPARE(Typed(id, "ABCDEFGHIJKLMNOPQRS"), "ABCDEFGHIJKLMNO");
        m_msgs->Answer(MsgAnswer::No);
        m_form->MoveNext();

        // Pay Period: "1" is one month, though "12" begins with it.
        auto* pay = Child<QComboBox>("payPeriodBox");
        Focus(pay);
        pay->lineEdit()->selectAll();
        QCOMPARE(Typed(pay->lineEdit(), "1"), "1");
        id->setText("R2");
        QCOMPARE(Save(), "Updates saved !");
        QCOMPARE(static_cast<CBondStd&>(Current()).m_nPeriodMonths, 1);
    }

    void anOpenPaymentEditorStaysWithItsRecord()
    {
        // Two records whose rows read alike: showing one over the other
        // changes no amount text.
        auto& list = m_form->m_bondList.m_list;
        list.push_back(FreeBond("A", 50.f, {{Day(2025, 1, 1), 10.f}, {Day(2026, 1, 1), 20.f}}));
        list.push_back(FreeBond("B", 60.f, {{Day(2025, 6, 1), 10.f}, {Day(2026, 6, 1), 20.f}}));
        m_form->OnInitialUpdate();
        ShowForm();
        // TypeInCell leaves the editor open, as the tool bar and the menus
        // do: they take no focus.
        const auto leave = [&] {
            Focus(Edit("nameEdit"));
            QApplication::processEvents();
        };
        const auto amount = [&](int k) { return static_cast<CBondFree&>(Current()).m_cashflows.at(k).m_fAmount; };

        TypeInCell(1, 0, "999");
        m_msgs->Answer(MsgAnswer::No); // the typed amount goes
        m_form->MoveNext();
        leave();
        QCOMPARE(Grid()->Text(1, 0), "20.00");
        m_form->SaveRecord();
        QCOMPARE(amount(1), 20.f);
        TypeInCell(0, 0, "888");
        m_form->ShowRecordAt(list.begin());
        leave();
        QCOMPARE(Grid()->Text(0, 0), "10.00");

        // A database opened anew shows its first record untouched.
        TypeInCell(0, 0, "666");
        m_form->ClearForm();
        m_form->OnInitialUpdate();
        leave();
        QCOMPARE(Grid()->Text(0, 0), "10.00");

        // Save and Analyse take the amount still being typed.
        TypeInCell(1, 0, "25");
        QCOMPARE(Save(), "Updates saved !");
        QCOMPARE(amount(1), 25.f);
        QCOMPARE(Grid()->Text(1, 0), "25");
        TypeInCell(1, 0, "2500");
        Edit("priceEdit")->setText("2000");
        QCOMPARE(Analyse().section(": ", 0, 0), "Result");

        // A new record starts empty, whatever was typed over the last one
        // and let go of.
        m_msgs->Answer(MsgAnswer::No);
        m_form->AddRecord(1);
        TypeInCell(0, 0, "777");
        m_msgs->Answer(MsgAnswer::No);
        m_form->AddRecord(1); // the focus goes to the ID field
        leave();
        QCOMPARE(Grid()->Text(0, 0), PaymentGrid::kPlaceholder);
        QCOMPARE(m_msgs->Texts().count("Updates saved !"), 2);
    }

    void aRecordTheFormCannotHoldWholeIsNotSaved()
    {
        auto& list = m_form->m_bondList.m_list;
        list.push_back(StdBond("R1", 90.f));
        list.push_back(StdBond("LATE", 80.f));
        list.back()->m_nMaturity = DaySerial(kMaxDateValue) + 1;
        list.push_back(FreeBond("EARLY", 70.f, {{Day(2025, 1, 1), 1.f}, {Day(2025, 1, 2), 2.f}}));
        list.back()->m_nRelease = DaySerial(kMinDateValue) - 1;
        ThroughFile(m_form->m_bondList);
        m_form->OnInitialUpdate();
        const std::string before = StoreBondDatabase(m_form->m_bondList);
        const auto refused = [&](const QString& message) {
            m_form->SaveRecord();
            QCOMPARE(Box(), "Error: " + message);
            QCOMPARE(m_msgs->Last().icon, MsgIcon::Exclamation);
            QCOMPARE(StoreBondDatabase(m_form->m_bondList), before);
            QCOMPARE(m_host->modified, 0);
        };

        // The Type I record shown before leaves its dates in no picker. (A
        // changed grid too short for its record is refused in
        // aRecordWithMorePaymentsThanRowsIsAnalysedAndSavedWhole.)
        m_form->MoveNext();
        refused("Date out of range ! Not saved .");
        m_form->MoveNext();
        refused("Date out of range ! Not saved .");
        // A date the user picks is saved.
        Child<DatePicker>("releasePicker")->SetValue(Day(2021, 1, 1));
        QCOMPARE(Save(), "Updates saved !");
        QCOMPARE(Current().m_nRelease, DaySerial(Day(2021, 1, 1)));
        m_form->MovePrev();
        Child<DatePicker>("maturityPicker")->SetValue(Day(2040, 1, 1));
        QCOMPARE(Save(), "Updates saved !");
        QCOMPARE(Current().m_nMaturity, DaySerial(Day(2040, 1, 1)));
        QCOMPARE(Current().m_nRelease, DaySerial(Day(2020, 1, 1)));
    }

    void aRecordWithMorePaymentsThanRowsIsAnalysedAndSavedWhole()
    {
        // The payments the grid shows all lie before the stand date; the
        // rest come after it.
        std::vector<std::pair<double, float>> flows;
        for (int k = 0; k < 250; ++k)
            flows.push_back(k < 200 ? std::pair{Day(2021, 1, 1) + k, 1.f}
                                    : std::pair{Day(2025, 1, 1) + 30 * (k - 200), 10.f});
        auto& list = m_form->m_bondList.m_list;
        list.push_back(StdBond("R1", 90.f));
        list.push_back(FreeBond("MANY", 400.f, flows));
        ThroughFile(m_form->m_bondList);
        const std::vector<CASHFLOW> stored = static_cast<const CBondFree&>(*list.back()).m_cashflows;
        m_form->OnInitialUpdate();

        // Said once a showing, after the command that showed the record.
        m_form->MoveNext();
        QVERIFY(m_msgs->shown.isEmpty());
        QTRY_COMPARE(m_msgs->shown.size(), 1);
        QCOMPARE(Box(), "Warning: Only 200 of 250 payments can be shown .");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Exclamation);
        QCoreApplication::processEvents();
        QCOMPARE(m_msgs->shown.size(), 1);

        // The form's price with every stored payment, as the command line
        // analyses the record (Square-M's wiring is analyseReportsWhatTheFormHolds').
        m_form->OnAnalyse();
        CBondFree copy = static_cast<const CBondFree&>(*list.back());
        const RecordAnalysis r =
            AnalyseRecord(copy, m_host->stand, m_host->horizon, 400.0, m_fx->clock, Needs::YieldAndDuration);
        QCOMPARE(Box(), "Result: " + Qs("YTM=" + FormatFixed(r.ytm, 8) + "\nD=" + FormatFixed(r.duration, 8)));

        // Saved with the form's price and name, the payments kept whole.
        Edit("priceEdit")->setText("450");
        Edit("nameEdit")->setText("Many payments");
        QCOMPARE(Save(), "Updates saved !");
        const auto& saved = static_cast<const CBondFree&>(Current());
        QCOMPARE(saved.m_fPrice, 450.f);
        QVERIFY(saved.m_strName == "Many payments");

        // A changed grid would stand for what it shows alone, the first 200
        // payments, all before the stand date: analysed so, and not saved,
        // with a period fewer too.
        Grid()->SetText(3, 0, "2");
        QCOMPARE(Analyse(), "Error: Stand date should be before Maturity !");
        QCOMPARE(Save(), "Too many payments to show ! Not saved .");
        Child<QSpinBox>("periodsBox")->stepBy(-1);
        QCOMPARE(Save(), "Too many payments to show ! Not saved .");
        // The payments kept whole by the one Save that marked the document.
        QVERIFY(saved.m_cashflows == stored);
        QCOMPARE(m_host->modified, 1);

        // Shown again, it is said again.
        // (The changed grid is let go of.)
        m_msgs->Clear();
        m_msgs->Answer(MsgAnswer::No);
        m_form->MovePrev();
        m_form->MoveNext();
        QTRY_COMPARE(m_msgs->Texts(),
                     QStringList({"Save the changes to the record ?", "Only 200 of 250 payments can be shown ."}));
    }

    void analyseReportsWhatTheFormHolds()
    {
        m_form->OnInitialUpdate();
        m_form->OnAnalyse(); // no record: the disabled, empty price fails first
        QCOMPARE(m_msgs->Texts(), QStringList({"Spot Price out of range !"}));

        Load(1);
        Edit("priceEdit")->setText("100");
        m_host->stand = Day(2025, 1, 1);
        m_host->horizon = Day(2027, 1, 1);
        m_form->OnAnalyse();
        QCOMPARE(Box(), "Result: YTM=0.05000000\nD=4.54595050");
        m_host->squareM = true;
        QTest::mouseClick(Child<QPushButton>("analyseButton"), Qt::LeftButton);
        QCOMPARE(Last(), "YTM=0.05000000\nD=4.54595050\nM2=7.65967370\n\nIH=2.00000000");

        // A price beyond every payment wins over the dates; a Type II
        // record says so under the program's name.
        Edit("priceEdit")->setText("1000");
        m_host->stand = Day(2031, 1, 1);
        QCOMPARE(Analyse(), "Error: Bad YTM !");
        ClickTab(1);
        FillGrid({"60", "60"}, {"1/1/2026", "1/1/2027"});
        Edit("priceEdit")->setText("119.999999");
        m_host->stand = Day(2025, 6, 1);
        m_host->horizon = Day(2026, 6, 1);
        QCOMPARE(Analyse(), "tenvix: Bad YTM !");
        Edit("priceEdit")->setText("100");
        QCOMPARE(Analyse().section(": ", 0, 0), "Result");
        QCOMPARE(Current().GetType(), int(BOND_TYPE_STD)); // analysing writes nothing
        QCOMPARE(m_host->modified + m_host->listCleared, 0);
    }

    void gridRowsFollowPeriodsAndTakeTypedAmountsAndDates()
    {
        m_form->m_bondList.m_list.push_back(FreeBond("F", 50.f, {{1, 1.f}, {2, 2.f}}));
        m_form->OnInitialUpdate();
        ShowForm();
        // The grid's own rules for Periods are the Bond Analysis window's test;
        // FillGrid drives them through the form's Periods box.
        FillGrid({"1", "2"}, {"a", "b"});

        // In place: Esc keeps what was typed, an amount up to 254 characters,
        // a date as the grid shows dates.
        for (int column : {0, 1}) {
            TypeInCell(1, column, column == 0 ? QString(300, u'7') : QString("3/15/04"));
            QTest::keyClick(Grid()->Editor(), Qt::Key_Escape);
            QTRY_VERIFY(!Grid()->Editor());
        }
        QCOMPARE(Grid()->Text(1, 0) + "|" + Grid()->Text(1, 1), QString(254, u'7') + "|3/15/2004");

        // Insert writes the calendar's day into the selected row only.
        Child<QCalendarWidget>("calendar")->setSelectedDate(QDate(2004, 3, 15));
        Grid()->clearSelection();
        QTest::mouseClick(Child<QPushButton>("insertButton"), Qt::LeftButton);
        QCOMPARE(Grid()->Text(0, 1) + "|" + Grid()->Text(1, 1), "a|3/15/2004");
        Grid()->topLevelItem(1)->setSelected(true);
        Child<QCalendarWidget>("calendar")->setSelectedDate(QDate(2005, 4, 16));
        QTest::mouseClick(Child<QPushButton>("insertButton"), Qt::LeftButton);
        QCOMPARE(Grid()->Text(1, 1), "4/16/2005");

        // Clear empties the form and leaves the record and the tab alone.
        QTest::mouseClick(Child<QPushButton>("clearButton"), Qt::LeftButton);
        QCOMPARE(Edit("idEdit")->text() + Edit("priceEdit")->text(), "");
        QCOMPARE(std::pair(Grid()->RowCount(), Child<QTabBar>("typeTabs")->currentIndex()), std::pair(1, 1));
        m_form->ShowRecordAt(m_form->m_bondList.m_list.begin());
        QCOMPARE(Grid()->RowCount(), 2);
        Current().m_fPrice = 77.126f;
        m_form->RefreshPrice();
        QCOMPARE(Edit("priceEdit")->text(), "77.126");
        QCOMPARE(m_host->modified, 0);
    }

    void growthGoesToTheGridAndTheTabArea()
    {
        m_form->OnInitialUpdate();
        ClickTab(1);
        ShowForm();
        const QSize design = m_form->DesignSize();
        QWidget* area = Child("tabArea");
        const auto snapshot = [&] {
            QApplication::processEvents();
            const QRect g = Grid()->geometry();
            return std::tuple{g.size(), area->size(), Child("insertButton")->pos() - g.topRight(),
                              Child("calendar")->pos() - g.topRight(), Edit("idEdit")->geometry()};
        };
        const auto [grid0, area0, insert0, cal0, id0] = snapshot();
        m_form->resize(design + QSize(100, 50));
        const auto [grid1, area1, insert1, cal1, id1] = snapshot();
        QCOMPARE(grid1, grid0 + QSize(100, 50));
        QCOMPARE(area1, area0 + QSize(100, 50));
        QCOMPARE(std::tuple(insert1, cal1, id1), std::tuple(insert0, cal0, id0));
        m_form->resize(design - QSize(150, 100)); // smaller: the design layout, scrolled
        const auto [grid2, area2, insert2, cal2, id2] = snapshot();
        QCOMPARE(std::tuple(grid2, area2), std::tuple(grid0, area0));
    }

    void editCommandsFollowTheFocusedTextField()
    {
        Load(1);
        ShowForm();
        QApplication::clipboard()->clear();
        QLineEdit* name = Edit("nameEdit");
        Focus(name);
        name->deselect();
        QVERIFY(!m_form->CanEditCopy() && !m_form->CanEditPaste() && !m_form->CanEditUndo());
        name->setSelection(0, 2);
        QVERIFY(m_form->CanEditCopy() && m_form->CanEditCut());
        m_form->OnEditCut();
        QCOMPARE(name->text(), " name");
        QVERIFY(m_form->CanEditUndo() && m_form->CanEditPaste());

        auto* pay = Child<QComboBox>("payPeriodBox"); // its editor is a text field
        Focus(pay);
        pay->lineEdit()->selectAll();
        QVERIFY(m_form->CanEditCopy());

        // The grid is not a text field; its in-place editor is.
        ClickTab(1);
        Focus(Grid());
        QVERIFY(!m_form->CanEditCopy() && !m_form->CanEditPaste() && !m_form->CanEditUndo());
        TypeInCell(0, 0, "");
        QTRY_COMPARE(QApplication::focusWidget(), Grid()->Editor());
        m_form->OnEditPaste();
        QCOMPARE(Grid()->Editor()->text(), "R1");

        // The read-only Periods field can be copied from, not written to.
        auto* periods = Child<QSpinBox>("periodsBox");
        Focus(periods);
        periods->selectAll();
        QVERIFY(m_form->CanEditCopy() && !m_form->CanEditCut() && !m_form->CanEditPaste());
    }

    // OK, deleting what matures before the picked day, is tst_heldopen's
    // deleteManyHoldsTheOpen; the picker starting on today is tst_uikit's.
    void deleteManyDialogYieldsThePickedDateOnlyOnOk()
    {
        CDeleteManyDlg dlg;
        auto* picker = dlg.findChild<DatePicker*>();
        dlg.show();
        picker->SetValue(Day(2030, 6, 1) + 0.25);
        // Deleting is not undone: Enter alone confirms nothing.
        QTest::keyClick(&dlg, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QTest::mouseClick(dlg.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_dtBefore, 0.0);
    }

    void deleteManyRemovesWhatMaturesBeforeTheDay()
    {
        // Three mature the day before, one on the day itself.
        const double before = Day(2024, 3, 14), on = Day(2024, 3, 15), later = Day(2040, 1, 1);
        auto& list = m_form->m_bondList.m_list;
        for (double maturity : {later, later, before, later, before, later, on, later, later, before})
            list.push_back(
                test::StdBond("B" + std::to_string(list.size()), 12, 1.f, 100.f, 90.f, Day(2000, 1, 1), maturity));
        m_form->OnInitialUpdate();
        m_form->MoveNext();

        // Nothing before the day: the count, and nothing else changes.
        m_form->DeleteMatured(Day(2024, 3, 14) + 0.9);
        QCOMPARE(m_msgs->Texts(), QStringList({"Deleted 0 bonds of 10 total ."}));
        QCOMPARE(m_host->listCleared + m_host->modified, 0);
        QCOMPARE(Edit("idEdit")->text(), "B1");

        // The rows naming deleted bonds go before the box's loop runs.
        m_msgs->Clear();
        bool boxFirst = true;
        m_host->onClear = [&] { boxFirst = !m_msgs->shown.isEmpty(); };
        m_form->DeleteMatured(Day(2024, 3, 15) + 0.99); // the time of day plays no part
        QVERIFY(!boxFirst);
        QCOMPARE(Box(), "tenvix: Deleted 3 bonds of 10 total .");
        QCOMPARE(Edit("idEdit")->text(), "B0");
        QCOMPARE(std::pair(m_host->modified, m_host->listCleared), std::pair(1, 1));

        // None left: the empty form, as after the last Delete.
        m_form->DeleteMatured(Day(2050, 1, 1));
        QVERIFY(!m_form->m_posCurrent && !Edit("idEdit")->isEnabled());
    }

    // The form's rules as plain functions.
    void messagesOfFormCodes()
    {
        // Codes that mean nothing give an empty text, never a wrong one.
        for (int code : {0, -1, -3, 14, 27, 16 * 3 + 12, 16 * 3 + 18})
            QVERIFY2(FormMessage(code).empty(), qPrintable(QString::number(code)));

        // Grid codes that name no row (those that do, counted from 1, are read
        // in typeChangeAsks...; the codes themselves are the core's SetFromGrid
        // and BondImport tests'). The dates are en_US's, as init() leaves them.
        const std::pair<std::vector<GridRow>, const char*> cases[] = {
            {{{"5 ", "3/15/2000"}}, "Maturity should be later than Release Date !"},
            {{}, "No cashflows !"},
        };
        for (const auto& [grid, message] : cases) {
            const int code = CBondFree(0).SetFromGrid(grid, 1.f, Day(2010, 1, 1), "", "", ui::LocaleDateParser());
            QCOMPARE(FormMessage(code + kGridCodeOffset), message);
        }
    }

    void stdFields_data()
    {
        // The pay period's own syntax is ReadPayPeriod's core test; an empty
        // price and a period of "12.0" go through the form in saveChecksInOrder.
        QTest::addColumn<int>("field"); // 0 coupon, 1 face, 2 price, 3 pay period
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("empty coupon is 0") << 0 << "" << 0;
        QTest::newRow("negative coupon") << 0 << "-0.01" << 2;
        QTest::newRow("face with letters") << 1 << "100a" << 3;
        QTest::newRow("price floor") << 2 << "0.00001" << 0;
        QTest::newRow("price over ceiling") << 2 << "1.0000001e18" << 6;
        QTest::newRow("period empty") << 3 << "" << 8;
    }

    void stdFields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, code);
        StdFieldTexts t{"5", "100", "100", "12", Day(2020, 1, 1), Day(2030, 1, 1)};
        std::string* fields[] = {&t.coupon, &t.face, &t.price, &t.payPeriod};
        *fields[field] = text.toStdString();
        StdFields out;
        QCOMPARE(ReadStdFields(t, out), code);
    }

    // A price between the two floors is saved and not analysed in
    // typeChangeAsks...; here the floor itself and the text as typed.
    void freePriceIsReadAsTypedWithTwoFloors()
    {
        double p = -1;
        QCOMPARE(ReadFreePrice("0.0001", kFreePriceFloorAnalyse, p), 0);
        QCOMPARE(p, 0.0001);
        QCOMPARE(ReadFreePrice("100 ", kFreePriceFloorSave, p), 5);
        QCOMPARE(ReadFreePrice("", kFreePriceFloorSave, p), 6);
    }

    void identifiersCollideAfterTrimmingOnly()
    {
        CBondList list;
        for (const char* id : {" AB ", "ab", "", "X"})
            test::AddRecord(list, id);
        const auto first = list.m_list.begin();
        const auto last = std::prev(list.m_list.end());
        QVERIFY(IsIDOccupied(list, last, "\tAB"));
        QVERIFY(!IsIDOccupied(list, first, "AB")); // its own identifier
        QVERIFY(IsIDOccupied(list, last, "  "));   // blank meets empty
        QVERIFY(IsIDOccupied(list, std::nullopt, "X"));
    }

    // The figures and the order of the checks are the core's (bond and
    // AnalyseRecord tests); here what the form makes of the outcomes the form
    // itself meets no other way (a result, a price beyond every payment and a
    // stand date after maturity are read in analyseReportsWhatTheFormHolds and
    // aRecordWithMorePaymentsThanRows...).
    void analysisOutcomesAsTheFormTellsThem()
    {
        CBondStd bond(0);
        bond.SetData(12, 1.f, 100.f, 90.f, Day(2020, 1, 1), Day(2022, 1, 1), "", "");
        QCOMPARE(AnalyseForm(bond, Day(2021, 1, 1), Day(2021, 1, 1), 90, true).code, 11);
        QCOMPARE(FormMessage(AnalyseForm(bond, Day(2019, 1, 1), Day(2024, 1, 1), 90).code),
                 "Stand date can't be before release date !");

        // A tiny price for a huge repayment tomorrow needs a yield beyond any
        // the search may try. Finding no yield is told like any other outcome
        // the form refuses.
        bond.SetData(12, 0.f, 1e18f, 0.00001f, Day(2020, 1, 1), Day(2025, 1, 2), "", "");
        const AnalysisOutcome r = AnalyseForm(bond, Day(2025, 1, 1), Day(2026, 1, 1), 0.00001);
        QCOMPARE(r.kind, AnalysisOutcome::NoYield);
        QCOMPARE(FormMessage(r.code), "Bad YTM .");
    }
};

QTEST_MAIN(TestInView)
#include "tst_inview.moc"
