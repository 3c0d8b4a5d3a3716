// The Bond Analysis window driven through its widgets: the grid follows
// Periods, the calendar fills the selected row, results go stale exactly when
// an entry changes, and hiding the window keeps everything typed.

#include "analysis/analysisdlg.h"
#include "editor/paymentgrid.h"
#include "model/date.h"
#include "shell/datepicker.h"
#include "shell/datetext.h"
#include "support/fakes.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

#include <functional>
#include <memory>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::FakeClock;
using tenvix::test::FakeMessages;

namespace {

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

} // namespace

class TestAnalysisDlg : public QObject {
    Q_OBJECT

    std::unique_ptr<FakeMessages> m_messages;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<CAnalysisDlg> m_dlg;

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
    void Click(const char* button) const { QTest::mouseClick(Find<QPushButton>(button), Qt::LeftButton); }
    void StepPeriods(int steps) const
    {
        for (int i = 0; i < std::abs(steps); ++i)
            QTest::keyClick(Periods(), steps > 0 ? Qt::Key_Up : Qt::Key_Down);
    }
    QStringList Column(int column) const
    {
        QStringList texts;
        for (int i = 0; i < Grid()->RowCount(); ++i)
            texts << Grid()->Text(i, column);
        return texts;
    }
    // The editor open on a row's payment, if any.
    QLineEdit* EditorOf(int row) const
    {
        return qobject_cast<QLineEdit*>(Grid()->indexWidget(Grid()->model()->index(row, PaymentGrid::kPayment)));
    }
    // Enter ends the editing once the event loop has run.
    static void EndEditing(QLineEdit* editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }
    // Types into the row's payment cell through the in-place editor.
    void TypePayment(int row, const QString& text, bool finish = true) const
    {
        PaymentGrid* grid = Grid();
        grid->setCurrentItem(grid->topLevelItem(row), PaymentGrid::kPayment);
        grid->editItem(grid->topLevelItem(row), PaymentGrid::kPayment);
        QLineEdit* editor = EditorOf(row);
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, text);
        if (finish)
            EndEditing(editor);
    }
    void SetDate(int row, double day) const { Grid()->SetText(row, PaymentGrid::kDate, FormatDate(day)); }
    // One payment of 110 a calendar year after the stand date, priced at 100.
    void FillOneYearAtTenPercent() const
    {
        Find<DatePicker>("standDate")->SetValue(Day(2003, 3, 1));
        Find<DatePicker>("horizonDate")->SetValue(Day(2005, 3, 1));
        Box("spotPrice")->setText("100");
        TypePayment(0, "110");
        SetDate(0, Day(2004, 3, 1));
    }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale("en_US"));
        m_messages = std::make_unique<FakeMessages>();
        m_clock = std::make_unique<FakeClock>(Day(2004, 6, 15) + 0.75);
        m_dlg = std::make_unique<CAnalysisDlg>();
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
        m_dlg->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_dlg.get()));
    }

    void cleanup()
    {
        m_dlg.reset();
        m_clock.reset();
        m_messages.reset();
        QLocale::setDefault(QLocale::c());
    }

    void startsOnToday()
    {
        QCOMPARE(Find<DatePicker>("standDate")->Day(), Day(2004, 6, 15));
        QCOMPARE(Find<DatePicker>("horizonDate")->Day(), Day(2004, 6, 15));
        auto* calendar = Find<QCalendarWidget>("calendar");
        QCOMPARE(calendar->selectedDate(), QDate(2004, 6, 15));
        QCOMPARE(calendar->minimumDate(), QDate(1900, 1, 1));
        QCOMPARE(calendar->maximumDate(), QDate(9999, 1, 1));
        QCOMPARE(Box("h")->text(), QString()); // until a date or the method changes
    }

    void periodsKeepOrDropRows()
    {
        StepPeriods(2);
        QCOMPARE(Column(PaymentGrid::kNo), (QStringList{"1", "2", "3"}));
        TypePayment(0, "10");
        TypePayment(1, "20");
        TypePayment(2, "30");
        SetDate(2, Day(2005, 1, 1));

        StepPeriods(-2);
        QCOMPARE(Column(PaymentGrid::kPayment), QStringList{"10"});
        StepPeriods(-1);
        QCOMPARE(Periods()->value(), 1);
        QCOMPARE(Grid()->RowCount(), 1);

        StepPeriods(2);
        QCOMPARE(Column(PaymentGrid::kPayment), (QStringList{"10", "??????????", "??????????"}));
        QCOMPARE(Column(PaymentGrid::kDate), (QStringList{"", "", ""}));
        QCOMPARE(Column(PaymentGrid::kNo), (QStringList{"1", "2", "3"}));

        Periods()->setValue(200);
        StepPeriods(1);
        QCOMPARE(Grid()->RowCount(), 200);
        QCOMPARE(Grid()->Text(199, PaymentGrid::kNo), QStringLiteral("200"));

        // Only the arrows change it.
        QTest::keyClicks(Periods(), "9");
        QCOMPARE(Periods()->value(), 200);
    }

    void insertWritesTheCalendarDateIntoTheSelectedRow()
    {
        StepPeriods(2);
        Find<QCalendarWidget>("calendar")->setSelectedDate(QDate(2007, 2, 28));
        Grid()->clearSelection();
        Click("insert");
        QCOMPARE(Column(PaymentGrid::kDate), (QStringList{"", "", ""}));

        Grid()->topLevelItem(1)->setSelected(true);
        Click("insert");
        QCOMPARE(Column(PaymentGrid::kDate), (QStringList{"", FormatDate(Day(2007, 2, 28)), ""}));
        QCOMPARE(ParseDate(Grid()->Text(1, PaymentGrid::kDate)), Day(2007, 2, 28));
        QCOMPARE(Column(PaymentGrid::kPayment), (QStringList{"??????????", "??????????", "??????????"}));
    }

    void calculateShowsTheFigures()
    {
        FillOneYearAtTenPercent();
        Click("calculate");
        QCOMPARE(Box("ytm")->text(), QStringLiteral("0.10000000"));
        QCOMPARE(Box("d1")->text(), QStringLiteral("1.00000000"));
        QCOMPARE(Box("squareM")->text(), QString()); // not wanted

        // Day count across 29 February, now with Square-M.
        Find<QComboBox>("yearMethod")->setCurrentIndex(1);
        Find<QCheckBox>("squareMWanted")->setChecked(true);
        Click("calculate");
        QCOMPARE(Box("ytm")->text(), QStringLiteral("0.09971359"));
        QCOMPARE(Box("squareM")->text(), QStringLiteral("1.00000000"));
        QVERIFY(m_messages->shown.isEmpty());
    }

    void calculateTakesTheTextStillBeingTyped()
    {
        FillOneYearAtTenPercent();
        TypePayment(0, "121", false);
        // A button's mnemonic animates the click before it fires.
        QTest::keyClick(EditorOf(0), Qt::Key_C, Qt::AltModifier);
        QTRY_VERIFY(!EditorOf(0));
        QCOMPARE(Grid()->Text(0, PaymentGrid::kPayment), QStringLiteral("121"));
        QCOMPARE(Box("ytm")->text(), QStringLiteral("0.21000000"));
    }

    void faultsAreShownAndLeaveTheBoxesEmpty()
    {
        FillOneYearAtTenPercent();
        Click("calculate");
        StepPeriods(1);
        SetDate(1, Day(2004, 9, 1));
        Click("calculate");
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(m_messages->Last().text, QStringLiteral("Invalid cashflow  in row 2 !")); // untouched
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
        QCOMPARE(m_messages->Last().icon, MsgIcon::Exclamation);
        QCOMPARE(Box("ytm")->text(), QString());
        QCOMPARE(Box("d1")->text(), QString());
        QVERIFY(!m_dlg->ResultsShown());
    }

    void errorGoesIntoTheYtmBoxWithoutAMessage()
    {
        FillOneYearAtTenPercent();
        Find<QCheckBox>("squareMWanted")->setChecked(true);
        Box("spotPrice")->setText("110.01");
        Click("calculate");
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(Box("ytm")->text(), QStringLiteral("Error"));
        QCOMPARE(Box("d1")->text(), QString());
        QCOMPARE(Box("squareM")->text(), QString());
        QVERIFY(m_dlg->ResultsShown());
    }

    void errorWhenTheTimeRunsOut()
    {
        // A payment eight thousand years out against a tiny price creeps;
        // with a second passing per look at the clock it runs out of time.
        Find<DatePicker>("standDate")->SetValue(Day(2000, 1, 1));
        Box("spotPrice")->setText("1e-6");
        TypePayment(0, "1e20");
        SetDate(0, Day(9999, 1, 1));
        m_clock->SetStep(1000);
        Click("calculate");
        QCOMPARE(Box("ytm")->text(), QStringLiteral("Error"));
        QVERIFY(m_messages->shown.isEmpty());
    }

    void resultsGoStaleExactlyWhenAnEntryChanges()
    {
        struct Action {
            const char* name;
            std::function<void()> run;
            bool clears;
        };
        const QList<Action> actions = {
            {"periods up", [&] { StepPeriods(1); }, true},
            {"periods down", [&] { StepPeriods(-1); }, true},
            {"payment edited", [&] { TypePayment(0, "110"); }, true},
            {"insert into a row", [&] { Grid()->topLevelItem(0)->setSelected(true); Click("insert"); }, true},
            {"stand date", [&] { Find<DatePicker>("standDate")->SetValue(Day(2003, 2, 28)); }, true},
            {"horizon", [&] { Find<DatePicker>("horizonDate")->SetValue(Day(2005, 3, 2)); }, true},
            {"year method", [&] { Find<QComboBox>("yearMethod")->setCurrentIndex(1); }, true},
            {"spot price", [&] { QTest::keyClick(Box("spotPrice"), Qt::Key_0); }, true},
            {"new", [&] { Click("new"); }, true},
            {"insert without a selection", [&] { Grid()->clearSelection(); Click("insert"); }, false},
            {"square-m ticked", [&] { Find<QCheckBox>("squareMWanted")->setChecked(true); }, false},
            {"calendar date", [&] { Find<QCalendarWidget>("calendar")->setSelectedDate(QDate(2010, 1, 1)); }, false},
            {"row selected", [&] { Grid()->topLevelItem(0)->setSelected(true); }, false},
            {"hidden and shown", [&] { Click("exit"); m_dlg->show(); }, false},
        };
        for (const Action& a : actions) {
            FillOneYearAtTenPercent();
            Periods()->setValue(2);
            TypePayment(1, "0");
            SetDate(1, Day(2004, 9, 1));
            Find<QComboBox>("yearMethod")->setCurrentIndex(0);
            Find<QCheckBox>("squareMWanted")->setChecked(true);
            Find<DatePicker>("horizonDate")->SetValue(Day(2005, 3, 1));
            Click("calculate");
            QVERIFY2(m_dlg->ResultsShown() && !Box("ytm")->text().isEmpty(), a.name);
            a.run();
            QVERIFY2(m_dlg->ResultsShown() != a.clears, a.name);
            QVERIFY2(Box("ytm")->text().isEmpty() == a.clears, a.name);
            QVERIFY2(Box("d1")->text().isEmpty() == a.clears, a.name);
            QVERIFY2(Box("squareM")->text().isEmpty() == a.clears, a.name);
            Click("new");
        }
    }

    void horizonYearsFollowTheDatesAndTheMethodOnly()
    {
        auto* h = Box("h");
        FillOneYearAtTenPercent();
        QCOMPARE(h->text(), QStringLiteral("2.00000000"));
        Find<QComboBox>("yearMethod")->setCurrentIndex(1);
        QCOMPARE(h->text(), QStringLiteral("2.00273973")); // 731 days
        Find<DatePicker>("standDate")->SetValue(Day(2005, 3, 1));
        QCOMPARE(h->text(), QStringLiteral("0.00000000"));
        Find<DatePicker>("standDate")->SetValue(Day(2005, 3, 2));
        QCOMPARE(h->text(), QStringLiteral("-0.00273973"));

        // Calculate and New leave it alone.
        h->setText("untouched");
        Box("spotPrice")->setText("100");
        Click("calculate");
        Click("new");
        QCOMPARE(h->text(), QStringLiteral("untouched"));
    }

    void newResetsTheGridButNotTheSettings()
    {
        FillOneYearAtTenPercent();
        Find<QComboBox>("yearMethod")->setCurrentIndex(1);
        Find<QCheckBox>("squareMWanted")->setChecked(true);
        StepPeriods(3);
        TypePayment(3, "7");
        Grid()->topLevelItem(3)->setSelected(true);
        Click("calculate");
        const QString h = Box("h")->text();

        Click("new");
        QCOMPARE(Periods()->value(), 1);
        QCOMPARE(Column(PaymentGrid::kPayment), QStringList{"??????????"});
        QCOMPARE(Column(PaymentGrid::kDate), QStringList{""});
        QCOMPARE(Column(PaymentGrid::kNo), QStringList{"1"});
        QVERIFY(!Find<QCheckBox>("squareMWanted")->isChecked());
        QVERIFY(!m_dlg->ResultsShown());
        QCOMPARE(Box("ytm")->text(), QString());
        QCOMPARE(Box("spotPrice")->text(), QStringLiteral("100"));
        QCOMPARE(Find<QComboBox>("yearMethod")->currentIndex(), 1);
        QCOMPARE(Find<DatePicker>("standDate")->Day(), Day(2003, 3, 1));
        QCOMPARE(Box("h")->text(), h);

        // With Periods already at 1 the row is reset all the same.
        TypePayment(0, "5");
        SetDate(0, Day(2004, 1, 1));
        Click("new");
        QCOMPARE(Column(PaymentGrid::kPayment), QStringList{"??????????"});
        QCOMPARE(Column(PaymentGrid::kDate), QStringList{""});
    }

};

QTEST_MAIN(TestAnalysisDlg)
#include "tst_analysisdlg.moc"
