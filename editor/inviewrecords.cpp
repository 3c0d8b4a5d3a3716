// The record form's commands: add, save, delete and step through records,
// delete the matured ones, and analyse the bond the form holds.

#include "editor/inview.h"

#include "editor/formmessages.h"
#include "editor/formrules.h"
#include "model/bond.h"
#include "model/date.h"
#include "model/explain.h"
#include "uikit/busycursor.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"
#include "uikit/services.h"
#include "uikit/strings.h"
#include "uikit/typeddecimal.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTabBar>

#include <memory>
#include <new>

namespace tenvix::ui {
namespace {

// An amount box's text as the form's rules read it.
std::string Decimal(const QLineEdit* box) { return Std(TypedDecimal(box->text())); }

} // namespace

int CInView::AddRecord(int nType)
{
    if (!ConfirmLeave())
        return 1;
    Host().ClearListView();
    const bool free = nType == BOND_TYPE_FREE;
    auto& list = m_bondList.m_list;
    Position pos;
    try {
        std::unique_ptr<CBond> bond;
        if (free)
            bond = std::make_unique<CBondFree>(UiClock());
        else
            bond = std::make_unique<CBondStd>(UiClock());
        pos = list.insert(m_posCurrent ? std::next(*m_posCurrent) : list.end(), std::move(bond));
    } catch (const std::bad_alloc&) {
        if (m_posCurrent)
            FillForm(*m_posCurrent);
        return -1;
    }
    m_posCurrent = pos;
    UpdateEmptyPlace();
    ResetFields();
    ShowTypeControls(!free);
    SelectTab(free ? 1 : 0);
    SetIdentityEnabled(true);
    MarkShown();
    m_wndID->setFocus(Qt::OtherFocusReason);
    Host().SetModified();
    return 0;
}

bool CInView::SaveRecord()
{
    m_wndGrid->CommitEdit();
    const int code = WriteRecord(m_wndTabs->currentIndex() == 0 ? BOND_TYPE_STD : BOND_TYPE_FREE);
    ReportError(code);
    // A kind the user declined to change leaves the form as typed.
    return code == editor::FORM_OK && !IsFormChanged();
}

CInView::Snapshot CInView::TakeSnapshot() const
{
    return {{m_wndID->text(), m_wndName->text(), m_wndPrice->text(), m_wndCoupon->text(),
             m_wndPayPeriod->currentText(), m_wndFace->text()},
            m_wndRelease->Value(),
            m_wndMaturity->Value(),
            m_wndTabs->currentIndex(),
            m_wndPeriods->value(),
            m_wndGrid->Rows()};
}

void CInView::MarkShown()
{
    if (m_posCurrent)
        m_shown = TakeSnapshot();
    else
        m_shown.reset();
    emit FormEdited();
}

bool CInView::IsFormChanged() const { return m_posCurrent && m_shown && TakeSnapshot() != *m_shown; }

CInView::Leave CInView::AskToLeave()
{
    m_wndGrid->CommitEdit();
    if (!IsFormChanged())
        return Leave::Go;
    switch (AskYesNoCancel(this, QString::fromLatin1(editor::TextOf(editor::FormText::LeaveChanged)))) {
    case MsgAnswer::Yes:
        return SaveRecord() ? Leave::Go : Leave::Stay;
    case MsgAnswer::No:
        return Leave::Discard;
    default:
        return Leave::Stay;
    }
}

bool CInView::ConfirmLeave() { return AskToLeave() != Leave::Stay; }

bool CInView::ConfirmBeforeFileSave()
{
    const Leave leave = AskToLeave();
    if (leave == Leave::Discard && m_posCurrent)
        FillForm(*m_posCurrent);
    return leave != Leave::Stay;
}

int CInView::WriteRecord(int nType)
{
    if (!m_posCurrent)
        return editor::FORM_NO_ITEMS;
    const std::string id = Std(m_wndID->text());
    if (editor::IsIDOccupied(m_bondList, m_posCurrent, id))
        return editor::FORM_ID_OCCUPIED;
    // What the form could not show is not in its fields; saving them would
    // drop payments or store a stand-in date. The type a record is saved as
    // decides what is read: maturity for Type I, the grid for Type II. A grid
    // that shows only the first payments and is untouched stands for all of
    // them; once it is changed, it would stand for those it shows alone.
    const bool free = nType == BOND_TYPE_FREE;
    if (m_bReleaseUnshown || (!free && m_bMaturityUnshown))
        return editor::FORM_DATE_OUT_OF_RANGE;
    const std::vector<CASHFLOW>* stored = free ? PaymentsBehindGrid() : nullptr;
    if (free && m_bPaymentsCut && !stored)
        return editor::FORM_TOO_MANY_PAYMENTS;
    Host().ClearListView();

    std::unique_ptr<CBond>& slot = **m_posCurrent;
    const bool typeChanged = free ? !dynamic_cast<CBondFree*>(slot.get()) : !dynamic_cast<CBondStd*>(slot.get());
    if (typeChanged && !AskYesNo(this, QString::fromLatin1(editor::TextOf(editor::FormText::TypeChanged))))
        return editor::FORM_OK;

    // Every entry is checked before the record is touched, so a failed save
    // leaves it as it was, of the type it had.
    const std::string name = Std(m_wndName->text());
    if (!free) {
        editor::StdFields f;
        if (const int code = editor::ReadStdFields({Decimal(m_wndCoupon), Decimal(m_wndFace), Decimal(m_wndPrice),
                                                    Std(m_wndPayPeriod->currentText()), m_wndRelease->Value(),
                                                    m_wndMaturity->Value()},
                                                   f))
            return code;
        if (typeChanged)
            slot = std::make_unique<CBondStd>(UiClock());
        static_cast<CBondStd&>(*slot).SetData(f.periodMonths, static_cast<float>(f.coupon), static_cast<float>(f.face),
                                              static_cast<float>(f.price), f.release, f.maturity, id, name);
    } else {
        double price = 0.0;
        if (const int code = editor::ReadFreePrice(Decimal(m_wndPrice), editor::kFreePriceFloorSave, price))
            return code;
        const std::vector<GridRow> rows = m_wndGrid->Rows();
        const double release = m_wndRelease->Value();
        std::unique_ptr<CBondFree> fresh;
        CBondFree* target =
            typeChanged ? (fresh = std::make_unique<CBondFree>(UiClock())).get() : static_cast<CBondFree*>(slot.get());
        const int g = stored
                          ? target->SetFromCashflows(*stored, static_cast<float>(price), release, id, name)
                          : target->SetFromGrid(rows, static_cast<float>(price), release, id, name, LocaleDateParser());
        if (g)
            return g + editor::kGridCodeOffset;
        if (fresh)
            slot = std::move(fresh);
    }
    if (typeChanged) // the grid now shows no more than what was saved, or nothing stored at all
        m_bPaymentsCut = false;
    MarkShown();
    Host().SetModified();
    ShowNotice(this, QString::fromLatin1(editor::TextOf(editor::FormText::Saved)));
    return editor::FORM_OK;
}

void CInView::DeleteRecord()
{
    if (!m_posCurrent)
        return;
    auto& list = m_bondList.m_list;
    const Position current = *m_posCurrent;
    std::optional<Position> next;
    if (current != list.begin())
        next = std::prev(current);
    else if (std::next(current) != list.end())
        next = std::next(current);
    if (!AskYesNo(this, QString::fromLatin1(editor::TextOf(editor::FormText::DeleteRecord))))
        return;
    Host().ClearListView();
    list.erase(current);
    ShowAfterChange(next);
    Host().SetModified();
}

void CInView::ShowAfterChange(std::optional<Position> pos)
{
    m_posCurrent = pos;
    if (pos)
        FillForm(*pos);
    else
        ClearForm();
}

// Each move asks only where it would move, and finds its record once the
// question has returned.
void CInView::MoveFirst()
{
    auto& list = m_bondList.m_list;
    if (!list.empty() && m_posCurrent != list.begin() && ConfirmLeave())
        ShowRecordAt(list.begin());
}

void CInView::MoveLast()
{
    auto& list = m_bondList.m_list;
    if (!list.empty() && m_posCurrent != std::prev(list.end()) && ConfirmLeave())
        ShowRecordAt(std::prev(list.end()));
}

void CInView::MoveNext()
{
    if (m_posCurrent && std::next(*m_posCurrent) != m_bondList.m_list.end() && ConfirmLeave())
        ShowRecordAt(std::next(*m_posCurrent));
}

void CInView::MovePrev()
{
    if (m_posCurrent && *m_posCurrent != m_bondList.m_list.begin() && ConfirmLeave())
        ShowRecordAt(std::prev(*m_posCurrent));
}

void CInView::DeleteMatured(double before)
{
    auto& list = m_bondList.m_list;
    const auto deleted = static_cast<int>(m_bondList.DeleteMatured(DaySerial(before)));
    const int total = deleted + static_cast<int>(list.size());
    // The list view's rows and the form's position may name deleted bonds:
    // both are set right before the box's own event loop can reach them.
    if (deleted != 0) {
        Host().ClearListView();
        ShowAfterChange(list.empty() ? std::nullopt : std::optional<Position>(list.begin()));
        Host().SetModified();
    }
    ShowNotice(this, Qs(editor::DeletedText(deleted, total)));
}
// ---- Analysis --------------------------------------------------------------

void CInView::OnAnalyse()
{
    m_wndGrid->CommitEdit();
    m_bSquareM = Host().SquareM();
    const bool typeI = m_wndTabs->currentIndex() == 0;
    ExplainedAnalysis explained;
    explained.stand = DaySerial(Host().StandDate());
    explained.horizon = DaySerial(Host().Horizon());
    explained.subject = m_wndID->text().trimmed();
    const editor::AnalysisOutcome outcome =
        typeI ? AnalyseStd(explained.explanation) : AnalyseFree(explained.explanation);
    // The explanation first, so that it is there behind the result's box.
    if (outcome.kind == editor::AnalysisOutcome::Result)
        emit Explained(explained);
    else
        emit ExplainFailed(Qs(editor::FormMessage(outcome.code)));
    if (outcome.kind == editor::AnalysisOutcome::Result)
        ShowResult(this, Qs(editor::ResultText(outcome, m_bSquareM)));
    else
        ReportError(outcome.code, !typeI);
}

namespace {

editor::AnalysisOutcome EntriesRefused(int code)
{
    editor::AnalysisOutcome out;
    out.kind = editor::AnalysisOutcome::FormError;
    out.code = code;
    return out;
}

} // namespace

editor::AnalysisOutcome CInView::AnalyseStd(Explanation& explanation)
{
    editor::StdFields f;
    if (const int code =
            editor::ReadStdFields({Decimal(m_wndCoupon), Decimal(m_wndFace), Decimal(m_wndPrice),
                                   Std(m_wndPayPeriod->currentText()), m_wndRelease->Value(), m_wndMaturity->Value()},
                                  f))
        return EntriesRefused(code);
    CBondStd bond(UiClock());
    bond.SetData(f.periodMonths, static_cast<float>(f.coupon), static_cast<float>(f.face), static_cast<float>(f.price),
                 f.release, f.maturity, Std(m_wndID->text().trimmed()), {});
    const BusyCursor busy;
    const editor::AnalysisOutcome outcome =
        editor::AnalyseFormBond(bond, Host().StandDate(), Host().Horizon(), m_bSquareM, f.price, UiClock());
    // The same record, prepared by the analysis, walked again at its yield:
    // the rows' sums are the very doubles of the result.
    if (outcome.kind == editor::AnalysisOutcome::Result)
        explanation = ExplainBond(bond, outcome.ytm, f.price);
    return outcome;
}

editor::AnalysisOutcome CInView::AnalyseFree(Explanation& explanation)
{
    double price = 0.0;
    if (const int code = editor::ReadFreePrice(Decimal(m_wndPrice), editor::kFreePriceFloorAnalyse, price))
        return EntriesRefused(code);
    const double release = m_wndRelease->Value();
    const double stand = Host().StandDate();
    const double horizon = Host().Horizon();
    CBondFree bond(UiClock());
    // The form's price with every stored payment, while the grid shows the
    // first of them untouched: what the record would be saved as.
    const std::string id = Std(m_wndID->text().trimmed());
    const std::vector<CASHFLOW>* stored = PaymentsBehindGrid();
    if (const int g = stored ? bond.SetFromCashflows(*stored, static_cast<float>(price), release, id, {})
                             : bond.SetFromGrid(m_wndGrid->Rows(), static_cast<float>(price), release, id, {},
                                                LocaleDateParser()))
        return EntriesRefused(g + editor::kGridCodeOffset);
    const BusyCursor busy;
    const editor::AnalysisOutcome outcome = editor::AnalyseFormBond(bond, stand, horizon, m_bSquareM, price, UiClock());
    if (outcome.kind == editor::AnalysisOutcome::Result)
        explanation = ExplainBond(bond, outcome.ytm, price);
    return outcome;
}

void CInView::ReportError(int code, bool typeII)
{
    if (code == editor::FORM_OK)
        return;
    const QString text = Qs(editor::FormMessage(code));
    if (editor::CaptionOf(code, typeII) == editor::FormCaption::Program)
        ShowWarning(this, text);
    else
        ShowError(this, text);
}

} // namespace tenvix::ui
