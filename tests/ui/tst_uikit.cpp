// The shared floor's texts: dates on screen, which must read back as the
// same day in any locale with two-digit years in the expected century; the
// picker's time of day; the real message box, whose caption must not be cut.
// The file messages of the system's errors are the core's (FileMessages),
// shown in a window by tst_document.

#include "support/app.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"
#include "uikit/services.h"

using namespace tenvix;
using namespace tenvix::ui;

namespace {

// Types `text` key by key as a keyboard of the locale would, its own digits
// included; the marks that order a right-to-left text are no keys.
void TypeText(QWidget* w, const QString& text)
{
    for (const QChar ch : text) {
        if (ch.category() == QChar::Other_Format)
            continue;
        const auto key = ch.unicode() < 128 ? Qt::Key(ch.toUpper().unicode()) : Qt::Key_unknown;
        QTest::sendKeyEvent(QTest::Click, w, key, QString(ch), Qt::NoModifier);
    }
}

// The ways a date can be typed in the locale: as the program writes it; in
// ASCII digits; and without the day's and the month's leading zero.
QStringList TypedForms(const QDate& date)
{
    const QString written = FormatDate(ToDateValue(date));
    QString ascii;
    for (const QChar ch : written)
        ascii += ch.isDigit() ? QChar(u'0' + ch.digitValue()) : ch;
    QString unpadded = ascii;
    unpadded.replace(QRegularExpression(QStringLiteral("(^|\\D)0(\\d)")), QStringLiteral("\\1\\2"));
    return {written, ascii, unpadded};
}

} // namespace

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

    // A whole date typed over the selected one is that date, however the
    // locale writes it (its order, its separators, its digits), and the
    // time of day stays.
    void typedDateReplacesTheSelectedOne_data()
    {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QDate>("typed");
        for (const char* locale : {"en_US", "de_DE", "fr_FR", "ar_EG"})
            for (const QDate& d : {QDate(2025, 6, 30), QDate(2025, 7, 4), QDate(1999, 12, 31), QDate(2031, 1, 15)})
                QTest::addRow("%s %s", locale, qPrintable(d.toString(Qt::ISODate))) << QString(locale) << d;
    }

    void typedDateReplacesTheSelectedOne()
    {
        QFETCH(QString, locale);
        QFETCH(QDate, typed);
        QLocale::setDefault(QLocale(locale));
        test::FakeClock clock(37330.75);
        const QString shown = FormatDate(ToDateValue(typed));
        for (const QString& text : TypedForms(typed))
            for (const bool byKeys : {false, true}) {
                DatePicker picker;
                QVERIFY(test::Active(&picker));
                picker.SetValue(ToDateValue(QDate(2026, 12, 7)) + 0.75);
                // Everything selected: by the keys, or as a triple click leaves it.
                if (byKeys)
                    QTest::keyClick(&picker, Qt::Key_A, Qt::ControlModifier);
                else
                    picker.selectAll();
                TypeText(&picker, text);
                // Whole once its year is: a button of a tool bar, which takes
                // no focus, reads it so.
                QVERIFY2(picker.date() == typed, qPrintable(text));
                QTest::keyClick(&picker, Qt::Key_Tab);
                QCOMPARE(picker.date(), typed);
                QCOMPARE(picker.text(), shown);
                QCOMPARE(picker.Value(), ToDateValue(typed) + 0.75);
            }

        // Half a date is no other date (a year of one digit is none; one of
        // two is widened as anywhere); Esc, or a text that is no date, gives
        // back the one that was there.
        DatePicker picker;
        QVERIFY(test::Active(&picker));
        const QDate before(2026, 12, 7);
        picker.setDate(before);
        // Enter tells the date anew, as any spin box does, but never another one.
        QSignalSpy changed(&picker, &QDateEdit::dateChanged);
        for (const Qt::Key end : {Qt::Key_Escape, Qt::Key_Return}) {
            picker.selectAll();
            TypeText(&picker, shown.left(shown.size() - 3));
            QCOMPARE(picker.date(), before);
            QTest::keyClick(&picker, end);
            QCOMPARE(std::tuple(picker.date(), picker.text()), std::tuple(before, FormatDate(ToDateValue(before))));
        }
        for (const QList<QVariant>& signal : changed)
            QCOMPARE(signal.value(0).toDate(), before);
        picker.selectAll();
        TypeText(&picker, "x");
        QTest::keyClick(&picker, Qt::Key_Backspace);
        TypeText(&picker, shown);
        QTest::keyClick(&picker, Qt::Key_Escape);
        QCOMPARE(picker.date(), before);
    }

    // A date typed into a cell of the payment grid is kept as the grid
    // writes dates, however the locale lets it be typed.
    void typedGridDateIsKeptAsTheGridWritesIt()
    {
        for (const char* locale : {"en_US", "de_DE", "fr_FR", "ar_EG"}) {
            QLocale::setDefault(QLocale(locale));
            PaymentGrid grid;
            connect(&grid, &PaymentGrid::EditEnded, &grid, &PaymentGrid::SetText);
            grid.SetRowCount(1);
            grid.SetText(0, PaymentGrid::kDate, FormatDate(ToDateValue(QDate(2026, 12, 7))));
            QVERIFY(test::Active(&grid));
            const QDate typed(2025, 6, 30);
            for (const QString& text : TypedForms(typed)) {
                grid.setCurrentItem(grid.topLevelItem(0), PaymentGrid::kDate);
                QTest::keyClick(&grid, Qt::Key_F2);
                QVERIFY(grid.Editor());
                grid.Editor()->selectAll();
                TypeText(grid.Editor(), text);
                QTest::keyClick(grid.Editor(), Qt::Key_Return);
                QTRY_COMPARE(grid.Text(0, PaymentGrid::kDate), FormatDate(ToDateValue(typed)));
                grid.SetText(0, PaymentGrid::kDate, FormatDate(ToDateValue(QDate(2026, 12, 7))));
            }
        }
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
