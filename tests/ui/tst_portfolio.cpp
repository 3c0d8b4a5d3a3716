// The portfolio window driven through its buttons and its dialogs, with the
// message boxes, file choosers and clock replaced by fakes; and the two entry
// dialogs on their own: what they accept, what they refuse with which
// message, and that a refusal keeps them open with the texts as typed.

#include "portfolio/addbonddlg.h"
#include "portfolio/updatebonddlg.h"
#include "support/portfoliowin.h"
#include "support/smalldisk.h"

#include <functional>
#include <limits>
#include <optional>

#include <sys/stat.h>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;
using tenvix::test::Fixed8;
using tenvix::test::Stored;
using tenvix::test::Type;
using tenvix::test::WhenModal;
using Dlg = CPortfolioDlg;

class TestPortfolio : public QObject, test::PortfolioWindow {
    Q_OBJECT
private slots:
    void init()
    {
        Begin(Day(2021, 3, 10), Day(2026, 3, 10));
        m_db.m_list.push_back(test::StdBond("GOV-2030", 12, 4.0f, 100.0f, 95.0f, Day(2010, 1, 1), Day(2030, 7, 1)));
        m_db.m_list.push_back(test::StdBond("GOV-2027", 12, 6.0f, 100.0f, 104.0f, Day(2010, 1, 1), Day(2027, 7, 1)));
        m_db.m_list.push_back(test::StdBond("OLD-2020", 12, 4.0f, 100.0f, 95.0f, Day(2010, 1, 1), Day(2020, 7, 1)));
        AddZero("ZERO-H", m_horizon, 800000.0f);
        OpenWindow();
    }
    void cleanup() { End(); }

    void addLooksUpAndAnalysesEachRow()
    {
        QCOMPARE(m_dlg->findChild<QLabel*>("horizon")->text(), QStringLiteral("Inv,Horizon = 5.00000000 years"));
        AddRow(" gov-2030 ", 12);
        AddRow("NOPE", 3);
        AddRow("OLD-2020", 2.5);
        const RowFigures f = AnalyseRow(*Bond("GOV-2030"), m_stand, m_horizon, SystemClock());
        QCOMPARE(Row(0), (QStringList{"12", Fixed8(f.duration), Fixed8(f.squareM), "gov-2030", Fixed8(f.ytm), "95.00",
                                      "GOV-2030 name", "", "1140.00"}));
        QCOMPARE(m_dlg->findChild<QTreeView*>("rows")->model()->headerData(Dlg::ColValue, Qt::Horizontal).toString(),
                 QStringLiteral("Value"));
        // Under the table, what the rows are worth: 12 x 95 + 2 x 95 (2.5
        // units shown whole, as "2"), the row without a bond worth nothing.
        auto* total = m_dlg->findChild<QLabel*>("totalValue");
        QCOMPARE(total->text(), QStringLiteral("Total value = 1330.00"));
        QVERIFY(total->isVisible());
        UpdateRow(2, "10", "95.00");
        QCOMPARE(total->text(), QStringLiteral("Total value = 2090.00"));
        Remove(0);
        QCOMPARE(total->text(), QStringLiteral("Total value = 950.00"));
        m_dlg->AddRow("GOV-2030", 1);
        QCOMPARE(total->text(), QStringLiteral("Total value = 1045.00"));
        // What the other two rows show, pictures included, is the rows' core
        // test's (ALookedUpRowShowsItsBondOrWhyNot): the window shows the
        // picture the rows give.

        // Cancel adds nothing; at twenty rows Add opens nothing at all.
        WhenModal<CAddBondDlg>([](CAddBondDlg* dlg) { dlg->reject(); });
        Button("add")->click();
        QCOMPARE(m_dlg->RowCount(), 3);
        while (m_dlg->RowCount() < 20)
            m_dlg->AddRow("GOV-2027", 1);
        Button("add")->click(); // a dialog would block here
        QCOMPARE(m_dlg->RowCount(), 20);
        QVERIFY(m_messages->shown.isEmpty());
    }

