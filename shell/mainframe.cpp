#include "shell/mainframe.h"

#include "analysis/analysisdlg.h"
#include "editor/inview.h"
#include "model/date.h"
#include "portfolio/portfoliodlg.h"
#include "shell/barlayout.h"
#include "shell/deletemanydlg.h"
#include "shell/mylistview.h"
#include "shell/priceupdatedlg.h"
#include "uikit/datepicker.h"
#include "shell/recentfiles.h"
#include "uikit/resources.h"
#include "uikit/services.h"
#include "shell/settings.h"
#include "shell/statusindicators.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QContextMenuEvent>
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

namespace tenvix::ui {

namespace {

// The status-bar prompt and, after the line feed, the tooltip of a command.
struct CommandText {
    int id;
    const char* text;
};

constexpr CommandText kCommandTexts[] = {
    {ID_SEEK, "Begin seek\nBegin seek"},
    {ID_MOVE_FIRST, "Move to the first\nFirst (Ctrl+F)"},
    {ID_MOVE_PREV, "Move to the previous\nPrevious (Ctrl+P)"},
    {ID_MOVE_NEXT, "Move to the next\nNext (Ctrl+N)"},
    {ID_MOVE_LAST, "Move to the last\nLast (Ctrl+L)"},
    {ID_RECORD_ADD, "Add a record\nAdd"},
    {ID_ADD_TYPE1, "Standard bond type"},
    {ID_ADD_TYPE2, "Free bond type"},
    {ID_RECORD_DELETE, "Delete the record\nDelete"},
    {ID_RECORD_SAVE, "Save the changes\nSave"},
    {ID_DELETE_MANY, "Delete many records"},
    {ID_UPDATE_ALL, "Update all matched bonds\nUpdate all"},
    {ID_RUN_PORTFOLIO, "Go with the portfolio creation\nGo"},
    {ID_SINGLE_ANALYSIS, "Single analysis\nSingle analysis"},
    {ID_SQUARE_M, "Check if you want Square-M to be calculateed \nSquare-M wanted ?"},
    {ID_VIEW_RUNBAR, "Show or hide runbar"},
    {ID_VIEW_SEEKBAR, "Show or hide seekbar"},
    {ID_VIEW_ACTIONBAR, "Show or hide action bar"},
    {ID_VIEW_TOOLBAR, "Show or hide the toolbar\nToggle ToolBar"},
    {ID_VIEW_STATUS_BAR, "Show or hide the status bar\nToggle StatusBar"},
    {ID_SEEK_BY, "Choose seek criteria\nSeek by"},
    {ID_SEEK_WHAT, "Starts with\nSeek what"},
    {ID_STAND_DATE, "Date for portfolio beginning\nStand Date"},
    {ID_HORIZON, "Date for portfolio end\nInvestment Horizon"},
    {ID_FILE_NEW, "Create a new document\nNew"},
    {ID_FILE_OPEN, "Open an existing document\nOpen"},
    {ID_FILE_MRU_FILE1, "Open this document"},
    {ID_APP_ABOUT, "Display program information, version number and copyright\nAbout"},
    {ID_FILE_SAVE, "Save the active document\nSave"},
    {ID_FILE_SAVE_AS, "Save the active document with a new name\nSave As"},
    {ID_FILE_PRINT, "Print the active document\nPrint"},
    {ID_APP_EXIT, "Quit the application; prompts to save documents\nExit"},
    {ID_EDIT_UNDO, "Undo the last action\nUndo"},
    {ID_EDIT_CUT, "Cut the selection and put it on the Clipboard\nCut"},
    {ID_EDIT_COPY, "Copy the selection and put it on the Clipboard\nCopy"},
    {ID_EDIT_PASTE, "Insert Clipboard contents\nPaste"},
    {ID_NEXT_PANE, "Switch to the next window pane\nNext Pane"},
    {ID_PREV_PANE, "Switch back to the previous window pane\nPrevious Pane"},
};

// Prompt and tooltip of a command; an entry without a line feed has no tooltip.
std::pair<QString, QString> PromptAndTip(int id)
{
    for (const CommandText& c : kCommandTexts) {
        if (c.id != id)
            continue;
        const QString text = QString::fromLatin1(c.text);
        const qsizetype nl = text.indexOf(u'\n');
        return nl < 0 ? std::pair{text, QString()} : std::pair{text.left(nl), text.mid(nl + 1)};
    }
    return {};
}

void SetPromptAndTip(QWidget* w, int id)
{
    const auto [prompt, tip] = PromptAndTip(id);
    w->setStatusTip(prompt);
    w->setToolTip(tip);
}

QToolBar* MakeBar(QMainWindow* frame, const QString& title, const char* objectName, Qt::ToolBarAreas areas)
{
    auto* bar = new QToolBar(title, frame);
    bar->setObjectName(QLatin1String(objectName));
    bar->setIconSize(QSize(16, 15));
    bar->setMovable(true);
    bar->setFloatable(true);
    bar->setAllowedAreas(areas);
    return bar;
}

// A control on a bar, at least as wide as the place it stands on.
void PlaceOnBar(QToolBar* bar, QWidget* control, int width, int id)
{
    control->setMinimumWidth(std::max(width, control->minimumSizeHint().width()));
    control->setFixedWidth(std::max(width, control->sizeHint().width()));
    SetPromptAndTip(control, id);
    bar->addWidget(control);
}

} // namespace

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
    if (!restored) {
        // A first run: room for the whole form, as far as the screen allows.
        QSize size = sizeHint().expandedTo(QSize(960, 640));
        if (const QScreen* screen = this->screen())
            size = size.boundedTo(screen->availableGeometry().size() * 9 / 10);
        resize(size);
    }
    // A window of its own, not a child of the frame, so that it gets its own
    // task-bar button; the frame deletes it. Hidden until Single analysis.
    m_dlgAnalysis = new CAnalysisDlg();
    m_pSeekResults.assign(kMaxSeekResults, CBondList::Position{});
    m_pListView->SetSeekResults(m_pSeekResults);

