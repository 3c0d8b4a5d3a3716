// The Cashflows view in the running program: it fills after the record
// form's Analyse, the Bond Analysis window's Calculate and the portfolio's
// Calculate, says in one line when there is nothing to show, marks rows that
// no longer describe their window, and keeps its place between runs. The
// figures themselves are the core's explanation tests.

#include "analysis/analysisdlg.h"
#include "editor/inview.h"
#include "explain/cashflowchart.h"
#include "explain/cashflowtable.h"
#include "explain/cashflowview.h"
#include "explain/horizonchart.h"
#include "model/bondlookup.h"
#include "model/format.h"
#include "model/numbers.h"
#include "portfolio/core/horizonvalue.h"
#include "portfolio/updatebonddlg.h"
#include "prices/priceimportdlg.h"
#include "prices/priceupdatedlg.h"
#include "shell/deletemanydlg.h"
#include "shell/settings.h"
#include "support/portfoliowin.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"

#include <QCategoryAxis>
#include <QDateTimeAxis>
#include <QLineSeries>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;
using tenvix::test::Fixed8;
using tenvix::test::WhenModal;
using State = CashflowView::State;

namespace {

// The eight-decimal figure after `name=` in a result text.
QString FigureIn(const QString& text, const QString& name) { return text.section(name + u'=', 1).section(u'\n', 0, 0); }

// Digits, the full stop and a leading minus, nothing a locale brings.
bool IsAsciiFigure(const QString& text)
{
    static const QRegularExpression figure(QStringLiteral("^-?[0-9]+(\\.[0-9]+)?(e[-+][0-9]+)?$"));
    return figure.match(text).hasMatch();
}

// The sample's twenty bonds that analyse at the dates the tests set.
const QStringList kTwentyIds = {"GOV-2027-A", "GOV-2029-A",  "GOV-2034-A",  "GOV-2040-A", "GOV-2044-A",
                                "GOV-2048-A", "TSY-2028-S",  "TSY-2030-S",  "TSY-2033-S", "TSY-2045-S",
                                "TSY-2053-S", "CORP-2029-Q", "CORP-2031-A", "MUNI-2035",  "ZERO-2027",
                                "ZERO-2032",  "ZERO-2045",   "AMORT-2030",  "SINK-2033",  "PROJ-2029"};

} // namespace

class TestExplain : public QObject {
    Q_OBJECT
    std::unique_ptr<test::App> m_app;
    CMainFrame* m_frame = nullptr;

    CInView& Form() { return *m_frame->Form(); }
    CashflowView& View() { return *m_frame->Cashflows(); }
    CashflowTable& Table() { return *View().Table(); }
    CashflowChart& Chart() { return *View().Chart(); }
    HorizonChart& Horizon() { return *View().Horizon(); }
    QLineEdit* FormEdit(const char* name) { return Form().findChild<QLineEdit*>(name); }
    QString Last() { return m_app->msgs.Last().text; }

    void ShowRecord(const char* id)
    {
        const IdMatch m = MatchBondID(Form().m_bondList.m_list, id);
        QVERIFY(m.Bond());
        Form().ShowRecordAt(std::next(Form().m_bondList.m_list.begin(), qsizetype(m.Position())));
    }
    void Analyse() { QTest::mouseClick(Form().findChild<QPushButton*>("analyseButton"), Qt::LeftButton); }

