#pragma once

// The program's one document window: menus, the five bars, the status bar,
// the list and the record form side by side, and the analysis settings (the
// stand date, the investment horizon and the Square-M flag) that every
// analysis reads at the moment it runs.

#include "editor/formhost.h"
#include "explain/cashflowtexts.h"
#include "model/bondlist.h"
#include "model/seek.h"
#include "portfolio/funddlg.h"
#include "shell/frameactions.h"
#include "shell/tenvixdoc.h"

#include <QHash>
#include <QMainWindow>
#include <QPointer>

#include <vector>

class QComboBox;
class QDockWidget;
class QLabel;
class QMenu;
class QSplitter;
class QStatusBar;
class QToolBar;

namespace tenvix::ui {

class CInView;
class CMyListView;
class CashflowView;
class MarketWindow;
class RecentFileList;
class DatePicker;

// Bar ids, as kept with the saved layout.
enum BarId : int {
    AFX_IDW_TOOLBAR = 59392,
    AFX_IDW_STATUS_BAR = 59393,
    IDW_RUNBAR = 59394,
    IDW_SEEKBAR = 59395,
    IDW_ACTIONBAR = 59396,
};

class CMainFrame : public QMainWindow, public FormHost, public DocumentViews {
    Q_OBJECT
public:
    explicit CMainFrame(CTenvixDoc& doc, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Builds bars, panes and windows and restores the saved rectangle and
    // layout. False when something the window needs could not be made.
    bool Create();

    CTenvixDoc& Document() { return m_doc; }
    QAction* Action(int id) const { return m_actions.value(id); }
    QToolBar* Bar(int barId) const;
    QMenu* ViewMenu() const { return m_pViewMenu; }
    // Pane (0,1), the owner of the bond list.
    CInView* Form() const { return m_pForm; }
    // Pane (0,0), the seek list.
    CMyListView* ListView() const { return m_pListView; }
    QMenu* AddMenu() const { return m_pAddMenu; }
    // The Cashflows view, docked; hidden until the View menu shows it.
    CashflowView* Cashflows() const { return m_pCashflows; }
    QDockWidget* CashflowsDock() const { return m_wndCashflowsDock; }

    // The analysis settings, read when an analysis runs.
    double StandDate() const override;
    double Horizon() const override;
    bool SquareM() const override { return m_bSquareM != 0; }
    int GetSquareMFlag() const { return m_bSquareM; }
    void SetModified() override;
    void ClearListView() override;

    // DocumentViews
    CBondList& BondList() override;
    void ClearViews() override;
    void InitialUpdate() override;
    QWidget* DialogWindow() override { return this; }
    bool ConfirmLeaveRecord() override;

    // The File menu's recent files, in the list's order.
    void UpdateRecentFileMenu(const RecentFileList& list);

    // Enables and checks what depends on state (Save, the toggles, M2, the
    // edit commands), as menus do before they open.
    void UpdateCommandUI();

    // The pane that holds the keyboard focus: 0 list, 1 form, -1 neither.
    int ActivePane() const;
    void ActivatePane(int pane);

    // The bars' and the frame's context menu: the View menu's items.
    QMenu* createPopupMenu() override;

    // The title: the document's, Qt's mark while it has unsaved changes,
    // " - ", the program's.
    void UpdateTitle();

    // Writes the bar layout and "WindowPos", as a close does first.
    void SaveWindowSettings();

    // The seek bar's controls, read by the seek.
    QComboBox* m_wndSeekBy = nullptr;
    QComboBox* m_wndSeekWhat = nullptr;
    // Row r of the list view shows the bond at m_pSeekResults[r].
    std::vector<CBondList::Position> m_pSeekResults;

signals:
    void RecentFileChosen(int index);
    void FilesDropped(const QStringList& paths);

protected:
    void closeEvent(QCloseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    // Files dropped anywhere in the window open as documents, even over a
    // text field that would otherwise take their names as text.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // One action for every entry of the command table that has a text.
    void CreateActions();
    void ConnectActions();
    void CreateMenus();
    bool CreateBars();
    void CreateClient();
    // The Cashflows dock, and what it hears from the windows that explain.
    void CreateCashflowsDock();
    template <class Window>
    void ExplainInto(Window* window, ExplainSource source);
    // Returns whether a saved rectangle was applied.
    bool RestoreWindowPos();
    void DockBarsInitially();

    // What changed under the analyses the Cashflows view may show.
    enum class DatabaseChange {
        Prices,   // prices written by another window
        Removed,  // records deleted, perhaps the one analysed
        Replaced, // New or Open: every record goes
        Imported, // records added, and some perhaps replaced in their places
    };
    // The one reaction to a change of the database that the record form did
    // not make through its entries: the Cashflows view is told why its rows
    // are out of date (before the form shows anything new, which it would
    // take for an edit), and changed prices are shown and make the document
    // modified.
    void OnDatabaseChanged(DatabaseChange change);
    // Out of date, the analyses that read the database: the record form's
    // and the portfolio's.
    void MarkDatabaseAnalyses(OutOfDate reason);

    // Record commands.
    void OnAddRecord(int type);
    void OnRecordSave();
    void OnRecordDelete();
    void OnDeleteMany();
    void UpdateEditCommands();
    void UpdateSaveCommand();
    void OnFileSave();
    // Run commands.
    void OnSeek();
    void OnUpdateAll();
    void OnRunPortfolio();
    void OnSingleAnalysis();
    // Help: the guide, one window however often it is asked for.
    void OnUserGuide();
    // View: the Market window, one however often it is asked for, and the
    // record it asks the form to show.
    void OnMarket();
    void ShowMarketRecord(std::size_t position, const QString& id);
    // The Market window's rows no longer describe the database.
    void MarkMarketOutOfDate();
    void OnSquareM();
    // File: prices in, figures out.
    void OnImportPrices();
    void OnImportBonds();
    void OnExportAnalysis();
    void ToggleBar(QWidget* bar);

    CTenvixDoc& m_doc;
    int m_bSquareM = 0;
    QSplitter* m_wndSplitter = nullptr;
    DatePicker* m_wndStandDate = nullptr;
    DatePicker* m_wndHorizon = nullptr;
    QStatusBar* m_wndStatusBar = nullptr;
    QToolBar* m_wndToolBar = nullptr;
    QToolBar* m_wndSeekBar = nullptr;
    QToolBar* m_wndActionBar = nullptr;
    QToolBar* m_wndRunBar = nullptr;
    QPointer<QWidget> m_dlgAnalysis;
    bool m_bAnalysisShown = false;
    QPointer<QWidget> m_wndGuide;
    QPointer<MarketWindow> m_wndMarket;

    CMyListView* m_pListView = nullptr;
    CInView* m_pForm = nullptr;
    QDockWidget* m_wndCashflowsDock = nullptr;
    CashflowView* m_pCashflows = nullptr;
    // Which record the form's last explanation came from, by the address of
    // its place in the list: compared, never followed, and dropped as soon
    // as a change removes that record.
    const void* m_pExplainedRecord = nullptr;
    // The Fund schedule dialog's liabilities, kept while the program runs.
    ScheduleTexts m_fundRows;

    QHash<int, QAction*> m_actions;
    QMenu* m_pFileMenu = nullptr;
    QMenu* m_pViewMenu = nullptr;
    QMenu* m_pAddMenu = nullptr;
    QAction* m_pRecentSeparator = nullptr;
    QList<QAction*> m_recentActions;
    QLabel* m_pReady = nullptr;
};

} // namespace tenvix::ui
