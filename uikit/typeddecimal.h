#pragma once

// A decimal number as the user typed it, made into the text the core's reader
// takes (ASCII digits and the full stop). Where the locale writes its decimals
// with a comma, people type one: a single comma, with no full stop beside it,
// is read as the decimal mark there. A text with both marks, or a comma where
// the locale's mark is not one, is left as it is, so that the reader refuses
// it as before rather than guessing which mark groups the thousands.

#include <QLocale>
#include <QString>

namespace tenvix::ui {

QString TypedDecimal(const QString& typed, const QLocale& locale = QLocale());

} // namespace tenvix::ui
