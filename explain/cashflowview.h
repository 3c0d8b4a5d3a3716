#pragma once

// The Cashflows view: the last analysis the user ran, explained payment by
// payment, as two charts over a table (the payments on their dates beside the
// value at the horizon under shifts of the yield; for a portfolio funded by a
// schedule a third, the funding), with a line that says what
// was analysed, and a button that writes the table as CSV. With nothing
// analysed, or when the last analysis failed, it says so in one line instead
// of showing rows or curves of an older one; rows that no longer describe
// their window are marked out of date.

#include "explain/cashflowtexts.h"
#include "uikit/explained.h"

#include <QWidget>

#include <functional>

class QLabel;
class QPushButton;
class QSplitter;

namespace tenvix::ui {

class CashflowChart;
class CashflowTable;
class FundingChart;
class HorizonChart;

class CashflowView final : public QWidget {
    Q_OBJECT
public:
    enum class State { Nothing, Failed, Current, OutOfDate };

    explicit CashflowView(QWidget* parent = nullptr);

    // A new analysis replaces whatever was shown.
    void ShowExplanation(ExplainSource source, const ExplainedAnalysis& analysis);
    void ShowFailure(ExplainSource source, const QString& message);
    // Marks the rows out of date when they came from `source`. Rows already
    // out of date keep their first reason, unless what they came from is
    // gone since (another database, then a deleted record) which says more.
    // A deleted record's rows can no longer be saved.
    void MarkOutOfDate(ExplainSource source, OutOfDate reason);
    // The open database's file, asked for each Save as CSV, which refuses
    // to write over it. Without it only the files' headers are looked at.
    void SetOpenDatabase(std::function<QString()> path) { m_openDatabase = std::move(path); }

    State CurrentState() const { return m_state; }
    ExplainSource Source() const { return m_source; }
    // The explanation shown, out of date or not; empty otherwise.
    const ExplainedAnalysis& Shown() const { return m_shown; }
    // The one line above the rows: what was analysed, or why nothing shows.
    QString StateLine() const;
    CashflowTable* Table() const { return m_table; }
    CashflowChart* Chart() const { return m_chart; }
    HorizonChart* Horizon() const { return m_horizonChart; }
    // Shown only for a portfolio funded by a schedule.
    FundingChart* Funding() const { return m_fundingChart; }
    QSplitter* Charts() const { return m_wndCharts; }

    // Asks for a file and writes the table there as CSV, the same bytes as
    // the command line's; a failure is told, and the file is as it was.
    // Neither the open database nor any other database or portfolio is
    // written over: the user is told and chooses again.
    void SaveCsv();

    // The least width at which the two charts stand side by side; below it
    // the ladder is over the horizon value.
    static constexpr int kChartsSideBySide = 640;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void SetState(State state, const QString& line);

    State m_state = State::Nothing;
    ExplainSource m_source = ExplainSource::Form;
    OutOfDate m_reason = OutOfDate::Edited;
    ExplainedAnalysis m_shown;
    QString m_strLastPath;
    std::function<QString()> m_openDatabase;

    QLabel* m_wndLine;
    QSplitter* m_wndSplitter;
    QSplitter* m_wndCharts;
    CashflowChart* m_chart;
    HorizonChart* m_horizonChart;
    FundingChart* m_fundingChart;
    CashflowTable* m_table;
    QPushButton* m_wndSave;
};

} // namespace tenvix::ui
