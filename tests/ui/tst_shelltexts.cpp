// The shell's texts: the window position as stored by hand or by older runs;
// the recent-file list across a restart and its shortened names in the File
// menu.

#include "shell/recentfiles.h"
#include "shell/settings.h"
#include "support/app.h"

using namespace tenvix;
using namespace tenvix::ui;

class TestShellTexts : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_dir.path());
    }
    void init() { OpenSettings()->clear(); }

    void windowPosParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("rect"); // invalid: not a position
        QTest::addColumn<int>("flag");
        QTest::newRow("as written") << "10,20,810,620,1" << QRect(10, 20, 800, 600) << 1;
        QTest::newRow("blanks before numbers") << "  10, 20,\t810,  620, 0" << QRect(10, 20, 800, 600) << 0;
        QTest::newRow("tail ignored") << "10,20,810,620,1,99 junk" << QRect(10, 20, 800, 600) << 1;
        QTest::newRow("signs, flag as stored") << "-8,+5,1000,700,7" << QRect(-8, 5, 1008, 695) << 7;
        QTest::newRow("extremes") << "-2147483648,-2147483648,2147483647,2147483647,1"
                                  << QRect(QPoint(-2147483647 - 1, -2147483647 - 1), QSize(2147483647, 2147483647))
                                  << 1;
        QTest::newRow("four numbers") << "10,20,810,620" << QRect() << 0;
        QTest::newRow("blank before comma") << "10 ,20,810,620,1" << QRect() << 0;
        QTest::newRow("missing number") << "10,,810,620,1" << QRect() << 0;
        QTest::newRow("overflowing int") << "99999999999,0,1,1,0" << QRect() << 0;
    }

    void windowPosParse()
    {
        QFETCH(QString, text);
        QFETCH(QRect, rect);
        QFETCH(int, flag);
        const auto pos = ParseWindowPos(text);
        QCOMPARE(pos.has_value(), rect.isValid());
        if (!pos)
            return;
        QCOMPARE(pos->rect, rect);
        QCOMPARE(pos->squareM, flag);
        // What is written reads back as the same rectangle.
        QCOMPARE(ParseWindowPos(FormatWindowPos(pos->rect, pos->squareM))->rect, rect);
    }

    void recentListKeepsFourNewestFirstAcrossARestart()
    {
        RecentFileList list;
        for (const char* p : {"/d/a.bnd", "/d/b.bnd", "/d/c.bnd", "/d/d.bnd", "/d/e.bnd"})
            list.Add(p);
        QCOMPARE(list.GetSize(), 4);
        QCOMPARE(list[3], QString("/d/b.bnd"));
        // Reopening a listed file, by any spelling, moves it up.
        list.Add("/d/c.bnd");
        list.Add("/d/./e.bnd");
        QCOMPARE(list.GetSize(), 4);
        QCOMPARE(list[0] + " " + list[1], QString("/d/e.bnd /d/c.bnd"));

        // A hand-edited list with a gap and a repeat loads in order, once each.
        int k = 0;
        for (const char* path : {"/x/one.bnd", "", "/x/one.bnd", "/x/two.bnd"})
            OpenSettings()->setValue(QString("Recent File List/File%1").arg(++k), path);
        RecentFileList again;
        again.ReadList();
        QCOMPARE(again.GetSize(), 2);
        QCOMPARE(again[0] + " " + again[1], QString("/x/one.bnd /x/two.bnd"));
        // Removing shifts the rest up and the store follows at the next write.
        again.Remove(0);
        again.WriteList();
        QCOMPARE(OpenSettings()->value("Recent File List/File1").toString(), QString("/x/two.bnd"));
        QVERIFY(!OpenSettings()->contains("Recent File List/File2"));
    }

    void menuTextIsShortened()
    {
        QCOMPARE(AbbreviatePath("/d/a.bnd", 30), QString("/d/a.bnd"));
        QCOMPARE(AbbreviatePath("/home/analyst/projects/bonds/data/portfolio.bnd", 30),
                 QString("/.../bonds/data/portfolio.bnd"));
        // A name that doesn't fit with its folders shows alone, even when long.
        QCOMPARE(AbbreviatePath("/a/" + QString(40, u'x') + ".bnd", 30), QString(40, u'x') + ".bnd");
        RecentFileList list;
        list.Add("/d/R&D.bnd");
        QCOMPARE(list.MenuText(0), QString("&1 /d/R&&D.bnd")); // no stray mnemonic
    }
};

QTEST_MAIN(TestShellTexts)
#include "tst_shelltexts.moc"
