// The database document against real files: what the user is told for each
// way a file can fail, and that no failure costs data (the open database on a
// failed open, the file on disk on a failed save). Permission cases run as an
// unprivileged user when the tests run as root, which permission bits don't
// stop; the full-disk case uses a tiny tmpfs where one can be mounted.

#include "model/bond.h"
#include "model/bondfile.h"
#include "shell/tenvixdoc.h"
#include "support/fakes.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::FakeFileChooser;
using tenvix::test::FakeMessages;

namespace {

// Drops root's right to ignore permission bits for the life of the object.
// The real user changes too, since access() asks about that one; the saved
// one stays root so it can come back.
class Unprivileged {
public:
    Unprivileged()
    {
        if (::geteuid() == 0)
            m_bDropped = ::setresuid(65534, 65534, 0) == 0;
    }
    ~Unprivileged()
    {
        if (m_bDropped && ::setresuid(0, 0, 0) != 0)
            qFatal("cannot regain root");
    }
    Unprivileged(const Unprivileged&) = delete;
    Unprivileged& operator=(const Unprivileged&) = delete;

private:
    bool m_bDropped = false;
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void Write(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

void AddBond(CTenvixDoc& doc, const char* id)
{
    auto b = std::make_unique<CBondStd>(37257);
    b->SetData(6, 5.0f, 100.0f, 98.5f, 37257, 40909, id, "");
    doc.BondList().m_list.push_back(std::move(b));
    doc.SetModifiedFlag(true);
}

QStringList Ids(CTenvixDoc& doc)
{
    QStringList ids;
    for (const auto& b : doc.BondList().m_list)
        ids << QString::fromStdString(b->m_strID);
    return ids;
}

const QString kSample = QStringLiteral(TENVIX_SOURCE_DIR "/examples/sample.bnd");

} // namespace

class TestDocument : public QObject {
    Q_OBJECT
    QTemporaryDir* m_dir = nullptr;
    FakeMessages* m_msgs = nullptr;
    FakeFileChooser* m_chooser = nullptr;

    QString Path(const QString& name) const { return m_dir->filePath(name); }

private slots:
    void init()
    {
        m_dir = new QTemporaryDir;
        QVERIFY(m_dir->isValid());
        // The unprivileged user must reach the files it is tested on.
        QFile::setPermissions(m_dir->path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                 | QFile::ReadOther | QFile::ExeOther | QFile::ReadGroup
                                                 | QFile::ExeGroup);
        m_msgs = new FakeMessages;
        m_chooser = new FakeFileChooser;
    }
    void cleanup()
    {
        delete m_chooser;
        delete m_msgs;
        delete m_dir;
    }

    void newDocumentSavesAsFifteenBytes()
    {
        CTenvixDoc doc;
        QSignalSpy titles(&doc, &CTenvixDoc::TitleChanged);
        QSignalSpy recent(&doc, &CTenvixDoc::AddedToRecent);
        doc.OnNewDocument();
        QCOMPARE(doc.GetTitle(), QString("Untitled"));
        QVERIFY(!doc.IsModified());
        // Save of an untitled document asks for a name, proposing one.
        m_chooser->Answer(Path("empty.bnd"));
        QVERIFY(doc.DoFileSave());
        QCOMPARE(m_chooser->asked.size(), 1);
        const FileChoice& c = m_chooser->asked[0].choice;
        QVERIFY(m_chooser->asked[0].save);
        QCOMPARE(c.filters, QStringList({"Tenvix Files (*.bnd)", "All Files (*.*)"}));
        QCOMPARE(c.defaultSuffix, QString("bnd"));
        QCOMPARE(c.startPath, QString("Untitled.bnd"));
        QVERIFY(c.confirmOverwrite);
        QCOMPARE(ReadAll(Path("empty.bnd")), QByteArray("Tenvix\0\0\0\0\0\0\0\0\0", 15));
        QCOMPARE(doc.GetTitle(), QString("empty.bnd"));
        QCOMPARE(titles.last().at(0).toString(), QString("empty.bnd"));
        QCOMPARE(recent.size(), 1);
        QVERIFY(m_msgs->shown.isEmpty());
    }

    void openRoundTripsAndIsNotModified()
    {
        CTenvixDoc doc;
        QVERIFY(doc.OnOpenDocument(kSample));
        QVERIFY(!doc.BondList().m_list.empty());
        QVERIFY(!doc.IsModified());
        QVERIFY(doc.OnSaveDocument(Path("copy.bnd")));
        QCOMPARE(ReadAll(Path("copy.bnd")), ReadAll(kSample));
    }

