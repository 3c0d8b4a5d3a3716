#include "portfolio/portfoliodlg.h"

// The window's Fund schedule: the dialog, the search on a worker as
// Immunize runs it, the rows it buys, and the ladder Calculate shows with
// them.

#include "model/clock.h"
#include "model/date.h"
#include "portfolio/core/fundmessages.h"
#include "portfolio/core/portfoliomessages.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QLabel>
#include <QProgressBar>

namespace tenvix::ui {

void CPortfolioDlg::Fund()
{
    if (m_bScanning || !m_pBondList || !m_pStandDate || !m_pHorizon)
        return;
    FundDialog dlg(m_fund, m_fundRows, *m_pStandDate, this);
    if (ExecModal(dlg) != QDialog::Accepted || !dlg.Result())
        return;
    const FundChoice choice = *dlg.Result();
    m_fund = choice.entries;
    m_fundRows = choice.rows;
    EnableCommands(false);
    m_bScanning = true;
    std::optional<FundResult> result = RunFund(choice);
    m_wndProgress->setValue(m_wndProgress->maximum());
    // Stop pressed after the search had ended still leaves the rows alone.
    if (result && !m_bStop) {
        try {
            PresentFunded(*result, choice);
        } catch (const std::exception&) {
            // The window goes back to normal.
        }
    }
    EndScanning();
}

std::optional<FundResult> CPortfolioDlg::RunFund(const FundChoice& choice)
{
    const CBondList::List& bonds = *m_pBondList;
    const double stand = *m_pStandDate;
    const Clock& clock = UiClock();
    std::optional<FundResult> result;
    RunOnWorker([&](const WorkerProgress& progress) {
        result = FundList(bonds, choice.schedule, stand, choice.limits, {}, clock, progress);
    });
    if (!result || m_bStop || result->stopped)
        return std::nullopt;
    return result;
}

void CPortfolioDlg::PresentFunded(const FundResult& result, const FundChoice& choice)
{
    if (RowCount() > 0 && !AskYesNo(this, QString::fromLatin1(TextOf(PortfolioText::ReplaceRows))))
        return;
    RemoveAllRows();
    // As Add shows them: the same lookup, figures and statuses.
    for (const FundedRow& row : result.rows)
        AddRow(Qs(row.id), row.units);
    m_funding = Funding{choice.schedule, choice.limits.reinvest, result.cash};
    m_wndCashKept->setText(Qs(CashKeptText(result)));
    m_wndLowerBound->setText(Qs(LowerBoundText(result)));
    m_wndCashKept->show();
    m_wndLowerBound->show();
    if (RowCount() > 0)
        Calculate();
}

void CPortfolioDlg::ForgetFunding()
{
    m_funding.reset();
    m_wndCashKept->hide();
    m_wndLowerBound->hide();
}

std::optional<Ladder> CPortfolioDlg::FundingLadder() const
{
    if (!m_funding || m_funding->schedule.empty() || !m_pStandDate)
        return std::nullopt;
    const double stand = *m_pStandDate;
    const double horizon = static_cast<double>(m_funding->schedule.back().day);
    const FundingGrid grid(m_funding->schedule, stand, m_funding->reinvest);
    const std::vector<CBond*> bonds = Rows().ReadyBonds();
    const std::vector<double> units = Rows().AllUnits();
    // Each bond's payments as the funding took them: a copy dated with the
    // run's dates, the row's own bond left as it is.
    std::vector<std::vector<PaymentColumn::Flow>> payments;
    for (const CBond* bond : bonds) {
        payments.push_back(PaymentsOf(*CopyOfBond(*bond), stand, horizon));
    }
    std::vector<LadderHolding> holdings;
    for (std::size_t k = 0; k < payments.size() && k < units.size(); ++k)
        holdings.push_back({units[k], payments[k]});
    return WalkLadder(grid, m_funding->cash, holdings);
}

} // namespace tenvix::ui
