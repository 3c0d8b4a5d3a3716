// The Bond Analysis window driven through its widgets: the grid follows
// Periods, the calendar fills the selected row, results go stale exactly when
// an entry changes. The figures themselves are the cashflow analysis's tests.

#include "analysis/analysisdlg.h"
#include "support/windows.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"

#include <functional>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;

class TestAnalysisDlg : public QObject {
    Q_OBJECT

    std::unique_ptr<test::FakeMessages> m_messages;
    std::unique_ptr<test::FakeClock> m_clock;
    std::unique_ptr<AnalysisDialog> m_dlg;

    template <class T>
    T* Find(const char* name) const
    {
        T* w = m_dlg->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no widget %s", name);
        return w;
    }
    PaymentGrid* Grid() const { return Find<PaymentGrid>("grid"); }
    QSpinBox* Periods() const { return Find<QSpinBox>("periods"); }
    QLineEdit* Box(const char* name) const { return Find<QLineEdit>(name); }
    DatePicker* Picker(const char* name) const { return Find<DatePicker>(name); }
    void Click(const char* button) const { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    void StepPeriods(int steps) const
    {
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(Periods(), steps > 0 ? Qt::Key_Up : Qt::Key_Down);
    }
    QString Column(int column) const { return test::Column(Grid()->model(), column).join(u'|'); }
    QLineEdit* EditorOf(int row, int column = PaymentGrid::kPayment) const
    {
        return qobject_cast<QLineEdit*>(Grid()->indexWidget(Grid()->model()->index(row, column)));
    }
    // Types into the row's payment cell through the in-place editor.
    void TypePayment(int row, const QString& text, bool finish = true) const
    {
        Grid()->setCurrentItem(Grid()->topLevelItem(row), PaymentGrid::kPayment);
        Grid()->editItem(Grid()->topLevelItem(row), PaymentGrid::kPayment);
        QLineEdit* editor = EditorOf(row);
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        if (finish) {
            QTest::keyClick(editor, Qt::Key_Return);
            QCoreApplication::processEvents();
        }
    }
    void SetDate(int row, double day) const { Grid()->SetText(row, PaymentGrid::kDate, FormatDate(day)); }
    // One payment of 110 a calendar year after the stand date, priced at 100.
    void FillOneYearAtTenPercent() const
    {
        Picker("standDate")->SetValue(Day(2003, 3, 1));
        Picker("horizonDate")->SetValue(Day(2005, 3, 1));
        Box("spotPrice")->setText("100");
        TypePayment(0, "110");
        SetDate(0, Day(2004, 3, 1));
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale("en_US"));
        m_messages = std::make_unique<test::FakeMessages>();
        m_clock = std::make_unique<test::FakeClock>(Day(2004, 6, 15) + 0.75);
        m_dlg = std::make_unique<AnalysisDialog>();
        QVERIFY(test::Active(m_dlg.get()));
    }

    void cleanup()
    {
        m_dlg.reset();
        m_clock.reset();
        m_messages.reset();
        QLocale::setDefault(QLocale::c());
    }

    void gridFollowsPeriodsAndTheCalendar()
    {
        // The calendar starts on today, as the pickers do by themselves
        // (tst_uikit); H stays empty until a date or the method changes.
        QCOMPARE(Find<QCalendarWidget>("calendar")->selectedDate(), QDate(2004, 6, 15));
        QCOMPARE(Box("h")->text(), QString());

        StepPeriods(2);
        TypePayment(0, "10");
        TypePayment(2, "30");
        SetDate(2, Day(2005, 1, 1));
        StepPeriods(-3); // stops at one row: two steps up make three
        StepPeriods(2);
        QCOMPARE(Column(PaymentGrid::kPayment) + " " + Column(PaymentGrid::kDate) + " " + Column(PaymentGrid::kNo),
                 "10|??????????|?????????? || 1|2|3");

        // Insert writes the calendar's day into the selected row only.
        Find<QCalendarWidget>("calendar")->setSelectedDate(QDate(2007, 2, 28));
        Grid()->clearSelection();
        Click("insert");
        QCOMPARE(Column(PaymentGrid::kDate), "||");
        Grid()->topLevelItem(1)->setSelected(true);
        Click("insert");
        QCOMPARE(Column(PaymentGrid::kDate), "|" + FormatDate(Day(2007, 2, 28)) + "|");

        Periods()->setValue(200);
        StepPeriods(1);
        QCOMPARE(Grid()->RowCount(), 200);
        QTest::keyClicks(Periods(), "9"); // only the arrows change it
        QCOMPARE(Periods()->value(), 200);
    }