    void zeroLengthFileIsAnEmptyDatabase()
    {
        Write(Path("zero.bnd"), {});
        CTenvixDoc doc;
        AddBond(doc, "A1");
        QVERIFY(doc.OnOpenDocument(Path("zero.bnd")));
        doc.SetPathName(Path("zero.bnd"));
        QVERIFY(doc.BondList().m_list.empty());
        QCOMPARE(doc.GetTitle(), QString("zero.bnd"));
        QVERIFY(!doc.IsModified());
        QVERIFY(m_msgs->shown.isEmpty());
    }

    // A file that can't be read leaves the open database as it was, unsaved
    // edits and all.
    void unreadableFileKeepsTheDatabase_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing") << "missing"
                                 << "%1\nCannot find this file.\nPlease verify that the correct path and file name "
                                    "are given.";
        QTest::newRow("missing folder") << "missing folder"
                                        << "%1\nCannot find this file.\nPlease verify that the correct path and file "
                                           "name are given.";
        QTest::newRow("no permission") << "no permission" << "Unable to read from %1, it is opened by someone else.";
        QTest::newRow("a folder") << "folder" << "An unexpected error occurred while reading %1.";
        QTest::newRow("a pipe") << "pipe" << "An unexpected error occurred while reading %1.";
    }

    void unreadableFileKeepsTheDatabase()
    {
        QFETCH(QString, situation);
        QFETCH(QString, message);
        QString path = Path("x.bnd");
        if (situation == "missing folder")
            path = Path("nowhere/x.bnd");
        else if (situation == "no permission") {
            Write(path, ReadAll(kSample));
            QFile::setPermissions(path, QFile::WriteOwner);
        } else if (situation == "folder")
            QVERIFY(QDir(m_dir->path()).mkdir("x.bnd"));
        else if (situation == "pipe")
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0644), 0);

