#pragma once

// The recent-file list of the File menu: full paths, newest first, kept in
// "Recent File List" as "File1" to "File4". It is read at start-up and written
// back at exit, so a second copy of the program running meanwhile wins or
// loses as a whole.

#include <QString>
#include <QStringList>

namespace tenvix::ui {

class RecentFileList {
public:
    explicit RecentFileList(int size = 4) : m_nSize(size) {}

    void ReadList();
    void WriteList() const;

    // Puts `path` at the top; an equal entry further down moves up rather
    // than appearing twice, and the oldest entry falls off.
    void Add(const QString& path);
    void Remove(int index);

    int GetSize() const { return int(m_names.size()); }
    int GetMaxSize() const { return m_nSize; }
    const QString& operator[](int index) const { return m_names[index]; }

    // "&1 name" for the menu, the path shortened to `maxChars`.
    QString MenuText(int index, int maxChars = 30) const;

private:
    int m_nSize;
    QStringList m_names;
};

// A path shortened for display: whole if it fits, else its root, "..." and as
// many trailing folders as fit before the file name, else the file name alone.
QString AbbreviatePath(const QString& path, int maxChars);

} // namespace tenvix::ui
