#pragma once

// The program object: reads the settings at start, turns the command line
// into opening a file or starting an empty database, owns the one document
// and its window, and carries the File commands that replace the document.
//
// It is the one place that replaces the database, and it never does so
// inside a nested event loop (a modal window, a box, a file chooser, a scan):
// the windows of that loop point into the bonds an open would free. A
// request that arrives meanwhile is held, the latest one only, and carried
// out from the main loop once the last of them has closed.
//
// It also looks at the database's file each time the window comes to the
// front again, from the main loop too; when the user chooses to read the
// file another program has changed, that goes the same road as Open.

#include "shell/recentfiles.h"

#include <QObject>
#include <QPointer>
#include <QStringList>

#include <memory>
#include <optional>

namespace tenvix::ui {

class InstanceChannel;
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
    // File > Open example...: a copy of the shipped sample database, under
    // no name of its own, so that a Save asks where and the shipped file is
    // never written.
    void OnOpenExample();
    void OnOpenRecentFile(int index);
    void OnAppAbout();
    // Opens `path` as the document; false if the user cancelled or it
    // failed, or if it was held for later.
    bool OpenDocumentFile(const QString& path);
    // Files dropped on the window, or handed over by a second start.
    void OpenFiles(const QStringList& paths);
    // Files that later starts hand over open here.
    void AcceptFilesFrom(InstanceChannel& channel);

    CMainFrame* MainFrame() const { return m_pFrame.get(); }
    CTenvixDoc* Document() const { return m_pDoc.get(); }
    const RecentFileList& RecentFiles() const { return m_recentFiles; }
    int PreviewPages() const { return m_nPreviewPages; }

    // Where the shipped examples are looked for, in turn: beside the
    // installed program (share/tenvix/examples under its prefix), in the
    // desktop's data folders, and in the source tree that holds the build.
    static QStringList DefaultExampleFolders();
    void SetExampleFolders(const QStringList& folders) { m_exampleFolders = folders; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Something that replaces the database.
    struct Request {
        enum Kind { New, Choose, Open, Recent, Files, Reload, Example } kind;
        QStringList paths; // Open, Recent and Reload: one path; Files: in turn
    };
    // Carries `r` out now, or holds it while a nested loop runs. False when
    // held, cancelled or failed.
    bool Submit(Request r);
    bool CarryOut(const Request& r);
    // Carries the held request out if nothing stands in the way any more.
    void RunHeld();
    // A modal window that didn't come through ExecModal: look again once
    // it has gone.
    void WatchModalWindow();
    // The window has come to the front: the file is looked at from the
    // main loop, once no nested loop runs.
    void QueueFileCheck();
    void CheckFile();

    void LoadStdProfileSettings();
    bool CreateFrame();
    void AddToRecentFileList(const QString& path);
    bool OpenAfterAsking(const QString& path, bool reload = false);
    bool OpenRecent(const QString& path);
    bool OpenEach(const QStringList& paths);
    bool OpenExample();

    std::unique_ptr<CTenvixDoc> m_pDoc;
    std::unique_ptr<CMainFrame> m_pFrame;
    RecentFileList m_recentFiles{4};
    // Looked up when File > Open example asks, unless set.
    std::optional<QStringList> m_exampleFolders;
    int m_nPreviewPages = 0;
    std::optional<Request> m_held;
    QPointer<QWidget> m_pWatched;
    bool m_bCheckQueued = false;
    bool m_bCheckHeld = false; // asked for while a nested loop ran
    bool m_bChecking = false;
};

} // namespace tenvix::ui