    LoadBarState(*this,
                 {{AFX_IDW_TOOLBAR, m_wndToolBar},
                  {AFX_IDW_STATUS_BAR, m_wndStatusBar},
                  {IDW_RUNBAR, m_wndRunBar},
                  {IDW_SEEKBAR, m_wndSeekBar},
                  {IDW_ACTIONBAR, m_wndActionBar}},
                 QString::fromLatin1(kCompanyKey));

    qApp->installEventFilter(this);
    m_doc.SetViews(this);
    connect(&m_doc, &CTenvixDoc::TitleChanged, this, &CMainFrame::UpdateTitle);
    connect(&m_doc, &CTenvixDoc::ModifiedChanged, this, &CMainFrame::UpdateCommandUI);
    UpdateTitle();
    UpdateCommandUI();
    return true;
}

QAction* CMainFrame::MakeAction(int id, const QString& text, const char* objectName, const QString& icon)
{
    auto* a = new QAction(text, this);
    a->setObjectName(QLatin1String(objectName));
    const auto [prompt, tip] = PromptAndTip(id);
    a->setStatusTip(prompt);
    a->setToolTip(tip.isEmpty() ? QString(text).remove(u'&').section(u'\t', 0, 0) : tip);
    if (!icon.isEmpty()) {
        a->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)));
        a->setProperty("iconName", icon);
    }
    // Menus keep their "\t" shortcut column; the keys are registered below.
    a->setShortcutVisibleInContextMenu(false);
    m_actions.insert(id, a);
    addAction(a); // keys work wherever the focus is in the window
    return a;
}

