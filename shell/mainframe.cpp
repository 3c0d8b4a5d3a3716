// The frame: its document, panes and analysis settings, and what its commands
// do. The actions, menus and bars are built in mainframebuild.cpp from the
// command table of frameactions.h; the commands that open a window are in
// mainframewindows.cpp.

#include "shell/mainframe.h"

#include "analysis/analysisdlg.h"
#include "editor/inview.h"
#include "explain/cashflowview.h"
#include "model/date.h"
#include "shell/barlayout.h"
#include "shell/guidewindow.h"
#include "shell/mylistview.h"
#include "shell/recentfiles.h"
#include "shell/settings.h"
#include "shell/shelltexts.h"
#include "shell/statusindicators.h"
#include "uikit/datepicker.h"
#include "uikit/resources.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDockWidget>
#include <QDropEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>

namespace tenvix::ui {

CMainFrame::CMainFrame(CTenvixDoc& doc, QWidget* parent) : QMainWindow(parent), m_doc(doc)
{
    InitResources();
    setObjectName(QStringLiteral("MainFrame"));
    setAcceptDrops(true);
    setWindowIcon(QIcon(QStringLiteral(":/icons/app.png")));
}

CMainFrame::~CMainFrame()
{
    // The panes outlive this part of the frame by a little: they must not
    // call back into it while the window base tears them down.
    if (m_pForm)
        disconnect(m_pForm, nullptr, this, nullptr);
    if (m_wndCashflowsDock)
        disconnect(m_wndCashflowsDock, nullptr, this, nullptr);
    m_doc.SetViews(nullptr);
    delete m_dlgAnalysis.data();
}

bool CMainFrame::Create()
{
    // Actions and menus first: the bars show the same actions.
    CreateActions();
    CreateMenus();
    const bool restored = RestoreWindowPos();
    if (!CreateBars())
        return false;
    CreateClient();
    CreateCashflowsDock();
    if (!restored) {
        // A first run: room for the whole form beside the identifiers, as far
        // as the screen allows, and a little more where there is more.
        const int needed = m_pListView->IdsWidth() + m_wndSplitter->handleWidth() + m_pForm->DesignSize().width();
        QSize size = sizeHint().expandedTo(QSize(std::max(960, needed), 640));
        if (const QScreen* screen = this->screen()) {
            const QSize room = screen->availableGeometry().size();
            size = size.boundedTo(
                QSize(std::max(room.width() * 9 / 10, std::min(needed, room.width())), room.height() * 9 / 10));
        }
        resize(size);
    }
    // A window of its own, not a child of the frame, so that it gets its own
    // task-bar button; the frame deletes it. Hidden until Single analysis.
    auto* analysis = new AnalysisDialog();
    m_dlgAnalysis = analysis;
    ExplainInto(analysis, ExplainSource::Analysis);
    m_pSeekResults.assign(kMaxSeekResults, CBondList::Position{});
    m_pListView->SetSeekResults(m_pSeekResults);

    LoadBarState(*this,
                 {{AFX_IDW_TOOLBAR, m_wndToolBar},
                  {AFX_IDW_STATUS_BAR, m_wndStatusBar},
                  {IDW_RUNBAR, m_wndRunBar},
                  {IDW_SEEKBAR, m_wndSeekBar},
                  {IDW_ACTIONBAR, m_wndActionBar}},
                 QString::fromLatin1(kCompanyKey), {m_wndCashflowsDock});

    qApp->installEventFilter(this);
    m_doc.SetViews(this);
    connect(&m_doc, &CTenvixDoc::TitleChanged, this, &CMainFrame::UpdateTitle);
    connect(&m_doc, &CTenvixDoc::ModifiedChanged, this, &CMainFrame::UpdateCommandUI);
    connect(&m_doc, &CTenvixDoc::ModifiedChanged, this, &QWidget::setWindowModified);
    UpdateTitle();
    UpdateCommandUI();
    return true;
}

void CMainFrame::CreateClient()
{
    m_wndSplitter = new QSplitter(Qt::Horizontal, this);
    m_wndSplitter->setObjectName(QStringLiteral("Splitter"));
    m_wndSplitter->setChildrenCollapsible(false);

    m_pListView = new CMyListView(m_wndSplitter);
    m_pListView->setObjectName(QStringLiteral("ListPane"));
    m_pForm = new CInView(m_wndSplitter);
    m_pForm->setObjectName(QStringLiteral("FormPane"));
    m_pForm->SetHost(this);
    connect(m_pForm, &CInView::EditStateChanged, this, &CMainFrame::UpdateEditCommands);
    connect(m_pForm, &CInView::FormEdited, this, &CMainFrame::UpdateSaveCommand);
    m_pForm->SetEmptyHint(TextOf(ShellText::EmptyDatabase));
    // A pick moves away from the record shown: the question first, the
    // record after it has returned (a save changes no position).
    m_pListView->SetRecordShower([this](CBondList::Position pos) {
        if (m_pForm->ConfirmLeave())
            m_pForm->ShowRecordAt(pos);
    });

    // The list starts where the user left the divider, or, the first time,
    // wide enough for the identifiers: a sliver is a list nobody finds.
    m_pListView->setMinimumWidth(11);
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    int list = GetProfileInt(QStringLiteral("Settings"), QStringLiteral("ListWidth"), 0);
    if (list <= 0)
        list = m_pListView->IdsWidth();
    // A stored width beyond any screen is no width the user dragged.
    const int widest = screen() ? screen()->virtualSize().width() : 4096;
    list = std::clamp(list, m_pListView->minimumWidth(), std::max(m_pListView->minimumWidth(), widest));
    m_wndSplitter->setSizes({list, std::max(list, width() - list)});
    setCentralWidget(m_wndSplitter);
}

bool CMainFrame::RestoreWindowPos()
{
    const auto pos = ParseWindowPos(GetProfileString(QStringLiteral("Settings"), QStringLiteral("WindowPos")));
    if (!pos)
        return false;
    setGeometry(pos->rect);
    // The flag is on for any non-zero value; kept as 1, so M2 can turn it off.
    m_bSquareM = pos->squareM != 0 ? 1 : 0;
    return true;
}

QToolBar* CMainFrame::Bar(int barId) const
{
    switch (barId) {
    case AFX_IDW_TOOLBAR:
        return m_wndToolBar;
    case IDW_RUNBAR:
        return m_wndRunBar;
    case IDW_SEEKBAR:
        return m_wndSeekBar;
    case IDW_ACTIONBAR:
        return m_wndActionBar;
    default:
        return nullptr;
    }
}

double CMainFrame::StandDate() const { return m_wndStandDate->Value(); }
double CMainFrame::Horizon() const { return m_wndHorizon->Value(); }

void CMainFrame::SetModified()
{
    m_doc.SetModifiedFlag(true);
    // Every change of the records passes here: the form's saves, additions
    // and deletions, and the prices and imports of OnDatabaseChanged.
    MarkMarketOutOfDate();
}

void CMainFrame::ClearListView()
{
    if (m_pListView)
        m_pListView->RemoveAllRows();
}

CBondList& CMainFrame::BondList() { return m_pForm->m_bondList; }

void CMainFrame::ClearViews()
{
    // Every New and Open comes here, a reload of the file included.
    OnDatabaseChanged(DatabaseChange::Replaced);
    ClearListView();
    m_pForm->m_posCurrent.reset();
    if (m_pForm->m_bLayoutReady)
        m_pForm->ClearForm();
}

bool CMainFrame::ConfirmLeaveRecord() { return m_pForm->ConfirmLeave(); }

void CMainFrame::InitialUpdate()
{
    m_pForm->OnInitialUpdate();
    // The list starts with the database's first bonds, as a seek of the
    // empty text finds them; any change empties it again.
    m_pListView->Seek(BondList(), SeekBy::ID, QString());
    UpdateEditCommands();
}

void CMainFrame::UpdateTitle()
{
    // Qt puts the platform's mark of unsaved changes where [*] stands, after
    // the document's name; a "[*]" in the name itself is doubled to stay text.
    QString name = m_doc.GetTitle();
    name.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(name + QStringLiteral("[*] - ") + QString::fromLatin1(kAppName));
    setWindowModified(m_doc.IsModified());
}

void CMainFrame::UpdateCommandUI()
{
    UpdateSaveCommand();
    Action(ID_SQUARE_M)->setChecked(m_bSquareM != 0);
    Action(ID_VIEW_TOOLBAR)->setChecked(!m_wndToolBar->isHidden());
    Action(ID_VIEW_STATUS_BAR)->setChecked(!m_wndStatusBar->isHidden());
    Action(ID_VIEW_RUNBAR)->setChecked(!m_wndRunBar->isHidden());
    Action(ID_VIEW_SEEKBAR)->setChecked(!m_wndSeekBar->isHidden());
    Action(ID_VIEW_ACTIONBAR)->setChecked(!m_wndActionBar->isHidden());
    Action(ID_VIEW_CASHFLOWS)->setChecked(!m_wndCashflowsDock->isHidden());
    UpdateEditCommands();
}

void CMainFrame::UpdateSaveCommand()
{
    // Typing in the form is something to save too: Save asks about it first.
    Action(ID_FILE_SAVE)->setEnabled(m_doc.IsModified() || m_pForm->IsFormChanged());
}

void CMainFrame::OnFileSave()
{
    if (!m_pForm->ConfirmBeforeFileSave())
        return;
    if (m_doc.IsModified())
        m_doc.DoFileSave();
    UpdateSaveCommand();
}

void CMainFrame::UpdateEditCommands()
{
    // The edit commands serve the record form's text fields.
    Action(ID_EDIT_UNDO)->setEnabled(m_pForm->CanEditUndo());
    Action(ID_EDIT_CUT)->setEnabled(m_pForm->CanEditCut());
    Action(ID_EDIT_COPY)->setEnabled(m_pForm->CanEditCopy());
    Action(ID_EDIT_PASTE)->setEnabled(m_pForm->CanEditPaste());
}

void CMainFrame::UpdateRecentFileMenu(const RecentFileList& list)
{
    qDeleteAll(m_recentActions);
    m_recentActions.clear();
    for (int i = 0; i < list.GetSize(); ++i) {
        auto* a = new QAction(list.MenuText(i), this);
        a->setObjectName(QStringLiteral("actionRecentFile%1").arg(i + 1));
        a->setStatusTip(QString::fromLatin1(FindFrameCommand(ID_FILE_MRU_FILE1)->prompt));
        a->setData(list[i]);
        connect(a, &QAction::triggered, this, [this, i] { emit RecentFileChosen(i); });
        m_pFileMenu->insertAction(m_pRecentSeparator, a);
        m_recentActions.append(a);
    }
    m_pRecentSeparator->setVisible(!m_recentActions.isEmpty());
}

int CMainFrame::ActivePane() const
{
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || !m_wndSplitter)
        return -1;
    for (int i = 0; i < m_wndSplitter->count(); ++i) {
        const QWidget* pane = m_wndSplitter->widget(i);
        if (focus == pane || pane->isAncestorOf(focus))
            return i;
    }
    return -1;
}

