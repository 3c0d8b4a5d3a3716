// The portfolio window's Fund schedule: its dialog (the grid of liabilities,
// its files, its boxes), runs on the worker that fill the rows and say the
// cash and the bound, Stop, and the Funding chart the Cashflows view shows
// only for a funded portfolio.

#include "explain/cashflowview.h"
#include "explain/fundingchart.h"
#include "model/explain.h"
#include "portfolio/core/fund.h"
#include "portfolio/funddlg.h"
#include "support/portfoliowin.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"

#include <QBarSet>
#include <QCategoryAxis>
#include <QLabel>
#include <QLineSeries>
#include <QTemporaryDir>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;
using tenvix::test::Type;
using tenvix::test::WhenModal;
using Dlg = CPortfolioDlg;

namespace {

// Z1, Z2, Z3 pay 100 on 15 January 2027, 2028, 2029 for 98, 96 and 94.
void AddZeros(CBondList& list)
{
    const float prices[] = {98, 96, 94};
    for (int k = 0; k < 3; ++k)
        list.m_list.push_back(test::FreeBond("Z" + std::to_string(k + 1), prices[k],
                                             {{Day(2027 + k, 1, 15), 100.0f}}));
}

QString Date(int year) { return FormatDate(Day(year, 1, 15)); }

// A thousand owed on 15 January of 2027, 2028 and 2029, as the grid shows it.
ScheduleTexts ThreeYears()
{
    return {{"1000", Date(2027)}, {"1000", Date(2028)}, {"1000", Date(2029)}};
}

} // namespace

class TestFund : public QObject, test::PortfolioWindow {
    Q_OBJECT
private slots:
    void init()
    {
        Begin(Day(2026, 1, 15), Day(2029, 1, 15));
        AddZeros(m_db);
        OpenWindow();
    }
    void cleanup() { End(); }

    void gridTakesTypedRows()
    {
        FundDialog dlg({}, {}, m_stand);
        QVERIFY(test::Active(&dlg));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Fund schedule"));
        // A row added, its date and amount typed in their cells as the user
        // types them; a decimal comma where the locale writes one.
        dlg.findChild<QPushButton*>("addRow")->click();
        PaymentGrid* grid = dlg.Grid();
        QCOMPARE(grid->RowCount(), 1);
        const bool comma = QLocale().decimalPoint() == QStringLiteral(",");
        for (const auto& [column, text] : {std::pair{int(PaymentGrid::kDate), Date(2028)},
                                          std::pair{int(PaymentGrid::kPayment), QString(comma ? "1500,5" : "1500.5")}}) {
            grid->setCurrentItem(grid->topLevelItem(0), column);
            grid->edit(grid->currentIndex());
            QVERIFY(grid->Editor());
            grid->Editor()->setText(text);
            grid->CommitEdit();
        }
        QCOMPARE(dlg.Rows(), (ScheduleTexts{{"1500.5", Date(2028)}}));
        QTest::keyClick(&dlg, Qt::Key_Return);
        QVERIFY(m_messages->shown.isEmpty());
        QVERIFY(dlg.Result());
        QCOMPARE(dlg.Result()->schedule.size(), std::size_t{1});
        QCOMPARE(dlg.Result()->schedule[0].amount, 1500.5);
        QCOMPARE(dlg.Result()->limits.maxRows, 20);
        QCOMPARE(dlg.Result()->limits.reinvest, 0.0);
    }

    void dialogRefusesRowsAndBoxes_data()
    {
        QTest::addColumn<QString>("amount"); // of the second row
        QTest::addColumn<QString>("date");
        QTest::addColumn<QStringList>("boxes"); // reinvest, rows, share, least YTM
        QTest::addColumn<QString>("message");
        // clang-format off
        QTest::newRow("all read") << "5" << Date(2028) << QStringList{"2.5", "3", "40", "1"} << "";
        QTest::newRow("a date unread") << "5" << "soon" << QStringList{"0", "20", "100", ""} << "Line 2 : Invalid date !";
        QTest::newRow("at the stand date") << "5" << FormatDate(Day(2026, 1, 15)) << QStringList{"0", "20", "100", ""}
                                           << "Line 2 : Date should be after the stand date !";
        QTest::newRow("placeholder") << PaymentGrid::kPlaceholder << Date(2028) << QStringList{"0", "20", "100", ""}
                                     << "Line 2 : Invalid amount !";
        QTest::newRow("nothing owed") << "0" << Date(2028) << QStringList{"0", "20", "100", ""}
                                      << "Line 2 : Amount should be above 0 !";
        QTest::newRow("rate below 0") << "5" << Date(2028) << QStringList{"-1", "20", "100", ""}
                                      << "The reinvestment rate must be a number of at least 0 !";
        QTest::newRow("too many bonds") << "5" << Date(2028) << QStringList{"0", "21", "100", ""}
                                        << "The number of rows must be from 1 to 20 !";
        QTest::newRow("no share") << "5" << Date(2028) << QStringList{"0", "20", "0", ""}
                                  << "The share must be above 0 and at most 100 % !";
        // clang-format on
    }

