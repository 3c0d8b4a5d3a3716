// Another program (`tenvix-cli prices --apply`, say) writes the database the
// window has open. The window notices before it saves and when it is
// activated again, asks once for each change it finds, and reads the file
// again only from the main loop, never inside the question's own loop. The
// boxes run a nested loop as real ones do.

#include "shell/deletemanydlg.h"
#include "support/app.h"

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Deliver;
using tenvix::test::Ids;

namespace {

const QString kChanged =
    "The file db.bnd has been changed by another program. Save anyway and overwrite those changes ?";
const QString kReload = "The file db.bnd has been changed by another program. Reload it ?";
const QString kLoseEdits = "Your changes to db.bnd will be lost . Reload ?";
const QString kRemoved = "The file db.bnd has been removed by another program . Save writes it again .";

QStringList IdsIn(const QString& path) { return Ids(test::ReadDatabase(path)); }

} // namespace

class TestFileWatch : public QObject {
    Q_OBJECT
    using App = test::AppWith<test::NestedMessages>;
    std::unique_ptr<App> m_app;
    CMainFrame* m_frame = nullptr;
    QString m_path;
    QStringList m_sampleIds;
    int m_nWrites = 0;

    test::NestedMessages& Msgs() { return m_app->msgs; }
    CTenvixDoc& Doc() { return m_app->Doc(); }
    QStringList Shown() { return Ids(Doc().BondList()); }

    // As the command line writes: a new file renamed over the old one.
    void OtherProgramWrites() { OtherProgramWrites(test::Database({"OTHER-" + QString::number(++m_nWrites)})); }
    void OtherProgramWrites(const QByteArray& bytes)
    {
        const QString tmp = m_path + ".new";
        test::WriteAll(tmp, bytes);
        QVERIFY(::rename(QFile::encodeName(tmp).constData(), QFile::encodeName(m_path).constData()) == 0);
    }
    QStringList OtherIds() const { return {"OTHER-" + QString::number(m_nWrites)}; }

    void Edit()
    {
        test::AddRecord(Doc().BondList(), "UNSAVED");
        Doc().SetModifiedFlag(true);
    }

    // The window comes back to the front after another one had it.
    void Reactivate()
    {
        QWidget other;
        QVERIFY(test::Active(&other));
        QVERIFY(test::Active(m_frame));
        Deliver();
    }

private slots:
    void init()
    {
        m_app = std::make_unique<App>();
        m_path = m_app->Copy("db.bnd");
        m_nWrites = 0;
        m_frame = m_app->Start({"tenvix", m_path});
        QVERIFY(m_frame);
        QVERIFY(test::Active(m_frame));
        Deliver();
        m_sampleIds = Shown();
        QVERIFY(m_sampleIds.size() > 20);
    }
    void cleanup() { m_app.reset(); }

    // Unsaved edits over a changed file, met by Save, by Save As onto the
    // file itself or by coming back to the window. The buttons say what
    // they do: Overwrite saves; Reload reads the other program's file and
    // drops the edits once a second question has made sure, and No there
    // leaves both alone, as Cancel does. Either way the change is not asked
    // about again.
    void changedFileUnderEdits_data()
    {
        QTest::addColumn<int>("command"); // 0: the window comes back instead
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("reload"); // the answer to the second question; Ok: not asked
        QTest::addColumn<bool>("editsOnDisk");
        QTest::addColumn<bool>("editsShown"); // and unsaved
        for (const int command : {int(ID_FILE_SAVE), int(ID_FILE_SAVE_AS), 0}) {
            const char* how = command == ID_FILE_SAVE ? "Save, " : command ? "Save As, " : "activation, ";
            QTest::addRow("%soverwrite", how) << command << "Overwrite" << int(MsgAnswer::Ok) << true << true;
            QTest::addRow("%sreload", how) << command << "Reload" << int(MsgAnswer::Yes) << false << false;
            QTest::addRow("%sreload, then no", how) << command << "Reload" << int(MsgAnswer::No) << false << true;
            QTest::addRow("%scancel", how) << command << "Cancel" << int(MsgAnswer::Ok) << false << true;
        }
    }

    void changedFileUnderEdits()
    {
        QFETCH(int, command);
        QFETCH(QString, button);
        QFETCH(int, reload);
        QFETCH(bool, editsOnDisk);
        QFETCH(bool, editsShown);
        Edit();
        const QStringList edited = Shown();
        OtherProgramWrites();
        Msgs().Choose(button);
        if (MsgAnswer(reload) != MsgAnswer::Ok)
            Msgs().Answer(MsgAnswer(reload));
        if (command) {
            m_app->chooser.Answer(m_path); // what Save As picks; Save asks no name
            m_frame->Action(command)->trigger();
            // The box has closed; the database is not read again until the
            // main loop has its turn.
            QCOMPARE(Shown(), edited);
            Deliver();
        } else {
            Reactivate();
        }
        QStringList asked{kChanged};
        if (MsgAnswer(reload) != MsgAnswer::Ok)
            asked << kLoseEdits;
        QCOMPARE(Msgs().Texts(), asked);
        const test::ShownMessage& first = Msgs().shown.constFirst();
        QCOMPARE(first.caption, QString("Question"));
        QCOMPARE(first.buttons, MsgButtons::Named);
        QCOMPARE(first.choices, QStringList({"Overwrite", "Reload", "Cancel"}));
        if (MsgAnswer(reload) != MsgAnswer::Ok) {
            QCOMPARE(Msgs().Last().caption, QString("Question"));
            QCOMPARE(Msgs().Last().buttons, MsgButtons::YesNo);
        }
        QCOMPARE(IdsIn(m_path), editsOnDisk ? edited : OtherIds());
        QCOMPARE(Shown(), editsShown ? edited : OtherIds());
        QCOMPARE(Doc().IsModified(), editsShown && !editsOnDisk);
        QCOMPARE(Doc().GetTitle(), QString("db.bnd"));
        const qsizetype before = Msgs().shown.size();
        Reactivate();
        QCOMPARE(Msgs().shown.size(), before);
    }

