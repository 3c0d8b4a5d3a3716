// The shared floor's texts: dates on screen, which must read back as the
// same day in any locale with two-digit years in the expected century; the
// picker's time of day; the real message box, whose caption must not be cut.
// The file messages of the system's errors are the core's (FileMessages),
// shown in a window by tst_document.

#include "support/app.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/services.h"

using namespace tenvix;
using namespace tenvix::ui;

class TestUikit : public QObject {
    Q_OBJECT

private slots:
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
        // Early, late and leap days (which two-digit years could not bring
        // back), and every day around a century boundary.
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
        // A new picker takes the clock's time: tst_mainframe's first look.
        test::FakeClock clock(37330.75); // 15 March 2002, 18:00
        DatePicker picker;
        QCOMPARE(picker.Day(), 37330.0);
        picker.setDate(QDate(2004, 3, 15));
        QCOMPARE(picker.Value(), ToDateValue(QDate(2004, 3, 15)) + 0.75);
    }

    // A short text must not leave the title bar too narrow for its caption
    // ("E... r"): the box is at least as wide as the caption in the box's
    // font, plus a title bar's icon and three buttons, each taken as a
    // square two lines of text high. Every box, whatever its buttons, is
    // sized by the same rule.
    void messageBoxIsWideEnoughForItsCaption()
    {
        const QString caption = "Error", text = "Bad YTM !";
        int width = 0, needed = 0;
        QString shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QVERIFY(QTest::qWaitForWindowExposed(box));
            const QFontMetrics fm(box->font());
            width = box->width();
            needed = fm.horizontalAdvance(caption) + 4 * 2 * fm.height();
            shown = box->windowTitle() + "|" + box->text();
            box->done(QMessageBox::No);
        });
        Messages().Show(nullptr, text, caption, MsgIcon::Exclamation, MsgButtons::Ok);
        QCOMPARE(shown, caption + "|" + text);
        QVERIFY2(width >= needed, qPrintable(QString("%1 < %2").arg(width).arg(needed)));
    }

    // A question whose buttons name their actions shows them all and
    // answers with the one clicked; Esc chooses the last, the one that does
    // nothing.
    void namedButtonsAnswerWithTheOneChosen_data()
    {
        QTest::addColumn<int>("click"); // -1: Esc
        QTest::addColumn<int>("answer");
        QTest::newRow("first") << 0 << 0;
        QTest::newRow("second") << 1 << 1;
        QTest::newRow("last") << 2 << 2;
        QTest::newRow("Esc") << -1 << 2;
    }
    void namedButtonsAnswerWithTheOneChosen()
    {
        QFETCH(int, click);
        QFETCH(int, answer);
        const QStringList names{"Overwrite", "Reload", "Cancel"};
        QStringList shown;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            for (QAbstractButton* b : box->buttons())
                shown << b->text();
            if (click < 0) {
                QTest::keyClick(box, Qt::Key_Escape);
                return;
            }
            for (QAbstractButton* b : box->buttons())
                if (b->text() == names[click])
                    b->click();
        });
        QCOMPARE(AskChoice(nullptr, "The file changed . Save ?", names), answer);
        shown.sort();
        QStringList sorted = names;
        sorted.sort();
        QCOMPARE(shown, sorted);
    }
};

QTEST_MAIN(TestUikit)
#include "tst_uikit.moc"
