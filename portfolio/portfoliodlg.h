#pragma once

// "Bond portfolio": up to twenty rows, each a bond of the open database by
// identifier with a number of units and that bond's figures. The rows are
// held by PortfolioTable, which the list shows; the window shows them and
// forwards its commands. Bonds belong to the database; rows only point at them.

#include "model/bondlist.h"
#include "portfolio/core/portfoliorows.h"
#include "portfolio/core/suggest.h"
#include "portfolio/funddlg.h"
#include "portfolio/immunizedlg.h"
#include "uikit/explained.h"

#include <QDialog>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeView;

namespace tenvix::ui {

struct FileResult;
class PortfolioTable;

class CPortfolioDlg : public QDialog {
    Q_OBJECT
public:
    // List columns, as RowColumn numbers them.
    enum Column { ColUnits, ColDuration, ColSquareM, ColID, ColYTM, ColPrice, ColName, ColStatus, ColValue, ColCount };
    // Row pictures, as RowPicture numbers them.
    enum Picture { PicProblem, PicNotFound, PicSuggested, PicReady };

    explicit CPortfolioDlg(QWidget* parent = nullptr);
    ~CPortfolioDlg() override;

    // Set by the opener before the window is shown; owned by the opener.
    const double* m_pStandDate = nullptr;
    const double* m_pHorizon = nullptr;
    CBondList::List* m_pBondList = nullptr;
    // The Immunize dialog's texts: set by the opener to those last accepted,
    // read by it afterwards to remember them.
    ImmunizeEntries m_immunize;
    // The same for the Fund schedule dialog, and its rows for the session.
    FundEntries m_fund;
    ScheduleTexts m_fundRows;
    // Read by the opener afterwards: a bond's price was changed here.
    bool m_bPricesChanged = false;

    // Commands, as the buttons run them.
    void Add();
    void Remove();
    void Update();
    void Calculate();
    void FindDuplicates();
    void Save();
    void Load();
    void Suggest();
    // Asks for the limits, builds on a worker thread the portfolio that holds
    // the horizon, and puts it in place of the rows, asking first when there
    // are any; Calculate then shows its figures. Returns when the run ends.
    void Immunize();
    // Asks for a schedule and the limits, buys on a worker thread the
    // least-cost whole units that pay it, and puts them in place of the
    // rows as Immunize does; the cash kept and the lower bound show under
    // the rows, and Calculate explains the rows with their funding ladder.
    void Fund();
    void Stop() { m_bStop = true; }

    // Appends a row for identifier `id` and analyses its bond, if any.
    void AddRow(const QString& id, double units);
    void AddSuggestedRow(const SUGGESTION& s);
    void EnableCommands(bool enable);

    int RowCount() const;
    QString CellText(int row, int column) const;
    int RowPicture(int row) const;
    // A suggest scan or an immunize run is going on.
    bool IsScanning() const { return m_bScanning; }
    // Events are processed at most this often during a scan (milliseconds);
    // tests set 0 to reach the window after every bond.
    void SetPumpInterval(int ms) { m_nPumpIntervalMs = ms; }

    // Every way of closing comes here. It waits while a scan runs, the request
    // carried out when it ends; rows no file holds are offered for saving.
    void done(int result) override;

signals:
    // After Calculate: the pooled payments explained, or why there are none.
    void Explained(const tenvix::ui::ExplainedAnalysis& analysis);
    void ExplainFailed(const QString& message);
    // A row came, went or changed its units or price: the last explanation no
    // longer describes the rows.
    void EntriesChanged();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnInitDialog();
    QPushButton* MakeButton(const QString& text, const char* name, const QString& tip, void (CPortfolioDlg::*slot)());
    const PortfolioRows& Rows() const;
    int SelectedRow() const;
    void SelectRow(int row);
    void ScanBonds();
    void PresentSuggestions();
    void RemoveAllRows();
    void ShowTotalValue();
    // The search of Immunize on a worker thread, the window's events handled
    // meanwhile; nothing when it was stopped or ran out of memory.
    std::optional<ImmunizeResult> RunImmunize(const ImmunizeLimits& limits);
    // Runs `work` on a worker thread, the window's events handled and the
    // progress bar fed meanwhile; the hook it is given says stop once Stop
    // is pressed. Returns when the worker has ended.
    using WorkerProgress = std::function<bool(std::size_t done, std::size_t total)>;
    void RunOnWorker(const std::function<void(const WorkerProgress&)>& work);
    void PresentImmunized(const ImmunizeResult& result, int maxRows);
    std::optional<FundResult> RunFund(const FundChoice& choice);
    void PresentFunded(const FundResult& result, const FundChoice& choice);
    // The rows walked against the schedule of the last Fund run, with its
    // cash; nothing when the rows were not funded by one.
    std::optional<Ladder> FundingLadder() const;
    void ForgetFunding();
    // The end of a scan or a run: the window back to normal, and a close
    // asked for meanwhile carried out.
    void EndScanning();
    // A failed Save or Load, in the window's own words.
    void ReportFileFailure(const FileResult& result, bool saving);
    // Save's work; true when the rows are in the file chosen.
    bool SaveRows();
    // Asks about rows added, removed or updated since the last Save or Load,
    // before the window closes or a file replaces them; false when they are
    // to stay.
    bool MayDropRows();

    QLabel* m_wndTop;
    QTreeView* m_wndList;
    // What the rows are worth together, under them.
    QLabel* m_wndTotal;
    QProgressBar* m_wndProgress;
    QPushButton* m_wndClose;
    QPushButton* m_wndCalculate;
    QPushButton* m_wndAdd;
    QPushButton* m_wndRemove;
    QPushButton* m_wndUpdate;
    QPushButton* m_wndFindDup;
    QPushButton* m_wndSave;
    QPushButton* m_wndLoad;
    QPushButton* m_wndSuggest;
    QPushButton* m_wndStop;
    QPushButton* m_wndImmunize;
    QPushButton* m_wndFund;
    QLabel* m_wndCashKept;
    QLabel* m_wndLowerBound;

    // Read by the immunize worker too.
    std::atomic<bool> m_bStop = false;
    PortfolioTable* m_rows;
    // The candidates of a running Suggest; null outside one.
    std::unique_ptr<SuggestLists> m_pSuggest;
    double m_dHorizonYears = 0.0;
    // What the last Fund run funded: the schedule, the rate and the cash.
    struct Funding {
        std::vector<Liability> schedule;
        double reinvest = 0.0;
        double cash = 0.0;
    };
    std::optional<Funding> m_funding;
    QString m_strLastPath;

    bool m_bInitialised = false;
    bool m_bScanning = false;
    bool m_bCloseRequested = false;
    bool m_bAskingToDrop = false;
    int m_nCloseResult = 0;
    int m_nPumpIntervalMs = 25;
};

} // namespace tenvix::ui