    void changedFileWithoutEditsAsksToReload_data() { test::BoolRows("reload", "yes", "no"); }
    // Nothing unsaved: coming back asks to read the file again, once for
    // each change.
    void changedFileWithoutEditsAsksToReload()
    {
        QFETCH(bool, reload);
        OtherProgramWrites();
        Msgs().Answer(reload ? MsgAnswer::Yes : MsgAnswer::No);
        Reactivate();
        QCOMPARE(Msgs().Texts(), QStringList{kReload});
        QCOMPARE(Msgs().Last().caption, QString("Question"));
        QCOMPARE(Msgs().Last().buttons, MsgButtons::YesNo);
        QCOMPARE(Shown(), reload ? OtherIds() : m_sampleIds);
        QVERIFY(!Doc().IsModified());

        Reactivate(); // asks nothing: two questions for two changes below
        // A second change is a new question.
        OtherProgramWrites();
        Msgs().Answer(MsgAnswer::Yes);
        Reactivate();
        QCOMPARE(Msgs().Texts(), QStringList({kReload, kReload}));
        QCOMPARE(Shown(), OtherIds());
    }

    // What another program left is no database: reading it again replaces
    // nothing, for the database here is now the only good copy.
    void brokenFileIsNotReadOverTheDatabase()
    {
        OtherProgramWrites(QByteArray("Tenvix\0\1\0\0\0\2\0\0\0", 15)); // counts differ
        Msgs().Answer(MsgAnswer::Yes);
        Reactivate();
        Reactivate();
        QCOMPARE(Msgs().Texts(), QStringList({kReload, "Unexpected file format."}));
        QCOMPARE(Shown(), m_sampleIds);
        QCOMPARE(Doc().GetTitle(), QString("db.bnd"));
        QVERIFY(Doc().IsModified());
    }

    // A file gone from disk is told once; the window's database is then
    // the only copy, so it counts as unsaved and Save writes it again.
    void removedFileWarnsOnce()
    {
        QVERIFY(QFile::remove(m_path));
        Reactivate();
        Reactivate();
        QCOMPARE(Msgs().Texts(), QStringList{kRemoved});
        QCOMPARE(Msgs().Last().caption, QString("Warning"));
        QCOMPARE(Msgs().Last().buttons, MsgButtons::Ok);
        QVERIFY(Doc().IsModified());
        m_frame->Action(ID_FILE_SAVE)->trigger();
        Deliver();
        QCOMPARE(Msgs().shown.size(), 1);
        QCOMPARE(IdsIn(m_path), m_sampleIds);
    }

    // The program's own saves are no change by another program; Save As to
    // another name leaves the old file to whoever changes it.
    void ownSavesAskNothing()
    {
        Edit();
        m_frame->Action(ID_FILE_SAVE)->trigger();
        Reactivate();
        QVERIFY(!Doc().IsModified());
        QVERIFY(Msgs().shown.isEmpty());

        OtherProgramWrites();
        Edit();
        const QString copy = m_app->dir.filePath("copy.bnd");
        m_app->chooser.Answer(copy);
        m_frame->Action(ID_FILE_SAVE_AS)->trigger();
        Reactivate();
        QVERIFY(Msgs().shown.isEmpty());
        QCOMPARE(IdsIn(copy), Shown());
        QCOMPARE(IdsIn(m_path), OtherIds());
    }

    // While a modal window is up nothing is asked (nor read again); the
    // question comes once it has closed.
    void noQuestionUnderAModalWindow()
    {
        int shownInside = -1;
        test::WhenModal<CDeleteManyDlg>([&](CDeleteManyDlg* dlg) {
            OtherProgramWrites();
            QEvent activate(QEvent::WindowActivate);
            QCoreApplication::sendEvent(m_frame, &activate);
            Deliver();
            shownInside = int(Msgs().shown.size());
            dlg->reject();
        });
        Msgs().Answer(MsgAnswer::Yes);
        m_frame->Action(ID_DELETE_MANY)->trigger();
        QCOMPARE(shownInside, 0);
        QTRY_COMPARE(Msgs().Texts(), QStringList{kReload});
        QTRY_COMPARE(Shown(), OtherIds());
    }

    // Closing with unsaved edits over a changed file: Reload, made sure,
    // drops the edits and the window closes without writing; Cancel keeps
    // the window open with the edits.
    void closeOverAChangedFile_data() { test::BoolRows("reload", "reload", "cancel"); }
    void closeOverAChangedFile()
    {
        QFETCH(bool, reload);
        Edit();
        const QStringList edited = Shown();
        OtherProgramWrites();
        Msgs().Answer(MsgAnswer::Yes); // "Save changes to db.bnd?"
        Msgs().Choose(reload ? "Reload" : "Cancel");
        if (reload)
            Msgs().Answer(MsgAnswer::Yes);
        QCOMPARE(m_frame->close(), reload);
        QStringList asked{"Save changes to db.bnd?", kChanged};
        if (reload)
            asked << kLoseEdits;
        QCOMPARE(Msgs().Texts(), asked);
        QCOMPARE(IdsIn(m_path), OtherIds());
        if (!reload) {
            QCOMPARE(Shown(), edited);
            QVERIFY(Doc().IsModified());
        }
    }
};

QTEST_MAIN(TestFileWatch)
#include "tst_filewatch.moc"