    void removeShiftsTheRowsAndCalculateUsesWhatIsLeft()
    {
        QCOMPARE(Calculate(), QString()); // no rows: nothing to say
        AddRows({{"GOV-2030", 0}, {"NOPE", 1}, {"GOV-2027", 0}});
        Calculate();
        Told("Bond ID=NOPE ,in row 2 , can't be included !");
        Button("remove")->click(); // nothing selected
        QCOMPARE(m_dlg->RowCount(), 3);
        Remove(1);
        QCOMPARE(Calculate(), "No units filled in !");
        // Units as typed count, whole; the row behind the removed one took
        // its place in the calculation too.
        UpdateRow(1, "7", "104.00");
        CBond* const left[] = {Bond("GOV-2030"), Bond("GOV-2027")};
        const double units[] = {0, 7};
        QCOMPARE(Calculate(),
                 test::PortfolioResult(CalculatePortfolio(left, units, m_stand, m_horizon, SystemClock())));
    }

    void updateChangesThePriceOfEveryRowOfTheBond()
    {
        AddRows({{"GOV-2030", 10}, {"NOPE", 1}, {"Gov-2030", 20}});
        // A new price: every row of the bond shows its figures.
        UpdateRow(0, "", "97.5");
        // The texts, the figures, the shared price and a price less than 1e-6
        // away changing nothing are the rows' core test's
        // (UpdateKeepsTheTextsAsTypedAndSharesANewPrice; the document marked
        // only then, tst_numbertexts' portfolioChangesOnlyAPriceTypedAnew);
        // here the window shows the other row of the bond anew.
        QVERIFY(m_dlg->m_bPricesChanged);
        QStringList row = Row(0);
        QCOMPARE(row[Dlg::ColUnits] + "|" + row[Dlg::ColPrice], "|97.5");
        row[Dlg::ColUnits] = "20";
        row[Dlg::ColID] = "Gov-2030";
        row[Dlg::ColValue] = "1950.00"; // at the new price
        QCOMPARE(Row(2), row);

        // A row without a bond takes only the units; Cancel takes nothing.
        UpdateRow(1, "4", "50");
        QCOMPARE(Row(1), (QStringList{"4", "", "", "NOPE", "", "", "", "not found", ""}));
        test::SelectRow(m_dlg.get(), 2);
        WhenModal<CUpdateBondDlg>([](CUpdateBondDlg* dlg) {
            Type(dlg, "units", "99");
            dlg->reject();
        });
        Button("update")->click();
        QCOMPARE(m_dlg->CellText(2, Dlg::ColUnits), QStringLiteral("20"));
    }

