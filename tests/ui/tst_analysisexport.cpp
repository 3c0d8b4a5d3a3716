// File > Export analysis: the same bytes as tenvix-cli analyse for the same
// database and dates, what Square-M changes, Cancel, and a save that cannot
// be made.

#include "examples/generated.h"
#include "support/portfoliowin.h"

using namespace tenvix;
using namespace tenvix::ui;

namespace {

QByteArray CliAnalyse(const QString& database, const QString& stand, const QString& horizon)
{
    QProcess cli;
    cli.start(QStringLiteral(TENVIX_CLI), {"analyse", database, "--stand", stand, "--horizon", horizon});
    if (!cli.waitForFinished(60000) || cli.exitCode() != 0)
        return "<tenvix-cli failed: " + cli.readAllStandardError() + ">";
    return cli.readAllStandardOutput();
}

} // namespace

class TestAnalysisExport : public QObject {
    Q_OBJECT
    std::unique_ptr<test::App> m_app;
    CMainFrame* m_frame = nullptr;
    QString m_database;

    void SetSquareM(bool on)
    {
        if (m_frame->SquareM() != on)
            m_frame->Action(ID_SQUARE_M)->trigger();
    }
    // Exports to `path` and returns what the file holds then. A file there
    // already is replaced on Yes to the program's own question, which is
    // taken off the messages shown (existingFilesAreAskedAboutOnce).
    QByteArray Export(const QString& path)
    {
        const bool exists = QFileInfo::exists(path);
        if (exists)
            m_app->msgs.Answer(MsgAnswer::Yes);
        m_app->chooser.Answer(path);
        m_frame->Action(ID_FILE_EXPORT_ANALYSIS)->trigger();
        if (exists && !m_app->msgs.shown.isEmpty() && m_app->msgs.shown.constFirst().text == Replace(path))
            m_app->msgs.shown.removeFirst();
        return test::ReadAll(path);
    }
    static QString Replace(const QString& path)
    {
        return QFileInfo(path).fileName() + " already exists.\nDo you want to replace it?";
    }

private slots:
    void init()
    {
        m_app = std::make_unique<test::App>();
        // Both kinds of bond and every case the analysis tells apart.
        m_database = m_app->dir.filePath("generated.bnd");
        test::WriteAll(m_database, QByteArray::fromStdString(GenerateDatabase(3000, 11, GeneratedMix::Everything)));
        m_frame = m_app->Start({"tenvix", m_database});
        QVERIFY(m_frame);
    }
    void cleanup()
    {
        m_frame = nullptr;
        m_app.reset();
    }

    // Without Square-M the file is what the command line prints, byte for
    // byte, whatever the dates; with it, a horizon not after the stand date
    // is refused for every bond, as the record form refuses it.
    void sameBytesAsTheCommandLine()
    {
        const double stand = kGeneratedStand + 0.75; // the pickers keep the time of day
        test::SetDates(m_frame, stand, kGeneratedHorizon + 0.75);
        const QString path = m_app->dir.filePath("analysis.csv");
        const QByteArray cli = CliAnalyse(m_database, kGeneratedStandText, kGeneratedHorizonText);
        QVERIFY(cli.contains(",bad_ytm,") && cli.contains(",incompatible,"));
        QCOMPARE(Export(path), cli);
        // The chooser started beside the database, under its name.
        QCOMPARE(m_app->chooser.asked.value(0).choice.startPath, m_app->dir.filePath("generated.csv"));
        SetSquareM(true);
        QCOMPARE(Export(path), cli);

        // Without Square-M a horizon before the stand date stops no bond
        // (the core's AnalyseRecord test); with it, it stops them all.
        test::SetDates(m_frame, stand, test::Day(2020, 1, 1));
        const QByteArray before = CliAnalyse(m_database, kGeneratedStandText, "2020-01-01");
        QVERIFY(before.contains(",ok,11,"));
        const QList<QByteArray> rows = Export(path).split('\n');
        const QList<QByteArray> cliRows = before.split('\n');
        QCOMPARE(rows.size(), cliRows.size());
        for (qsizetype i = 1; i + 1 < rows.size(); ++i) {
            // The status and the figures follow the identifier and the name.
            const QByteArray& cliRow = cliRows[i];
            const qsizetype searched = std::max(cliRow.lastIndexOf(",ok,11,"), cliRow.lastIndexOf(",bad_ytm,11,"));
            if (searched >= 0)
                QCOMPARE(rows[i], cliRow.left(searched) + ",incompatible,11,,,,\r");
            else
                QCOMPARE(rows[i], cliRow);
        }
        // The file is replaced whole, with nothing left beside it.
        QCOMPARE(QDir(m_app->dir.path()).entryList(QDir::Files), QStringList({"analysis.csv", "generated.bnd"}));
        QVERIFY(m_app->msgs.shown.isEmpty());
        QVERIFY(!m_app->Doc().IsModified());
    }

