#include "shell/recentfiles.h"

#include "shell/settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace tenvix::ui {
namespace {
const QString kSection = QStringLiteral("Recent File List");

QString EntryName(int index) { return QStringLiteral("File%1").arg(index + 1); }

// Two spellings of one file are one entry; case matters on this platform.
bool SameFile(const QString& a, const QString& b)
{
    return QFileInfo(a).absoluteFilePath() == QFileInfo(b).absoluteFilePath();
}
} // namespace

void RecentFileList::ReadList()
{
    m_names.clear();
    const auto settings = OpenSettings();
    settings->beginGroup(kSection);
    for (int i = 0; i < m_nSize; ++i) {
        const QString name = settings->value(EntryName(i)).toString();
        // A hand-edited store may leave gaps or repeat a file; keep the order,
        // drop the rest.
        if (name.isEmpty())
            continue;
        bool seen = false;
        for (const QString& n : std::as_const(m_names))
            seen = seen || SameFile(n, name);
        if (!seen)
            m_names.append(name);
    }
}

void RecentFileList::WriteList() const
{
    const auto settings = OpenSettings();
    settings->remove(kSection);
    settings->beginGroup(kSection);
    for (int i = 0; i < m_names.size(); ++i)
        settings->setValue(EntryName(i), m_names[i]);
}

void RecentFileList::Add(const QString& path)
{
    if (path.isEmpty())
        return;
    const QString full = QFileInfo(path).absoluteFilePath();
    for (qsizetype i = m_names.size() - 1; i >= 0; --i)
        if (SameFile(m_names[i], full))
            m_names.removeAt(i);
    m_names.prepend(full);
    while (m_names.size() > m_nSize)
        m_names.removeLast();
}

void RecentFileList::Remove(int index)
{
    if (index >= 0 && index < m_names.size())
        m_names.removeAt(index);
}

QString RecentFileList::MenuText(int index, int maxChars) const
{
    QString shown = AbbreviatePath(QDir::toNativeSeparators(m_names[index]), maxChars);
    shown.replace(u'&', QStringLiteral("&&"));
    return QStringLiteral("&%1 %2").arg(index + 1).arg(shown);
}

QString AbbreviatePath(const QString& path, int maxChars)
{
    if (path.size() <= maxChars)
        return path;
    const QChar sep = QDir::separator();
    const qsizetype lastSep = path.lastIndexOf(sep);
    const QString fileName = lastSep < 0 ? path : path.mid(lastSep + 1);
    if (lastSep < 0 || fileName.size() + 4 >= maxChars)
        return fileName;

    // The root stays ("/" here, "C:\" elsewhere); folders go from the left
    // until the rest fits behind "...".
    const qsizetype rootEnd = path.indexOf(sep) + 1;
    const QString root = path.left(rootEnd);
    QString tail = path.mid(lastSep); // "/name"
    qsizetype cut = lastSep;
    while (cut > rootEnd) {
        const qsizetype prev = path.lastIndexOf(sep, cut - 1);
        if (prev < rootEnd - 1)
            break;
        const QString longer = path.mid(prev, lastSep - prev) + path.mid(lastSep);
        if (root.size() + 3 + longer.size() > maxChars)
            break;
        tail = longer;
        cut = prev;
    }
    const QString result = root + QStringLiteral("...") + tail;
    return result.size() <= maxChars ? result : fileName;
}

} // namespace tenvix::ui