    AnalysisDialog* AnalysisWindow()
    {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<AnalysisDialog*>(w))
                return dlg;
        return nullptr;
    }
    // Typed into the Bond Analysis window: its dates, the price and the
    // payments (amount, date), then Calculate.
    void Calculate(AnalysisDialog* dlg, const QString& price, const QList<std::pair<QString, double>>& payments,
                   int method = 0)
    {
        dlg->findChild<DatePicker*>("standDate")->SetValue(Day(2025, 6, 30));
        dlg->findChild<DatePicker*>("horizonDate")->SetValue(Day(2029, 6, 30));
        dlg->findChild<QComboBox*>("yearMethod")->setCurrentIndex(method);
        dlg->findChild<QSpinBox*>("periods")->setValue(int(payments.size()));
        auto* grid = dlg->findChild<PaymentGrid*>("grid");
        for (int i = 0; i < payments.size(); ++i) {
            grid->SetText(i, PaymentGrid::kPayment, payments[i].first);
            grid->SetText(i, PaymentGrid::kDate, FormatDate(payments[i].second));
        }
        dlg->findChild<QLineEdit*>("spotPrice")->setText(price);
        QTest::mouseClick(dlg->findChild<QPushButton*>("calculate"), Qt::LeftButton);
    }

    // The rows as the table shows them, top to bottom, in one column.
    QStringList Column(int column, int role = Qt::DisplayRole)
    {
        QStringList out;
        const QAbstractItemModel* m = Table().model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, column).data(role).toString();
        return out;
    }

    // Run > Portfolio: `act` on the window, which then closes unsaved.
    void Portfolio(const std::function<void(CPortfolioDlg*)>& act)
    {
        WhenModal<CPortfolioDlg>([act](CPortfolioDlg* dlg) {
            act(dlg);
            dlg->findChild<QPushButton*>("close")->click();
        });
        m_app->msgs.Answer(MsgAnswer::No); // "Save the portfolio ?"
        m_frame->Action(ID_RUN_PORTFOLIO)->trigger();
    }

    // What the chart draws matches the rows: one stick a row at the row's
    // date, stacked per date, the horizon and the duration as two vertical
    // lines from the baseline.
    void CheckChart(const ExplainedAnalysis& a)
    {
        const std::vector<ExplainedPayment>& rows = a.explanation.payments;
        const QList<QPointF> amounts = Chart().Amounts()->points();
        QCOMPARE(amounts.size(), qsizetype(rows.size()) * 3);
        QCOMPARE(Chart().PresentValues()->points().size(), amounts.size());
        std::map<std::int32_t, double> column;
        for (std::size_t k = 0; k < rows.size(); ++k) {
            const double x = AxisTime(rows[k].day);
            column[rows[k].day] += rows[k].amount;
            QCOMPARE(amounts.mid(qsizetype(3 * k), 2), (QList<QPointF>{{x, 0.0}, {x, column[rows[k].day]}}));
        }
        // The duration line stands D years after the stand date, measured as
        // the analysis measured its times (that the date reads D back: the
        // core's DateAfterYears test).
        const double d = DateAfterYears(a.stand, a.explanation.duration, a.method);
        for (const auto& [line, x] :
             {std::pair{Chart().HorizonLine(), AxisTime(a.horizon)}, std::pair{Chart().DurationLine(), AxisTime(d)}}) {
            QVERIFY(line->count() == 2 && line->at(1).y() > 0);
            QCOMPARE(line->points(), (QList<QPointF>{{x, 0.0}, {x, line->at(1).y()}}));
        }
    }

