// Dates on screen: whatever the program writes must read back as the same day,
// in any locale, and a two-digit year must land in the expected century.

#include "shell/datepicker.h"
#include "shell/datetext.h"
#include "support/app.h"

using namespace tenvix;
using namespace tenvix::ui;

class TestDateText : public QObject {
    Q_OBJECT
private slots:
    void cleanup() { QLocale::setDefault(QLocale::c()); }

    void roundTrip_data()
    {
        QTest::addColumn<QString>("locale");
        for (const char* locale : {"en_US", "de_DE", "en_GB", "ja_JP", "fr_FR"})
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
};

QTEST_MAIN(TestDateText)
#include "tst_datetext.moc"
