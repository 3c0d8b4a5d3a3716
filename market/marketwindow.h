#pragma once

// The Market window: every bond of the open database in a table, with the
// figures of its analysis at the run bar's dates and its spread against the
// yield curve fitted to them all, and the chart of the curve. The analysis
// and the fit run on a worker over a snapshot of the database, so that the
// window stays responsive and nothing reads the bond list while it changes;
// a run that takes longer than half a second shows its progress and Stop.
// When the database changes the rows say they are out of date, until Refresh.

#include "curve/fit.h"
#include "curve/market.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <thread>

class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QTimer;

namespace tenvix::ui {

class MarketTable;
class YieldChart;

// What the window analyses: the database's bytes as they were when it was
// asked for them, and the run bar's dates.
struct MarketSnapshot {
    std::shared_ptr<const std::string> bytes;
    double stand = 0;
    double horizon = 0;
};

class MarketWindow final : public QWidget {
    Q_OBJECT
public:
    enum class State {
        Analysing, // the rows are being made
        Fitting,   // the rows are shown, the curve is being fitted
        Current,   // rows and curve
        NoCurve,   // rows without a curve: too few bonds, or none fits
        Stopped,   // Stop pressed: what was done by then is shown
    };

    // `snapshot` gives the database as it is at the moment it is called: at
    // the start and at each Refresh. The window starts analysing at once.
    explicit MarketWindow(std::function<MarketSnapshot()> snapshot, QWidget* parent = nullptr);
    ~MarketWindow() override;

    // Analyses the database as it is now, and fits the curve.
    void Refresh();
    // The database changed since the rows were made.
    void MarkOutOfDate();
    // Ends a run: the work done by then stays shown.
    void Stop();

    State CurrentState() const { return m_state; }
    bool IsOutOfDate() const { return m_bOutOfDate; }
    // The line that says what the window shows, or why not.
    QString StateLine() const;

    MarketTable* Table() const { return m_table; }
    QTableView* View() const { return m_view; }
    YieldChart* Chart() const { return m_chart; }
    QLineEdit* FilterBox() const { return m_filter; }
    QProgressBar* Progress() const { return m_progress; }
    // Selects bond `bond`'s row (showing every row if the filter hides it).
    void SelectBond(std::size_t bond);

signals:
    // A double click on a row: the bond's place in the list when the rows
    // were made, and its identifier, by which the frame finds it again.
    void RecordWanted(qulonglong position, const QString& id);

private:
    struct Run;
    void StartRun();
    void JoinRun();
    void Analysed(int run, std::shared_ptr<curve::Market> market, bool complete);
    void Fitted(int run, curve::FitOutcome outcome);
    void Tick();
    void ShowState();

    std::function<MarketSnapshot()> m_snapshot;
    State m_state = State::Analysing;
    bool m_bOutOfDate = false;
    int m_nRun = 0;
    std::int64_t m_nRunStart = 0;
    std::shared_ptr<Run> m_run;
    std::jthread m_worker;
    std::shared_ptr<curve::Market> m_market;
    curve::FitOutcome m_outcome = curve::FitOutcome::Fitted;

    QLineEdit* m_filter = nullptr;
    QLabel* m_stateLabel = nullptr;
    QProgressBar* m_progress = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_refresh = nullptr;
    QSplitter* m_split = nullptr;
    QTableView* m_view = nullptr;
    MarketTable* m_table = nullptr;
    YieldChart* m_chart = nullptr;
    QTimer* m_ticks = nullptr;
    QTimer* m_filterDelay = nullptr;
};

} // namespace tenvix::ui