    void calculateShowsTheFiguresOrWhyNot()
    {
        FillOneYearAtTenPercent();
        Click("calculate");
        QCOMPARE(Box("ytm")->text() + "|" + Box("d1")->text() + "|" + Box("squareM")->text(),
                 "0.10000000|1.00000000|"); // Square-M not wanted

        // No yield: "Error" in the YTM box, no message. A search that runs out
        // of time ends the same way (CashflowCalc.RunsOutOfTimeOnEvery2048thEvaluation).
        Box("spotPrice")->setText("110.01");
        Click("calculate"); // no message: the fault's below is the only one
        QCOMPARE(Box("ytm")->text() + "|" + Box("d1")->text() + "|" + Box("squareM")->text(), "Error||");
        QVERIFY(m_dlg->ResultsShown());

        // A fault is a message, and leaves the boxes empty.
        Box("spotPrice")->setText("100");
        StepPeriods(1);
        SetDate(1, Day(2004, 9, 1));
        Click("calculate");
        QCOMPARE(m_messages->Texts(), QStringList{"Invalid cashflow  in row 2 !"});
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
        QCOMPARE(Box("ytm")->text() + Box("d1")->text(), QString());
        QVERIFY(!m_dlg->ResultsShown());
    }

    void calculateTakesTheTextStillBeingTyped()
    {
        FillOneYearAtTenPercent();
        TypePayment(0, "121", false);
        // A button's mnemonic animates the click before it fires.
        QTest::keyClick(EditorOf(0), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!EditorOf(0));
        QCOMPARE(Box("ytm")->text(), QStringLiteral("0.21000000")); // 121 taken
    }

    // A Date cell is edited as a date however the editing starts, and keeps
    // the day it read as the grid shows dates; the payment beside it stays. A
    // date that does not read is kept for Calculate to refuse.
    void dateCellsAreEditedAsDates()
    {
        FillOneYearAtTenPercent();
        PaymentGrid* grid = Grid();
        const QModelIndex cell = grid->model()->index(0, PaymentGrid::kDate);
        grid->setFocus();
        grid->setCurrentIndex(cell);
        const auto finish = [&](const QString& typed) {
            QLineEdit* editor = EditorOf(0, PaymentGrid::kDate);
            QVERIFY(editor);
            QTest::keyClicks(editor, typed);
            QTest::keyClick(editor, Qt::Key_Return);
            QTRY_VERIFY(!EditorOf(0, PaymentGrid::kDate));
        };

        QTest::keyClick(grid, Qt::Key_F2);
        QVERIFY(EditorOf(0, PaymentGrid::kDate));
        QCOMPARE(EditorOf(0, PaymentGrid::kDate)->text(), QStringLiteral("3/1/2004"));
        EditorOf(0, PaymentGrid::kDate)->selectAll();
        finish("3/1/05");
        QCOMPARE(Column(PaymentGrid::kDate) + " " + Column(PaymentGrid::kPayment), "3/1/2005 110");

        QTest::keyClick(grid, Qt::Key_2); // typing starts with the key typed
        finish("/30/2004");
        QCOMPARE(Column(PaymentGrid::kDate) + " " + Column(PaymentGrid::kPayment), "2/30/2004 110");
        Click("calculate");
        QCOMPARE(m_messages->Texts(), QStringList{"Invalid date in row 1 !"});

        // Insert takes the calendar's day into a row whose date is open.
        const QPoint at = grid->visualRect(cell).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        QVERIFY(EditorOf(0, PaymentGrid::kDate));
        Find<QCalendarWidget>("calendar")->setSelectedDate(QDate(2004, 3, 1));
        QTest::keyClick(EditorOf(0, PaymentGrid::kDate), Qt::Key_I, Qt::AltModifier);
        QTRY_VERIFY(!EditorOf(0, PaymentGrid::kDate));
        QCOMPARE(Column(PaymentGrid::kDate) + " " + Column(PaymentGrid::kPayment), "3/1/2004 110");
    }

