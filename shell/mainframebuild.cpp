// The frame's actions, menus and bars, built from the command table of
// shell/frameactions.h; the handlers they call live in mainframe.cpp.

#include "shell/mainframe.h"

#include "analysis/analysisdlg.h"
#include "editor/inview.h"
#include "explain/cashflowview.h"
#include "model/date.h"
#include "portfolio/portfoliodlg.h"
#include "shell/mylistview.h"
#include "shell/statusindicators.h"
#include "uikit/datepicker.h"

#include <QAction>
#include <QComboBox>
#include <QDockWidget>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>
#include <QToolBar>
#include <QToolButton>

namespace tenvix::ui {

namespace {

// The prompt and the tooltip of a control on a bar.
void SetPromptAndTip(QWidget* w, int id)
{
    const FrameCommand* c = FindFrameCommand(id);
    w->setStatusTip(QString::fromLatin1(c->prompt));
    w->setToolTip(QString::fromLatin1(c->tip));
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

// The horizon a start offers: five years after the stand date by the
// calendar (a stand on 29 February gives the day the calendar measure
// reaches them on), at the stand date's time of day.
double HorizonAfter(double stand)
{
    constexpr double kYears = 5.0;
    const double day = DaySerial(stand);
    return DaySerial(DateAfterYears(day, kYears, YearMethod::CalendarParts)) + (stand - day);
}

// The word before a control on a bar, which otherwise says what it is only
// under the pointer: it shows the control's prompt and tooltip too, and gives
// the control the name a screen reader reads.
void LabelOnBar(QToolBar* bar, const QString& text, const char* objectName, QWidget* control, int id)
{
    auto* label = new QLabel(text, bar);
    label->setObjectName(QLatin1String(objectName));
    label->setBuddy(control);
    label->setContentsMargins(label->fontMetrics().horizontalAdvance(u' '), 0, 2, 0);
    SetPromptAndTip(label, id);
    control->setAccessibleName(text);
    bar->addWidget(label);
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

void CMainFrame::CreateActions()
{
    for (const FrameCommand& c : FrameCommands()) {
        if (!c.text)
            continue;
        const QString text = QString::fromLatin1(c.text);
        auto* a = new QAction(text, this);
        a->setObjectName(QLatin1String(c.objectName));
        a->setStatusTip(QString::fromLatin1(c.prompt));
        a->setToolTip(c.tip ? QString::fromLatin1(c.tip) : QString(text).remove(u'&').section(u'\t', 0, 0));
        if (c.icon) {
            const QString icon = QString::fromLatin1(c.icon);
            a->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(icon)));
            a->setProperty("iconName", icon);
        }
        QList<QKeySequence> keys;
        for (const QKeyCombination key : c.keys)
            if (key.key() != Qt::Key_unknown)
                keys << QKeySequence(key);
        a->setShortcuts(keys);
        // Menus keep their "\t" shortcut column; the keys are registered above.
        a->setShortcutVisibleInContextMenu(false);
        a->setCheckable(c.checkable);
        a->setChecked(c.checked);
        m_actions.insert(c.id, a);
        addAction(a); // keys work wherever the focus is in the window
    }
    ConnectActions();
}

void CMainFrame::ConnectActions()
{
    const auto on = [this](int id, auto&& slot) { connect(Action(id), &QAction::triggered, this, slot); };

    on(ID_FILE_SAVE, &CMainFrame::OnFileSave);
    on(ID_FILE_SAVE_AS, [this] { m_doc.DoSave(QString()); });
    on(ID_APP_EXIT, &QWidget::close);
    on(ID_FILE_IMPORT_PRICES, &CMainFrame::OnImportPrices);
    on(ID_FILE_IMPORT_BONDS, &CMainFrame::OnImportBonds);
    on(ID_FILE_EXPORT_ANALYSIS, &CMainFrame::OnExportAnalysis);

    // Edit and the moves go to the record form.
    const std::pair<int, void (CInView::*)()> edits[] = {
        {ID_EDIT_UNDO, &CInView::OnEditUndo},
        {ID_EDIT_CUT, &CInView::OnEditCut},
        {ID_EDIT_COPY, &CInView::OnEditCopy},
        {ID_EDIT_PASTE, &CInView::OnEditPaste},
    };
    for (const auto& [id, command] : edits)
        on(id, [this, command = command] {
            (m_pForm->*command)();
            UpdateEditCommands();
        });
    const std::pair<int, void (CInView::*)()> moves[] = {
        {ID_MOVE_FIRST, &CInView::MoveFirst},
        {ID_MOVE_PREV, &CInView::MovePrev},
        {ID_MOVE_NEXT, &CInView::MoveNext},
        {ID_MOVE_LAST, &CInView::MoveLast},
    };
    for (const auto& [id, command] : moves)
        on(id, [this, command = command] { (m_pForm->*command)(); });

    const std::pair<int, int> toggles[] = {
        {ID_VIEW_TOOLBAR, AFX_IDW_TOOLBAR}, {ID_VIEW_STATUS_BAR, AFX_IDW_STATUS_BAR}, {ID_VIEW_RUNBAR, IDW_RUNBAR},
        {ID_VIEW_SEEKBAR, IDW_SEEKBAR},     {ID_VIEW_ACTIONBAR, IDW_ACTIONBAR},
    };
    for (const auto& [id, barId] : toggles)
        on(id, [this, barId = barId] {
            ToggleBar(barId == AFX_IDW_STATUS_BAR ? static_cast<QWidget*>(m_wndStatusBar) : Bar(barId));
        });
    on(ID_VIEW_CASHFLOWS, [this] {
        ToggleBar(m_wndCashflowsDock);
        if (!m_wndCashflowsDock->isHidden())
            m_wndCashflowsDock->raise();
    });

    on(ID_RECORD_SAVE, &CMainFrame::OnRecordSave);
    on(ID_RECORD_ADD, [this] { OnAddRecord(0); });
    on(ID_ADD_TYPE1, [this] { OnAddRecord(0); });
    on(ID_ADD_TYPE2, [this] { OnAddRecord(1); });
    on(ID_RECORD_DELETE, &CMainFrame::OnRecordDelete);
    on(ID_DELETE_MANY, &CMainFrame::OnDeleteMany);
    on(ID_UPDATE_ALL, &CMainFrame::OnUpdateAll);
    on(ID_RUN_PORTFOLIO, &CMainFrame::OnRunPortfolio);
    on(ID_SQUARE_M, &CMainFrame::OnSquareM);
    on(ID_SINGLE_ANALYSIS, &CMainFrame::OnSingleAnalysis);
    on(ID_HELP_GUIDE, &CMainFrame::OnUserGuide);
    on(ID_VIEW_MARKET, &CMainFrame::OnMarket);
    on(ID_SEEK, &CMainFrame::OnSeek);
    on(ID_NEXT_PANE, [this] { ActivatePane(ActivePane() == 0 ? 1 : 0); });
    on(ID_PREV_PANE, [this] { ActivatePane(ActivePane() == 1 ? 0 : 1); });
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
    m_pFileMenu->addAction(Action(ID_FILE_IMPORT_PRICES));
    m_pFileMenu->addAction(Action(ID_FILE_IMPORT_BONDS));
    m_pFileMenu->addAction(Action(ID_FILE_EXPORT_ANALYSIS));
    m_pFileMenu->addAction(Action(ID_FILE_OPEN_EXAMPLE));
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
    for (int id :
         {ID_VIEW_TOOLBAR, ID_VIEW_STATUS_BAR, ID_VIEW_RUNBAR, ID_VIEW_SEEKBAR, ID_VIEW_ACTIONBAR, ID_VIEW_CASHFLOWS})
        m_pViewMenu->addAction(Action(id));
    m_pViewMenu->addSeparator();
    m_pViewMenu->addAction(Action(ID_VIEW_MARKET));

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
    help->addAction(Action(ID_HELP_GUIDE));

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
    auto* indicators = new StatusIndicators(m_wndStatusBar);
    for (QLabel* l : indicators->Labels())
        m_wndStatusBar->addPermanentWidget(l);

    // Run bar: Update All, Run, the two pickers, M2.
    m_wndRunBar = MakeBar(this, QStringLiteral("Runbar"), "RunBar", Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_wndRunBar->addAction(Action(ID_UPDATE_ALL));
    m_wndRunBar->addAction(Action(ID_RUN_PORTFOLIO));
    m_wndStandDate = new DatePicker(m_wndRunBar);
    m_wndStandDate->setObjectName(QStringLiteral("StandDate"));
    LabelOnBar(m_wndRunBar, QStringLiteral("Stand"), "StandLabel", m_wndStandDate, ID_STAND_DATE);
    PlaceOnBar(m_wndRunBar, m_wndStandDate, 90, ID_STAND_DATE);
    m_wndHorizon = new DatePicker(m_wndRunBar);
    m_wndHorizon->setObjectName(QStringLiteral("Horizon"));
    // A horizon on the stand date leaves nothing to analyse: every start
    // offers five years instead.
    m_wndHorizon->SetValue(HorizonAfter(m_wndStandDate->Value()));
    LabelOnBar(m_wndRunBar, QStringLiteral("Horizon"), "HorizonLabel", m_wndHorizon, ID_HORIZON);
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

template <class Window>
void CMainFrame::ExplainInto(Window* window, ExplainSource from)
{
    CashflowView* view = m_pCashflows;
    connect(window, &Window::Explained, view,
            [view, from](const ExplainedAnalysis& a) { view->ShowExplanation(from, a); });
    connect(window, &Window::ExplainFailed, view, [view, from](const QString& m) { view->ShowFailure(from, m); });
    connect(window, &Window::EntriesChanged, view, [view, from] { view->MarkOutOfDate(from, OutOfDate::Edited); });
}

void CMainFrame::CreateCashflowsDock()
{
    m_wndCashflowsDock = new QDockWidget(TextOf(CashflowText::Title), this);
    m_wndCashflowsDock->setObjectName(QStringLiteral("CashflowsDock"));
    m_pCashflows = new CashflowView(m_wndCashflowsDock);
    m_wndCashflowsDock->setWidget(m_pCashflows);
    addDockWidget(Qt::BottomDockWidgetArea, m_wndCashflowsDock);
    // Hidden at first: the form needs the room until the user asks for it.
    m_wndCashflowsDock->hide();
    // Its close box hides it: the View menu's tick follows.
    connect(m_wndCashflowsDock, &QDockWidget::visibilityChanged, this, &CMainFrame::UpdateCommandUI);

    ExplainInto(m_pForm, ExplainSource::Form);
    // Which record that was, so that its deletion is told as such.
    connect(m_pForm, &CInView::Explained, this,
            [this] { m_pExplainedRecord = m_pForm->m_posCurrent ? &**m_pForm->m_posCurrent : nullptr; });
    // Save as CSV must not write over the database it was analysed from.
    m_pCashflows->SetOpenDatabase([this] { return m_doc.GetPathName(); });
    // The run bar's dates are what the record form and the portfolio analyse with.
    for (DatePicker* picker : {m_wndStandDate, m_wndHorizon})
        connect(picker, &DatePicker::ValueChanged, m_pCashflows, [this] {
            MarkDatabaseAnalyses(OutOfDate::Dates);
            MarkMarketOutOfDate();
        });
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

// The windows the frame makes elsewhere.
template void CMainFrame::ExplainInto(AnalysisDialog*, ExplainSource);
template void CMainFrame::ExplainInto(CPortfolioDlg*, ExplainSource);

} // namespace tenvix::ui
