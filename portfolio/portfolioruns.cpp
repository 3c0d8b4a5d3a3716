#include "portfolio/portfoliodlg.h"

// The window's long runs: the Suggest scan on the window's own thread, events
// let through now and then, and the Immunize search on a worker. Both end in
// EndScanning, which carries out a close asked for meanwhile.

#include "model/clock.h"
#include "model/numbers.h"
#include "portfolio/core/portfoliomessages.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QProgressBar>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <climits>

namespace tenvix::ui {

void CPortfolioDlg::Suggest()
{
    if (m_bScanning || RowCount() > kSuggestMaxRows || !m_pBondList)
        return;
    try {
        m_pSuggest = std::make_unique<SuggestLists>();
    } catch (const std::bad_alloc&) {
        return;
    }
    EnableCommands(false);
    m_bScanning = true;
    try {
        ScanBonds();
        PresentSuggestions();
    } catch (const std::exception&) {
        // The rows appended so far stay; the window goes back to normal.
    } catch (const NoYieldFound&) {
    }
    m_pSuggest.reset();
    EndScanning();
}

void CPortfolioDlg::EndScanning()
{
    m_wndProgress->setValue(0);
    EnableCommands(true);
    m_bScanning = false;
    if (m_bCloseRequested) {
        m_bCloseRequested = false;
        done(m_nCloseResult);
    }
}

void CPortfolioDlg::Immunize()
{
    if (m_bScanning || !m_pBondList || !m_pStandDate || !m_pHorizon)
        return;
    ImmunizeDialog dlg(m_immunize, this);
    if (ExecModal(dlg) != QDialog::Accepted || !dlg.Result())
        return;
    m_immunize = dlg.Result()->entries;
    const ImmunizeLimits limits = dlg.Result()->limits;
    EnableCommands(false);
    m_bScanning = true;
    std::optional<ImmunizeResult> result = RunImmunize(limits);
    m_wndProgress->setValue(m_wndProgress->maximum());
    // Stop pressed after the search had ended still leaves the rows alone:
    // the user asked for nothing to change.
    if (result && !m_bStop) {
        try {
            PresentImmunized(*result, limits.maxRows);
        } catch (const std::exception&) {
            // The window goes back to normal.
        }
    }
    EndScanning();
}

std::optional<ImmunizeResult> CPortfolioDlg::RunImmunize(const ImmunizeLimits& limits)
{
    const CBondList::List& bonds = *m_pBondList;
    const double stand = *m_pStandDate;
    const double horizon = *m_pHorizon;
    const Clock& clock = UiClock();
    std::optional<ImmunizeResult> result;
    RunOnWorker([&](const WorkerProgress& progress) {
        result = ImmunizeList(bonds, limits, stand, horizon, clock, progress);
    });
    if (!result || m_bStop || result->failure == ImmunizeFailure::Stopped)
        return std::nullopt;
    return result;
}

void CPortfolioDlg::RunOnWorker(const std::function<void(const WorkerProgress&)>& work)
{
    m_bStop = false;
    constexpr int kSteps = 1000;
    m_wndProgress->setRange(0, kSteps);
    m_wndProgress->setValue(0);
    // The worker reads the bond list itself. The run counts as a nested
    // loop, so an open that arrives meanwhile waits for it; the window's
    // commands are off, and the window is modal, so nothing else changes
    // the list either.
    const NestedLoopScope running;
    std::atomic<std::size_t> done = 0;
    std::atomic<std::size_t> total = 0;
    const WorkerProgress progress = [&](std::size_t reached, std::size_t all) {
        done = reached;
        total = all;
        return !m_bStop;
    };
    std::unique_ptr<QThread> worker(QThread::create([&] {
        try {
            work(progress);
        } catch (...) {
            // Out of memory, say: nothing changes, and nothing escapes the
            // thread; the work's result stays empty.
        }
    }));
    QEventLoop loop;
    connect(worker.get(), &QThread::finished, &loop, &QEventLoop::quit, Qt::QueuedConnection);
    QTimer ticks;
    ticks.setInterval(40);
    connect(&ticks, &QTimer::timeout, this, [&] {
        const std::size_t all = total;
        if (all > 0)
            m_wndProgress->setValue(static_cast<int>(static_cast<double>(done) / static_cast<double>(all) * kSteps));
    });
    ticks.start();
    worker->start();
    loop.exec();
    // A loop ended by the program quitting: the worker is told to stop.
    if (!worker->isFinished())
        m_bStop = true;
    worker->wait();
}

void CPortfolioDlg::PresentImmunized(const ImmunizeResult& result, int maxRows)
{
    if (result.failure != ImmunizeFailure::None) {
        ShowError(this,
                  Qs(ImmunizeFailureText(result, maxRows, Trim(m_immunize.share.toStdString()), m_dHorizonYears)));
        return;
    }
    if (RowCount() > 0 && !AskYesNo(this, QString::fromLatin1(TextOf(PortfolioText::ReplaceRows))))
        return;
    RemoveAllRows();
    ForgetFunding();
    // As Add shows them: the same lookup, figures and statuses.
    for (const ImmunizedRow& row : result.rows)
        AddRow(Qs(row.bond.id), row.units);
    Calculate();
}

void CPortfolioDlg::ScanBonds()
{
    const std::size_t total = m_pBondList->size();
    if (total == 0)
        return;
    m_wndProgress->setRange(0, static_cast<int>(std::min<std::size_t>(total, INT_MAX)));
    m_wndProgress->setValue(0);
    m_bStop = false;
    // Events are handled a few dozen times a second rather than after every
    // bond: enough for Stop, painting and the list, without slowing a large
    // database down.
    ThrottledPump pump(UiClock(), m_nPumpIntervalMs);
    // The events let through may carry an open; it waits for the scan.
    const NestedLoopScope pumping;
    tenvix::ScanBonds(*m_pBondList, *m_pStandDate, *m_pHorizon, *m_pSuggest, UiClock(),
                      [&](std::size_t reached, std::size_t) {
                          if (pump.Due()) {
                              m_wndProgress->setValue(static_cast<int>(std::min<std::size_t>(reached, INT_MAX)));
                              QCoreApplication::processEvents();
                          }
                          return !m_bStop;
                      });
    m_wndProgress->setValue(m_wndProgress->maximum());
}

void CPortfolioDlg::PresentSuggestions()
{
    const std::vector<SuggestedRow> rows = tenvix::PresentSuggestions(*m_pSuggest, RowCount());
    if (rows.empty()) {
        ShowInformation(this, QString::fromLatin1(TextOf(PortfolioText::NothingSuggested)));
        return;
    }
    for (const SuggestedRow& r : rows)
        AddSuggestedRow(r.suggestion);
}

} // namespace tenvix::ui
