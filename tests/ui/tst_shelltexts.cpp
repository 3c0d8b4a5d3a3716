// The shell's texts: dates on screen, which must read back as the same day in
// any locale with two-digit years in the expected century; the window
// position as stored by hand or by older runs; the recent-file list across a
// restart and its shortened names in the File menu; the file messages.

#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/fileio.h"
#include "shell/recentfiles.h"
#include "shell/settings.h"
#include "support/app.h"

#include <cerrno>

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
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("locale");
        // ar_EG and fa_IR write their own digits and marks.
        for (const char* locale : {"en_US", "de_DE", "en_GB", "ja_JP", "fr_FR", "ar_EG", "fa_IR"})
            QTest::newRow(locale) << locale;
    }

    void roundTrip()
    {
        QFETCH(QString, locale);
        QLocale::setDefault(QLocale(locale));
        QVERIFY(DateFormat().contains("yyyy"));
        // Early, late and leap days, and every day around a century boundary.
        QList<double> days{-657434.0, -1.0, 0.0, 1.0, 2.0, 60.0, 61.0, 2958465.0};
        for (double day = 36500; day < 37300; ++day)
            days << day + 0.75;
        for (double day : days) {
            const QString text = FormatDate(day);
            const auto back = ParseDate(text);
            QVERIFY2(back && *back == std::floor(day), qPrintable(text));
        }
    }

    void twoDigitYearsAreWidenedAndNonsenseRefused()
    {
        QLocale::setDefault(QLocale("en_US"));
        QCOMPARE(ToQDate(*ParseDate("3/15/04")), QDate(2004, 3, 15));
        QCOMPARE(ToQDate(*ParseDate("3/15/29")), QDate(2029, 3, 15));
        QCOMPARE(ToQDate(*ParseDate("3/15/30")), QDate(1930, 3, 15));
        QCOMPARE(ToQDate(*ParseDate(" 3/15/2004 ")), QDate(2004, 3, 15));
        for (const char* text : {"", "   ", "??????????", "2/30/2004", "13/1/2004", "3/15/2004 17:30", "abc", "3/15"})
            QVERIFY2(!ParseDate(text), text);
    }

    void pickerKeepsTheTimeOfDay()
    {
        test::FakeClock clock(37330.75); // 15 March 2002, 18:00
        DatePicker picker;
        QCOMPARE(picker.Value(), 37330.75);
        QCOMPARE(picker.Day(), 37330.0);
        picker.setDate(QDate(2004, 3, 15));
        QCOMPARE(picker.Value(), ToDateValue(QDate(2004, 3, 15)) + 0.75);
    }

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
        CRecentFileList list;
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
        {
            const auto s = OpenSettings();
            s->setValue("Recent File List/File1", "/x/one.bnd");
            s->setValue("Recent File List/File2", "");
            s->setValue("Recent File List/File3", "/x/one.bnd");
            s->setValue("Recent File List/File4", "/x/two.bnd");
        }
        CRecentFileList again;
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
        CRecentFileList list;
        list.Add("/d/R&D.bnd");
        QCOMPARE(list.MenuText(0), QString("&1 /d/R&&D.bnd")); // no stray mnemonic
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
        QCOMPARE(FileErrorMessage(CauseFromErrno(err, saving), QStringLiteral("/d/x.bnd"), saving), message);
    }
};

QTEST_MAIN(TestShellTexts)
#include "tst_shelltexts.moc"
