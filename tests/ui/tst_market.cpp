// The Market window over the sample database: every bond in the table with
// the figures of its analysis and its spread, the chart of the curve, the
// sort by any column, the filter, the record shown in the form, and the
// rows marked out of date when the database changes.

#include "curve/market.h"
#include "editor/inview.h"
#include "examples/generated.h"
#include "market/markettable.h"
#include "market/marketwindow.h"
#include "market/yieldchart.h"
#include "model/analyse.h"
#include "model/format.h"
#include "shell/frameactions.h"
#include "support/windows.h"

#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::test;

class TestMarket : public QObject {
    Q_OBJECT
    std::unique_ptr<SampleApp> m_app;
    CMainFrame* m_frame = nullptr;
    MarketWindow* m_market = nullptr;

    QAbstractItemModel* Model() { return m_market->View()->model(); }
    QString Cell(int row, int column) { return Model()->index(row, column).data().toString(); }
    int RowOfId(const QString& id)
    {
        for (int r = 0; r < Model()->rowCount(); ++r)
            if (Cell(r, MarketTable::kColID) == id)
                return r;
        return -1;
    }
    // Opens the window from the View menu and waits for its curve.
    bool Open()
    {
        m_frame->Action(ID_VIEW_MARKET)->trigger();
        m_market = m_frame->findChild<MarketWindow*>();
        if (!m_market)
            return false;
        return QTest::qWaitFor([this] { return m_market->CurrentState() != MarketWindow::State::Analysing &&
                                              m_market->CurrentState() != MarketWindow::State::Fitting; },
                               20000);
    }
    void ClickHeader(int column)
    {
        QHeaderView* header = m_market->View()->horizontalHeader();
        const QPoint at(header->sectionViewportPosition(column) + header->sectionSize(column) / 2, header->height() / 2);
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        m_app = std::make_unique<SampleApp>();
        QVERIFY(m_frame = m_app->frame);
        QVERIFY(Exposed(m_frame));
        QVERIFY(Open());
        QVERIFY(Exposed(m_market));
        QCOMPARE(m_market->windowTitle(), QStringLiteral("Market"));
        QVERIFY(!m_market->isModal());
    }
    void cleanup() { m_app.reset(); }

    void showsEveryBondWithItsFiguresAndTheCurve()
    {
        QCOMPARE(m_market->CurrentState(), MarketWindow::State::Current);
        const auto& list = m_frame->Form()->m_bondList.m_list;
        QCOMPARE(Model()->rowCount(), int(list.size()));
        QCOMPARE(Model()->headerData(MarketTable::kColSpread, Qt::Horizontal).toString(), QStringLiteral("Spread (bp)"));

        // Each row as the record and its analysis at the run bar's dates say.
        int row = 0, fitted = 0;
        for (const auto& bond : list) {
            const QStringList cells = Row(Model(), row++);
            QCOMPARE(cells[MarketTable::kColID], QString::fromStdString(bond->m_strID));
            QCOMPARE(cells[MarketTable::kColType], bond->GetType() == BOND_TYPE_STD ? "I" : "II");
            QCOMPARE(cells[MarketTable::kColPrice], QString::fromStdString(FormatFixed(bond->m_fPrice, 2)));
            const RecordAnalysis a = AnalyseRecord(*bond, m_frame->StandDate(), m_frame->Horizon(), bond->m_fPrice,
                                                   m_app->clock, Needs::YieldAndDuration);
            if (a.outcome != RecordOutcome::Solved) {
                QCOMPARE(cells[MarketTable::kColYtm], QString());
                QCOMPARE(cells[MarketTable::kColSpread], QString());
                continue;
            }
            QCOMPARE(cells[MarketTable::kColYtm], QString::fromStdString(FormatFixed(a.ytm, 8)));
            QCOMPARE(cells[MarketTable::kColDuration], QString::fromStdString(FormatFixed(a.duration, 8)));
            QCOMPARE(cells[MarketTable::kColSquareM], QString::fromStdString(FormatFixed(a.squareM, 8)));
            QVERIFY2(!cells[MarketTable::kColSpread].isEmpty(), qPrintable(cells[0]));
            fitted += a.duration >= curve::kShortestFitted;
            // A Type I bond's clean price per 100 of face is its price less
            // what has accrued.
            if (bond->GetType() == BOND_TYPE_STD) {
                const double face = static_cast<CBondStd&>(*bond).m_fFace;
                const double clean = (bond->m_fPrice - cells[MarketTable::kColAccrued].toDouble()) * 100 / face;
                QVERIFY(qAbs(cells[MarketTable::kColClean].toDouble() - clean) < 2e-6);
            } else {
                QCOMPARE(cells[MarketTable::kColAccrued], QString());
            }
        }
        YieldChart* chart = m_market->Chart();
        QCOMPARE(int(chart->PointCount()), fitted);
        QVERIFY(chart->chart()->title().startsWith(QStringLiteral("Yield curve (rmse ")));
        QVERIFY(chart->CurveSeries()->count() > 20);
        // Every point is its bond's years and YTM.
        for (int band = 0; band < 5; ++band)
            for (int p = 0; p < chart->Band(band)->count(); ++p) {
                const int r = RowOfId(QString::fromStdString(std::string(
                    m_market->Table()->Market()->Id(chart->BondOf(band, p)))));
                QVERIFY(r >= 0);
                QVERIFY(qAbs(chart->Band(band)->at(p).y() - Cell(r, MarketTable::kColYtm).toDouble() * 100) < 1e-6);
            }
    }

