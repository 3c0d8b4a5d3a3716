// The frame's commands that open a window over the bond list: each window
// runs modal, and whatever it changed reaches the views through
// OnDatabaseChanged once it has ended. The Bond Analysis window and the user
// guide are modeless and only shown.

#include "analysis/analysisdlg.h"
#include "bondimport/bondimportdlg.h"
#include "bondimport/bondimporttexts.h"
#include "curve/curvemessages.h"
#include "editor/inview.h"
#include "market/marketwindow.h"
#include "model/bondfile.h"
#include "model/bondlookup.h"
#include "model/date.h"
#include "portfolio/portfoliodlg.h"
#include "prices/importtexts.h"
#include "prices/priceimportdlg.h"
#include "prices/priceupdatedlg.h"
#include "shell/analysisexport.h"
#include "shell/deletemanydlg.h"
#include "shell/guidewindow.h"
#include "shell/mainframe.h"
#include "shell/settings.h"
#include "uikit/services.h"
#include "uikit/strings.h"

namespace tenvix::ui {

void CMainFrame::OnDeleteMany()
{
    CDeleteManyDlg dlg(this);
    if (ExecModal(dlg) != QDialog::Accepted)
        return;
    m_pForm->DeleteMatured(dlg.m_dtBefore);
    OnDatabaseChanged(DatabaseChange::Removed);
}

namespace {

// What the imports take a file's prices for, as the user last chose, kept
// from one run of the program to the next: a price file's paid prices, a
// bank's list of bonds clean, unless the user said otherwise.
const QString kImportSection = QStringLiteral("Import");
const QString kPriceQuotesEntry = QStringLiteral("PriceQuotes");
const QString kBankQuotesEntry = QStringLiteral("BankQuotes");

PriceQuotes ReadQuotes(const QString& entry, PriceQuotes fallback)
{
    const QString word = GetProfileString(kImportSection, entry);
    return QuotesFromWord(word.toStdString()).value_or(fallback);
}

void KeepQuotes(const QString& entry, PriceQuotes quotes, PriceQuotes before)
{
    if (quotes != before)
        WriteProfileString(kImportSection, entry, QString::fromLatin1(QuotesWord(quotes)));
}

} // namespace

void CMainFrame::OnUpdateAll()
{
    CPriceUpdateDlg dlg(this);
    dlg.m_pBondList = &BondList();
    // The stand date's day: the time of day does not count.
    dlg.m_nStandDay = DaySerial(StandDate());
    const PriceQuotes remembered = ReadQuotes(kPriceQuotesEntry, PriceQuotes::Paid);
    dlg.m_quotes = remembered;
    ExecModal(dlg);
    KeepQuotes(kPriceQuotesEntry, dlg.m_quotes, remembered);
    // A page saved, or prices imported from the window.
    if (dlg.m_bSaved)
        OnDatabaseChanged(DatabaseChange::Prices);
}

void CMainFrame::OnImportPrices()
{
    // The stand date's day, as for Update All.
    const PriceQuotes remembered = ReadQuotes(kPriceQuotesEntry, PriceQuotes::Paid);
    PriceQuotes quotes = remembered;
    const auto updated = ImportPrices(this, BondList(), DaySerial(StandDate()), quotes);
    KeepQuotes(kPriceQuotesEntry, quotes, remembered);
    if (!updated)
        return;
    OnDatabaseChanged(DatabaseChange::Prices);
    ShowNotice(this, Qs(prices::PricesUpdatedText(*updated)));
}

void CMainFrame::OnImportBonds()
{
    // A bank's clean quotes and release dates are reckoned on the stand date.
    const PriceQuotes remembered = ReadQuotes(kBankQuotesEntry, PriceQuotes::Clean);
    PriceQuotes quotes = remembered;
    const auto done = ImportBonds(this, BondList(), DaySerial(StandDate()), quotes);
    KeepQuotes(kBankQuotesEntry, quotes, remembered);
    if (!done)
        return;
    OnDatabaseChanged(DatabaseChange::Imported);
    ShowNotice(this, Qs(bondimport::BondsImportedText(*done)));
}

void CMainFrame::OnExportAnalysis()
{
    ExportAnalysis(this, BondList(), StandDate(), Horizon(), SquareM(), m_doc.GetPathName(), m_doc.GetTitle());
}

namespace {

// The Immunize dialog's texts as last accepted, kept from one run of the
// program to the next.
const QString kImmunizeSection = QStringLiteral("Immunize");

ImmunizeEntries ReadImmunizeEntries()
{
    const ImmunizeEntries defaults;
    return {GetProfileString(kImmunizeSection, QStringLiteral("Amount"), defaults.amount),
            GetProfileString(kImmunizeSection, QStringLiteral("Rows"), defaults.rows),
            GetProfileString(kImmunizeSection, QStringLiteral("Share"), defaults.share),
            GetProfileString(kImmunizeSection, QStringLiteral("LeastYtm"), defaults.leastYtm),
            GetProfileString(kImmunizeSection, QStringLiteral("Exclude"), defaults.exclude)};
}

void WriteImmunizeEntries(const ImmunizeEntries& entries)
{
    WriteProfileString(kImmunizeSection, QStringLiteral("Amount"), entries.amount);
    WriteProfileString(kImmunizeSection, QStringLiteral("Rows"), entries.rows);
    WriteProfileString(kImmunizeSection, QStringLiteral("Share"), entries.share);
    WriteProfileString(kImmunizeSection, QStringLiteral("LeastYtm"), entries.leastYtm);
    WriteProfileString(kImmunizeSection, QStringLiteral("Exclude"), entries.exclude);
}

// The Fund schedule dialog's boxes as last accepted, kept the same way; its
// rows only while the program runs.
const QString kFundSection = QStringLiteral("Fund");

FundEntries ReadFundEntries()
{
    const FundEntries defaults;
    return {GetProfileString(kFundSection, QStringLiteral("Reinvest"), defaults.reinvest),
            GetProfileString(kFundSection, QStringLiteral("Rows"), defaults.rows),
            GetProfileString(kFundSection, QStringLiteral("Share"), defaults.share),
            GetProfileString(kFundSection, QStringLiteral("LeastYtm"), defaults.leastYtm)};
}

void WriteFundEntries(const FundEntries& entries)
{
    WriteProfileString(kFundSection, QStringLiteral("Reinvest"), entries.reinvest);
    WriteProfileString(kFundSection, QStringLiteral("Rows"), entries.rows);
    WriteProfileString(kFundSection, QStringLiteral("Share"), entries.share);
    WriteProfileString(kFundSection, QStringLiteral("LeastYtm"), entries.leastYtm);
}

} // namespace

void CMainFrame::OnRunPortfolio()
{
    // The pickers' values as they stand now, time of day included.
    const double stand = StandDate();
    const double horizon = Horizon();
    CPortfolioDlg dlg(this);
    dlg.m_pStandDate = &stand;
    dlg.m_pHorizon = &horizon;
    dlg.m_pBondList = &BondList().m_list;
    const ImmunizeEntries remembered = ReadImmunizeEntries();
    dlg.m_immunize = remembered;
    const FundEntries rememberedFund = ReadFundEntries();
    dlg.m_fund = rememberedFund;
    dlg.m_fundRows = m_fundRows;
    // The view behind the modal window shows each Calculate as it ends and can
    // be used again once the window closes.
    ExplainInto(&dlg, ExplainSource::Portfolio);
    ExecModal(dlg);
    if (!(dlg.m_immunize == remembered))
        WriteImmunizeEntries(dlg.m_immunize);
    if (!(dlg.m_fund == rememberedFund))
        WriteFundEntries(dlg.m_fund);
    m_fundRows = dlg.m_fundRows;
    // Only prices changed through the window outlive it.
    if (dlg.m_bPricesChanged)
        OnDatabaseChanged(DatabaseChange::Prices);
}

void CMainFrame::OnSingleAnalysis()
{
    if (!m_dlgAnalysis)
        return;
    // It starts with the run bar's dates, and keeps its own from then on.
    if (!m_bAnalysisShown) {
        m_bAnalysisShown = true;
        if (auto* analysis = qobject_cast<AnalysisDialog*>(m_dlgAnalysis.data()))
            analysis->SetDates(StandDate(), Horizon());
    }
    m_dlgAnalysis->showNormal();
    m_dlgAnalysis->raise();
    m_dlgAnalysis->activateWindow();
}

void CMainFrame::OnMarket()
{
    if (!m_wndMarket) {
        // The window analyses a snapshot of the list's bytes, made here on
        // the user's thread at its start and at each Refresh.
        m_wndMarket = new MarketWindow(
            [this] {
                return MarketSnapshot{std::make_shared<const std::string>(StoreBondDatabase(BondList())),
                                      StandDate(), Horizon()};
            },
            this);
        connect(m_wndMarket, &MarketWindow::RecordWanted, this,
                [this](qulonglong position, const QString& id) { ShowMarketRecord(position, id); });
    }
    m_wndMarket->showNormal();
    m_wndMarket->raise();
    m_wndMarket->activateWindow();
}

void CMainFrame::MarkMarketOutOfDate()
{
    if (m_wndMarket)
        m_wndMarket->MarkOutOfDate();
}

void CMainFrame::ShowMarketRecord(std::size_t position, const QString& id)
{
    // Typed work in the form is asked about first, as for any move away;
    // the record is found once the question has returned.
    if (!m_pForm->ConfirmLeave())
        return;
    // The bond at its place when the rows were made, if it is still there;
    // else the one its identifier reaches now.
    auto& list = BondList().m_list;
    const std::string wanted = Std(id);
    auto it = list.begin();
    if (position < list.size()) {
        std::advance(it, static_cast<std::ptrdiff_t>(position));
        if ((*it)->m_strID != wanted)
            it = list.end();
    } else {
        it = list.end();
    }
    if (it == list.end()) {
        const IdMatch match = MatchBondID(list, wanted);
        if (!match.Bond()) {
            ShowError(this, Qs(curve::NoBondText(wanted)));
            return;
        }
        it = std::next(list.begin(), static_cast<std::ptrdiff_t>(match.Position()));
    }
    m_pForm->ShowRecordAt(it);
    raise();
    activateWindow();
}

void CMainFrame::OnUserGuide()
{
    // Made on first use, then kept, hidden or not, with the place it was read to.
    if (!m_wndGuide)
        m_wndGuide = new GuideWindow(this);
    m_wndGuide->showNormal();
    m_wndGuide->raise();
    m_wndGuide->activateWindow();
}

} // namespace tenvix::ui
