// The settings store's texts and lists: the window position as stored by
// hand or by older runs, the recent-file list across a restart, and the
// shortened names of the File menu.

#include "shell/fileio.h"
#include "shell/recentfiles.h"
#include "shell/settings.h"

#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>

using namespace tenvix::ui;

class TestShellSettings : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    void init() { OpenSettings()->clear(); }

    void windowPosParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<int>("flag");
        QTest::newRow("as written") << "10,20,810,620,1" << true << QRect(10, 20, 800, 600) << 1;
        QTest::newRow("blanks before numbers") << "  10, 20,\t810,  620, 0" << true << QRect(10, 20, 800, 600) << 0;
        QTest::newRow("tail ignored") << "10,20,810,620,1,99 junk" << true << QRect(10, 20, 800, 600) << 1;
        QTest::newRow("signs") << "-8,+5,1000,700,0" << true << QRect(-8, 5, 1008, 695) << 0;
        QTest::newRow("flag as stored") << "0,0,100,100,7" << true << QRect(0, 0, 100, 100) << 7;
        QTest::newRow("four numbers") << "10,20,810,620" << false << QRect() << 0;
        QTest::newRow("blank before comma") << "10 ,20,810,620,1" << false << QRect() << 0;
        QTest::newRow("empty") << "" << false << QRect() << 0;
        QTest::newRow("letters") << "a,b,c,d,e" << false << QRect() << 0;
        QTest::newRow("missing number") << "10,,810,620,1" << false << QRect() << 0;
        QTest::newRow("overflowing int") << "99999999999,0,1,1,0" << false << QRect() << 0;
    }

    void windowPosParse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const auto pos = ParseWindowPos(text);
        QCOMPARE(pos.has_value(), valid);
        if (!valid)
            return;
        QFETCH(QRect, rect);
        QFETCH(int, flag);
        QCOMPARE(pos->rect, rect);
        QCOMPARE(pos->squareM, flag);
        // What is written reads back as the same rectangle.
        QCOMPARE(ParseWindowPos(FormatWindowPos(pos->rect, pos->squareM))->rect, rect);
    }

    void windowPosExtremesDoNotOverflow()
    {
        const auto pos = ParseWindowPos("-2147483648,-2147483648,2147483647,2147483647,1");
        QVERIFY(pos);
        QCOMPARE(pos->rect.left(), -2147483647 - 1);
        QCOMPARE(pos->rect.width(), 2147483647);
    }

    void windowPosFormat() { QCOMPARE(FormatWindowPos(QRect(10, 20, 800, 600), 1), QString("10,20,810,620,1")); }

    void recentListKeepsFourNewestFirst()
    {
        CRecentFileList list;
        for (const char* p : {"/d/a.bnd", "/d/b.bnd", "/d/c.bnd", "/d/d.bnd", "/d/e.bnd"})
            list.Add(p);
        QCOMPARE(list.GetSize(), 4);
        QCOMPARE(list[0], QString("/d/e.bnd"));
        QCOMPARE(list[3], QString("/d/b.bnd"));
        // Reopening a listed file moves it up instead of listing it twice.
        list.Add("/d/c.bnd");
        QCOMPARE(list.GetSize(), 4);
        QCOMPARE(list[0], QString("/d/c.bnd"));
        QCOMPARE(list[1], QString("/d/e.bnd"));
        list.Add("/d/./e.bnd");
        QCOMPARE(list[0], QString("/d/e.bnd"));
        QCOMPARE(list.GetSize(), 4);
    }

    void recentListSurvivesRestart()
    {
        CRecentFileList list;
        list.Add("/d/old.bnd");
        list.Add("/d/new.bnd");
        list.WriteList();
        const auto s = OpenSettings();
        QCOMPARE(s->value("Recent File List/File1").toString(), QString("/d/new.bnd"));
        QCOMPARE(s->value("Recent File List/File2").toString(), QString("/d/old.bnd"));
        QVERIFY(!s->contains("Recent File List/File3"));

        // A hand-edited list with a gap and a repeat loads in order, once each.
        s->setValue("Recent File List/File1", "/x/one.bnd");
        s->setValue("Recent File List/File2", "");
        s->setValue("Recent File List/File3", "/x/one.bnd");
        s->setValue("Recent File List/File4", "/x/two.bnd");
        s->sync();
        CRecentFileList again;
        again.ReadList();
        QCOMPARE(again.GetSize(), 2);
        QCOMPARE(again[0], QString("/x/one.bnd"));
        QCOMPARE(again[1], QString("/x/two.bnd"));
        // Removing shifts the rest up and the store follows at the next write.
        again.Remove(0);
        again.WriteList();
        QCOMPARE(OpenSettings()->value("Recent File List/File1").toString(), QString("/x/two.bnd"));
        QVERIFY(!OpenSettings()->contains("Recent File List/File2"));
    }

    void menuTextIsShortened()
    {
        QCOMPARE(AbbreviatePath("/d/a.bnd", 30), QString("/d/a.bnd"));
        const QString shortened = AbbreviatePath("/home/analyst/projects/bonds/data/portfolio.bnd", 30);
        QVERIFY2(shortened.size() <= 30, qPrintable(shortened));
        QCOMPARE(shortened, QString("/.../bonds/data/portfolio.bnd"));
        // A name that doesn't fit with its folders shows alone, even when long.
        const QString longName = "/a/" + QString(40, u'x') + ".bnd";
        QCOMPARE(AbbreviatePath(longName, 30), QString(40, u'x') + ".bnd");

        CRecentFileList list;
        list.Add("/d/R&D.bnd");
        list.Add("/home/analyst/projects/bonds/data/portfolio.bnd");
        QCOMPARE(list.MenuText(0), QString("&1 /.../bonds/data/portfolio.bnd"));
        QCOMPARE(list.MenuText(1), QString("&2 /d/R&&D.bnd")); // no stray mnemonic
    }

    void fileMessages_data()
    {
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("saving");
        QTest::addColumn<QString>("message");
        const QString nf = "/d/x.bnd\nCannot find this file.\nPlease verify that the correct path and file name are given.";
        QTest::newRow("missing") << ENOENT << false << nf;
        QTest::newRow("missing folder") << ENOTDIR << false << nf;
        QTest::newRow("read denied") << EACCES << false << "Unable to read from /d/x.bnd, it is opened by someone else.";
        QTest::newRow("write denied") << EACCES << true
                                      << "Unable to write to /d/x.bnd, it is read-only or opened by someone else.";
        QTest::newRow("read-only medium") << EROFS << true
                                          << "Unable to write to /d/x.bnd, it is read-only or opened by someone else.";
        QTest::newRow("disk full") << ENOSPC << true << "Destination disk drive is full.";
        QTest::newRow("quota") << EDQUOT << true << "Destination disk drive is full.";
        QTest::newRow("read I/O") << EIO << false << "An unexpected error occurred while reading /d/x.bnd.";
        QTest::newRow("write I/O") << EIO << true << "An unexpected error occurred while writing /d/x.bnd.";
        QTest::newRow("no memory, open") << ENOMEM << false << "Failed to open document.";
        QTest::newRow("no memory, save") << ENOMEM << true << "Failed to save document.";
    }

    void fileMessages()
    {
        QFETCH(int, err);
        QFETCH(bool, saving);
        QFETCH(QString, message);
        QCOMPARE(FileErrorMessage(CauseFromErrno(err, saving), "/d/x.bnd", saving), message);
    }
};

QTEST_GUILESS_MAIN(TestShellSettings)
#include "tst_shell_settings.moc"
