// The portfolio window driven through its buttons and its dialogs, with the
// message boxes, file choosers and clock replaced by fakes.

#include "model/date.h"
#include "portfolio/addbonddlg.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"
#include "portfolio/portfoliodlg.h"
#include "portfolio/updatebonddlg.h"
#include "support/fakes.h"

#include <QApplication>
#include <QFile>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

using namespace tenvix;
using namespace tenvix::ui;
using Dlg = CPortfolioDlg;

namespace {

double Day(int y, int m, int d)
{
    return *MakeDate(y, m, d);
}

void AddStd(CBondList& db, const char* id, float coupon, float price, double maturity)
{
    auto b = std::make_unique<CBondStd>(0);
    b->SetData(12, coupon, 100.0f, price, Day(2010, 1, 1), maturity, id, std::string(id) + " name");
    db.m_list.push_back(std::move(b));
}

// One payment of a million: duration is the time to it, precisely enough for
// an exact match with the horizon.
void AddZero(CBondList& db, const char* id, double payDay, float price)
{
    auto b = std::make_unique<CBondFree>(0);
    b->m_strID = id;
    b->m_strName = std::string(id) + " name";
    b->m_fPrice = price;
    b->m_nRelease = DaySerial(Day(2010, 1, 1));
    b->m_nMaturity = DaySerial(payDay);
    b->m_cashflows.push_back({DaySerial(payDay), 1e6f});
    db.m_list.push_back(std::move(b));
}

// Runs `act` on the modal dialog of type T as soon as it is open.
template <class T>
void WhenOpen(std::function<void(T*)> act)
{
    QTimer::singleShot(0, [act] {
        auto* dlg = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dlg) {
            QTest::qFail("expected dialog did not open", __FILE__, __LINE__);
            if (QWidget* other = QApplication::activeModalWidget())
                other->close();
            return;
        }
        act(dlg);
    });
}

void Type(QDialog* dlg, const char* box, const QString& text)
{
    dlg->findChild<QLineEdit*>(box)->setText(text);
}

} // namespace

