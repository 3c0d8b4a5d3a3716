#include "shell/tenvixapp.h"

#include "shell/aboutdlg.h"
#include "shell/instance.h"
#include "shell/mainframe.h"
#include "shell/settings.h"
#include "shell/shelltexts.h"
#include "shell/tenvixdoc.h"
#include "uikit/services.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tenvix::ui {

CTenvixApp::CTenvixApp()
{
    // Queued: the loop that just ended is still on the stack, and so is the
    // window that ran it.
    connect(&NestedLoops::Instance(), &NestedLoops::Settled, this, &CTenvixApp::RunHeld, Qt::QueuedConnection);
}

CTenvixApp::~CTenvixApp()
{
    // The window goes first: it points at the document.
    m_pFrame.reset();
    m_pDoc.reset();
}

void CTenvixApp::LoadStdProfileSettings()
{
    m_recentFiles.ReadList();
    // Kept for the store's sake; the program prints nothing.
    m_nPreviewPages = GetProfileInt(QStringLiteral("Settings"), QStringLiteral("PreviewPages"), 0);
}

QString CTenvixApp::FileToOpen(const QStringList& arguments)
{
    // One file and nothing else opens it. A switch (print, print to, or
    // anything unknown) or a second name makes it a new, empty database:
    // the program prints nothing and registers nothing from here.
    const QStringList args = arguments.mid(1);
    if (args.size() != 1 || args.front().isEmpty() || args.front().startsWith(u'-'))
        return {};
    return args.front();
}

bool CTenvixApp::InitInstance(const QStringList& arguments)
{
    if (QCoreApplication::organizationName().isEmpty())
        QCoreApplication::setOrganizationName(QString::fromLatin1(kCompanyKey));
    if (QCoreApplication::applicationName().isEmpty())
        QCoreApplication::setApplicationName(QString::fromLatin1(kAppName));

    LoadStdProfileSettings();
    m_pDoc = std::make_unique<CTenvixDoc>();
    connect(m_pDoc.get(), &CTenvixDoc::AddedToRecent, this, &CTenvixApp::AddToRecentFileList);
    // Queued: the document asks from inside a command or a check, which the
    // read must not run under.
    connect(
        m_pDoc.get(), &CTenvixDoc::ReloadWanted, this,
        [this](const QString& path) {
            Submit({Request::Reload, {path}});
        },
        Qt::QueuedConnection);

    if (!CreateFrame()) {
        m_pFrame.reset();
        ShowWarning(nullptr, TextOf(ShellText::NoFrame));
        return false;
    }

    const QString file = FileToOpen(arguments);
    if (!file.isEmpty()) {
        // A file that can't be opened ends the start-up after its message.
        if (!m_pDoc->OnOpenDocument(file))
            return false;
        m_pDoc->SetPathName(file);
    } else {
        m_pDoc->OnNewDocument();
    }
    m_pFrame->InitialUpdate();

    // Only the rectangle was restored, never a maximised or minimised state.
    m_pFrame->show();
    // The keyboard starts in the record form, not in a bar's control.
    m_pFrame->ActivatePane(1);
    return true;
}

bool CTenvixApp::CreateFrame()
{
    m_pFrame = std::make_unique<CMainFrame>(*m_pDoc);
    if (!m_pFrame->Create())
        return false;
    CMainFrame* f = m_pFrame.get();
    connect(f->Action(ID_FILE_NEW), &QAction::triggered, this, &CTenvixApp::OnFileNew);
    connect(f->Action(ID_FILE_OPEN), &QAction::triggered, this, &CTenvixApp::OnFileOpen);
    connect(f->Action(ID_FILE_OPEN_EXAMPLE), &QAction::triggered, this, &CTenvixApp::OnOpenExample);
    connect(f->Action(ID_APP_ABOUT), &QAction::triggered, this, &CTenvixApp::OnAppAbout);
    connect(f, &CMainFrame::RecentFileChosen, this, &CTenvixApp::OnOpenRecentFile);
    connect(f, &CMainFrame::FilesDropped, this, &CTenvixApp::OpenFiles);
    f->UpdateRecentFileMenu(m_recentFiles);
    // Coming back to the window, or to the program by another of its
    // windows, is when a change by another program is looked for.
    f->installEventFilter(this);
    if (auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        connect(gui, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                QueueFileCheck();
        });
    return true;
}

