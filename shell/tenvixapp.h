#pragma once

// The program object: reads the settings at start, turns the command line
// into opening a file or starting an empty database, owns the one document
// and its window, and carries the File commands that replace the document.

#include "shell/recentfiles.h"

#include <QObject>
#include <QStringList>

#include <memory>

namespace tenvix::ui {

class CMainFrame;
class CTenvixDoc;

class CTenvixApp : public QObject {
    Q_OBJECT
public:
    CTenvixApp();
    ~CTenvixApp() override;

    // Start-up: settings, the document and its window, the command line.
    // False ends the program; the user has already been told why.
    bool InitInstance(const QStringList& arguments);
    // Writes the recent-file list back.
    void ExitInstance();

    // What the command line asks for: a file to open, or (empty) a new
    // database. `arguments` includes the program name.
    static QString FileToOpen(const QStringList& arguments);

    // New, Open and the recent files, each after the save question.
    void OnFileNew();
    void OnFileOpen();
    void OnOpenRecentFile(int index);
    void OnAppAbout();
    // Opens `path` as the document; false if the user cancelled or it failed.
    bool OpenDocumentFile(const QString& path);
    // Files dropped on the window, or handed over by a second start.
    void OpenFiles(const QStringList& paths);

    CMainFrame* MainFrame() const { return m_pFrame.get(); }
    CTenvixDoc* Document() const { return m_pDoc.get(); }
    const CRecentFileList& RecentFiles() const { return m_recentFiles; }
    int PreviewPages() const { return m_nPreviewPages; }

private:
    void LoadStdProfileSettings();
    bool CreateFrame();
    void AddToRecentFileList(const QString& path);
    bool OpenAfterAsking(const QString& path);

    std::unique_ptr<CTenvixDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    CRecentFileList m_recentFiles{4};
    int m_nPreviewPages = 0;
};

} // namespace tenvix::ui
