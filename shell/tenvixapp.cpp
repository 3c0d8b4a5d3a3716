#include "shell/tenvixapp.h"

#include "shell/aboutdlg.h"
#include "shell/mainframe.h"
#include "shell/services.h"
#include "shell/settings.h"
#include "shell/tenvixdoc.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>

namespace tenvix::ui {

CTenvixApp::CTenvixApp() = default;

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

    if (!CreateFrame()) {
        m_pFrame.reset();
        Messages().Show(nullptr, QStringLiteral("Failed to create empty document."), QString::fromLatin1(kAppName),
                        MsgIcon::Exclamation, MsgButtons::Ok);
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
    connect(f->Action(ID_APP_ABOUT), &QAction::triggered, this, &CTenvixApp::OnAppAbout);
    connect(f, &CMainFrame::RecentFileChosen, this, &CTenvixApp::OnOpenRecentFile);
    connect(f, &CMainFrame::FilesDropped, this, &CTenvixApp::OpenFiles);
    f->UpdateRecentFileMenu(m_recentFiles);
    return true;
}

void CTenvixApp::ExitInstance()
{
    m_recentFiles.WriteList();
}

void CTenvixApp::AddToRecentFileList(const QString& path)
{
    m_recentFiles.Add(path);
    if (m_pFrame)
        m_pFrame->UpdateRecentFileMenu(m_recentFiles);
}

void CTenvixApp::OnFileNew()
{
    if (!m_pDoc->SaveModified())
        return;
    m_pDoc->OnNewDocument();
    m_pFrame->InitialUpdate();
}

void CTenvixApp::OnFileOpen()
{
    FileChoice choice;
    choice.filters = CTenvixDoc::Filters();
    choice.defaultSuffix = CTenvixDoc::DefaultSuffix();
    const QString path = FileChooser().ChooseOpen(m_pFrame.get(), choice);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

bool CTenvixApp::OpenDocumentFile(const QString& path)
{
    if (!m_pDoc->SaveModified())
        return false;
    return OpenAfterAsking(path);
}

bool CTenvixApp::OpenAfterAsking(const QString& path)
{
    bool replaced = false;
    const bool opened = m_pDoc->OnOpenDocument(path, &replaced);
    if (opened)
        m_pDoc->SetPathName(path);
    // A file that couldn't be read changed nothing, so the form keeps its
    // record and any typing not yet saved; after a failed load the views
    // show the empty database left behind.
    if (replaced)
        m_pFrame->InitialUpdate();
    return opened;
}

void CTenvixApp::OnOpenRecentFile(int index)
{
    if (index < 0 || index >= m_recentFiles.GetSize())
        return;
    const QString path = m_recentFiles[index];
    if (!m_pDoc->SaveModified())
        return;
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
        return;
    }
    m_pDoc->SetPathName(path);
    m_pFrame->InitialUpdate();
}

void CTenvixApp::OpenFiles(const QStringList& paths)
{
    // In turn, each after the usual question; a Cancel stops the rest.
    for (const QString& path : paths) {
        if (!m_pDoc->SaveModified())
            return;
        OpenAfterAsking(path);
    }
    if (m_pFrame) {
        m_pFrame->raise();
        m_pFrame->activateWindow();
    }
}

void CTenvixApp::OnAppAbout()
{
    CAboutDlg dlg(m_pFrame.get());
    dlg.exec();
}

} // namespace tenvix::ui
