#include "uikit/datetext.h"

#include "model/date.h"

#include <QLocale>
#include <QRegularExpression>

namespace tenvix::ui {
namespace {

// QDate's Julian day of 30 December 1899.
constexpr qint64 kJulianOfDayZero = 2415019;

QString WithYear(QString pattern, const QString& year)
{
    static const QRegularExpression years(QStringLiteral("y+"));
    return pattern.replace(years, year);
}

} // namespace

QString DateFormat() { return WithYear(QLocale().dateFormat(QLocale::ShortFormat), QStringLiteral("yyyy")); }

double ToDateValue(const QDate& date) { return static_cast<double>(date.toJulianDay() - kJulianOfDayZero); }

double ToDateValue(const QDateTime& dateTime)
{
    const double day = ToDateValue(dateTime.date());
    const double fraction = dateTime.time().msecsSinceStartOfDay() / 86400000.0;
    // Before day 0 the time of day still counts forwards from the day's start.
    return day >= 0 ? day + fraction : day - fraction;
}

QDate ToQDate(double dateValue)
{
    if (!IsValidDate(dateValue))
        return {};
    return QDate::fromJulianDay(static_cast<qint64>(DaySerial(dateValue)) + kJulianOfDayZero);
}

QString FormatDate(double dateValue)
{
    const QDate date = ToQDate(dateValue);
    return date.isValid() ? QLocale().toString(date, DateFormat()) : QString();
}

std::optional<double> ParseDate(const QString& text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return std::nullopt;
    const QLocale locale;
    QDate date = locale.toDate(t, DateFormat());
    if (!date.isValid()) {
        const QString shortPattern = WithYear(locale.dateFormat(QLocale::ShortFormat), QStringLiteral("yy"));
        date = locale.toDate(t, shortPattern);
        if (date.isValid() && date.year() < 1930)
            date = date.addYears(100);
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    return ToDateValue(date);
}

namespace {

// Without the marks that order right-to-left text, every decimal digit as ASCII.
QString Plain(const QString& text)
{
    QString plain;
    plain.reserve(text.size());
    for (const QChar ch : text) {
        if (ch.category() == QChar::Other_Format)
            continue;
        const int digit = ch.digitValue();
        plain += ch.isDigit() && digit >= 0 ? QChar(u'0' + digit) : ch;
    }
    return plain.trimmed();
}

} // namespace

std::optional<double> ParseTypedDate(const QString& text, bool wholeYear)
{
    if (text.trimmed().isEmpty())
        return std::nullopt;
    if (const auto exact = ParseDate(text); exact && (!wholeYear || text.trimmed() == FormatDate(*exact)))
        return exact;
    QString pattern = Plain(QLocale().dateFormat(QLocale::ShortFormat));
    // Names of months or days are no numbers: such a pattern reads as written.
    if (pattern.contains(QStringLiteral("MMM")) || pattern.contains(QStringLiteral("ddd")))
        return std::nullopt;
    static const QRegularExpression twoDays(QStringLiteral("d+")), twoMonths(QStringLiteral("M+"));
    pattern.replace(twoDays, QStringLiteral("d")).replace(twoMonths, QStringLiteral("M"));
    const QString plain = Plain(text);
    const QLocale c = QLocale::c();
    QDate date = c.toDate(plain, WithYear(pattern, QStringLiteral("yyyy")));
    if (!date.isValid() && !wholeYear) {
        date = c.toDate(plain, WithYear(pattern, QStringLiteral("yy")));
        if (date.isValid() && date.year() < 1930)
            date = date.addYears(100);
    }
    if (!date.isValid() || date.year() < 100 || date.year() > 9999)
        return std::nullopt;
    return ToDateValue(date);
}

DateParser LocaleDateParser()
{
    return [](std::string_view utf8) {
        return ParseDate(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    };
}

} // namespace tenvix::ui