void CMainFrame::CreateActions()
{
    // File: New, Open and the recent files are the application's; it connects them.
    MakeAction(ID_FILE_NEW, QStringLiteral("Ne&w\tCtrl+W"), "actionFileNew", QStringLiteral("new"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    MakeAction(ID_FILE_OPEN, QStringLiteral("&Open...\tCtrl+O"), "actionFileOpen", QStringLiteral("open"))
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    QAction* save = MakeAction(ID_FILE_SAVE, QStringLiteral("&Save\tCtrl+S"), "actionFileSave", QStringLiteral("save"));
    save->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    connect(save, &QAction::triggered, &m_doc, [this] {
        if (m_doc.IsModified())
            m_doc.DoFileSave();
    });
    connect(MakeAction(ID_FILE_SAVE_AS, QStringLiteral("Save &As..."), "actionFileSaveAs"), &QAction::triggered,
            &m_doc, [this] { m_doc.DoSave(QString()); });
    connect(MakeAction(ID_APP_EXIT, QStringLiteral("E&xit"), "actionAppExit"), &QAction::triggered, this,
            &QWidget::close);
    // The print key of the original command set: bound, so the key is taken,
    // but with nothing to do.
    MakeAction(ID_FILE_PRINT, QStringLiteral("&Print...\tCtrl+T"), "actionFilePrint")
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));

    // Edit, for the record form's text fields.
    struct EditCmd {
        int id;
        const char* text;
        const char* name;
        const char* icon;
        QList<QKeySequence> keys;
        void (CInView::*command)();
    };
    const EditCmd edits[] = {
        {ID_EDIT_UNDO, "&Undo\tCtrl+Z", "actionEditUndo", "",
         {QKeySequence(Qt::CTRL | Qt::Key_Z), QKeySequence(Qt::ALT | Qt::Key_Backspace)}, &CInView::OnEditUndo},
        {ID_EDIT_CUT, "Cu&t\tCtrl+X", "actionEditCut", "cut",
         {QKeySequence(Qt::CTRL | Qt::Key_X), QKeySequence(Qt::SHIFT | Qt::Key_Delete)}, &CInView::OnEditCut},
        {ID_EDIT_COPY, "&Copy\tCtrl+C", "actionEditCopy", "copy",
         {QKeySequence(Qt::CTRL | Qt::Key_C), QKeySequence(Qt::CTRL | Qt::Key_Insert)}, &CInView::OnEditCopy},
        {ID_EDIT_PASTE, "&Paste\tCtrl+V", "actionEditPaste", "paste",
         {QKeySequence(Qt::CTRL | Qt::Key_V), QKeySequence(Qt::SHIFT | Qt::Key_Insert)}, &CInView::OnEditPaste},
    };
    for (const EditCmd& e : edits) {
        QAction* a = MakeAction(e.id, QString::fromLatin1(e.text), e.name, QString::fromLatin1(e.icon));
        a->setShortcuts(e.keys);
        connect(a, &QAction::triggered, this, [this, command = e.command] {
            (m_pForm->*command)();
            UpdateEditCommands();
        });
    }

    // View: the bar toggles.
    const struct {
        int id;
        const char* text;
        const char* name;
    } toggles[] = {
        {ID_VIEW_TOOLBAR, "&Toolbar", "actionViewToolbar"},
        {ID_VIEW_STATUS_BAR, "&Status Bar", "actionViewStatusBar"},
        {ID_VIEW_RUNBAR, "&Runbar", "actionViewRunbar"},
        {ID_VIEW_SEEKBAR, "S&eekbar", "actionViewSeekbar"},
        {ID_VIEW_ACTIONBAR, "Actio&nbar", "actionViewActionbar"},
    };
    for (const auto& t : toggles) {
        QAction* a = MakeAction(t.id, QString::fromLatin1(t.text), t.name);
        a->setCheckable(true);
        a->setChecked(true);
        connect(a, &QAction::triggered, this, [this, id = t.id] {
            QWidget* bar = id == ID_VIEW_STATUS_BAR ? static_cast<QWidget*>(m_wndStatusBar)
                                                    : Bar(id == ID_VIEW_TOOLBAR    ? AFX_IDW_TOOLBAR
                                                          : id == ID_VIEW_RUNBAR  ? IDW_RUNBAR
                                                          : id == ID_VIEW_SEEKBAR ? IDW_SEEKBAR
                                                                                  : IDW_ACTIONBAR);
            ToggleBar(bar);
        });
    }

    // Action: the record commands go to the record form.
    const struct {
        int id;
        const char* text;
        const char* name;
        const char* icon;
        Qt::Key key;
        void (CInView::*command)();
    } moves[] = {
        {ID_MOVE_FIRST, "F&irst\tCtrl+F", "actionMoveFirst", "first", Qt::Key_F, &CInView::MoveFirst},
        {ID_MOVE_PREV, "&Prev\tCtrl+P", "actionMovePrev", "prev", Qt::Key_P, &CInView::MovePrev},
        {ID_MOVE_NEXT, "&Next\tCtrl+N", "actionMoveNext", "next", Qt::Key_N, &CInView::MoveNext},
        {ID_MOVE_LAST, "&Last\tCtrl+L", "actionMoveLast", "last", Qt::Key_L, &CInView::MoveLast},
    };
    for (const auto& m : moves) {
        QAction* a = MakeAction(m.id, QString::fromLatin1(m.text), m.name, QString::fromLatin1(m.icon));
        a->setShortcut(QKeySequence(Qt::CTRL | m.key));
        connect(a, &QAction::triggered, this, [this, command = m.command] { (m_pForm->*command)(); });
    }
    connect(MakeAction(ID_RECORD_SAVE, QStringLiteral("&Save"), "actionRecordSave", QStringLiteral("recsave")),
            &QAction::triggered, this, &CMainFrame::OnRecordSave);
    connect(MakeAction(ID_RECORD_ADD, QStringLiteral("Add"), "actionRecordAdd", QStringLiteral("add")),
            &QAction::triggered, this, [this] { OnAddRecord(0); });
    connect(MakeAction(ID_ADD_TYPE1, QStringLiteral("Type I"), "actionAddType1", QStringLiteral("type1")),
            &QAction::triggered, this, [this] { OnAddRecord(0); });
    connect(MakeAction(ID_ADD_TYPE2, QStringLiteral("Type II"), "actionAddType2", QStringLiteral("type2")),
            &QAction::triggered, this, [this] { OnAddRecord(1); });
    connect(MakeAction(ID_RECORD_DELETE, QStringLiteral("&Del"), "actionRecordDelete", QStringLiteral("delete")),
            &QAction::triggered, this, &CMainFrame::OnRecordDelete);
    connect(MakeAction(ID_DELETE_MANY, QStringLiteral("Delete &Many"), "actionDeleteMany"), &QAction::triggered,
            this, &CMainFrame::OnDeleteMany);

    // Run.
    connect(MakeAction(ID_UPDATE_ALL, QStringLiteral("&Update All"), "actionUpdateAll", QStringLiteral("update")),
            &QAction::triggered, this, &CMainFrame::OnUpdateAll);
    connect(MakeAction(ID_RUN_PORTFOLIO, QStringLiteral("&Run"), "actionRunPortfolio", QStringLiteral("run")),
            &QAction::triggered, this, &CMainFrame::OnRunPortfolio);
    QAction* m2 = MakeAction(ID_SQUARE_M, QStringLiteral("&M2"), "actionSquareM", QStringLiteral("m2"));
    m2->setCheckable(true);
    connect(m2, &QAction::triggered, this, &CMainFrame::OnSquareM);
    connect(MakeAction(ID_SINGLE_ANALYSIS, QStringLiteral("Single analysis"), "actionSingleAnalysis",
                       QStringLiteral("analysis")),
            &QAction::triggered, this, &CMainFrame::OnSingleAnalysis);
    connect(MakeAction(ID_SEEK, QStringLiteral("Begin seek"), "actionSeek", QStringLiteral("seek")),
            &QAction::triggered, this, &CMainFrame::OnSeek);

    // Help: the application connects About.
    MakeAction(ID_APP_ABOUT, QStringLiteral("A&bout tenvix..."), "actionAppAbout", QStringLiteral("about"));

    // F6 and Shift+F6: with two panes, both go to the other one.
    QAction* next = MakeAction(ID_NEXT_PANE, QStringLiteral("Ne&xt Pane"), "actionNextPane");
    next->setShortcut(QKeySequence(Qt::Key_F6));
    connect(next, &QAction::triggered, this, [this] { ActivatePane(ActivePane() == 0 ? 1 : 0); });
    QAction* prev = MakeAction(ID_PREV_PANE, QStringLiteral("Pre&vious Pane"), "actionPrevPane");
    prev->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F6));
    connect(prev, &QAction::triggered, this, [this] { ActivatePane(ActivePane() == 1 ? 0 : 1); });
}

