// The database document against real files: what the user is told for each
// way a file can fail, and that no failure costs data (the open database on a
// failed open, the file on disk on a failed save). Permission cases run as an
// unprivileged user when the tests run as root, which permission bits don't
// stop; the full-disk cases use a tmpfs of a few pages.

#include "support/app.h"
#include "support/nobody.h"
#include "support/smalldisk.h"

#include <optional>

#include <sys/stat.h>
#include <unistd.h>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::kSample;
using tenvix::test::ReadAll;
using tenvix::test::WriteAll;

namespace {

using tenvix::test::AsNobody;
using tenvix::test::Ids;

const QByteArray kEmpty("Tenvix\0\0\0\0\0\0\0\0\0", 15);

void AddBond(CTenvixDoc& doc, const char* id)
{
    test::AddRecord(doc.BondList(), id);
    doc.SetModifiedFlag(true);
}

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::FakeMessages> m_msgs;
    std::unique_ptr<test::FakeFileChooser> m_chooser;

    QString Path(const QString& name) const { return m_dir->filePath(name); }
    // The sample, opened from its own path, with one bond added since.
    void OpenEdited(CTenvixDoc& doc, const QString& path = kSample)
    {
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path);
        AddBond(doc, "UNSAVED");
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        // The unprivileged user must reach the files it is tested on.
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                                 QFile::ExeOther | QFile::ReadGroup | QFile::ExeGroup);
        m_msgs = std::make_unique<test::FakeMessages>();
        m_chooser = std::make_unique<test::FakeFileChooser>();
    }
    void cleanup()
    {
        m_chooser.reset();
        m_msgs.reset();
        m_dir.reset();
    }

    void newDocumentSavesAsFifteenBytes()
    {
        // The title and the recent files after a save under a new name are
        // tst_mainframe's titleAndSaveFollowTheDocument.
        CTenvixDoc doc;
        doc.OnNewDocument();
        // Save of an untitled document asks for a name, proposing one.
        m_chooser->Answer(Path("empty.bnd"));
        QVERIFY(doc.DoFileSave());
        const FileChoice& c = m_chooser->asked.value(0).choice;
        QCOMPARE(c.filters, QStringList({"Tenvix Files (*.bnd)", "All Files (*.*)"}));
        QCOMPARE(c.defaultSuffix + "|" + c.startPath, QString("bnd|Untitled.bnd"));
        QCOMPARE(ReadAll(Path("empty.bnd")), kEmpty);
        QVERIFY(m_msgs->shown.isEmpty());
    }

    // The bytes themselves are BondFile.EmptyDatabaseIsFifteenBytesOrNone.
    void aZeroLengthFileIsEmpty()
    {
        CTenvixDoc doc;
        OpenEdited(doc);
        WriteAll(Path("zero.bnd"), {});
        QVERIFY(doc.OnOpenDocument(Path("zero.bnd")));
        QVERIFY(doc.BondList().m_list.empty());
        QVERIFY(!doc.IsModified());
        QVERIFY(m_msgs->shown.isEmpty());
    }

    // A file that can't be read leaves the open database as it was, unsaved
    // edits and all; one that is read but isn't a database leaves an empty
    // "Untitled" one. Which files are refused is BondFile.MalformedFilesAreRefused;
    // a cut one leaves records read before the fault for the document to drop.
    // None of them blocks.
    void failedOpenKeepsTheDatabaseUnlessTheFileWasRead_data()
    {
        QTest::addColumn<QString>("message");
        QTest::newRow("missing")
            << "%1\nCannot find this file.\nPlease verify that the correct path and file name are given.";
        QTest::newRow("no permission") << "Unable to read from %1, it is opened by someone else.";
        QTest::newRow("folder") << "An unexpected error occurred while reading %1.";
        QTest::newRow("pipe") << "An unexpected error occurred while reading %1.";
        QTest::newRow("cut") << "Unexpected file format.";
    }

    void failedOpenKeepsTheDatabaseUnlessTheFileWasRead()
    {
        QFETCH(QString, message);
        const QString situation = QTest::currentDataTag();
        const bool wasRead = situation == "cut";
        const QString path = Path("x.bnd");
        if (situation == "no permission") {
            WriteAll(path, ReadAll(kSample));
            QFile::setPermissions(path, QFile::WriteOwner);
        } else if (situation == "folder") {
            QVERIFY(QDir(m_dir->path()).mkdir("x.bnd"));
        } else if (situation == "pipe") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);
        } else if (wasRead) {
            const QByteArray good = ReadAll(kSample);
            WriteAll(path, good.left(good.size() - 3));
        }
        CTenvixDoc doc;
        OpenEdited(doc);
        const QStringList before = Ids(doc.BondList());
        AsNobody([&] { QVERIFY(!doc.OnOpenDocument(path)); });
        QCOMPARE(m_msgs->Texts(), QStringList{wasRead ? message : message.arg(path)});
        QCOMPARE(m_msgs->Last().caption, QString("tenvix"));
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Exclamation);
        QCOMPARE(Ids(doc.BondList()), wasRead ? QStringList() : before);
        QCOMPARE(doc.IsModified(), !wasRead);
        QCOMPARE(doc.GetTitle(), wasRead ? QString("Untitled") : QString("sample.bnd"));
        QCOMPARE(doc.GetPathName().isEmpty(), wasRead);
    }

    void saveOfReadOnlyFileAsksForAnotherName()
    {
        const QString target = Path("locked.bnd");
        WriteAll(target, ReadAll(kSample));
        CTenvixDoc doc;
        OpenEdited(doc, target);
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther);
        m_chooser->Answer(QString()); // cancelled
        AsNobody([&] { QVERIFY(!doc.DoFileSave()); });
        QCOMPARE(m_chooser->asked.size(), 1);
        QCOMPARE(m_chooser->asked[0].choice.startPath, target);
        QVERIFY(m_msgs->shown.isEmpty());
        QVERIFY(doc.IsModified());
    }

    // A save that fails, the file or its folder read-only, the medium full or
    // the file past the size this process may write, is told; the old file
    // stays byte for byte, no temporary file is left, and the edits still
    // count as unsaved. The database is small enough to fit one write, so
    // only a save that checks the write itself, not just the opening, can
    // see the full disk.
    void failedWriteKeepsTheFileAndTheEdits_data()
    {
        QTest::addColumn<QString>("message");
        const QString readOnly = "Unable to write to %1, it is read-only or opened by someone else.";
        QTest::newRow("read-only folder") << readOnly;
        QTest::newRow("read-only file") << readOnly;
        QTest::newRow("full disk, Save") << "Destination disk drive is full.";
        QTest::newRow("full disk, Save As") << "Destination disk drive is full.";
        QTest::newRow("file size limit") << "Destination disk drive is full.";
    }

    void failedWriteKeepsTheFileAndTheEdits()
    {
        QFETCH(QString, message);
        const QString how = QTest::currentDataTag();
        const bool readOnly = how.startsWith("read-only");
        const QByteArray old = ReadAll(kSample);
        QCOMPARE(old.size(), 1900);
        const QString folder = Path("disk");
        QVERIFY(QDir(m_dir->path()).mkdir("disk"));
        std::optional<test::SmallDisk> disk;
        if (how.startsWith("full disk")) {
            disk.emplace(folder);
            TENVIX_REQUIRE_MOUNTED(*disk);
        }
        const QString target = folder + "/db.bnd";
        WriteAll(target, old);

        CTenvixDoc doc;
        if (how == "full disk, Save As" || how == "file size limit") {
            OpenEdited(doc);
            m_chooser->Answer(target);
        } else {
            OpenEdited(doc, target);
        }
        if (disk)
            QVERIFY(disk->Fill());
        if (how == "read-only folder")
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        else if (how == "read-only file")
            QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther);
        const QString title = doc.GetTitle();
        const QStringList before = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (readOnly) {
            AsNobody([&] { QVERIFY(!doc.OnSaveDocument(target)); });
        } else if (how == "file size limit") {
            const test::FileSizeLimit limit(1000);
            QVERIFY(limit.Set());
            QVERIFY(!doc.DoSave(QString()));
        } else {
            QVERIFY(!(how == "full disk, Save" ? doc.DoFileSave() : doc.DoSave(QString())));
        }
        QCOMPARE(m_msgs->Texts(), QStringList{readOnly ? message.arg(target) : message});
        QCOMPARE(ReadAll(target), old);
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), before);
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.GetTitle(), title);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void savePrompt_data()
    {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("proceed");
        QTest::addColumn<bool>("saved");
        QTest::newRow("yes") << int(MsgAnswer::Yes) << true << true;
        QTest::newRow("no") << int(MsgAnswer::No) << true << false;
        QTest::newRow("cancel") << int(MsgAnswer::Cancel) << false << false;
    }

    void savePrompt()
    {
        QFETCH(int, answer);
        QFETCH(bool, proceed);
        QFETCH(bool, saved);
        const QString path = Path("prompt.bnd");
        WriteAll(path, kEmpty);
        CTenvixDoc doc;
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path);
        QVERIFY(doc.SaveModified()); // nothing to ask while unchanged: one question below

        AddBond(doc, "A1");
        m_msgs->Answer(MsgAnswer(answer));
        QCOMPARE(doc.SaveModified(), proceed);
        QCOMPARE(m_msgs->Texts(), QStringList{"Save changes to prompt.bnd?"});
        QCOMPARE(m_msgs->Last().buttons, MsgButtons::YesNoCancel);
        QCOMPARE(ReadAll(path).size(), saved ? 15 + 4 + 6 * 4 + 3 + 1 : 15);
        QCOMPARE(doc.IsModified(), !saved);

        // Yes on an untitled document asks for a name; cancelling that stops.
        if (answer == int(MsgAnswer::Yes)) {
            doc.OnNewDocument();
            AddBond(doc, "A1");
            m_msgs->Answer(MsgAnswer::Yes);
            QVERIFY(!doc.SaveModified());
            QCOMPARE(m_msgs->Last().text, QString("Save changes to Untitled?"));
            QVERIFY(doc.IsModified());
        }
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