    void dialogRefusesRowsAndBoxes()
    {
        QFETCH(QString, amount);
        QFETCH(QString, date);
        QFETCH(QStringList, boxes);
        QFETCH(QString, message);
        FundDialog dlg({}, {{"1000", Date(2027)}, {amount, date}}, m_stand);
        QVERIFY(test::Active(&dlg));
        const char* names[] = {"reinvest", "rows", "share", "leastYtm"};
        for (int k = 0; k < 4; ++k)
            Type(&dlg, names[k], boxes[k]);
        dlg.accept();
        if (message.isEmpty()) {
            QVERIFY(dlg.Result());
            const FundLimits l = dlg.Result()->limits;
            QCOMPARE(l.reinvest, 0.025);
            QCOMPARE(l.maxRows, 3);
            QCOMPARE(l.maxShare, 0.4);
            QCOMPARE(l.minYtm, std::optional(0.01));
            QCOMPARE(dlg.Result()->entries, (FundEntries{"2.5", "3", "40", "1"}));
        } else {
            QVERIFY(!dlg.Result());
            Told(message);
            QVERIFY(dlg.isVisible());
        }
    }

    void importsAndSavesScheduleFiles()
    {
        QTemporaryDir dir;
        const QString good = dir.filePath("good.csv");
        const QString bad = dir.filePath("bad.csv");
        test::WriteAll(good, "Datum;Betrag\r\n15.01.2028;250,5\r\n2027-01-15;100\r\n");
        test::WriteAll(bad, "date,amount\n2027-01-15,1\n\n2027-02-30,1\n");
        FundDialog dlg({}, ThreeYears(), m_stand);
        QVERIFY(test::Active(&dlg));
        // A refused file leaves the rows, and says its line.
        m_chooser->Answer(bad);
        dlg.ImportCsv();
        Told("Line 4 : Invalid date !");
        QCOMPARE(dlg.Rows(), ThreeYears());
        m_messages->Clear();
        m_chooser->Answer(good);
        dlg.ImportCsv();
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(dlg.Rows(), (ScheduleTexts{{"100.00", Date(2027)}, {"250.50", Date(2028)}}));
        // Written as the command line reads it, and read back the same.
        const QString saved = dir.filePath("saved.csv");
        m_chooser->Answer(saved);
        dlg.SaveCsv();
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(test::ReadAll(saved), QByteArray("date,amount\r\n2027-01-15,100.00\r\n2028-01-15,250.50\r\n"));
    }