void CTenvixApp::ExitInstance() { m_recentFiles.WriteList(); }

void CTenvixApp::AddToRecentFileList(const QString& path)
{
    m_recentFiles.Add(path);
    if (m_pFrame)
        m_pFrame->UpdateRecentFileMenu(m_recentFiles);
}

void CTenvixApp::OnFileNew() { Submit({Request::New, {}}); }

void CTenvixApp::OnFileOpen() { Submit({Request::Choose, {}}); }

void CTenvixApp::OnOpenExample() { Submit({Request::Example, {}}); }

QStringList CTenvixApp::DefaultExampleFolders()
{
    const QString program = QCoreApplication::applicationDirPath();
    QStringList folders{program + QStringLiteral("/../share/tenvix/examples")};
    for (const QString& data : QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation))
        folders << data + QStringLiteral("/tenvix/examples");
    // build/shell/tenvix, as scripts/run.sh leaves it.
    folders << program + QStringLiteral("/../../examples");
    return folders;
}

bool CTenvixApp::OpenDocumentFile(const QString& path) { return Submit({Request::Open, {path}}); }

void CTenvixApp::OnOpenRecentFile(int index)
{
    // The path, not the place: the list may change before a held request runs.
    if (index >= 0 && index < m_recentFiles.GetSize())
        Submit({Request::Recent, {m_recentFiles[index]}});
}

void CTenvixApp::OpenFiles(const QStringList& paths)
{
    if (!paths.isEmpty())
        Submit({Request::Files, paths});
}

void CTenvixApp::AcceptFilesFrom(InstanceChannel& channel)
{
    // From the event loop, not from inside the channel's reading.
    connect(
        &channel, &InstanceChannel::PathReceived, this, [this](const QString& path) { OpenFiles({path}); },
        Qt::QueuedConnection);
}

bool CTenvixApp::Submit(Request r)
{
    if (NestedLoops::Running()) {
        m_held = std::move(r);
        WatchModalWindow();
        return false;
    }
    return CarryOut(r);
}

void CTenvixApp::RunHeld()
{
    if (m_bCheckHeld)
        QueueFileCheck();
    if (!m_held)
        return;
    // Another nested loop may have started before this call got its turn.
    if (NestedLoops::Running()) {
        WatchModalWindow();
        return;
    }
    const Request r = std::move(*m_held);
    m_held.reset();
    CarryOut(r);
}

void CTenvixApp::WatchModalWindow()
{
    // The counted loops say when they end; a modal window that came some
    // other way is watched until it hides.
    if (NestedLoops::Instance().Depth() > 0)
        return;
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == m_pWatched)
        return;
    if (m_pWatched)
        m_pWatched->removeEventFilter(this);
    m_pWatched = modal;
    modal->installEventFilter(this);
    connect(modal, &QObject::destroyed, this, &CTenvixApp::RunHeld, Qt::QueuedConnection);
}

void CTenvixApp::QueueFileCheck()
{
    if (m_bCheckQueued)
        return;
    m_bCheckQueued = true;
    QMetaObject::invokeMethod(this, &CTenvixApp::CheckFile, Qt::QueuedConnection);
}

void CTenvixApp::CheckFile()
{
    m_bCheckQueued = false;
    // A question now would come over a window working on the bonds, and its
    // answer could not be carried out before that window closes; the check
    // waits for the loops to end. The question's own loop, which brings
    // the window back to the front when it ends, counts among them.
    if (NestedLoops::Running()) {
        m_bCheckHeld = true;
        return;
    }
    m_bCheckHeld = false;
    if (m_bChecking || !m_pDoc)
        return;
    m_bChecking = true;
    m_pDoc->CheckFileOnDisk();
    m_bChecking = false;
}