        CTenvixDoc doc;
        QVERIFY(doc.OnOpenDocument(kSample));
        doc.SetPathName(kSample);
        AddBond(doc, "UNSAVED");
        const QStringList before = Ids(doc);
        {
            Unprivileged guard;
            QVERIFY(!doc.OnOpenDocument(path));
        }
        QCOMPARE(m_msgs->shown.size(), 1);
        QCOMPARE(m_msgs->Last().text, message.arg(path));
        QCOMPARE(m_msgs->Last().caption, QString("tenvix"));
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Exclamation);
        QCOMPARE(Ids(doc), before);
        QVERIFY(doc.IsModified());
        QCOMPARE(doc.GetTitle(), QString("sample.bnd"));
    }

    // A file that is read but isn't a database leaves an empty "Untitled" one.
    void badFormatLeavesEmptyUntitled_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        const QByteArray good = ReadAll(kSample);
        QTest::newRow("non-zero 7th byte") << QByteArray("Tenvix\x01", 7) + good.mid(7);
        QTest::newRow("lower-case magic") << QByteArray("tenvix\0", 7) + good.mid(7);
        QTest::newRow("short magic") << QByteArray("Tenv");
        QTest::newRow("counts differ") << QByteArray("Tenvix\0\1\0\0\0\2\0\0\0", 15);
        QTest::newRow("truncated") << good.left(good.size() - 3);
        QTest::newRow("unknown kind") << QByteArray("Tenvix\0\1\0\0\0\1\0\0\0\7\0\0\0", 19);
    }

    void badFormatLeavesEmptyUntitled()
    {
        QFETCH(QByteArray, bytes);
        Write(Path("bad.bnd"), bytes);
        CTenvixDoc doc;
        QVERIFY(doc.OnOpenDocument(kSample));
        doc.SetPathName(kSample);
        AddBond(doc, "UNSAVED");
        QVERIFY(!doc.OnOpenDocument(Path("bad.bnd")));
        QCOMPARE(m_msgs->Texts(), QStringList{"Unexpected file format."});
        QVERIFY(doc.BondList().m_list.empty());
        QCOMPARE(doc.GetTitle(), QString("Untitled"));
        QVERIFY(doc.GetPathName().isEmpty());
        QVERIFY(!doc.IsModified());
    }

    void failedSaveLeavesTheFileAlone_data()
    {
        QTest::addColumn<QString>("situation");
        QTest::newRow("read-only folder") << "folder";
        QTest::newRow("read-only file") << "file";
    }

    void failedSaveLeavesTheFileAlone()
    {
        QFETCH(QString, situation);
        QDir(m_dir->path()).mkdir("ro");
        const QString target = Path("ro/db.bnd");
        const QByteArray old = ReadAll(kSample);
        Write(target, old);
        if (situation == "folder")
            QFile::setPermissions(Path("ro"), QFile::ReadOwner | QFile::ExeOwner | QFile::ReadOther | QFile::ExeOther);
        else
            QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther);

        CTenvixDoc doc;
        AddBond(doc, "NEW");
        {
            Unprivileged guard;
            QVERIFY(!doc.OnSaveDocument(target));
        }
        QCOMPARE(m_msgs->Texts(),
                 QStringList{QString("Unable to write to %1, it is read-only or opened by someone else.").arg(target)});
        QCOMPARE(ReadAll(target), old);
        QCOMPARE(QDir(Path("ro")).entryList(QDir::Files | QDir::Hidden), QStringList{"db.bnd"});
        QVERIFY(doc.IsModified());
        QFile::setPermissions(Path("ro"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void saveOfReadOnlyFileAsksForAnotherName()
    {
        const QString target = Path("locked.bnd");
        Write(target, ReadAll(kSample));
        CTenvixDoc doc;
        QVERIFY(doc.OnOpenDocument(target));
        doc.SetPathName(target);
        AddBond(doc, "NEW");
        QFile::setPermissions(target, QFile::ReadOwner | QFile::ReadOther);
        m_chooser->Answer(QString()); // cancelled
        {
            Unprivileged guard;
            QVERIFY(!doc.DoFileSave());
        }
        QCOMPARE(m_chooser->asked.size(), 1);
        QCOMPARE(m_chooser->asked[0].choice.startPath, target);
        QVERIFY(m_msgs->shown.isEmpty());
        QVERIFY(doc.IsModified());
    }

    void fullDiskIsToldAndOldFileKept()
    {
        if (::geteuid() != 0)
            QSKIP("mounting a small tmpfs needs root");
        const QString mnt = Path("full");
        QDir(m_dir->path()).mkdir("full");
        const QByteArray where = QFile::encodeName(mnt);
        if (::mount("tmpfs", where.constData(), "tmpfs", 0, "size=16k") != 0)
            QSKIP("no tmpfs can be mounted here");
        struct Unmount {
            QByteArray where;
            ~Unmount() { ::umount(where.constData()); }
        } unmount{where};

        const QString target = mnt + "/db.bnd";
        Write(target, QByteArray("Tenvix\0\0\0\0\0\0\0\0\0", 15));
        CTenvixDoc doc;
        for (int i = 0; i < 600; ++i)
            AddBond(doc, qPrintable(QString("BOND%1").arg(i)));
        QVERIFY(!doc.OnSaveDocument(target));
        QCOMPARE(m_msgs->Texts(), QStringList{"Destination disk drive is full."});
        QCOMPARE(ReadAll(target), QByteArray("Tenvix\0\0\0\0\0\0\0\0\0", 15));
        QCOMPARE(QDir(mnt).entryList(QDir::Files | QDir::Hidden), QStringList{"db.bnd"});
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
        Write(path, QByteArray("Tenvix\0\0\0\0\0\0\0\0\0", 15));
        CTenvixDoc doc;
        QVERIFY(doc.OnOpenDocument(path));
        doc.SetPathName(path);
        QVERIFY(doc.SaveModified()); // nothing to ask while unchanged
        QVERIFY(m_msgs->shown.isEmpty());

        AddBond(doc, "A1");
        m_msgs->Answer(MsgAnswer(answer));
        QCOMPARE(doc.SaveModified(), proceed);
        QCOMPARE(m_msgs->shown.size(), 1);
        QCOMPARE(m_msgs->Last().text, QString("Save changes to prompt.bnd?"));
        QCOMPARE(m_msgs->Last().buttons, MsgButtons::YesNoCancel);
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Question);
        QCOMPARE(ReadAll(path).size(), saved ? 15 + 4 + 6 * 4 + 3 + 1 : 15);
        QCOMPARE(doc.IsModified(), !saved);
    }

    void promptYesOnUntitledAsksForNameAndCancelStops()
    {
        CTenvixDoc doc;
        doc.OnNewDocument();
        AddBond(doc, "A1");
        m_msgs->Answer(MsgAnswer::Yes);
        m_chooser->Answer(QString()); // the name chooser is cancelled
        QVERIFY(!doc.SaveModified());
        QCOMPARE(m_msgs->Last().text, QString("Save changes to Untitled?"));
        QVERIFY(doc.IsModified());
    }
};

QTEST_GUILESS_MAIN(TestDocument)
#include "tst_document.moc"
