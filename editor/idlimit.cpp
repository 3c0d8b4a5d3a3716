#include "editor/idlimit.h"

#include <QLineEdit>

#include <algorithm>

namespace tenvix::ui {

IdLimit::IdLimit(QLineEdit* field) : QValidator(field)
{
    connect(field, &QLineEdit::textChanged, this, &IdLimit::Held);
}

void IdLimit::Allow(const QString& stored)
{
    m_held.clear();
    Held(stored);
}

QValidator::State IdLimit::validate(QString& input, int&) const
{
    if (input.size() <= std::max<qsizetype>(kMaxChars, m_lastLength) || m_held.contains(input))
        return Acceptable;
    return Invalid;
}

void IdLimit::Held(const QString& text)
{
    m_lastLength = text.size();
    if (text.size() > kMaxChars)
        m_held.insert(text);
}

} // namespace tenvix::ui