bool CTenvixApp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_pFrame.get() && event->type() == QEvent::WindowActivate)
        QueueFileCheck();
    if (watched == m_pWatched && event->type() == QEvent::Hide) {
        m_pWatched->removeEventFilter(this);
        m_pWatched = nullptr;
        QMetaObject::invokeMethod(this, &CTenvixApp::RunHeld, Qt::QueuedConnection);
    }
    return QObject::eventFilter(watched, event);
}

bool CTenvixApp::CarryOut(const Request& r)
{
    switch (r.kind) {
    case Request::New:
        if (!m_pDoc->SaveModified())
            return false;
        m_pDoc->OnNewDocument();
        m_pFrame->InitialUpdate();
        return true;
    case Request::Choose: {
        FileChoice choice;
        choice.filters = CTenvixDoc::Filters();
        choice.defaultSuffix = CTenvixDoc::DefaultSuffix();
        const QString path = FileChooser().ChooseOpen(m_pFrame.get(), choice);
        return !path.isEmpty() && m_pDoc->SaveModified() && OpenAfterAsking(path);
    }
    case Request::Open:
        return m_pDoc->SaveModified() && OpenAfterAsking(r.paths.value(0));
    case Request::Recent:
        return OpenRecent(r.paths.value(0));
    case Request::Files:
        return OpenEach(r.paths);
    case Request::Example:
        return OpenExample();
    case Request::Reload:
        // The user has just chosen the file over the changes here: no save
        // question. A database replaced meanwhile is left alone.
        return m_pDoc->GetPathName() == r.paths.value(0) && OpenAfterAsking(r.paths.value(0), true);
    }
    return false;
}

bool CTenvixApp::OpenAfterAsking(const QString& path, bool reload)
{
    bool replaced = false;
    const bool opened = m_pDoc->OnOpenDocument(path, &replaced, reload);
    if (opened)
        m_pDoc->SetPathName(path);
    // A file that couldn't be read changed nothing, so the form keeps its
    // record and any typing not yet saved; after a failed load the views
    // show the empty database left behind.
    if (replaced)
        m_pFrame->InitialUpdate();
    return opened;
}

bool CTenvixApp::OpenRecent(const QString& path)
{
    if (!m_pDoc->SaveModified())
        return false;
    bool replaced = false;
    if (!m_pDoc->OnOpenDocument(path, &replaced)) {
        // A file that is gone or broken leaves the list; a cancelled
        // question above leaves it alone.
        for (int i = 0; i < m_recentFiles.GetSize(); ++i)
            if (m_recentFiles[i] == path) {
                m_recentFiles.Remove(i);
                break;
            }
        m_pFrame->UpdateRecentFileMenu(m_recentFiles);
        if (replaced)
            m_pFrame->InitialUpdate();
        return false;
    }
    m_pDoc->SetPathName(path);
    m_pFrame->InitialUpdate();
    return true;
}

bool CTenvixApp::OpenEach(const QStringList& paths)
{
    // In turn, each after the usual question; a Cancel stops the rest.
    bool opened = false;
    for (const QString& path : paths) {
        if (!m_pDoc->SaveModified())
            return false;
        opened = OpenAfterAsking(path);
    }
    if (m_pFrame) {
        m_pFrame->raise();
        m_pFrame->activateWindow();
    }
    return opened;
}

bool CTenvixApp::OpenExample()
{
    QString example;
    const QStringList folders = m_exampleFolders ? *m_exampleFolders : DefaultExampleFolders();
    for (const QString& folder : folders)
        if (const QFileInfo file(QDir(folder).filePath(QStringLiteral("sample.bnd"))); file.isFile()) {
            example = file.absoluteFilePath();
            break;
        }
    if (example.isEmpty()) {
        ShowWarning(m_pFrame.get(), TextOf(ShellText::NoExample));
        return false;
    }
    if (!m_pDoc->SaveModified())
        return false;
    bool replaced = false;
    const bool opened = m_pDoc->OnOpenCopy(example, &replaced);
    if (replaced)
        m_pFrame->InitialUpdate();
    return opened;
}

void CTenvixApp::OnAppAbout()
{
    CAboutDlg dlg(m_pFrame.get());
    ExecModal(dlg);
}

} // namespace tenvix::ui
