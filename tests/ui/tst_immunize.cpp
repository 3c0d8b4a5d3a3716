// The portfolio window's Immunize: its dialog (what it starts from, what it
// accepts and refuses), and runs on the worker thread that fill the rows,
// ask before replacing them, tell why there is no answer, and stop.

#include "model/numbers.h"
#include "portfolio/core/immunize.h"
#include "portfolio/immunizedlg.h"
#include "support/portfoliowin.h"

#include <cmath>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;
using tenvix::test::Type;
using tenvix::test::WhenModal;
using Dlg = CPortfolioDlg;

namespace {

// A zero paying 100 `years` whole years after 30 June 2025, yielding 4 %.
std::unique_ptr<CBondFree> Zero(const std::string& id, int years)
{
    return test::FreeBond(id, static_cast<float>(100 / std::pow(1.04, years)), {{Day(2025 + years, 6, 30), 100.0f}});
}

const char* const kBoxes[] = {"amount", "rows", "share", "leastYtm", "exclude"};

QStringList Boxes(QDialog* dlg)
{
    QStringList texts;
    for (const char* box : kBoxes)
        texts << dlg->findChild<QLineEdit*>(box)->text();
    return texts;
}

void TypeBoxes(QDialog* dlg, const QStringList& texts)
{
    for (int i = 0; i < 5; ++i)
        Type(dlg, kBoxes[i], texts.value(i));
}

} // namespace

class TestImmunize : public QObject, test::PortfolioWindow {
    Q_OBJECT
private slots:
    void init()
    {
        Begin(Day(2025, 6, 30), Day(2032, 6, 30));
        // Seven years: two thirds in the six-year zero, a third in the nine.
        for (int years : {6, 9})
            m_db.m_list.push_back(Zero("Z" + std::to_string(years), years));
        OpenWindow();
    }
    void cleanup() { End(); }

    void dialogStartsFromTheEntries()
    {
        ImmunizeDialog first(ImmunizeEntries{});
        QCOMPARE(Boxes(&first), (QStringList{"", "20", "100", "", ""}));
        // The window starts its dialog from what it was given, and keeps
        // what was accepted for the opener to remember.
        m_dlg->m_immunize = {"5000", "3", "50", "2.5", "Z6, z9"};
        WhenModal<ImmunizeDialog>([](ImmunizeDialog* dlg) {
            QCOMPARE(Boxes(dlg), (QStringList{"5000", "3", "50", "2.5", "Z6, z9"}));
            Type(dlg, "amount", "7000");
            dlg->reject();
        });
        Button("immunize")->click();
        QCOMPARE(m_dlg->m_immunize.amount, QStringLiteral("5000"));
    }

    void dialogReadsItsBoxes_data()
    {
        QTest::addColumn<QStringList>("boxes"); // amount, rows, share, least YTM, left out
        QTest::addColumn<QString>("message");   // empty: accepted
        QTest::addColumn<QString>("refused");   // the box that takes the focus
        const QString amount = "The amount must be a number above 0 !";
        const QString rows = "The number of rows must be from 1 to 20 !";
        const QString share = "The share must be above 0 and at most 100 % !";
        const QString ytm = "The least YTM must be a number, or empty for no limit !";
        // clang-format off
        QTest::newRow("all given") << QStringList{"1e6", "5", "40", "-0.5", " z6 , ,GOV-2034-A,"} << "" << "";
        QTest::newRow("no least YTM") << QStringList{"2500.5", "1", "100", "  "} << "" << "";
        QTest::newRow("amount required") << QStringList{"", "20", "100", ""} << amount << "amount";
        QTest::newRow("decimal comma") << QStringList{"1000,5", "20", "99,5", ""}
                                       << (QLocale().decimalPoint() == "," ? "" : amount) << "amount";
        QTest::newRow("amount too large") << QStringList{"1e400", "20", "100", ""} << amount << "amount";
        QTest::newRow("no rows") << QStringList{"1000", "0", "100", ""} << rows << "rows";
        QTest::newRow("too many rows") << QStringList{"1000", "21", "100", ""} << rows << "rows";
        QTest::newRow("no share") << QStringList{"1000", "20", "0", ""} << share << "share";
        QTest::newRow("share above all") << QStringList{"1000", "20", "100.5", ""} << share << "share";
        QTest::newRow("least YTM a word") << QStringList{"1000", "20", "100", "low"} << ytm << "leastYtm";
        // clang-format on
    }

    void dialogReadsItsBoxes()
    {
        QFETCH(QStringList, boxes);
        QFETCH(QString, message);
        QFETCH(QString, refused);
        while (boxes.size() < 5)
            boxes << QString(); // nothing left out
        ImmunizeDialog dlg(ImmunizeEntries{});
        QVERIFY(test::Active(&dlg));
        TypeBoxes(&dlg, boxes);
        QTest::keyClick(&dlg, Qt::Key_Return);
        if (message.isEmpty()) {
            // Taken with the full stop where a decimal comma was read.
            for (int box = 0; box < 4; ++box)
                boxes[box].replace(u',', u'.');
            QVERIFY(m_messages->shown.isEmpty());
            QVERIFY(dlg.Result());
            QCOMPARE(dlg.Result()->entries, (ImmunizeEntries{boxes[0], boxes[1], boxes[2], boxes[3], boxes[4]}));
            const ImmunizeLimits l = dlg.Result()->limits;
            const auto read = [&](int box) { return *ReadDecimal(boxes[box].toStdString()); };
            QCOMPARE(l.amount, read(0));
            QCOMPARE(l.maxRows, boxes[1].toInt());
            QCOMPARE(l.maxShare, read(2) / 100);
            QCOMPARE(l.minYtm, boxes[3].trimmed().isEmpty() ? std::nullopt : std::optional(read(3) / 100));
            // Identifiers to leave out, as tenvix-cli immunize --exclude reads them.
            const std::vector<std::string> leftOut =
                boxes[4].isEmpty() ? std::vector<std::string>() : std::vector<std::string>({"z6", "GOV-2034-A"});
            QCOMPARE(l.exclude, leftOut);
        } else {
            QVERIFY(!dlg.Result());
            Told(message);
            QVERIFY(dlg.isVisible());
            QCOMPARE(Boxes(&dlg), boxes);
            QCOMPARE(QApplication::focusWidget(), dlg.findChild<QLineEdit*>(refused.toLatin1().constData()));
        }
    }