    void findDuplicatesAsksPairByPair()
    {
        for (const char* id : {"GOV-2030", "gov-2030", "GOV-2027", "GOV-2030", "GOV-2027"})
            m_dlg->AddRow(id, m_dlg->RowCount());
        m_messages->Answer(MsgAnswer::No);
        m_messages->Answer(MsgAnswer::Yes);
        Button("findDuplicates")->click();
        QCOMPARE(m_messages->Texts(),
                 (QStringList{"Bond GOV-2030 is duplicated.\nDelete ?", "Bond GOV-2027 is duplicated.\nDelete ?"}));
        QCOMPARE(m_messages->Last().buttons, MsgButtons::YesNo);
        // The later row of the pair goes, one removal a click.
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"0", "1", "2", "3"}));
        m_messages->Answer(MsgAnswer::Yes);
        Button("findDuplicates")->click();
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"0", "1", "2"}));
        m_messages->Clear();
        Button("findDuplicates")->click();
        QVERIFY(m_messages->shown.isEmpty());
    }

    void saveAndLoadRoundTrip()
    {
        AddRows({{"GOV-2030", 12}, {"NOPE", 3}, {"OLD-2020", 0}});
        const QString path = m_dir.filePath("p.bdp");
        Choose("save", path);
        QVERIFY(m_messages->shown.isEmpty());
        const ui::FileChoice& choice = m_chooser->asked.last().choice;
        QCOMPARE(choice.filters + QStringList{choice.defaultSuffix}, (QStringList{"Bond portfolio(*.bdp)", "bdp"}));
        QCOMPARE(test::ReadAll(path), Stored({{"GOV-2030", 12}, {"NOPE", 3}, {"OLD-2020", 0}}));

        // Loading replaces the rows and analyses them again; the chooser
        // starts where the last file was.
        Remove(0);
        m_dlg->AddRow("GOV-2027", 1);
        m_messages->Answer(MsgAnswer::No);
        Choose("load", path);
        QCOMPARE(m_chooser->asked.last().choice.startPath, path);
        QCOMPARE(Column(Dlg::ColID), (QStringList{"GOV-2030", "NOPE", "OLD-2020"}));
        QCOMPARE(Column(Dlg::ColStatus), (QStringList{"", "not found", "incompatible"}));

        // Cancelled choosers do nothing.
        Button("save")->click();
        Button("load")->click();
        QCOMPARE(m_dlg->RowCount(), 3);

        // Whatever follows the last row is ignored, however long it is.
        m_messages->Clear();
        test::WriteAll(path, Stored({{"GOV-2027", 1}}) + QByteArray(qsizetype(kPortfolioFileReadLimit) + 1, '\x7f'));
        Choose("load", path);
        QVERIFY(m_messages->shown.isEmpty());
        QCOMPARE(Column(Dlg::ColID), QStringList{"GOV-2027"});
    }

    // Units a file holds that no row can show are told as Load meets them;
    // the row stays, left out with the reason as its status, and Save keeps
    // them as they were.
    void loadTellsOfUnitsNoRowCanShow()
    {
        const QString path = m_dir.filePath("u.bdp");
        const QByteArray file = Stored({{"GOV-2030", 2.5}, {"GOV-2027", std::numeric_limits<double>::quiet_NaN()},
                                        {"NOPE", -4}, {"OLD-2020", std::numeric_limits<double>::infinity()}});
        test::WriteAll(path, file);
        Choose("load", path);
        QCOMPARE(m_messages->Texts(), QStringList{"Row 2 : nan units cannot be read .\n"
                                                  "Row 3 : -4 units cannot be read .\n"
                                                  "Row 4 : inf units cannot be read ."});
        QCOMPARE(m_messages->Last().caption, QString("Error"));
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{"2", "nan", "-4", "inf"}));
        QCOMPARE(Column(Dlg::ColStatus), (QStringList{"", "bad units", "bad units", "bad units"}));
        m_messages->Clear();
        Button("calculate")->click();
        QCOMPARE(m_messages->Texts(), QStringList{"Bond ID=GOV-2027 ,in row 2 , can't be included !"});
        const QString copy = m_dir.filePath("copy.bdp");
        Choose("save", copy);
        QCOMPARE(test::ReadAll(copy), Stored({{"GOV-2030", 2}, {"GOV-2027", std::numeric_limits<double>::quiet_NaN()},
                                              {"NOPE", -4}, {"OLD-2020", std::numeric_limits<double>::infinity()}}));
    }

    // Rows no file holds are not lost to one key: every way of closing, and
    // loading another portfolio over them, asks about them, and only about
    // them. Which edits leave rows no file holds (removing, typing a price)
    // is the rows' Changed (RowsComeAndGoInOrderUpToTwenty,
    // UpdateKeepsTheTextsAsTypedAndSharesANewPrice); the Close button's
    // question is closeQuestionSavesOrStays'.
    void closeAsksAboutRowsNoFileHolds_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("road");
        QTest::addColumn<bool>("asks");
        // clang-format off
        QTest::newRow("added")               << "add"               << "Esc"       << true;
        QTest::newRow("loaded")              << "load"              << "Enter"     << false;
        QTest::newRow("loaded, all removed") << "load remove remove" << "Enter"    << false;
        QTest::newRow("suggested")           << "suggest"           << "close box" << true;
        QTest::newRow("added, then saved")   << "add save"          << "Esc"       << false;
        QTest::newRow("added, then loaded")  << "add"               << "Load"      << true;
        QTest::newRow("loaded, then loaded") << "load"              << "Load"      << false;
        // clang-format on
    }

    void closeAsksAboutRowsNoFileHolds()
    {
        QFETCH(QString, rows);
        QFETCH(QString, road);
        QFETCH(bool, asks);
        const QString path = m_dir.filePath("two.bdp");
        test::WriteAll(path, Stored({{"GOV-2030", 12}, {"GOV-2027", 3}}));
        for (const QString& step : rows.split(' ', Qt::SkipEmptyParts)) {
            if (step == "add")
                AddRow("GOV-2030", 5);
            else if (step == "load" || step == "save")
                Choose(qPrintable(step), path);
            else if (step == "remove")
                Remove(0);
            else if (step == "suggest")
                Button("suggest")->click();
        }
        m_messages->Clear();
        const QStringList units = Column(Dlg::ColUnits);
        if (asks && road == "Load") {
            // Cancel keeps the rows and chooses no file.
            m_messages->Answer(MsgAnswer::Cancel);
            Button("load")->click();
            QCOMPARE(Column(Dlg::ColUnits) + m_messages->Texts(), units + QStringList{"Save the portfolio ?"});
            m_messages->Clear();
        }
        if (asks)
            m_messages->Answer(MsgAnswer::No);
        if (road == "Load")
            Choose("load", path);
        else if (road == "Esc" || road == "Enter")
            QTest::keyClick(m_dlg.get(), road == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
        else if (road == "Close")
            Button("close")->click();
        else
            m_dlg->close();
        QCOMPARE(m_messages->Texts(), asks ? QStringList{"Save the portfolio ?"} : QStringList());
        QCOMPARE(m_dlg->isVisible(), road == "Load");
        if (road == "Load")
            QCOMPARE(Column(Dlg::ColUnits), (QStringList{"12", "3"}));
    }

    // Cancel, a cancelled chooser and a failed save keep the window and its
    // rows; Yes closes once the rows are in the file.
    void closeQuestionSavesOrStays()
    {
        AddRows({{"GOV-2030", 12}, {"NOPE", 3}});
        m_messages->Answer(MsgAnswer::Cancel);
        m_messages->Answer(MsgAnswer::Yes); // the chooser is cancelled
        m_messages->Answer(MsgAnswer::Yes);
        m_chooser->Answer(QString());
        m_chooser->Answer(m_dir.filePath("no/such/folder/p.bdp"));
        for (int i = 0; i < 3; ++i)
            Button("close")->click();
        QVERIFY(m_dlg->isVisible());
        QCOMPARE(m_messages->shown.value(0).caption, QStringLiteral("Question"));
        QCOMPARE(m_messages->shown.value(0).buttons, MsgButtons::YesNoCancel);
        QCOMPARE(m_messages->Texts(),
                 (QStringList{"Save the portfolio ?", "Save the portfolio ?", "Save the portfolio ?",
                              "Failed to open the file in exclusive write mode !"}));

        // The rows kept are those the save below writes.
        const QString path = m_dir.filePath("kept.bdp");
        m_messages->Answer(MsgAnswer::Yes);
        m_chooser->Answer(path);
        QTest::keyClick(m_dlg.get(), Qt::Key_Escape);
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(test::ReadAll(path), Stored({{"GOV-2030", 12}, {"NOPE", 3}}));
    }

    // Anything but a good portfolio file leaves the rows as they were: bad
    // bytes, and files that can't be opened or read, a pipe or a folder
    // among them, which are refused at once instead of waiting for a writer.
    // Which bytes are no portfolio is the reader's test's, and the words for
    // them the command line's (Cli.FilesWithoutASizeAreReadToTheirEnd).
    void badFilesKeepTheRows_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("message");
        const QByteArray magic("Tenvix2F\0", 9);
        QTest::newRow("record cut short")
            << "file" << magic + QByteArray("\2\0\0\0\2B1\0\0\0\0\0\0Y@\2B", 17) << "Failed reading the file !";
        QTest::newRow("missing") << "missing" << QByteArray() << "Failed to open the file !";
        QTest::newRow("a pipe") << "pipe" << QByteArray() << "Failed to open the file !";
        QTest::newRow("a folder") << "folder" << QByteArray() << "Failed to open the file !";
    }

    void badFilesKeepTheRows()
    {
        QFETCH(QString, situation);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, message);
        AddRows({{"GOV-2030", 5}, {"NOPE", 1}});
        const QStringList before = Row(0);
        const QString path = m_dir.filePath(QString(QTest::currentDataTag()) + ".bdp");
        if (situation == "file")
            test::WriteAll(path, bytes);
        else if (situation == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        else if (situation == "folder")
            QVERIFY(QDir().mkdir(path));
        // Even rows the user chose to drop stay when the file is bad.
        m_messages->Answer(MsgAnswer::No);
        Choose("load", path);
        QCOMPARE(m_messages->Texts(), (QStringList{"Save the portfolio ?", message}));
        QCOMPARE(m_messages->Last().icon, MsgIcon::Exclamation);
        QCOMPARE(Row(0), before);
        QCOMPARE(Column(Dlg::ColID), (QStringList{"GOV-2030", "NOPE"}));
    }

    // A save whose write fails part-way says so and leaves the old file byte
    // for byte, with no temporary file beside it. Here the write passes the
    // size this process may write; a full disk, through the same writer:
    // tst_document's failedWriteKeepsTheFileAndTheEdits.
    void failedWriteKeepsTheOldFile()
    {
        const QTemporaryDir here(m_dir.filePath("diskXXXXXX"));
        const QString folder = here.path();
        const QString path = folder + "/p.bdp";
        const QByteArray old = Stored({{"B1", 100}});
        test::WriteAll(path, old);
        AddRows({{"GOV-2030", 12}, {"GOV-2027", 7}, {"NOPE", 3}});
        const QStringList rows = Column(Dlg::ColID);
        const QStringList files = QDir(folder).entryList(QDir::Files | QDir::Hidden);

        m_chooser->Answer(path);
        std::optional<test::FileSizeLimit> limit;
        QVERIFY(limit.emplace(rlim_t(old.size()) + 8).Set());
        Button("save")->click();
        limit.reset();
        Told("Error writing to file !"); // its icon, every error's: badFilesKeepTheRows
        QCOMPARE(test::ReadAll(path), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), files);
        QCOMPARE(Column(Dlg::ColID), rows);
    }

    void suggestAppendsTheBestCandidates()
    {
        m_db = CBondList();
        AddZero("EXACT", m_horizon, 800000.0f);
        AddZero("SHORT", Day(2025, 6, 10), 800000.0f);
        AddZero("LONG", Day(2026, 9, 10), 800000.0f);
        AddZero("FAR", Day(2032, 3, 10), 600000.0f);
        OpenWindow();
        m_dlg->AddRow("FAR", 1);
        // Which bonds and in which order is the core's (Scan, PresentSuggestions);
        // the window appends them behind its rows, and is back to normal
        // after (suggestKeepsTheWindowAliveAndStops).
        Button("suggest")->click();
        QCOMPARE(Column(Dlg::ColID), (QStringList{"FAR", "EXACT", "SHORT", "LONG"}));
        QCOMPARE(m_dlg->RowPicture(1), int(Dlg::PicSuggested));

        // Nineteen rows: nothing happens at all.
        while (m_dlg->RowCount() < 19)
            m_dlg->AddRow("FAR", 1);
        m_messages->Clear();
        Button("suggest")->click();
        QCOMPARE(m_dlg->RowCount(), 19);
        QVERIFY(m_messages->shown.isEmpty());

        // Candidates on one side only are no suggestion.
        m_db = CBondList();
        AddZero("SHORT", Day(2025, 6, 10), 800000.0f);
        OpenWindow();
        Button("suggest")->click();
        Told("Nothing suggested .", "Information");
        QCOMPARE(m_dlg->RowCount(), 0);
    }

    void suggestKeepsTheWindowAliveAndStops()
    {
        FortyZeros();
        OpenWindow();
        m_dlg->SetPumpInterval(0);
        m_dlg->AddRow("SHORT", 1);
        // Events reach the window while the scan runs, and Stop ends it.
        StopWhenBusy(6);
        m_messages->Answer(MsgAnswer::No); // "Save the portfolio ?" when the close comes
        Button("suggest")->click();
        QCOMPARE(m_looks, 6);
        QVERIFY(m_busyProgress > 0);
        // Stopped after a few bonds: what was found by then is presented,
        // the bonds beyond were never reached. The bond in hand when Stop
        // came was dated but not judged; of those before it, the even ones
        // are longer, the odd ones shorter.
        int reached = 0;
        for (const auto& b : m_db.m_list)
            reached += b->m_nStandDate != 0;
        QVERIFY(reached >= 2 && reached < 40);
        const int pairs = std::min((reached - 1) / 2, (kPortfolioRows - 1) / 2);
        QCOMPARE(m_dlg->RowCount(), 1 + 2 * pairs);
        QCOMPARE(m_dlg->findChild<QProgressBar*>("progress")->value(), 0);
        // The close asked for during the scan happened once it ended.
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
        QVERIFY(Button("close")->isEnabled());
    }

    void suggestLetsEventsThroughByTheProgramsClock()
    {
        // The scan's pauses for events follow the clock the program runs on,
        // like every other time it measures: stopped, the scan never pauses;
        // running, it pauses once an interval has passed.
        FortyZeros();
        int pumps = 0;
        bool polling = true;
        std::function<void()> poll = [&] {
            if (!polling)
                return;
            pumps += m_dlg && m_dlg->IsScanning();
            QTimer::singleShot(0, poll);
        };
        QTimer::singleShot(0, poll);
        OpenWindow();
        Button("suggest")->click();
        QCOMPARE(pumps, 0);
        m_clock->SetStep(30);
        OpenWindow();
        Button("suggest")->click();
        polling = false;
        QVERIFY(pumps > 0);
        QTest::qWait(0); // the last poll ends
    }

    // The entry dialogs on their own. What reads as a number, blanks only
    // not, is ReadDecimal's (numbers_test); here each dialog's ranges and
    // the order of its checks.
    void addBond_data()
    {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("message"); // empty: accepted
        QTest::addColumn<QString>("taken");   // identifier|units, in full
        // clang-format off
        QTest::newRow("empty units are none") << "  GOV-1 \t" << "" << "" << "GOV-1|0";
        QTest::newRow("decimals, at the limit") << "B" << "1e12" << "" << "B|1000000000000";
        QTest::newRow("above the limit") << "B" << "1.1e12" << "Bad number of units !" << "";
        QTest::newRow("negative") << "B" << "-1" << "Bad number of units !" << "";
        QTest::newRow("id of blanks") << "   " << "5" << "Empty ID" << "";
        QTest::newRow("units checked first") << "" << "x" << "Bad number of units !" << "";
        // clang-format on
    }

    void addBond()
    {
        QFETCH(QString, id);
        QFETCH(QString, units);
        QFETCH(QString, message);
        QFETCH(QString, taken);
        CAddBondDlg dlg;
        dlg.show();
        Type(&dlg, "id", id);
        Type(&dlg, "units", units); // as if pasted: the box takes any text that way
        Submit(dlg, message);
        if (message.isEmpty())
            QCOMPARE(dlg.m_strBondID + "|" + QString::number(dlg.m_dUnits, 'g', 17), taken);
        else
            QCOMPARE(Boxes(dlg, "id", "units"), id + "|" + units);
    }

    void addBondBoxLimits()
    {
        CAddBondDlg dlg;
        dlg.show();
        auto* unitsBox = dlg.findChild<QLineEdit*>("units");
        // Typing lets only digits in, eleven of them; pasting goes through.
        QTest::keyClicks(unitsBox, "1a2.3-4 5678901234");
        QCOMPARE(unitsBox->text(), QStringLiteral("12345678901"));
        unitsBox->clear();
        QApplication::clipboard()->setText(QStringLiteral("2.5"));
        QTest::keyClick(unitsBox, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(unitsBox->text(), QStringLiteral("2.5"));
    }

    void updateBond_data()
    {
        QTest::addColumn<QString>("units");
        QTest::addColumn<QString>("price");
        QTest::addColumn<QString>("message");
        QTest::addColumn<double>("wantPrice");
        // clang-format off
        QTest::newRow("empty units") << "" << "97.5" << "" << 97.5;
        QTest::newRow("lowest price") << " 12" << "0.0001" << "" << 0.0001;
        QTest::newRow("highest price") << "1" << "1e18" << "" << 1e18;
        // A file can hold more units than the box lets anyone type.
        QTest::newRow("long units kept whole") << "1000000000000" << "50.00" << "" << 50.0;
        QTest::newRow("units before price") << "-3" << "" << "Bad number of units !" << 0.0;
        QTest::newRow("zero price") << "1" << "0" << "Invalid price\nor out of range !" << 0.0;
        QTest::newRow("price too high") << "1" << "1.1e18" << "Invalid price\nor out of range !" << 0.0;
        // A decimal comma only where the locale writes one, and never beside a full stop.
        QTest::newRow("decimal comma") << "1" << "97,5"
                                       << (QLocale().decimalPoint() == "," ? "" : "Invalid price\nor out of range !")
                                       << 97.5;
        // clang-format on
    }

    void updateBond()
    {
        QFETCH(QString, units);
        QFETCH(QString, price);
        QFETCH(QString, message);
        QString callerUnits = units, callerPrice = QStringLiteral("99.25");
        CUpdateBondDlg dlg;
        dlg.m_pstrUnits = &callerUnits;
        dlg.m_pstrPrice = &callerPrice;
        dlg.show();
        QCOMPARE(Boxes(dlg, "units", "price"), units + "|99.25");
        Type(&dlg, "price", price);
        Submit(dlg, message);
        if (message.isEmpty()) {
            QFETCH(double, wantPrice);
            QCOMPARE(dlg.m_dPrice, wantPrice);
            // The texts go back as typed, the price with the full stop that
            // the window's cell reads back.
            QCOMPARE(callerUnits + "|" + callerPrice, units + "|" + QString(price).replace(u',', u'.'));
        } else {
            QCOMPARE(Boxes(dlg, "units", "price"), units + "|" + price);
        }
    }

private:
    // One payment of a million: duration is the time to it, precisely enough for
    // an exact match with the horizon.
    void AddZero(const char* id, double payDay, float price)
    {
        m_db.m_list.push_back(test::FreeBond(id, price, {{payDay, 1e6f}}, Day(2010, 1, 1)));
    }
    // Longer and shorter than the horizon by turns, each a little dearer.
    void FortyZeros()
    {
        m_db = CBondList();
        for (int i = 0; i < 40; ++i)
            AddZero(i % 2 ? "SHORT" : "LONG", i % 2 ? Day(2025, 6, 10) : Day(2026, 9, 10), 800000.0f - i);
    }

    // Enter in `dlg`; an empty `message` means it must accept silently,
    // otherwise it must say so as an error and stay open.
    void Submit(QDialog& dlg, const QString& message)
    {
        QTest::keyClick(&dlg, Qt::Key_Return);
        if (message.isEmpty()) {
            QVERIFY(m_messages->shown.isEmpty());
            QCOMPARE(dlg.result(), int(QDialog::Accepted));
        } else {
            Told(message);
            QVERIFY(dlg.isVisible());
        }
    }
    static QString Boxes(QDialog& dlg, const char* a, const char* b)
    {
        return dlg.findChild<QLineEdit*>(a)->text() + "|" + dlg.findChild<QLineEdit*>(b)->text();
    }

    // Through the Add dialog, as the user types it.
    void AddRow(const QString& id, double units)
    {
        WhenModal<CAddBondDlg>([id, units](CAddBondDlg* dlg) {
            Type(dlg, "id", id);
            Type(dlg, "units", QString::number(units));
            dlg->accept();
        });
        Button("add")->click();
    }
    void AddRows(std::initializer_list<std::pair<const char*, double>> rows)
    {
        for (const auto& [id, units] : rows)
            m_dlg->AddRow(id, units);
    }

    void Remove(int row)
    {
        test::SelectRow(m_dlg.get(), row);
        Button("remove")->click();
    }

    // Opens Update by a double-click on the row and types both texts.
    void UpdateRow(int row, const QString& units, const QString& price)
    {
        auto* list = m_dlg->findChild<QTreeView*>("rows");
        test::SelectRow(m_dlg.get(), row);
        WhenModal<CUpdateBondDlg>([units, price](CUpdateBondDlg* dlg) {
            Type(dlg, "units", units);
            Type(dlg, "price", price);
            dlg->accept();
        });
        const QPoint at = list->visualRect(list->model()->index(row, 0)).center();
        // A double click as the mouse makes it: press, release, press again.
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, at);
    }

    void Choose(const char* button, const QString& path)
    {
        m_chooser->Answer(path);
        Button(button)->click();
    }

    QStringList Row(int row) const
    {
        QStringList cells;
        for (int c = 0; c < Dlg::ColCount; ++c)
            cells << m_dlg->CellText(row, c);
        return cells;
    }

    CBond* Bond(const char* id) { return FindBondByID(m_db.m_list, id); }

    QTemporaryDir m_dir;
};

QTEST_MAIN(TestPortfolio)
#include "tst_portfolio.moc"