void CMainFrame::CreateMenus()
{
    QMenuBar* bar = menuBar();

    m_pFileMenu = bar->addMenu(QStringLiteral("&File"));
    m_pFileMenu->setObjectName(QStringLiteral("menuFile"));
    m_pFileMenu->addAction(Action(ID_FILE_NEW));
    m_pFileMenu->addAction(Action(ID_FILE_OPEN));
    m_pFileMenu->addAction(Action(ID_FILE_SAVE));
    m_pFileMenu->addAction(Action(ID_FILE_SAVE_AS));
    m_pFileMenu->addSeparator();
    m_pRecentSeparator = m_pFileMenu->addSeparator();
    m_pRecentSeparator->setVisible(false);
    m_pFileMenu->addAction(Action(ID_APP_EXIT));

    QMenu* edit = bar->addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("menuEdit"));
    edit->addAction(Action(ID_EDIT_UNDO));
    edit->addSeparator();
    edit->addAction(Action(ID_EDIT_CUT));
    edit->addAction(Action(ID_EDIT_COPY));
    edit->addAction(Action(ID_EDIT_PASTE));

    m_pViewMenu = bar->addMenu(QStringLiteral("&View"));
    m_pViewMenu->setObjectName(QStringLiteral("menuView"));
    for (int id : {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_RUNBAR, ID_VIEW_SEEKBAR, ID_VIEW_ACTIONBAR})
        m_pViewMenu->addAction(Action(id));

    QMenu* action = bar->addMenu(QStringLiteral("&Action"));
    action->setObjectName(QStringLiteral("menuAction"));
    for (int id : {ID_MOVE_FIRST, ID_MOVE_PREV, ID_MOVE_NEXT, ID_MOVE_LAST})
        action->addAction(Action(id));
    action->addSeparator();
    action->addAction(Action(ID_RECORD_SAVE));
    action->addSeparator();
    m_pAddMenu = action->addMenu(QStringLiteral("Add"));
    m_pAddMenu->setObjectName(QStringLiteral("menuAdd"));
    m_pAddMenu->addAction(Action(ID_ADD_TYPE1));
    m_pAddMenu->addAction(Action(ID_ADD_TYPE2));
    action->addAction(Action(ID_RECORD_DELETE));
    action->addSeparator();
    action->addAction(Action(ID_DELETE_MANY));

    QMenu* run = bar->addMenu(QStringLiteral("&Run"));
    run->setObjectName(QStringLiteral("menuRun"));
    run->addAction(Action(ID_UPDATE_ALL));
    run->addAction(Action(ID_RUN_PORTFOLIO));
    run->addSeparator();
    run->addAction(Action(ID_SQUARE_M));

    QMenu* help = bar->addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    help->addAction(Action(ID_APP_ABOUT));

    // Menus show the state of the moment they open.
    for (QMenu* m : {m_pFileMenu, edit, m_pViewMenu, action, run})
        connect(m, &QMenu::aboutToShow, this, &CMainFrame::UpdateCommandUI);
}

