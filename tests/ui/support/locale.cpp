#include "support/locale.h"

#include <QCoreApplication>

#include <clocale>

namespace tenvix::test {

LocaleScope::LocaleScope(const QByteArray& name)
{
    const char* old = std::setlocale(LC_ALL, nullptr);
    m_strOldC = old ? old : "C";
    if (!std::setlocale(LC_ALL, name.constData()))
        return;
    QLocale::setDefault(QLocale(QString::fromLatin1(name.left(name.indexOf('.')))));
    m_bActive = true;
}

LocaleScope::~LocaleScope()
{
    if (!m_bActive)
        return;
    std::setlocale(LC_ALL, m_strOldC.c_str());
    QLocale::setDefault(m_oldQt);
}

} // namespace tenvix::test

namespace {

// Runs inside the application's constructor, which has just set the C
// library's locale from the environment. A name the library doesn't know
// leaves it in "C" with no more than a null return, so ask again and compare.
void RequireTheRequestedLocale()
{
    const QByteArray wanted = qgetenv("LC_ALL");
    if (wanted.isEmpty())
        return;
    const char* got = std::setlocale(LC_ALL, "");
    if (!got || wanted != got)
        qFatal("The locale %s is not installed here (the C library runs in \"%s\"); generate it before running "
               "these tests.",
               wanted.constData(), std::setlocale(LC_ALL, nullptr));
    const QByteArray language = wanted.left(wanted.indexOf('.'));
    if (language.contains('_') && QLocale::system().name() != QString::fromLatin1(language))
        qFatal("Qt does not see the locale %s (it sees %s).", wanted.constData(), qPrintable(QLocale::system().name()));
}

} // namespace

Q_COREAPP_STARTUP_FUNCTION(RequireTheRequestedLocale)