    // The progress window counts in ASCII digits; its Cancel stops the
    // export, and the file it would have replaced stays as it was.
    void cancelWritesNothing()
    {
        test::SetDates(m_frame, kGeneratedStand, kGeneratedHorizon);
        const QString path = m_app->dir.filePath("analysis.csv");
        test::WriteAll(path, "old");
        // Time goes by as the bonds are analysed, so the progress shows.
        m_app->clock.SetStep(20);
        QString shown;
        const std::function<void()> cancelWhenUp = [&] {
            auto* progress = m_frame->findChild<QProgressDialog*>("progressDlg");
            if (!progress)
                return QTimer::singleShot(0, cancelWhenUp);
            shown = progress->findChild<QProgressBar*>()->text();
            progress->findChild<QPushButton*>()->click();
        };
        QTimer::singleShot(0, cancelWhenUp);
        // An export that ran on would have replaced "old".
        QCOMPARE(Export(path), QByteArray("old"));
        QVERIFY2(QRegularExpression("^[0-9]+%$").match(shown).hasMatch(), qPrintable(shown));
        QCOMPARE(QDir(m_app->dir.path()).entryList(QDir::Files), QStringList({"analysis.csv", "generated.bnd"}));
        QVERIFY(m_app->msgs.shown.isEmpty());
        QVERIFY(!m_frame->findChild<QProgressDialog*>("progressDlg"));
    }

    // The export never takes the place of the open database, however its
    // name is spelt (an emptied database has no header to tell it by), nor
    // of any other database: the user is told and chooses again, and the
    // file stays as it was. A link or a roundabout spelling of a database
    // that still has its header is told by that header, as a portfolio's
    // is (the core's file header tests).
    void refusesToWriteOverADatabase_data()
    {
        QTest::addColumn<QString>("target");
        QTest::newRow("the open database") << "generated.bnd";
        QTest::newRow("emptied, through a link") << "link.csv";
        QTest::newRow("another database") << "other.csv";
    }
    void refusesToWriteOverADatabase()
    {
        QFETCH(QString, target);
        QDir dir(m_app->dir.path());
        QVERIFY(QFile::link(m_database, dir.filePath("link.csv")));
        if (QByteArray(QTest::currentDataTag()).startsWith("emptied"))
            test::WriteAll(m_database, {}); // by another program; still the open database
        m_app->Copy("other.csv", test::kSample);
        const QString path = dir.filePath(target);
        const QByteArray before = test::ReadAll(path);

        const QString chosen = dir.filePath("analysis.csv");
        m_app->chooser.Answer(path);
        QVERIFY(!Export(chosen).isEmpty());
        // Refused before anything asks to replace it: the chooser asks not.
        QCOMPARE(m_app->msgs.Texts(), QStringList{"This is the open database. Choose another name ."});
        QCOMPARE(m_app->msgs.Last().caption, "Error");
        QCOMPARE(test::ReadAll(path), before);
        for (const test::FakeFileChooser::Asked& asked : m_app->chooser.asked)
            QVERIFY(!asked.choice.confirmOverwrite);
        // The chooser came again where the user was.
        QCOMPARE(m_app->chooser.asked.size(), 2);
        QCOMPARE(m_app->chooser.asked[1].choice.startPath, path);
        // Or the user gives up, and nothing is written.
        m_app->msgs.Clear();
        m_app->chooser.Answer(path);
        m_frame->Action(ID_FILE_EXPORT_ANALYSIS)->trigger();
        QCOMPARE(m_app->msgs.shown.size(), 1);
        QCOMPARE(test::ReadAll(path), before);
    }

    // A file there already is asked about once, by the program itself after
    // the database check (the chooser asks nothing): No brings the chooser
    // again where the user was, Yes replaces it.
    void existingFilesAreAskedAboutOnce()
    {
        test::SetDates(m_frame, kGeneratedStand, kGeneratedHorizon);
        const QString path = m_app->dir.filePath("old.csv");
        test::WriteAll(path, "old");
        m_app->msgs.Answer(MsgAnswer::No);
        m_app->chooser.Answer(path);
        m_frame->Action(ID_FILE_EXPORT_ANALYSIS)->trigger();
        QCOMPARE(m_app->msgs.Texts(), QStringList{Replace(path)});
        QCOMPARE(m_app->msgs.Last().caption, "Export analysis");
        QCOMPARE(m_app->msgs.Last().buttons, MsgButtons::YesNo);
        QCOMPARE(m_app->chooser.asked.size(), 2);
        QCOMPARE(m_app->chooser.asked[1].choice.startPath, path);
        QCOMPARE(test::ReadAll(path), QByteArray("old"));

        m_app->msgs.Clear();
        m_app->msgs.Answer(MsgAnswer::Yes);
        m_app->chooser.Answer(path);
        m_frame->Action(ID_FILE_EXPORT_ANALYSIS)->trigger();
        QCOMPARE(m_app->msgs.Texts(), QStringList{Replace(path)});
        QCOMPARE(test::ReadAll(path), CliAnalyse(m_database, kGeneratedStandText, kGeneratedHorizonText));
        for (const test::FakeFileChooser::Asked& asked : m_app->chooser.asked)
            QVERIFY(!asked.choice.confirmOverwrite);
    }

    // A save that fails is told, and nothing is written. Which words for
    // which cause, and that a folder that refuses keeps the old file and gets
    // nothing beside it, are the shared writer's: the core's FileMessages and
    // tst_document's failedWriteKeepsTheFileAndTheEdits.
    void aFailedSaveIsTold()
    {
        const QString path = m_app->dir.filePath("none/analysis.csv");
        m_app->chooser.Answer(path);
        m_frame->Action(ID_FILE_EXPORT_ANALYSIS)->trigger();
        QCOMPARE(m_app->msgs.Texts(), QStringList{path + "\nCannot find this file.\nPlease verify that the correct "
                                                         "path and file name are given."});
        QCOMPARE(m_app->msgs.Last().caption, QString("tenvix"));
        QVERIFY(!QDir(m_app->dir.filePath("none")).exists());
    }
};

QTEST_MAIN(TestAnalysisExport)
#include "tst_analysisexport.moc"