    void runFillsTheRowsAndCalculates()
    {
        int explained = 0;
        connect(m_dlg.get(), &CPortfolioDlg::Explained, this, [&] { ++explained; });
        Run({"1e6", "20", "100", ""});
        ImmunizeLimits limits;
        limits.amount = 1e6;
        const ImmunizeResult want = ImmunizeList(m_db.m_list, limits, m_stand, m_horizon, SystemClock());
        // The units are the core's (its immunize tests pin them): Calculate
        // ran on the rows and its result is the core's figures.
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z6", "Z9"}));
        QCOMPARE(Column(Dlg::ColUnits)[0], QString::fromStdString(FormatFixed(want.rows[0].units, 0)));
        Told(test::PortfolioResult(want.figures), "Result");
        QCOMPARE(explained, 1);
        QVERIFY(Button("add")->isEnabled());
        QCOMPARE(m_dlg->findChild<QProgressBar*>("progress")->value(), 0);

        // No answer changes nothing. Every refusal and its text is the core's
        // RefusalsComeInTheirOrderWithTheirTexts; here the share as typed
        // reaches the text.
        m_dlg->AddRow("NOPE", 3);
        m_messages->Clear();
        Run({"1e6", "2", "40", ""});
        Told("The limits leave no portfolio : 2 rows of at most 40 % of the amount cannot hold all of it .");
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z6", "Z9", "NOPE"}));
        // An amount beyond what the search holds whole is told as such.
        m_messages->Clear();
        Run({"1e12", "20", "100", ""});
        Told("The amount is too large : at most 100000000000 .");
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z6", "Z9", "NOPE"}));

        // Rows there already are replaced only on Yes.
        m_messages->Clear();
        m_messages->Answer(MsgAnswer::No);
        Run({"1e6", "20", "100", ""});
        Told("Replace the rows of the portfolio ?", "Question");
        QCOMPARE(m_messages->Last().buttons, MsgButtons::YesNo);
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z6", "Z9", "NOPE"}));
        m_messages->Answer(MsgAnswer::Yes);
        Run({"1e6", "20", "100", ""});
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z6", "Z9"}));
        QCOMPARE(explained, 2);
    }

    // The identifiers left out are not among the rows, whatever their case,
    // and the rows are the core's portfolio without them.
    void runLeavesOutWhatItIsTold()
    {
        m_db.m_list.push_back(Zero("Z7", 7)); // alone, it holds the horizon
        Run({"1e6", "20", "100", "", ""});
        QCOMPARE(Column(Dlg::ColID), QStringList{"Z7"});
        m_messages->Clear();
        m_messages->Answer(MsgAnswer::Yes); // "Replace the rows of the portfolio ?"
        Run({"1e6", "20", "100", "", "z7"});
        ImmunizeLimits limits;
        limits.amount = 1e6;
        limits.exclude = {"z7"};
        const ImmunizeResult want = ImmunizeList(m_db.m_list, limits, m_stand, m_horizon, SystemClock());
        QCOMPARE(Column(Dlg::ColID), (QStringList{"Z6", "Z9"}));
        QCOMPARE(Column(Dlg::ColUnits), (QStringList{QString::fromStdString(FormatFixed(want.rows[0].units, 0)),
                                                     QString::fromStdString(FormatFixed(want.rows[1].units, 0))}));
        QCOMPARE(m_dlg->m_immunize.exclude, QStringLiteral("z7"));
    }

    void stopLeavesTheRows()
    {
        m_dlg->AddRow("NOPE", 3);
        // While the run goes on the window takes events, and Stop ends the
        // run with nothing changed.
        WhenModal<ImmunizeDialog>([&](ImmunizeDialog* dlg) {
            Type(dlg, "amount", "1e6");
            dlg->accept();
            StopWhenBusy(1);
        });
        m_messages->Answer(MsgAnswer::No); // the row added before: "Save the portfolio ?"
        Button("immunize")->click();
        QCOMPARE(m_looks, 1);
        QCOMPARE(Column(Dlg::ColID), QStringList{"NOPE"});
        QCOMPARE(m_messages->Texts(), QStringList{"Save the portfolio ?"});
        // The close asked for during the run happened once it ended (the
        // window back to normal: runFillsTheRowsAndCalculates).
        QVERIFY(!m_dlg->isVisible());
        QCOMPARE(m_dlg->result(), int(QDialog::Rejected));
    }

private:
    // Immunize through its dialog, with the four boxes typed.
    void Run(const QStringList& boxes)
    {
        WhenModal<ImmunizeDialog>([boxes](ImmunizeDialog* dlg) {
            TypeBoxes(dlg, boxes);
            dlg->accept();
        });
        Button("immunize")->click();
    }
};

QTEST_MAIN(TestImmunize)
#include "tst_immunize.moc"