void CMainFrame::ActivatePane(int pane)
{
    QWidget* w = m_wndSplitter->widget(pane);
    if (!w)
        return;
    // The pane's own focus child if it had one, else its first field.
    QWidget* target = w->focusWidget();
    if (!target) {
        target = w;
        for (QWidget* c = w->nextInFocusChain(); c != w && w->isAncestorOf(c); c = c->nextInFocusChain())
            if (c->isEnabled() && c->isVisibleTo(w) && (c->focusPolicy() & Qt::TabFocus)) {
                target = c;
                break;
            }
    }
    target->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::ToggleBar(QWidget* bar)
{
    bar->setVisible(bar->isHidden());
    UpdateCommandUI();
}

void CMainFrame::OnSquareM()
{
    m_bSquareM ^= 1;
    UpdateCommandUI();
}

void CMainFrame::MarkDatabaseAnalyses(OutOfDate reason)
{
    for (ExplainSource source : {ExplainSource::Form, ExplainSource::Portfolio})
        m_pCashflows->MarkOutOfDate(source, reason);
}

void CMainFrame::OnDatabaseChanged(DatabaseChange change)
{
    MarkMarketOutOfDate();
    switch (change) {
    case DatabaseChange::Prices:
        MarkDatabaseAnalyses(OutOfDate::Prices);
        m_pForm->RefreshPrice();
        SetModified();
        break;
    case DatabaseChange::Removed: {
        if (!m_pExplainedRecord)
            break;
        const auto& list = BondList().m_list;
        if (std::any_of(list.begin(), list.end(), [this](const auto& slot) { return &slot == m_pExplainedRecord; }))
            break;
        m_pExplainedRecord = nullptr;
        // The form has shown another record by now, and the view took that
        // for an edit; a deletion says more.
        m_pCashflows->MarkOutOfDate(ExplainSource::Form, OutOfDate::Deleted);
        break;
    }
    case DatabaseChange::Replaced:
        m_pExplainedRecord = nullptr;
        MarkDatabaseAnalyses(OutOfDate::Replaced);
        break;
    case DatabaseChange::Imported:
        MarkDatabaseAnalyses(OutOfDate::Imported);
        // The list view's rows and the form's fields may show records that
        // were replaced; the positions themselves stay valid.
        ClearListView();
        if (m_pForm->m_posCurrent)
            m_pForm->FillForm(*m_pForm->m_posCurrent);
        else if (!BondList().m_list.empty())
            m_pForm->ShowRecordAt(BondList().m_list.begin());
        SetModified();
        break;
    }
}

// The record commands go to the form; the frame only hears what went.
void CMainFrame::OnAddRecord(int type) { m_pForm->AddRecord(type); }
void CMainFrame::OnRecordSave() { m_pForm->SaveRecord(); }

void CMainFrame::OnRecordDelete()
{
    m_pForm->DeleteRecord();
    OnDatabaseChanged(DatabaseChange::Removed);
}

void CMainFrame::OnSeek()
{
    RunSeek(*m_wndSeekBy, *m_wndSeekWhat, *m_pListView, BondList());
    // A list the user dragged almost closed would hide the result: a seek
    // that found something opens it far enough to show its two columns.
    const int wanted = m_pListView->SuggestedWidth();
    const QList<int> sizes = m_wndSplitter->sizes();
    if (m_pListView->topLevelItemCount() > 0 && sizes.size() == 2 && sizes[0] < wanted && sizes[1] > wanted)
        m_wndSplitter->setSizes({wanted, sizes[0] + sizes[1] - wanted});
}

void CMainFrame::SaveWindowSettings()
{
    SaveBarState(*this,
                 {{AFX_IDW_TOOLBAR, m_wndToolBar},
                  {AFX_IDW_STATUS_BAR, m_wndStatusBar},
                  {IDW_RUNBAR, m_wndRunBar},
                  {IDW_SEEKBAR, m_wndSeekBar},
                  {IDW_ACTIONBAR, m_wndActionBar}},
                 QString::fromLatin1(kCompanyKey), {m_wndCashflowsDock});
    // A minimised or maximised window is stored with the rectangle it has
    // (maximised) or returns to (minimised); the state itself is not kept.
    const QRect rect = (windowState() & Qt::WindowMinimized) ? normalGeometry() : geometry();
    WriteProfileString(QStringLiteral("Settings"), QStringLiteral("WindowPos"), FormatWindowPos(rect, m_bSquareM));
    WriteProfileInt(QStringLiteral("Settings"), QStringLiteral("ListWidth"), m_wndSplitter->sizes().value(0));
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    SaveWindowSettings();
    // Hidden, not destroyed: should the user cancel below, Single analysis
    // still has its window, with what it showed.
    if (m_dlgAnalysis)
        m_dlgAnalysis->hide();
    if (!m_doc.SaveModified()) {
        event->ignore();
        return;
    }
    event->accept();
}

QMenu* CMainFrame::createPopupMenu()
{
    // The bars' and the frame's context menu is the View menu.
    UpdateCommandUI();
    auto* menu = new QMenu(this);
    menu->addActions(m_pViewMenu->actions());
    return menu;
}

void CMainFrame::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createPopupMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->popup(event->globalPos() + QPoint(0, 1));
    event->accept();
}

namespace {
bool CarriesFiles(const QMimeData* data)
{
    const QList<QUrl> urls = data ? data->urls() : QList<QUrl>();
    return !urls.isEmpty() && std::all_of(urls.begin(), urls.end(), [](const QUrl& u) { return u.isLocalFile(); });
}
} // namespace

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (CarriesFiles(event->mimeData()))
        event->acceptProposedAction();
}

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) && watched != this &&
        watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
        auto* drop = static_cast<QDropEvent*>(event);
        if (CarriesFiles(drop->mimeData())) {
            if (type == QEvent::Drop)
                dropEvent(drop);
            else
                drop->acceptProposedAction();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& u : event->mimeData()->urls())
        if (u.isLocalFile())
            paths << u.toLocalFile();
    if (paths.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened after the drop has ended, so the questions don't hold up the
    // program the files came from.
    QTimer::singleShot(0, this, [this, paths] { emit FilesDropped(paths); });
}

} // namespace tenvix::ui