bool CMainFrame::CreateBars()
{
    // Standard tool bar.
    m_wndToolBar = MakeBar(this, QStringLiteral("Standard"), "ToolBar", Qt::AllToolBarAreas);
    for (int id : {ID_FILE_NEW, ID_FILE_OPEN, ID_FILE_SAVE})
        m_wndToolBar->addAction(Action(id));
    m_wndToolBar->addSeparator();
    for (int id : {ID_EDIT_CUT, ID_EDIT_COPY, ID_EDIT_PASTE})
        m_wndToolBar->addAction(Action(id));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ID_SINGLE_ANALYSIS));
    m_wndToolBar->addSeparator();
    m_wndToolBar->addAction(Action(ID_APP_ABOUT));

    // Status bar: the message pane, then the lock-key indicators.
    m_wndStatusBar = statusBar();
    m_wndStatusBar->setObjectName(QStringLiteral("StatusBar"));
    m_pReady = new QLabel(QStringLiteral("Ready"), m_wndStatusBar);
    m_pReady->setObjectName(QStringLiteral("MessagePane"));
    m_wndStatusBar->addWidget(m_pReady, 1);
    auto* indicators = new CStatusIndicators(m_wndStatusBar);
    for (QLabel* l : indicators->Labels())
        m_wndStatusBar->addPermanentWidget(l);

    // Run bar: Update All, Run, the two pickers, M2.
    m_wndRunBar = MakeBar(this, QStringLiteral("Runbar"), "RunBar", Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_wndRunBar->addAction(Action(ID_UPDATE_ALL));
    m_wndRunBar->addAction(Action(ID_RUN_PORTFOLIO));
    m_wndStandDate = new DatePicker(m_wndRunBar);
    m_wndStandDate->setObjectName(QStringLiteral("StandDate"));
    PlaceOnBar(m_wndRunBar, m_wndStandDate, 90, ID_STAND_DATE);
    m_wndHorizon = new DatePicker(m_wndRunBar);
    m_wndHorizon->setObjectName(QStringLiteral("Horizon"));
    PlaceOnBar(m_wndRunBar, m_wndHorizon, 90, ID_HORIZON);
    m_wndRunBar->addSeparator();
    m_wndRunBar->addAction(Action(ID_SQUARE_M));

    // Seek bar: criterion, text, Begin seek.
    m_wndSeekBar = MakeBar(this, QStringLiteral("Seekbar"), "SeekBar", Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_wndSeekBy = new QComboBox(m_wndSeekBar);
    m_wndSeekBy->setObjectName(QStringLiteral("SeekBy"));
    m_wndSeekBy->addItems({QStringLiteral("By ID"), QStringLiteral("By Name")});
    m_wndSeekBy->setCurrentIndex(0);
    m_wndSeekBy->view()->setMinimumWidth(100);
    PlaceOnBar(m_wndSeekBar, m_wndSeekBy, 75, ID_SEEK_BY);
    m_wndSeekWhat = new QComboBox(m_wndSeekBar);
    m_wndSeekWhat->setObjectName(QStringLiteral("SeekWhat"));
    m_wndSeekWhat->setEditable(true);
    m_wndSeekWhat->setInsertPolicy(QComboBox::NoInsert); // the seek keeps the history itself
    m_wndSeekWhat->lineEdit()->setMaxLength(15);
    SetUpSeekBox(*m_wndSeekWhat);
    // Enter in the seek box starts the seek.
    connect(m_wndSeekWhat->lineEdit(), &QLineEdit::returnPressed, this, &CMainFrame::OnSeek);
    m_wndSeekWhat->view()->setMinimumWidth(100);
    PlaceOnBar(m_wndSeekBar, m_wndSeekWhat, 75, ID_SEEK_WHAT);
    m_wndSeekBar->addAction(Action(ID_SEEK));

    // Action bar: moves, Save, Add with its types, Delete.
    m_wndActionBar = MakeBar(this, QStringLiteral("Actionbar"), "ActionBar", Qt::AllToolBarAreas);
    for (int id : {ID_MOVE_FIRST, ID_MOVE_PREV, ID_MOVE_NEXT, ID_MOVE_LAST})
        m_wndActionBar->addAction(Action(id));
    m_wndActionBar->addSeparator();
    m_wndActionBar->addAction(Action(ID_RECORD_SAVE));
    m_wndActionBar->addSeparator();
    m_wndActionBar->addAction(Action(ID_RECORD_ADD));
    auto* add = qobject_cast<QToolButton*>(m_wndActionBar->widgetForAction(Action(ID_RECORD_ADD)));
    if (!add)
        return false;
    add->setMenu(m_pAddMenu);
    add->setPopupMode(QToolButton::MenuButtonPopup);
    m_wndActionBar->addAction(Action(ID_RECORD_DELETE));
    // The action bar's buttons light up under the pointer.
    for (QAction* a : m_wndActionBar->actions()) {
        if (a->isSeparator())
            continue;
        const QString hot = QStringLiteral(":/icons/%1_hot.png").arg(a->property("iconName").toString());
        QIcon icon = a->icon();
        icon.addFile(hot, QSize(), QIcon::Active);
        if (!QFile::exists(hot))
            return false;
        a->setIcon(icon);
    }

    // Every image must be there: a bar of blank buttons is no bar.
    for (QAction* a : std::as_const(m_actions))
        if (!a->icon().isNull() && a->icon().availableSizes().isEmpty())
            return false;

    DockBarsInitially();
    return true;
}

void CMainFrame::DockBarsInitially()
{
    // First row: the standard bar and the run bar; second: seek and action.
    addToolBar(Qt::TopToolBarArea, m_wndToolBar);
    addToolBar(Qt::TopToolBarArea, m_wndRunBar);
    addToolBarBreak(Qt::TopToolBarArea);
    addToolBar(Qt::TopToolBarArea, m_wndSeekBar);
    addToolBar(Qt::TopToolBarArea, m_wndActionBar);
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
    m_pListView->SetRecordShower([this](CBondList::Position pos) { m_pForm->ShowRecordAt(pos); });

    // The list starts almost closed; the user drags the divider to see it.
    m_pListView->setMinimumWidth(11);
    m_wndSplitter->setStretchFactor(0, 0);
    m_wndSplitter->setStretchFactor(1, 1);
    m_wndSplitter->setSizes({12, std::max(12, width() - 12)});
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

void CMainFrame::SetModified() { m_doc.SetModifiedFlag(true); }

void CMainFrame::ClearListView()
{
    if (m_pListView)
        m_pListView->RemoveAllRows();
}

CBondList& CMainFrame::BondList() { return m_pForm->m_bondList; }

void CMainFrame::ClearViews()
{
    ClearListView();
    m_pForm->m_posCurrent.reset();
    if (m_pForm->m_bLayoutReady)
        m_pForm->ClearForm();
}

void CMainFrame::InitialUpdate()
{
    m_pForm->OnInitialUpdate();
    UpdateEditCommands();
}

void CMainFrame::UpdateTitle()
{
    setWindowTitle(m_doc.GetTitle() + QStringLiteral(" - ") + QString::fromLatin1(kAppName));
}

void CMainFrame::UpdateCommandUI()
{
    Action(ID_FILE_SAVE)->setEnabled(m_doc.IsModified());
    Action(ID_SQUARE_M)->setChecked(m_bSquareM != 0);
    Action(ID_VIEW_TOOLBAR)->setChecked(!m_wndToolBar->isHidden());
    Action(ID_VIEW_STATUS_BAR)->setChecked(!m_wndStatusBar->isHidden());
    Action(ID_VIEW_RUNBAR)->setChecked(!m_wndRunBar->isHidden());
    Action(ID_VIEW_SEEKBAR)->setChecked(!m_wndSeekBar->isHidden());
    Action(ID_VIEW_ACTIONBAR)->setChecked(!m_wndActionBar->isHidden());
    UpdateEditCommands();
}

void CMainFrame::UpdateEditCommands()
{
    // The edit commands serve the record form's text fields.
    Action(ID_EDIT_UNDO)->setEnabled(m_pForm->CanEditUndo());
    Action(ID_EDIT_CUT)->setEnabled(m_pForm->CanEditCut());
    Action(ID_EDIT_COPY)->setEnabled(m_pForm->CanEditCopy());
    Action(ID_EDIT_PASTE)->setEnabled(m_pForm->CanEditPaste());
}

void CMainFrame::UpdateRecentFileMenu(const CRecentFileList& list)
{
    qDeleteAll(m_recentActions);
    m_recentActions.clear();
    for (int i = 0; i < list.GetSize(); ++i) {
        auto* a = new QAction(list.MenuText(i), this);
        a->setObjectName(QStringLiteral("actionRecentFile%1").arg(i + 1));
        a->setStatusTip(PromptAndTip(ID_FILE_MRU_FILE1).first);
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

// The record commands go straight to the form; the frame adds nothing.
void CMainFrame::OnAddRecord(int type) { m_pForm->AddRecord(type); }
void CMainFrame::OnRecordSave() { m_pForm->SaveRecord(); }
void CMainFrame::OnRecordDelete() { m_pForm->DeleteRecord(); }

void CMainFrame::OnDeleteMany()
{
    CDeleteManyDlg dlg(this);
    if (ExecModal(dlg) == QDialog::Accepted)
        m_pForm->DeleteMatured(dlg.m_dtBefore);
}

void CMainFrame::OnSeek()
{
    RunSeek(*m_wndSeekBy, *m_wndSeekWhat, *m_pListView, BondList());
    // The list starts almost closed; a seek that found something opens it far
    // enough to show its two columns, or the user would see no result at all.
    const int wanted = m_pListView->SuggestedWidth();
    const QList<int> sizes = m_wndSplitter->sizes();
    if (m_pListView->topLevelItemCount() > 0 && sizes.size() == 2 && sizes[0] < wanted && sizes[1] > wanted)
        m_wndSplitter->setSizes({wanted, sizes[0] + sizes[1] - wanted});
}

void CMainFrame::OnUpdateAll()
{
    CPriceUpdateDlg dlg(this);
    dlg.m_pBondList = &BondList();
    // The stand date's day: the time of day does not count.
    dlg.m_nStandDay = DaySerial(StandDate());
    ExecModal(dlg);
    if (dlg.m_bSaved) {
        m_pForm->RefreshPrice();
        SetModified();
    }
}
void CMainFrame::OnRunPortfolio()
{
    // The pickers' values as they stand now, time of day included.
    const double stand = StandDate();
    const double horizon = Horizon();
    CPortfolioDlg dlg(this);
    dlg.m_pStandDate = &stand;
    dlg.m_pHorizon = &horizon;
    dlg.m_pBondList = &BondList().m_list;
    ExecModal(dlg);
    // Only prices changed through the window outlive it.
    if (dlg.m_bPricesChanged) {
        m_pForm->RefreshPrice();
        SetModified();
    }
}

void CMainFrame::OnSingleAnalysis()
{
    if (!m_dlgAnalysis)
        return;
    m_dlgAnalysis->showNormal();
    m_dlgAnalysis->raise();
    m_dlgAnalysis->activateWindow();
}

void CMainFrame::SaveWindowSettings()
{
    SaveBarState(*this,
                 {{AFX_IDW_TOOLBAR, m_wndToolBar},
                  {AFX_IDW_STATUS_BAR, m_wndStatusBar},
                  {IDW_RUNBAR, m_wndRunBar},
                  {IDW_SEEKBAR, m_wndSeekBar},
                  {IDW_ACTIONBAR, m_wndActionBar}},
                 QString::fromLatin1(kCompanyKey));
    // A minimised or maximised window is stored with the rectangle it has
    // (maximised) or returns to (minimised); the state itself is not kept.
    const QRect rect = (windowState() & Qt::WindowMinimized) ? normalGeometry() : geometry();
    WriteProfileString(QStringLiteral("Settings"), QStringLiteral("WindowPos"), FormatWindowPos(rect, m_bSquareM));
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
    if ((type == QEvent::DragEnter || type == QEvent::DragMove || type == QEvent::Drop) && watched != this
        && watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == this) {
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
