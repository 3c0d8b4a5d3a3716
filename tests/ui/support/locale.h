#pragma once

// Locales for the window tests. The suites run once per locale, named by
// LC_ALL; a check at start-up stops a run whose locale the machine lacks, which
// would otherwise pass in "C" and prove nothing. LocaleScope puts one test in
// a locale of its choosing, whatever the run's.

#include <QByteArray>
#include <QLocale>

#include <string>

namespace tenvix::test {

// Sets the C library's locale and Qt's default locale to `name` (such as
// "de_DE.UTF-8") and puts both back on leaving. Widgets made inside the scope
// take its locale. A locale the machine lacks leaves both as they were and
// Active() false.
class LocaleScope {
public:
    explicit LocaleScope(const QByteArray& name);
    ~LocaleScope();
    LocaleScope(const LocaleScope&) = delete;
    LocaleScope& operator=(const LocaleScope&) = delete;

    bool Active() const { return m_bActive; }

private:
    std::string m_strOldC;
    QLocale m_oldQt;
    bool m_bActive = false;
};

} // namespace tenvix::test