    void sortsByAColumnsHeaderBothWays()
    {
        auto ytms = [this] { return Column(Model(), MarketTable::kColYtm); };
        ClickHeader(MarketTable::kColYtm);
        QStringList sorted = ytms();
        const int valued = int(sorted.size() - sorted.count(QString()));
        QVERIFY(valued > 10 && valued < sorted.size());
        for (int r = 1; r < sorted.size(); ++r) {
            if (r < valued)
                QVERIFY2(sorted[r - 1].toDouble() <= sorted[r].toDouble(), qPrintable(sorted[r]));
            else
                QCOMPARE(sorted[r], QString()); // no yield: last either way
        }
        ClickHeader(MarketTable::kColYtm);
        sorted = ytms();
        for (int r = 1; r < valued; ++r)
            QVERIFY(sorted[r - 1].toDouble() >= sorted[r].toDouble());
        QCOMPARE(sorted.last(), QString());

        // Texts by their bytes, long ones past their first 24 too.
        for (int column : {MarketTable::kColID, MarketTable::kColName}) {
            ClickHeader(column);
            const QStringList texts = Column(Model(), column);
            QStringList expected = texts;
            std::sort(expected.begin(), expected.end(),
                      [](const QString& a, const QString& b) { return a.toStdString() < b.toStdString(); });
            QCOMPARE(texts, expected);
        }

        // The selection follows its bond through a sort.
        m_market->View()->selectRow(3);
        const QString chosen = Cell(3, MarketTable::kColID);
        ClickHeader(MarketTable::kColSpread);
        const QModelIndexList selected = m_market->View()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(Cell(selected[0].row(), MarketTable::kColID), chosen);
    }

    void filtersByTheStartOfIdOrName()
    {
        QTest::keyClicks(m_market->FilterBox(), QStringLiteral("tsy"));
        QTRY_COMPARE(Model()->rowCount(), 7);
        for (const QString& id : Column(Model(), MarketTable::kColID))
            QVERIFY(id.startsWith(QStringLiteral("TSY-")));
        m_market->FilterBox()->setText(QStringLiteral("Treasury s"));
        QTRY_COMPARE(Column(Model(), MarketTable::kColID),
                     QStringList({"ZERO-2027", "ZERO-2032", "ZERO-2045", "ZERO-2024"}));
        m_market->FilterBox()->clear();
        QTRY_COMPARE(Model()->rowCount(), int(m_frame->Form()->m_bondList.m_list.size()));
    }

    void doubleClickShowsTheRecordInTheForm()
    {
        const int row = RowOfId(QStringLiteral("TSY-2030-S"));
        QVERIFY(row > 0);
        QTableView* view = m_market->View();
        const QPoint at = view->visualRect(Model()->index(row, MarketTable::kColName)).center();
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
        // Typed work in the form is asked about first, as any move away is:
        // Cancel stays on the record with the typing.
        QLineEdit* id = m_frame->Form()->findChild<QLineEdit*>("idEdit");
        QLineEdit* name = m_frame->Form()->findChild<QLineEdit*>("nameEdit");
        const QString shown = id->text();
        QVERIFY(shown != QStringLiteral("TSY-2030-S"));
        name->setText(QStringLiteral("typed"));
        m_app->msgs.Clear();
        m_app->msgs.Answer(MsgAnswer::Cancel);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(m_app->msgs.Texts(), QStringList(QStringLiteral("Save the changes to the record ?")));
        QCOMPARE(id->text(), shown);
        QCOMPARE(name->text(), QStringLiteral("typed"));
        // No lets the typing go.
        m_app->msgs.Answer(MsgAnswer::No);
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
        QTRY_COMPARE(id->text(), QStringLiteral("TSY-2030-S"));
    }