class TestPortfolio : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        m_messages = std::make_unique<test::FakeMessages>();
        m_chooser = std::make_unique<test::FakeFileChooser>();
        m_clock = std::make_unique<test::FakeClock>();
        m_stand = Day(2021, 3, 10);
        m_horizon = Day(2026, 3, 10);
        m_db = CBondList();
        AddStd(m_db, "GOV-2030", 4.0f, 95.0f, Day(2030, 7, 1));
        AddStd(m_db, "GOV-2027", 6.0f, 104.0f, Day(2027, 7, 1));
        AddStd(m_db, "OLD-2020", 4.0f, 95.0f, Day(2020, 7, 1));
        AddZero(m_db, "ZERO-H", m_horizon, 800000.0f);
        OpenWindow();
    }

    void cleanup()
    {
        m_dlg.reset();
        m_clock.reset();
        m_chooser.reset();
        m_messages.reset();
    }

    void opensWithItsLayout()
    {
        QCOMPARE(m_dlg->windowTitle(), QStringLiteral("Bond portfolio"));
        QCOMPARE(m_dlg->findChild<QLabel*>("horizon")->text(), QStringLiteral("Inv,Horizon = 5.00000000 years"));
        auto* list = m_dlg->findChild<QTreeWidget*>("rows");
        QStringList headers;
        for (int c = 0; c < list->columnCount(); ++c)
            headers << list->headerItem()->text(c);
        QCOMPARE(headers, (QStringList{"Units", "Duration", "Square-M", "ID", "YTM", "Price", "Name", "Status"}));
        QCOMPARE(list->columnWidth(Dlg::ColName), 220);
        QCOMPARE(list->selectionMode(), QAbstractItemView::SingleSelection);
        const std::pair<const char*, const char*> tips[] = {
            {"close", "Close the window"},          {"calculate", "Calculate the portfolio coefficients"},
            {"add", "Add a bond by ID"},            {"remove", "Remove the bond from the portfolio"},
            {"update", "Update the price and the weight"}, {"findDuplicates", "Find duplicates"},
            {"save", "Save the portfolio"},         {"load", "Load a portfolio"},
            {"suggest", "Suggest bonds for inclusion"}, {"stop", "Stop suggest procedure"}};
        for (const auto& [name, tip] : tips)
            QCOMPARE(Button(name)->toolTip(), QString::fromLatin1(tip));
        QVERIFY(Button("findDuplicates")->text().isEmpty());
        QVERIFY(!Button("findDuplicates")->icon().isNull());
        QVERIFY(Button("close")->isDefault());
        // The buttons keep their column on the right as the window grows.
        m_dlg->resize(900, 500);
        QApplication::processEvents();
        QVERIFY(Button("suggest")->x() > list->x() + list->width());
        QVERIFY(list->width() > 600);
        if (qEnvironmentVariableIsSet("TENVIX_SCREENSHOTS")) {
            m_dlg->resize(640, 380);
            AddRow("GOV-2030", 10);
            AddRow("nope", 1);
            AddRow("OLD-2020", 5);
            m_dlg->Suggest();
            m_dlg->grab().save(qEnvironmentVariable("TENVIX_SCREENSHOTS") + "/portfolio.png");
        }

        // Same stand date and horizon: no years ahead, every bond incompatible.
        m_horizon = m_stand + 0.5;
        OpenWindow();
        QCOMPARE(m_dlg->findChild<QLabel*>("horizon")->text(), QStringLiteral("Inv,Horizon = 0.00000000 years"));
        AddRow("GOV-2030", 1);
        QCOMPARE(m_dlg->CellText(0, Dlg::ColStatus), QStringLiteral("incompatible"));
    }

    void addLooksUpAndAnalysesEachRow()
    {
        WhenOpen<CAddBondDlg>([](CAddBondDlg* dlg) {
            Type(dlg, "id", " gov-2030 ");
            Type(dlg, "units", "12");
            dlg->accept();
        });
        Button("add")->click();
        QCOMPARE(m_dlg->RowCount(), 1);
        CBond* gov = Bond("GOV-2030");
        const RowFigures f = AnalyseBond(*gov, m_stand, m_horizon, SystemClock());
        QCOMPARE(Row(0), (QStringList{"12", Fmt("%.8f", f.duration), Fmt("%.8f", f.squareM), "gov-2030",
                                      Fmt("%.8f", f.ytm), "95.00", "GOV-2030 name", ""}));
        QCOMPARE(m_dlg->RowPicture(0), int(Dlg::PicReady));

        AddRow("NOPE", 3);
        QCOMPARE(Row(1), (QStringList{"3", "", "", "NOPE", "", "", "", "not found"}));
        QCOMPARE(m_dlg->RowPicture(1), int(Dlg::PicNotFound));
        AddRow("OLD-2020", 2.5);
        QCOMPARE(Row(2), (QStringList{"2", "", "", "OLD-2020", "", "95.00", "OLD-2020 name", "incompatible"}));
        QCOMPARE(m_dlg->RowPicture(2), int(Dlg::PicProblem));

        // Cancel adds nothing; at twenty rows Add opens nothing at all.
        WhenOpen<CAddBondDlg>([](CAddBondDlg* dlg) { dlg->reject(); });
        Button("add")->click();
        QCOMPARE(m_dlg->RowCount(), 3);
        while (m_dlg->RowCount() < 20)
            AddRow("GOV-2027", 1);
        Button("add")->click(); // a dialog would block here
        m_dlg->AddRow("GOV-2027", 1);
        QCOMPARE(m_dlg->RowCount(), 20);
        QVERIFY(m_messages->shown.isEmpty());
    }

    void removeShiftsTheRows()
    {
        AddRow("GOV-2030", 1);
        AddRow("NOPE", 1);
        AddRow("GOV-2027", 2);
        Button("remove")->click(); // nothing selected
        QCOMPARE(m_dlg->RowCount(), 3);
        Select(1);
        Button("remove")->click();
        QCOMPARE(m_dlg->RowCount(), 2);
        QCOMPARE(m_dlg->CellText(1, Dlg::ColID), QStringLiteral("GOV-2027"));
        // The row behind the removed one took its place in the calculation too.
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Result"));
        const PortfolioFigures p = Composite({"GOV-2030", "GOV-2027"}, {1, 2});
        QCOMPARE(m_messages->Last().text, Result(p));
    }

    void updateChangesThePriceOfEveryRowOfTheBond()
    {
        AddRow("GOV-2030", 10);
        AddRow("NOPE", 1);
        AddRow("Gov-2030", 20);
        const QStringList before = Row(2);
        // Units only: nothing but the Units cell changes.
        UpdateRow(0, "15", "95.00");
        QCOMPARE(m_dlg->CellText(0, Dlg::ColUnits), QStringLiteral("15"));
        QVERIFY(!m_dlg->m_bPricesChanged);
        UpdateRow(0, "15", "95.0000005"); // less than 1e-6 away
        QVERIFY(!m_dlg->m_bPricesChanged);
        QCOMPARE(m_dlg->CellText(0, Dlg::ColPrice), QStringLiteral("95.00"));

        UpdateRow(0, "", "97.5");
        QVERIFY(m_dlg->m_bPricesChanged);
        QCOMPARE(Bond("GOV-2030")->m_fPrice, 97.5f);
        QCOMPARE(m_dlg->CellText(0, Dlg::ColUnits), QString());
        QCOMPARE(m_dlg->CellText(0, Dlg::ColPrice), QStringLiteral("97.5"));
        QVERIFY(m_dlg->CellText(0, Dlg::ColYTM) != before[Dlg::ColYTM]);
        for (int c : {Dlg::ColDuration, Dlg::ColSquareM, Dlg::ColYTM, Dlg::ColPrice, Dlg::ColStatus})
            QCOMPARE(m_dlg->CellText(2, c), m_dlg->CellText(0, c));
        QCOMPARE(m_dlg->CellText(2, Dlg::ColUnits), QStringLiteral("20"));

        // A price the payments cannot reach: both rows turn incompatible and
        // leave the calculation.
        UpdateRow(2, "20", "500");
        QCOMPARE(m_dlg->CellText(0, Dlg::ColStatus), QStringLiteral("incompatible"));
        QCOMPARE(m_dlg->RowPicture(0), int(Dlg::PicProblem));
        QCOMPARE(m_dlg->CellText(0, Dlg::ColYTM), QString());
        m_dlg->m_bPricesChanged = false;
        Remove(1);
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, QStringLiteral("Bond ID=GOV-2030 ,in row 1 , can't be included !"));
        UpdateRow(0, "20", "96");
        QCOMPARE(m_dlg->RowPicture(1), int(Dlg::PicReady));
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, Result(Composite({"GOV-2030", "GOV-2030"}, {0, 20})));

        // A row without a bond takes only the units; Cancel takes nothing.
        AddRow("NOPE", 1);
        UpdateRow(2, "4", "50");
        QCOMPARE(Row(2), (QStringList{"4", "", "", "NOPE", "", "", "", "not found"}));
        Select(0);
        WhenOpen<CUpdateBondDlg>([](CUpdateBondDlg* dlg) {
            Type(dlg, "units", "99");
            dlg->reject();
        });
        Button("update")->click();
        QCOMPARE(m_dlg->CellText(0, Dlg::ColUnits), QStringLiteral("20"));
    }

    void calculateRefusesWhatItCannotUse()
    {
        Button("calculate")->click(); // no rows
        QVERIFY(m_messages->shown.isEmpty());
        AddRow("GOV-2030", 0);
        AddRow("GOV-2027", 0);
        Button("calculate")->click();
        QCOMPARE(m_messages->Texts(), QStringList{"No units filled in !"});
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
        AddRow("NOPE", 5);
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, QStringLiteral("Bond ID=NOPE ,in row 3 , can't be included !"));

        // Units as typed count, whole, with whatever follows ignored.
        Remove(2);
        UpdateRow(0, "7", "95.00");
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, Result(Composite({"GOV-2030", "GOV-2027"}, {7, 0})));
        QCOMPARE(m_messages->Last().icon, MsgIcon::Information);
        QCOMPARE(m_dlg->RowCount(), 2);
    }

    void findDuplicatesAsksPairByPair()
    {
        AddRow("GOV-2030", 1);
        AddRow("gov-2030", 1); // the same bond, but a different identifier
        AddRow("GOV-2027", 1);
        AddRow("GOV-2030", 2);
        AddRow("GOV-2027", 3);
        m_messages->Answer(MsgAnswer::No);
        m_messages->Answer(MsgAnswer::Yes);
        Button("findDuplicates")->click();
        QCOMPARE(m_messages->Texts(),
                 (QStringList{"Bond GOV-2030 is duplicated.\nDelete ?", "Bond GOV-2027 is duplicated.\nDelete ?"}));
        QCOMPARE(m_messages->Last().caption, QStringLiteral("tenvix"));
        QCOMPARE(m_messages->Last().buttons, MsgButtons::YesNo);
        QCOMPARE(Column(Dlg::ColID), (QStringList{"GOV-2030", "gov-2030", "GOV-2027", "GOV-2030"}));
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"1", "1", "1", "2"}));
        // One removal a click.
        m_messages->Clear();
        m_messages->Answer(MsgAnswer::Yes);
        Button("findDuplicates")->click();
        QCOMPARE(m_messages->shown.size(), 1);
        QCOMPARE(Column(Dlg::ColID), (QStringList{"GOV-2030", "gov-2030", "GOV-2027"}));
        m_messages->Clear();
        Button("findDuplicates")->click();
        QVERIFY(m_messages->shown.isEmpty());
    }

    void findDuplicatesComparesWholeLongIdentifiers()
    {
        const QString stem(20, QLatin1Char('L'));
        const std::vector<PortfolioEntry> rows{{stem.toStdString() + "1", 1}, {stem.toStdString() + "2", 1},
                                               {" " + stem.toStdString() + "1", 1}};
        LoadBytes(StorePortfolio(rows));
        m_messages->Answer(MsgAnswer::No);
        Button("findDuplicates")->click();
        QCOMPARE(m_messages->Texts(), QStringList{"Bond " + stem + "1 is duplicated.\nDelete ?"});
    }

    void saveAndLoadRoundTrip()
    {
        AddRow("GOV-2030", 12);
        AddRow("NOPE", 3);
        AddRow("OLD-2020", 0);
        UpdateRow(0, "", "95.00"); // an empty Units cell saves as 0
        const QString path = m_dir.filePath("p.bdp");
        m_chooser->Answer(path);
        Button("save")->click();
        QVERIFY(m_messages->shown.isEmpty());
        const ui::FileChoice& asked = m_chooser->asked.last().choice;
        QVERIFY(m_chooser->asked.last().save);
        QCOMPARE(asked.filters, QStringList{"Bond portfolio(*.bdp)"});
        QCOMPARE(asked.defaultSuffix, QStringLiteral("bdp"));
        QVERIFY(asked.confirmOverwrite);
        QVERIFY(asked.startPath.isEmpty());
        const std::vector<PortfolioEntry> expected{{"GOV-2030", 0}, {"NOPE", 3}, {"OLD-2020", 0}};
        QCOMPARE(ReadFile(path), StorePortfolio(expected));

        // Loading replaces the rows and analyses them again; the chooser
        // starts where the last file was.
        Remove(0);
        AddRow("GOV-2027", 1);
        m_chooser->Answer(path);
        Button("load")->click();
        QCOMPARE(m_chooser->asked.last().choice.startPath, path);
        QVERIFY(!m_chooser->asked.last().save);
        QCOMPARE(Column(Dlg::ColID), (QStringList{"GOV-2030", "NOPE", "OLD-2020"}));
        QCOMPARE(Column(Dlg::ColStatus), (QStringList{"", "not found", "incompatible"}));
        QCOMPARE(m_dlg->RowPicture(0), int(Dlg::PicReady));

        // A stored 2.5 shows as a whole number and counts as one from then on.
        LoadBytes(StorePortfolio(std::vector<PortfolioEntry>{{"GOV-2030", 2.5}, {"GOV-2027", 3.5}}));
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"2", "4"}));
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, Result(Composite({"GOV-2030", "GOV-2027"}, {2, 4})));
        m_chooser->Answer(path);
        Button("save")->click();
        QCOMPARE(ReadFile(path), StorePortfolio(std::vector<PortfolioEntry>{{"GOV-2030", 2}, {"GOV-2027", 4}}));

        // Cancelled choosers do nothing.
        Button("save")->click();
        Button("load")->click();
        QCOMPARE(m_dlg->RowCount(), 2);
        LoadBytes(StorePortfolio({}));
        QCOMPARE(m_dlg->RowCount(), 0);
    }

    void badFilesKeepTheRows_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray magic("Tenvix2F\0", 9);
        QTest::newRow("8 bytes") << magic.left(8) << "Wrong file format !";
        QTest::newRow("ninth byte") << QByteArray("Tenvix2FX\0\0\0\0", 13) << "Wrong file format !";
        QTest::newRow("21 rows") << magic + QByteArray("\x15\0\0\0", 4) << "Wrong file format !";
        QTest::newRow("negative rows") << magic + QByteArray("\xff\xff\xff\xff", 4) << "Wrong file format !";
        QTest::newRow("magic only") << magic << "Failed reading the file !";
        QTest::newRow("record cut short") << magic + QByteArray("\2\0\0\0\2B1\0\0\0\0\0\0Y@\2B", 20)
                                          << "Failed reading the file !";
        QTest::newRow("length that lies") << magic + QByteArray("\1\0\0\0\xff\xff\xff\xff\xff\xff\x7f", 11)
                                          << "Failed reading the file !";
    }

    void badFilesKeepTheRows()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        AddRow("GOV-2030", 5);
        AddRow("NOPE", 1);
        const QStringList before = Row(0);
        LoadBytes(bytes.toStdString());
        QCOMPARE(m_messages->Texts(), QStringList{message});
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Error"));
        QCOMPARE(m_messages->Last().icon, MsgIcon::Exclamation);
        QCOMPARE(m_dlg->RowCount(), 2);
        QCOMPARE(Row(0), before);
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, QStringLiteral("Bond ID=NOPE ,in row 2 , can't be included !"));
    }

    void fileErrors()
    {
        AddRow("GOV-2030", 5);
        m_chooser->Answer(m_dir.filePath("absent.bdp"));
        Button("load")->click();
        QCOMPARE(m_messages->Texts(), QStringList{"Failed to open the file !"});
        m_chooser->Answer(m_dir.filePath("no/such/folder/p.bdp"));
        Button("save")->click();
        QCOMPARE(m_messages->Last().text, QStringLiteral("Failed to open the file in exclusive write mode !"));
        QCOMPARE(m_dlg->RowCount(), 1);
    }

    void suggestAppendsTheBestCandidates()
    {
        m_db = CBondList();
        AddZero(m_db, "EXACT", m_horizon, 800000.0f);
        AddZero(m_db, "SHORT-A", Day(2025, 6, 10), 800000.0f);
        AddZero(m_db, "SHORT-B", Day(2025, 6, 10), 790000.0f); // the better yield
        AddZero(m_db, "LONG", Day(2026, 9, 10), 800000.0f);
        AddZero(m_db, "FAR", Day(2032, 3, 10), 600000.0f);
        OpenWindow();
        AddRow("FAR", 1);
        Button("suggest")->click();
        QCOMPARE(Column(Dlg::ColID), (QStringList{"FAR", "EXACT", "SHORT-B", "LONG"}));
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"1", "0", "0", "0"}));
        QCOMPARE(m_dlg->RowPicture(1), int(Dlg::PicSuggested));
        const RowFigures exact = AnalyseBond(*Bond("EXACT"), m_stand, m_horizon, SystemClock());
        QCOMPARE(Row(1), (QStringList{"0", Fmt("%.8f", exact.duration), Fmt("%.8f", exact.squareM), "EXACT",
                                      Fmt("%.8f", exact.ytm), "800000.00", "EXACT name", ""}));
        QCOMPARE(m_dlg->findChild<QProgressBar*>("progress")->value(), 0);
        QVERIFY(Button("add")->isEnabled());
        QVERIFY(!m_dlg->m_bPricesChanged);

        // Suggested rows take part in Calculate with their zero units.
        Remove(0);
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().text, QStringLiteral("No units filled in !"));
        // They can be updated like any other row.
        UpdateRow(0, "3", "800000.00");
        Button("calculate")->click();
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Result"));

        // Nineteen rows: nothing happens at all.
        while (m_dlg->RowCount() < 19)
            AddRow("FAR", 1);
        m_messages->Clear();
        Button("suggest")->click();
        QCOMPARE(m_dlg->RowCount(), 19);
        QVERIFY(m_messages->shown.isEmpty());
        // Eighteen: the two free rows go to the exact match alone.
        Remove(18);
        Button("suggest")->click();
        QCOMPARE(m_dlg->RowCount(), 19);
        QCOMPARE(m_dlg->CellText(18, Dlg::ColID), QStringLiteral("EXACT"));
    }

    void suggestFindingNothingSaysSo()
    {
        m_db = CBondList();
        OpenWindow();
        Button("suggest")->click();
        QCOMPARE(m_messages->Texts(), QStringList{"Nothing suggested ."});
        QCOMPARE(m_messages->Last().caption, QStringLiteral("Information"));
        QCOMPARE(m_messages->Last().icon, MsgIcon::Information);

        // Candidates on one side only are no suggestion either.
        AddZero(m_db, "SHORT", Day(2025, 6, 10), 800000.0f);
        m_messages->Clear();
        Button("suggest")->click();
        QCOMPARE(m_messages->Texts(), QStringList{"Nothing suggested ."});
        QCOMPARE(m_dlg->RowCount(), 0);
    }

    void suggestKeepsTheWindowAliveAndStops()
    {
        m_db = CBondList();
        for (int i = 0; i < 40; ++i)
            AddZero(m_db, i % 2 ? "SHORT" : "LONG", i % 2 ? Day(2025, 6, 10) : Day(2026, 9, 10), 800000.0f - i);
        OpenWindow();
        m_dlg->SetPumpInterval(0);
        AddRow("SHORT", 1);
        int pumps = 0;
        bool checked = false;
        // Events reach the window while the scan runs: buttons are off but
        // Stop and the list, a close request waits, and Stop ends the scan.
        std::function<void()> poll = [&] {
            if (!m_dlg->IsScanning())
                return;
            if (++pumps == 1) {
                checked = true;
                for (const char* name :
                     {"close", "calculate", "add", "remove", "update", "findDuplicates", "save", "load", "suggest"})
                    QVERIFY2(!Button(name)->isEnabled(), name);
                QVERIFY(Button("stop")->isEnabled());
                QVERIFY(m_dlg->findChild<QTreeWidget*>("rows")->isEnabled());
                QVERIFY(m_dlg->findChild<QProgressBar*>("progress")->value() > 0);
                m_dlg->reject();
                QVERIFY(m_dlg->isVisible());
            }
            if (pumps == 6) {
                QTest::mouseClick(Button("stop"), Qt::LeftButton);
                return;
            }
            QTimer::singleShot(0, poll);
        };
        QTimer::singleShot(0, poll);
        Button("suggest")->click();
        QVERIFY(checked);
        // Stopped after a few bonds: what was found by then is presented, the
        // bonds beyond were never reached.
        int reached = 0;
        for (const auto& b : m_db.m_list)
            reached += b->m_nStandDate != 0;
        QVERIFY(reached >= 2 && reached < 40);
        // The bond in hand when Stop came was dated but not judged; of those
        // before it, the even ones are longer, the odd ones shorter.
        const int judged = reached - 1;
        const int pairs = std::min(judged / 2, (kPortfolioRows - 1) / 2);
        QCOMPARE(m_dlg->RowCount(), 1 + 2 * pairs);
        QCOMPARE(m_dlg->findChild<QProgressBar*>("progress")->value(), 0);
        // The close asked for during the scan happened once it ended.
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QVERIFY(Button("close")->isEnabled());
    }