    void runFillsTheRowsAndSaysTheCashAndTheBound()
    {
        std::optional<ExplainedAnalysis> explained;
        connect(m_dlg.get(), &CPortfolioDlg::Explained, this,
                [&](const ExplainedAnalysis& a) { explained = a; });
        QVERIFY(!m_dlg->findChild<QLabel*>("cashKept")->isVisible());
        Run(ThreeYears(), {"0", "20", "100", ""});
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z1", "Z2", "Z3"}));
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"10", "10", "10"}));
        QCOMPARE(m_dlg->findChild<QLabel*>("cashKept")->text(), QStringLiteral("Cash kept : 0.00"));
        QCOMPARE(m_dlg->findChild<QLabel*>("lowerBound")->text(), QStringLiteral("Lower bound : 2880.00 (gap 0.0000 %)"));
        QVERIFY(m_dlg->findChild<QLabel*>("cashKept")->isVisible());
        // Calculate ran on the rows, and handed on the ladder with them.
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Result"));
        QVERIFY(explained && explained->funding);
        QCOMPARE(explained->funding->rows.size(), std::size_t{3});
        for (const LadderRow& row : explained->funding->rows) {
            QCOMPARE(row.inflow, 1000.0);
            QCOMPARE(row.surplus, 0.0);
        }
        // The session keeps the rows and the boxes as accepted.
        QCOMPARE(m_dlg->m_fundRows, ThreeYears());
        QCOMPARE(m_dlg->m_fund.rows, QStringLiteral("20"));

        // One bond only: twenty units of Z2 carry into 2029, 1000 in cash.
        // Rows there already are replaced only on Yes.
        m_messages->Clear();
        m_messages->Answer(MsgAnswer::No);
        Run(ThreeYears(), {"0", "1", "100", ""});
        Told("Replace the rows of the portfolio ?", "Question");
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z1", "Z2", "Z3"}));
        m_messages->Answer(MsgAnswer::Yes);
        Run(ThreeYears(), {"0", "1", "100", ""});
        QCOMPARE(Column(Dlg::ColID), QStringList{"Z2"});
        QCOMPARE(Column(Dlg::ColUnits), QStringList{"20"});
        QCOMPARE(m_dlg->findChild<QLabel*>("cashKept")->text(), QStringLiteral("Cash kept : 1000.00"));

        // A loaded portfolio is no funded one: no ladder, no cash.
        QTemporaryDir dir;
        const QString file = dir.filePath("p.bdp");
        test::WriteAll(file, test::Stored({{"Z3", 4}}));
        m_chooser->Answer(file);
        m_messages->Answer(MsgAnswer::No); // rows not saved: "Save the portfolio ?"
        Button("load")->click();
        QCOMPARE(Column(Dlg::ColID), QStringList{"Z3"});
        QVERIFY(!m_dlg->findChild<QLabel*>("cashKept")->isVisible());
        explained.reset();
        Calculate();
        QVERIFY(explained && !explained->funding);
    }

    void stopLeavesTheRows()
    {
        m_dlg->AddRow("NOPE", 3);
        WhenModal<FundDialog>([&](FundDialog* dlg) {
            QCOMPARE(dlg->Rows(), ThreeYears());
            dlg->accept();
            StopWhenBusy(1);
        });
        m_dlg->m_fundRows = ThreeYears();
        m_messages->Answer(MsgAnswer::No); // the row added before: "Save the portfolio ?"
        Button("fund")->click();
        QCOMPARE(m_looks, 1);
        QCOMPARE(Column(Dlg::ColID), QStringList{"NOPE"});
        QCOMPARE(m_messages->Texts(), QStringList{"Save the portfolio ?"});
        QVERIFY(!m_dlg->isVisible());
    }

    void cashflowsShowTheFundingOnlyForAFundedPortfolio()
    {
        CashflowView view;
        view.resize(1100, 600);
        QVERIFY(test::Exposed(&view));
        CBondList one;
        AddZeros(one);
        ExplainedAnalysis a;
        a.stand = m_stand;
        a.horizon = m_horizon;
        CBond& z1 = *one.m_list.front();
        a.explanation = AnalyseAndExplain(z1, m_stand, m_horizon, z1.m_fPrice, UiClock()).explanation;
        view.ShowExplanation(ExplainSource::Portfolio, a);
        QVERIFY(!view.Funding()->isVisible());
        Ladder ladder;
        ladder.rows = {{DaySerial(Day(2027, 1, 15)), 1000, 1200, 0, 200},
                       {DaySerial(Day(2028, 1, 15)), 1000, 700, 4, -96}};
        a.funding = ladder;
        view.ShowExplanation(ExplainSource::Portfolio, a);
        QVERIFY(view.Funding()->isVisible());
        QCOMPARE(view.Funding()->Title(), QStringLiteral("Funding"));
        QCOMPARE(view.Funding()->Liabilities()->count(), 2);
        QCOMPARE(view.Funding()->Inflows()->at(0), 1200.0);
        // A shortfall is the line below zero.
        QCOMPARE(view.Funding()->Surplus()->points(), (QList<QPointF>{{0, 200}, {1, -96}}));
        view.ShowFailure(ExplainSource::Portfolio, QStringLiteral("no"));
        QVERIFY(!view.Funding()->isVisible());
    }

    // Thirty dates in a narrow chart: a whole date under every few bars at an
    // even step, never one cut short; a wider chart labels more of them.
    void fundingDatesAreWholeAndEvenlySpaced()
    {
        FundingChart chart;
        chart.resize(360, 260);
        QVERIFY(test::Exposed(&chart));
        Ladder ladder;
        QStringList dates;
        for (int k = 0; k < 30; ++k) {
            const std::int32_t day = DaySerial(Day(2027 + k, 6, 30));
            ladder.rows.push_back({day, 1000, 1000, 0, 0});
            dates << FormatDate(static_cast<double>(day));
        }
        chart.Show(ladder);
        // The rows labelled; each label stands under its own bar, or -1.
        auto labelled = [&] {
            QApplication::processEvents();
            QList<int> at;
            for (const QString& label : chart.DateAxis()->categoriesLabels()) {
                const auto k = static_cast<int>(dates.indexOf(label));
                at << (chart.DateAxis()->endValue(label) == k ? k : -1);
            }
            return at;
        };
        const QList<int> narrow = labelled();
        QVERIFY(!narrow.contains(-1));
        QVERIFY2(narrow.size() >= 2 && narrow.size() < 30, qPrintable(QString::number(narrow.size())));
        QCOMPARE(narrow.front(), 0);
        for (int k = 1; k < narrow.size(); ++k)
            QCOMPARE(narrow[k] - narrow[k - 1], narrow[1] - narrow[0]);
        chart.resize(2400, 260);
        QVERIFY(labelled().size() > narrow.size());
    }

private:
    // Fund schedule through its dialog, with these rows and boxes.
    void Run(const ScheduleTexts& rows, const QStringList& boxes)
    {
        m_dlg->m_fundRows = rows;
        WhenModal<FundDialog>([boxes](FundDialog* dlg) {
            const char* names[] = {"reinvest", "rows", "share", "leastYtm"};
            for (int k = 0; k < 4; ++k)
                Type(dlg, names[k], boxes[k]);
            dlg->accept();
        });
        Button("fund")->click();
    }
};

QTEST_MAIN(TestFund)
#include "tst_fund.moc"