private slots:
    void init()
    {
        m_app = std::make_unique<test::App>();
        m_frame = m_app->Start({"tenvix", m_app->Copy("sample.bnd")});
        QVERIFY(m_frame);
        m_frame->resize(1100, 800);
        test::SetDates(m_frame, Day(2025, 6, 30), Day(2032, 6, 30));
    }
    void cleanup()
    {
        m_frame = nullptr;
        m_app.reset();
    }

    void recordAnalyseFillsTheViewAndEditsMakeItOld()
    {
        QCOMPARE(View().CurrentState(), State::Nothing);
        QCOMPARE(Table().model()->rowCount(), 0);
        QVERIFY(!View().findChild<QPushButton*>("saveCsv")->isEnabled());

        ShowRecord("GOV-2034-A");
        Analyse();
        const ExplainedAnalysis a = View().Shown();
        const Explanation& e = a.explanation;
        // One row a payment after the stand date, then the totals; the totals
        // are what the form's result box says, to its last decimal (that the
        // rows add up to them: the core's explain tests).
        QCOMPARE(Table().model()->rowCount(), int(e.payments.size()) + 1);
        QCOMPARE(Column(CashflowTableModel::ColNo).last(), "Total");
        QCOMPARE(Column(CashflowTableModel::ColDurationPart).last(), FigureIn(Last(), "D"));
        QVERIFY(View().StateLine().startsWith("Record GOV-2034-A : YTM=" + FigureIn(Last(), "YTM") + "  D="));
        // On 30 June 2025 the coupon of 4.75 due 4 July is 1/12 - 26/365 of
        // a year away (a month is 1/12, a day 1/365), so 11/12 + 26/365 of its
        // year has run; the clean price is the rest of the typed price, per 100 of face.
        QVERIFY(std::fabs(e.accrued - 4.75 * (11.0 / 12 + 26.0 / 365)) < 1e-6);
        QVERIFY(View().StateLine().endsWith(
            QString("  Price=114.2000  Accrued=%1  Clean per 100=%2")
                .arg(QString::fromStdString(FormatFixed(e.accrued, 6)),
                     QString::fromStdString(FormatFixed(114.2 - e.accrued, 6)))));
        // Type I dates are counted back, and shown so.
        QCOMPARE(Column(CashflowTableModel::ColMember).first(), "GOV-2034-A");
        QVERIFY(Table().model()->index(0, CashflowTableModel::ColDate).data(Qt::ForegroundRole).isValid());
        QCOMPARE(Column(CashflowTableModel::ColDate).first(), FormatDate(Day(2025, 7, 4)));
        CheckChart(a);
        // The face value dwarfs the coupons: the axis stops above them and the
        // maturity's column carries its figure.
        QVERIFY(Chart().AmountAxis()->max() < 104.75 && Chart().AmountAxis()->max() >= 4.75);
        QCOMPARE(Chart().CutColumnLabels(), QStringList{QStringLiteral("\u2191104.75")});

        // An edit leaves the rows, marked; so does another record shown.
        FormEdit("priceEdit")->setText("99");
        QCOMPARE(View().StateLine(), "Out of date : the record was edited after its analysis .");
        QCOMPARE(Table().model()->rowCount(), int(e.payments.size()) + 1);
        Analyse();
        QVERIFY(View().Shown().explanation.price == 99.0); // weighted by the typed price
        m_app->msgs.Answer(MsgAnswer::No);
        Form().MoveNext();
        QCOMPARE(View().CurrentState(), State::OutOfDate);
        Analyse();
        m_frame->findChild<DatePicker*>("Horizon")->SetValue(Day(2033, 6, 30));
        QCOMPARE(View().StateLine(), "Out of date : the stand date or the horizon changed after the analysis .");

        // A failed analysis shows no rows of an older one, only why.
        ShowRecord("GOV-2034-A");
        FormEdit("priceEdit")->setText("1000");
        Analyse(); // the form's own message: tst_inview's analyseReportsWhatTheFormHolds
        QCOMPARE(View().StateLine(), "Record : Bad YTM !");
        QCOMPARE(Table().model()->rowCount() + Chart().Amounts()->count(), 0);
        QVERIFY(!View().findChild<QPushButton*>("saveCsv")->isEnabled());
    }

    void bondAnalysisFillsTheViewUnderItsYearMethod()
    {
        AnalysisDialog* dlg = AnalysisWindow();
        QVERIFY(dlg);
        for (int method : {0, 1}) {
            Calculate(dlg, "97.5", {{"5", Day(2025, 6, 30)}, {"5", Day(2026, 6, 30)}, {"105", Day(2027, 12, 31)}},
                      method);
            QCOMPARE(View().CurrentState(), State::Current);
            const ExplainedAnalysis a = View().Shown();
            QCOMPARE(a.method, method ? YearMethod::DayCount : YearMethod::CalendarParts);
            // Which payments count is ExplainAnalysis's; the view shows its figures.
            QCOMPARE(Fixed8(a.explanation.duration), dlg->findChild<QLineEdit*>("d1")->text());
            QCOMPARE(Horizon().Changes()->count(), 25);
            QVERIFY(!Table().model()->index(0, CashflowTableModel::ColDate).data(Qt::ForegroundRole).isValid());
            CheckChart(a);
        }
        // The record form's edits are not this window's; its own name it as
        // the source of the rows shown.
        FormEdit("priceEdit")->setText("1");
        QCOMPARE(View().CurrentState(), State::Current);
        dlg->findChild<QLineEdit*>("spotPrice")->setText("97");
        QCOMPARE(View().StateLine(), "Out of date : the payments were edited after their calculation .");

        Calculate(dlg, "97.5x", {{"5", Day(2026, 6, 30)}});
        QCOMPARE(View().StateLine(), "Bond Analysis : " + m_app->msgs.Last().text.simplified());
        Calculate(dlg, "200", {{"5", Day(2026, 6, 30)}});
        QCOMPARE(View().StateLine(), "Bond Analysis : Bad YTM .");
        QCOMPARE(Horizon().Changes()->count() + Horizon().ZeroLine()->count(), 0);
        QCOMPARE(Horizon().Title(), QString());
    }

    void portfolioCalculateShowsThePooledPayments()
    {
        QString result;
        bool seenBehind = false;
        Portfolio([&](CPortfolioDlg* dlg) {
            for (int i = 0; i < kTwentyIds.size(); ++i)
                dlg->AddRow(kTwentyIds[i], i + 1);
            dlg->findChild<QPushButton*>("calculate")->click();
            result = Last();
            // Shown behind the modal window at once.
            seenBehind = View().CurrentState() == State::Current;
            // A row taken out leaves it behind; Calculate brings it back.
            test::SelectRow(dlg, 19);
            dlg->Remove();
            QCOMPARE(View().StateLine(), "Out of date : the portfolio was changed after its calculation .");
            dlg->AddRow(kTwentyIds[19], 20);
            dlg->findChild<QPushButton*>("calculate")->click();
        });
        QVERIFY(seenBehind);
        QVERIFY(View().StateLine().startsWith("Bond portfolio : YTM=" + FigureIn(result, "YTM")));
        const ExplainedAnalysis a = View().Shown();
        QCOMPARE(a.explanation.payments.size(), std::size_t(268)); // as tenvix-cli explain lists them, bond by bond
        CheckChart(a);

        // A row that can't take part: the window's words, and no rows.
        Portfolio([](CPortfolioDlg* dlg) {
            dlg->AddRow("NOPE", 1);
            dlg->findChild<QPushButton*>("calculate")->click();
        });
        QCOMPARE(View().StateLine(), "Bond portfolio : Bond ID=NOPE ,in row 1 , can't be included !");
        QCOMPARE(Table().model()->rowCount(), 0);
    }

    // Beside the ladder, the value at the horizon under shifts of the yield,
    // -300 to +300 bp: what the core gives for the explanation shown. A bond
    // whose duration lies far beyond the horizon loses on one side and gains
    // on the other; that a holding whose duration is the horizon gains either
    // way is the core's ExplainBond.HeldToItsDurationTheHorizonValueGainsUnderEveryShift.
    // It stays with rows out of date (a failed analysis clears it, as
    // bondAnalysisFillsTheViewUnderItsYearMethod shows).
    void horizonValueFollowsTheAnalysis()
    {
        ShowRecord("TSY-2053-S");
        Analyse();
        const Explanation e = View().Shown().explanation;
        QVERIFY(e.duration > e.horizonYears + 5);
        QCOMPARE(Horizon().Title(), "Horizon value : H = 7.00 years , D = " +
                                        QString::fromStdString(FormatFixed(e.duration, 2)) + " years");
        const std::vector<ShiftPoint> core = HorizonValues(e, -300, 300, 25);
        const QList<QPointF> drawn = Horizon().Changes()->points();
        QCOMPARE(drawn.size(), 25);
        for (qsizetype k = 0; k < drawn.size(); ++k) {
            QCOMPARE(drawn[k].x(), -300.0 + 25.0 * double(k));
            QCOMPARE(drawn[k].y(), core[std::size_t(k)].changePercent);
            if (k > 0)
                QVERIFY(drawn[k].y() < drawn[k - 1].y());
        }
        QVERIFY(drawn.first().y() > 1 && drawn.last().y() < -1);
        QCOMPARE(Horizon().ZeroLine()->points(), (QList<QPointF>{{-300, 0}, {300, 0}}));
        QVERIFY(Horizon().ChangeAxis()->min() <= drawn.last().y());
        QVERIFY(Horizon().ChangeAxis()->max() >= drawn.first().y());

        FormEdit("priceEdit")->setText("99");
        QCOMPARE(View().CurrentState(), State::OutOfDate);
        QCOMPARE(Horizon().Changes()->count(), 25);
    }

    void theTableSortsCopiesAndSavesWhatTheCoreExplains()
    {
        AnalysisDialog* dlg = AnalysisWindow();
        const QList<std::pair<QString, double>> payments = {{"4.5", Day(2026, 3, 1)},  {"4.5", Day(2027, 3, 1)},
                                                            {"54.5", Day(2028, 3, 1)}, {"2.5", Day(2029, 3, 1)},
                                                            {"52.5", Day(2030, 3, 1)}, {"0.25", Day(2027, 9, 1)}};
        Calculate(dlg, "101.25", payments, 1);
        QCOMPARE(Table().model()->rowCount(), 7);

        // Either way the totals stay last; the rest follow the column's sort
        // values as Qt's proxy orders them.
        Table().sortByColumn(CashflowTableModel::ColAmount, Qt::AscendingOrder);
        QCOMPARE(Column(CashflowTableModel::ColAmount).first() + " " + Column(CashflowTableModel::ColNo).last(),
                 "0.2500 Total");
        Table().sortByColumn(CashflowTableModel::ColAmount, Qt::DescendingOrder);
        QCOMPARE(Column(CashflowTableModel::ColAmount).first() + " " + Column(CashflowTableModel::ColNo).last(),
                 "54.5000 Total");

        // Ctrl+C in the table: the headings and the selected rows as shown,
        // figures in full; the frame's Copy stays out of it.
        m_frame->show();
        m_frame->Action(ID_VIEW_CASHFLOWS)->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
        QApplication::clipboard()->setText("before");
        Table().selectRow(0);
        Table().selectionModel()->select(Table().model()->index(2, 0),
                                         QItemSelectionModel::Select | QItemSelectionModel::Rows);
        Table().setFocus();
        QCOMPARE(Chart().Highlighted()->path().elementCount(), 4); // two sticks: a move and a line each
        QTest::keyClick(&Table(), Qt::Key_C, Qt::ControlModifier);
        const QStringList lines = QApplication::clipboard()->text().split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0], "No\tMember\tDate\tt\tAmount\tDiscount\tPresent value\tShare\tt x share\td^2 x share");
        const QStringList first = lines[1].split(u'\t');
        QCOMPARE(first.size(), int(CashflowTableModel::ColCount));
        const ExplainedPayment& p = View().Shown().explanation.payments.at(first[0].toULongLong() - 1);
        QCOMPARE(p.amount, 54.5);
        QCOMPARE(first[CashflowTableModel::ColPresentValue], QString::fromStdString(FormatShortest(p.presentValue)));
        QCOMPARE(ReadDecimal(first[CashflowTableModel::ColSquareMPart].toStdString()), p.squareMPart);

        // Save as CSV into a folder that isn't there: told, and nothing
        // written. The bytes of a good save: saveAsCsvRefusesTheOpenDatabase.
        m_app->msgs.Clear();
        m_app->chooser.Answer(m_app->dir.filePath("none/table.csv"));
        QTest::mouseClick(View().findChild<QPushButton*>("saveCsv"), Qt::LeftButton);
        QCOMPARE(m_app->chooser.asked.last().choice.defaultSuffix, "csv");
        QCOMPARE(m_app->msgs.shown.size(), 1);
        QCOMPARE(m_app->msgs.Last().caption, "Error");
        QVERIFY(!QFile::exists(m_app->dir.filePath("none/table.csv")));
    }

    // Every change of the database that the record form did not make through
    // its entries reaches the view through one reaction of the frame, which
    // says why the record's rows are old; a deleted record's rows can't be
    // saved any more. Update All reacts alike to a page saved and to prices
    // imported inside it (that the import counts as saved: tst_importwindows),
    // and New and Open both come through ClearViews (that New does:
    // tst_mainframe, the form emptied).
    void databaseChangesSayWhyTheRowsAreOld_data()
    {
        QTest::addColumn<QString>("record");
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("saveEnabled");
        const QString prices = "Out of date : the prices changed after the analysis .";
        const QString deleted = "Out of date : the record was deleted .";
        const QString opened = "Out of date : another database was opened after the analysis .";
        QTest::newRow("update all, a page saved") << "GOV-2034-A" << prices << true;
        QTest::newRow("import prices") << "GOV-2027-A" << prices << true;
        QTest::newRow("portfolio, a price updated") << "GOV-2027-A" << prices << true;
        QTest::newRow("delete") << "GOV-2034-A" << deleted << false;
        QTest::newRow("delete, after an edit") << "GOV-2034-A" << deleted << false;
        QTest::newRow("delete many") << "GOV-2027-A" << deleted << false;
        QTest::newRow("delete many, the record kept")
            << "GOV-2034-A"
            << "Out of date : the record was edited after its analysis ." << true;
        QTest::newRow("open") << "GOV-2034-A" << opened << true;
    }
    void databaseChangesSayWhyTheRowsAreOld()
    {
        QFETCH(QString, record);
        QFETCH(QString, line);
        QFETCH(bool, saveEnabled);
        ShowRecord(record.toLatin1().constData());
        Analyse();
        const QString path = QString::fromLatin1(QTest::currentDataTag());
        if (path.startsWith("update all")) {
            WhenModal<CPriceUpdateDlg>([](CPriceUpdateDlg* dlg) {
                dlg->findChild<QPushButton*>("saveButton")->click(); // a page without changes
                dlg->findChild<QPushButton*>("closeButton")->click();
            });
            m_frame->Action(ID_UPDATE_ALL)->trigger();
        } else if (path == "import prices") {
            WhenModal<PriceImportDialog>([](PriceImportDialog* dlg) {
                QVERIFY(dlg->Load("ISIN;Kurs\nGOV-2027-A;97,3\n", "test", false));
                dlg->findChild<QPushButton*>("applyButton")->click();
            });
            m_frame->Action(ID_FILE_IMPORT_PRICES)->trigger();
        } else if (path.startsWith("portfolio")) {
            Portfolio([record](CPortfolioDlg* dlg) {
                dlg->AddRow(record, 1);
                test::SelectRow(dlg, 0);
                WhenModal<CUpdateBondDlg>([](CUpdateBondDlg* update) {
                    test::Type(update, "price", "97.3");
                    update->accept();
                });
                dlg->Update();
            });
        } else if (path.startsWith("delete many")) {
            WhenModal<CDeleteManyDlg>([](CDeleteManyDlg* dlg) {
                dlg->findChild<DatePicker*>("beforePicker")->SetValue(Day(2028, 1, 1));
                dlg->accept();
            });
            m_frame->Action(ID_DELETE_MANY)->trigger();
        } else if (path.startsWith("delete")) {
            if (path.endsWith("edit"))
                FormEdit("priceEdit")->setText("99");
            m_app->msgs.Answer(MsgAnswer::Yes); // "Delete ?"
            m_frame->Action(ID_RECORD_DELETE)->trigger();
        } else {
            QVERIFY(m_app->app->OpenDocumentFile(m_app->Copy("other.bnd")));
        }
        QCOMPARE(View().StateLine(), line);
        QCOMPARE(View().findChild<QPushButton*>("saveCsv")->isEnabled(), saveEnabled);
        // The rows stay to be read.
        QVERIFY(Table().model()->rowCount() > 1);
        // Nothing brings a deleted record's rows back to life.
        test::SetDates(m_frame, Day(2025, 7, 1), Day(2032, 6, 30));
        QCOMPARE(View().StateLine(), line);
        const qsizetype asked = m_app->chooser.asked.size();
        View().SaveCsv();
        QCOMPARE(m_app->chooser.asked.size(), asked + (saveEnabled ? 1 : 0));
    }

    // Save as CSV never writes over the open database: the user is told and
    // chooses again, and the file stays as it was. The view shares its
    // chooser with File > Export analysis, whose tests go through every
    // spelling and kind of file that is refused.
    void saveAsCsvRefusesTheOpenDatabase()
    {
        ShowRecord("GOV-2034-A");
        Analyse();
        const QString database = m_app->Doc().GetPathName();
        const QByteArray before = test::ReadAll(database);
        const QString table = m_app->dir.filePath("table.csv");
        m_app->chooser.Answer(database);
        m_app->chooser.Answer(table);
        View().SaveCsv();
        // The result of Analyse first; the refusal comes before any question
        // to replace the file, which the chooser leaves to the program.
        QCOMPARE(m_app->msgs.Texts().mid(1), QStringList{"This is the open database. Choose another name ."});
        for (const test::FakeFileChooser::Asked& asked : m_app->chooser.asked)
            QVERIFY(!asked.choice.confirmOverwrite);
        QCOMPARE(test::ReadAll(database), before);
        QCOMPARE(test::ReadAll(table), QByteArray::fromStdString(ExplanationCsv(View().Shown().explanation)));
    }

    // Whatever the locale, figures read in ASCII digits with the full stop,
    // in the table and on the chart's amount axis.
    void figuresStayAscii()
    {
        ShowRecord("TSY-2053-S");
        Analyse();
        for (int c = 0; c < CashflowTableModel::ColCount; ++c) {
            if (c == CashflowTableModel::ColMember || c == CashflowTableModel::ColDate)
                continue;
            QStringList cells = Column(c);
            cells.removeLast(); // the totals row
            for (const QString& cell : cells + Column(c, CashflowTableModel::kCopyRole).mid(0, cells.size()))
                QVERIFY2(IsAsciiFigure(cell), qPrintable(cell));
        }
        const QStringList labels = Chart().AmountAxis()->categoriesLabels();
        QVERIFY(labels.size() >= 3);
        for (const QString& label : labels)
            QVERIFY2(IsAsciiFigure(label), qPrintable(label));
    }

    // A narrow chart labels fewer dates and shifts rather than cut them
    // short ("13/03/20...", "-..."); a wide one labels more.
    void narrowChartsLabelFewerTicksWhole()
    {
        HorizonChart horizon;
        CashflowChart dates;
        auto lay = [&](int width) {
            for (QWidget* w : std::initializer_list<QWidget*>{&horizon, &dates}) {
                w->resize(width, 250);
                w->show();
            }
            QApplication::processEvents();
            return std::pair{horizon.ShiftAxis()->categoriesLabels(), dates.DateAxis()->tickCount()};
        };
        const auto [narrowShifts, narrowTicks] = lay(260);
        QCOMPARE(narrowShifts, (QStringList{"-300", "0", "300"}));
        const auto [wideShifts, wideTicks] = lay(1200);
        QCOMPARE(wideShifts, (QStringList{"-300", "-200", "-100", "0", "100", "200", "300"}));
        QVERIFY(narrowTicks >= 2);
        QVERIFY2(wideTicks > narrowTicks, qPrintable(QStringLiteral("%1 %2").arg(narrowTicks).arg(wideTicks)));
    }

    void theViewMenuTogglesTheDockWhichKeepsItsPlace()
    {
        // A first run keeps the room for the form.
        QDockWidget* dock = m_frame->CashflowsDock();
        QAction* toggle = m_frame->Action(ID_VIEW_CASHFLOWS);
        m_frame->UpdateCommandUI();
        QVERIFY(dock->isHidden() && !toggle->isChecked());
        toggle->trigger();
        QVERIFY(!dock->isHidden() && toggle->isChecked());
        QVERIFY(test::Exposed(m_frame));
        QCOMPARE(m_frame->dockWidgetArea(dock), Qt::BottomDockWidgetArea);
        // The charts side by side across the frame, one over the other in
        // a dock at a side.
        QTRY_COMPARE(View().Charts()->orientation(), Qt::Horizontal);
        // Its close box hides it, and the menu's tick follows.
        dock->close();
        QVERIFY(!toggle->isChecked());
        toggle->trigger();

        m_frame->addDockWidget(Qt::RightDockWidgetArea, dock);
        m_frame->resizeDocks({dock}, {420}, Qt::Horizontal);
        QTRY_VERIFY2(std::abs(dock->width() - 420) <= 8, qPrintable(QString::number(dock->width())));
        QTRY_COMPARE(View().Charts()->orientation(), Qt::Vertical);
        m_app->Close();

        // Back where it was, with the window's own record and, should that
        // be lost, from its section.
        for (bool record : {true, false}) {
            if (!record)
                OpenSettings()->remove("Quellmark-Summary/DockState");
            m_frame = m_app->Start();
            QVERIFY(test::Exposed(m_frame));
            dock = m_frame->CashflowsDock();
            QVERIFY(!dock->isHidden());
            QCOMPARE(m_frame->dockWidgetArea(dock), Qt::RightDockWidgetArea);
            QTRY_VERIFY2(std::abs(dock->width() - 420) <= 8, qPrintable(QString::number(dock->width())));
            m_frame->UpdateCommandUI();
            QVERIFY(m_frame->Action(ID_VIEW_CASHFLOWS)->isChecked());
            m_app->Close();
        }
        // Hidden stays hidden.
        m_frame = m_app->Start();
        m_frame->Action(ID_VIEW_CASHFLOWS)->trigger();
        m_app->Close();
        m_frame = m_app->Start();
        QVERIFY(m_frame->CashflowsDock()->isHidden());
    }
};

QTEST_MAIN(TestExplain)
#include "tst_explain.moc"