private:
    void OpenWindow()
    {
        m_dlg = std::make_unique<CPortfolioDlg>();
        m_dlg->m_pStandDate = &m_stand;
        m_dlg->m_pHorizon = &m_horizon;
        m_dlg->m_pBondList = &m_db.m_list;
        m_dlg->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_dlg.get()));
    }

    QPushButton* Button(const char* name) { return m_dlg->findChild<QPushButton*>(name); }

    void AddRow(const QString& id, double units)
    {
        WhenOpen<CAddBondDlg>([id, units](CAddBondDlg* dlg) {
            Type(dlg, "id", id);
            Type(dlg, "units", QString::number(units));
            dlg->accept();
        });
        Button("add")->click();
    }

    void Select(int row)
    {
        auto* list = m_dlg->findChild<QTreeWidget*>("rows");
        list->setCurrentItem(list->topLevelItem(row));
    }

    void Remove(int row)
    {
        Select(row);
        Button("remove")->click();
    }

    // Opens Update by a double-click on the row and types both texts.
    void UpdateRow(int row, const QString& units, const QString& price)
    {
        auto* list = m_dlg->findChild<QTreeWidget*>("rows");
        Select(row);
        WhenOpen<CUpdateBondDlg>([units, price](CUpdateBondDlg* dlg) {
            Type(dlg, "units", units);
            Type(dlg, "price", price);
            dlg->accept();
        });
        const QRect r = list->visualItemRect(list->topLevelItem(row));
        // A double click as the mouse makes it: press, release, press again.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, r.center());
    }

    void LoadBytes(const std::string& bytes)
    {
        const QString path = m_dir.filePath("load.bdp");
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes.data(), static_cast<qint64>(bytes.size()));
        f.close();
        m_chooser->Answer(path);
        Button("load")->click();
    }

    static std::string ReadFile(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return f.readAll().toStdString();
    }

    QStringList Row(int row) const
    {
        QStringList cells;
        for (int c = 0; c < Dlg::ColCount; ++c)
            cells << m_dlg->CellText(row, c);
        return cells;
    }

    QStringList Column(int column) const
    {
        QStringList cells;
        for (int r = 0; r < m_dlg->RowCount(); ++r)
            cells << m_dlg->CellText(r, column);
        return cells;
    }

    CBond* Bond(const char* id) { return FindBondByID(m_db.m_list, id); }

    PortfolioFigures Composite(std::vector<const char*> ids, std::vector<double> units)
    {
        std::vector<CBond*> bonds;
        for (const char* id : ids)
            bonds.push_back(Bond(id));
        return CalculatePortfolio(bonds, units, m_stand, m_horizon, SystemClock());
    }

    static QString Fmt(const char* format, double v) { return QString::fromStdString(FormatNumber(format, v)); }

    static QString Result(const PortfolioFigures& p)
    {
        return "Bond portfolio :\nYTM=" + Fmt("%.8f", p.ytm) + "\nDuration=" + Fmt("%.8f", p.duration) +
               "\nSquare-M=" + Fmt("%.8f", p.squareM);
    }

    std::unique_ptr<test::FakeMessages> m_messages;
    std::unique_ptr<test::FakeFileChooser> m_chooser;
    std::unique_ptr<test::FakeClock> m_clock;
    std::unique_ptr<CPortfolioDlg> m_dlg;
    CBondList m_db;
    double m_stand = 0;
    double m_horizon = 0;
    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPortfolio)
#include "tst_portfolio.moc"