    void aPointClickedSelectsItsRow()
    {
        YieldChart* chart = m_market->Chart();
        int band = 0;
        while (chart->Band(band)->count() == 0)
            ++band;
        QScatterSeries* series = chart->Band(band);
        const QPointF at = chart->chart()->mapToPosition(series->at(0), series);
        QTest::mouseClick(chart->viewport(), Qt::LeftButton, {}, chart->mapFromScene(at));
        const QModelIndexList selected = m_market->View()->selectionModel()->selectedRows();
        QCOMPARE(selected.size(), 1);
        QCOMPARE(m_market->Table()->BondAt(selected[0].row()), chart->BondOf(band, 0));
    }

    void saysOutOfDateWhenTheDatabaseChangesUntilRefresh()
    {
        QCOMPARE(m_market->StateLine(), QString());
        QLabel* state = m_market->findChild<QLabel*>("state");
        // Another stand date: the figures were made for the old one.
        SetDates(m_frame, m_frame->StandDate() + 30, m_frame->Horizon());
        QVERIFY(m_market->IsOutOfDate());
        QCOMPARE(state->text(), QStringLiteral("Out of date"));
        QVERIFY(m_market->findChild<QPushButton*>("refresh")->isEnabled());
        Click(m_market, "refresh");
        QTRY_COMPARE(m_market->CurrentState(), MarketWindow::State::Current);
        QVERIFY(!m_market->IsOutOfDate());
        QCOMPARE(state->text(), QString());

        // A record deleted through the frame.
        m_app->msgs.Answer(MsgAnswer::Yes);
        m_frame->Action(ID_RECORD_DELETE)->trigger();
        QVERIFY(m_market->IsOutOfDate());
        Click(m_market, "refresh");
        QTRY_COMPARE(m_market->CurrentState(), MarketWindow::State::Current);
        QCOMPARE(Model()->rowCount(), int(m_frame->Form()->m_bondList.m_list.size()));
    }

    void aLongRunShowsItsProgressAndStops()
    {
        // A hundred thousand bonds on the real clock: long enough a run.
        m_app.reset();
        m_app = std::make_unique<SampleApp>();
        const QString path = m_app->dir.filePath(QStringLiteral("market.bnd"));
        WriteAll(path, QByteArray::fromStdString(GenerateDatabase(100000, 2, GeneratedMix::Market)));
        InstallClock(nullptr);
        QVERIFY(m_frame = m_app->Start({"tenvix", path}));
        m_frame->Action(ID_VIEW_MARKET)->trigger();
        QVERIFY(m_market = m_frame->findChild<MarketWindow*>());
        QProgressBar* progress = m_market->Progress();
        QPushButton* stop = m_market->findChild<QPushButton*>("stop");
        QVERIFY(!stop->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(stop->isVisible() && progress->isVisible(), 20000);
        QVERIFY(!m_market->findChild<QPushButton*>("refresh")->isEnabled());
        stop->click();
        QTRY_COMPARE_WITH_TIMEOUT(m_market->CurrentState(), MarketWindow::State::Stopped, 20000);
        QVERIFY(!stop->isVisible());
        QCOMPARE(m_market->StateLine(), QStringLiteral("Stopped"));
        QVERIFY(m_market->findChild<QPushButton*>("refresh")->isEnabled());
        QCOMPARE(m_market->Chart()->PointCount(), std::size_t(0));
        InstallClock(&m_app->clock);
    }

    void tooFewBondsGiveRowsAndTheCoresRefusal()
    {
        m_app.reset();
        m_app = std::make_unique<SampleApp>();
        m_frame = m_app->frame;
        // Long after the sample's last maturity nothing is left to fit.
        SetDates(m_frame, Day(2090, 1, 1), Day(2095, 1, 1));
        QVERIFY(Open());
        QCOMPARE(m_market->CurrentState(), MarketWindow::State::NoCurve);
        QCOMPARE(Shown(m_app->msgs.Last()), Shown({QStringLiteral("At least 6 bonds are needed to fit a curve ."),
                                                  QStringLiteral("Error"), MsgIcon::Exclamation, MsgButtons::Ok, {}}));
        QCOMPARE(Model()->rowCount(), int(m_frame->Form()->m_bondList.m_list.size()));
        QCOMPARE(m_market->Chart()->PointCount(), std::size_t(0));
    }
};

QTEST_MAIN(TestMarket)
#include "tst_market.moc"