    void resultsGoStaleExactlyWhenAnEntryChanges()
    {
        struct Action {
            const char* name;
            std::function<void()> run;
            bool clears;
        };
        // clang-format off
        const QList<Action> actions = {
            {"periods", [&] { StepPeriods(1); }, true},
            {"payment edited", [&] { TypePayment(0, "110"); }, true},
            {"date edited", [&] { Grid()->editItem(Grid()->topLevelItem(0), PaymentGrid::kDate); Grid()->CommitEdit(); }, true},
            {"insert into a row", [&] { Grid()->topLevelItem(0)->setSelected(true); Click("insert"); }, true},
            {"stand date", [&] { Picker("standDate")->SetValue(Day(2003, 2, 28)); }, true},
            {"horizon", [&] { Picker("horizonDate")->SetValue(Day(2005, 3, 2)); }, true},
            {"year method", [&] { Find<QComboBox>("yearMethod")->setCurrentIndex(1); }, true},
            {"spot price", [&] { QTest::keyClick(Box("spotPrice"), Qt::Key_0); }, true},
            {"new", [&] { Click("new"); }, true},
            {"insert without a selection", [&] { Grid()->clearSelection(); Click("insert"); }, false},
            {"square-m ticked", [&] { Find<QCheckBox>("squareMWanted")->setChecked(true); }, false},
            {"calendar date", [&] { Find<QCalendarWidget>("calendar")->setSelectedDate(QDate(2010, 1, 1)); }, false},
            {"row selected", [&] { Grid()->topLevelItem(0)->setSelected(true); }, false},
            {"hidden and shown", [&] { Click("exit"); m_dlg->show(); }, false},
        };
        // clang-format on
        for (const Action& a : actions) {
            FillOneYearAtTenPercent();
            Periods()->setValue(2);
            TypePayment(1, "0");
            SetDate(1, Day(2004, 9, 1));
            Find<QComboBox>("yearMethod")->setCurrentIndex(0);
            Find<QCheckBox>("squareMWanted")->setChecked(true);
            Click("calculate");
            QVERIFY2(m_dlg->ResultsShown() && !Box("ytm")->text().isEmpty(), a.name);
            a.run();
            QVERIFY2(m_dlg->ResultsShown() != a.clears, a.name);
            for (const char* box : {"ytm", "d1", "squareM"})
                QVERIFY2(Box(box)->text().isEmpty() == a.clears, a.name);
            Click("new");
        }
    }

    void horizonYearsFollowTheDatesAndTheMethodOnly()
    {
        auto* h = Box("h");
        FillOneYearAtTenPercent(); // 2.00000000, as tst_numbertexts reads it in every locale
        Find<QComboBox>("yearMethod")->setCurrentIndex(1);
        QCOMPARE(h->text(), QStringLiteral("2.00273973")); // 731 days
        // Calculate and New leave it alone.
        h->setText("untouched");
        Click("calculate");
        Click("new");
        QCOMPARE(h->text(), QStringLiteral("untouched"));
    }

    void newResetsTheGridButNotTheSettings()
    {
        FillOneYearAtTenPercent();
        Find<QComboBox>("yearMethod")->setCurrentIndex(1);
        Find<QCheckBox>("squareMWanted")->setChecked(true);
        // With Periods already at 1 the row is reset all the same. That New
        // drops the results is resultsGoStaleExactlyWhenAnEntryChanges's.
        for (int periods : {4, 1}) {
            Periods()->setValue(periods);
            TypePayment(0, "5");
            SetDate(0, Day(2004, 1, 1));
            Click("new"); // one row, so Periods at 1
            QCOMPARE(Column(PaymentGrid::kPayment) + Column(PaymentGrid::kDate) + Column(PaymentGrid::kNo),
                     "??????????1");
            QVERIFY(!Find<QCheckBox>("squareMWanted")->isChecked());
        }
        QCOMPARE(Box("spotPrice")->text(), QStringLiteral("100"));
        QCOMPARE(Find<QComboBox>("yearMethod")->currentIndex(), 1);
        QCOMPARE(Picker("standDate")->Day(), Day(2003, 3, 1));
    }
};

QTEST_MAIN(TestAnalysisDlg)
#include "tst_analysisdlg.moc"
