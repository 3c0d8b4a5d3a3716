#include "uikit/typeddecimal.h"

namespace tenvix::ui {

QString TypedDecimal(const QString& typed, const QLocale& locale)
{
    if (locale.decimalPoint() != QLatin1String(",") || typed.count(u',') != 1 || typed.contains(u'.'))
        return typed;
    QString text = typed;
    text.replace(u',', u'.');
    return text;
}

} // namespace tenvix::ui
