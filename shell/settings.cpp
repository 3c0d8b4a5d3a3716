#include "shell/settings.h"

#include <QSettings>

#include <algorithm>
#include <cstdint>
#include <limits>

namespace tenvix::ui {

std::unique_ptr<QSettings> OpenSettings()
{
    return std::make_unique<QSettings>(QSettings::NativeFormat, QSettings::UserScope, QString::fromLatin1(kCompanyKey),
                                       QStringLiteral("tenvix"));
}

QString GetProfileString(const QString& section, const QString& entry, const QString& fallback)
{
    const QVariant v = OpenSettings()->value(section + u'/' + entry);
    return v.isValid() ? v.toString() : fallback;
}

int GetProfileInt(const QString& section, const QString& entry, int fallback)
{
    bool ok = false;
    const int n = OpenSettings()->value(section + u'/' + entry).toInt(&ok);
    return ok ? n : fallback;
}

void WriteProfileString(const QString& section, const QString& entry, const QString& value)
{
    OpenSettings()->setValue(section + u'/' + entry, value);
}

void WriteProfileInt(const QString& section, const QString& entry, int value)
{
    OpenSettings()->setValue(section + u'/' + entry, value);
}

namespace {

// One "%d": blanks, an optional sign, at least one digit. Advances `i` past it.
std::optional<int> ScanInt(const QString& s, qsizetype& i)
{
    while (i < s.size() &&
           (s[i] == u' ' || s[i] == u'\t' || s[i] == u'\n' || s[i] == u'\r' || s[i] == u'\v' || s[i] == u'\f'))
        ++i;
    bool negative = false;
    if (i < s.size() && (s[i] == u'-' || s[i] == u'+'))
        negative = s[i++] == u'-';
    const qsizetype digits = i;
    std::int64_t value = 0;
    while (i < s.size() && s[i] >= u'0' && s[i] <= u'9') {
        value = value * 10 + (s[i++].unicode() - u'0');
        if (value > std::int64_t(std::numeric_limits<int>::max()) + 1)
            return std::nullopt;
    }
    if (i == digits)
        return std::nullopt;
    if (negative)
        value = -value;
    if (value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(value);
}

int Clamp(std::int64_t v)
{
    return int(std::clamp<std::int64_t>(v, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

} // namespace

std::optional<WindowPos> ParseWindowPos(const QString& text)
{
    int v[5];
    qsizetype i = 0;
    for (int k = 0; k < 5; ++k) {
        if (k > 0) {
            if (i >= text.size() || text[i] != u',')
                return std::nullopt;
            ++i;
        }
        const auto n = ScanInt(text, i);
        if (!n)
            return std::nullopt;
        v[k] = *n;
    }
    // Width and height are differences of stored ints and may not fit an int
    // themselves; a hand-edited store must not overflow them.
    WindowPos pos;
    pos.rect = QRect(v[0], v[1], Clamp(std::int64_t(v[2]) - v[0]), Clamp(std::int64_t(v[3]) - v[1]));
    pos.squareM = v[4];
    return pos;
}

QString FormatWindowPos(const QRect& rect, int squareM)
{
    return QStringLiteral("%1,%2,%3,%4,%5")
        .arg(rect.left())
        .arg(rect.top())
        .arg(rect.left() + rect.width())
        .arg(rect.top() + rect.height())
        .arg(squareM);
}

} // namespace tenvix::ui
