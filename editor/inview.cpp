// The record form: construction, the host, and showing a record, an empty
// form or a changed price. The controls are built in inviewbuild.cpp, the
// record commands and the analysis live in inviewrecords.cpp, the keys and
// the Edit menu in inviewkeys.cpp.

#include "editor/inview.h"

#include "editor/formmessages.h"
#include "editor/idlimit.h"
#include "model/bond.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"
#include "uikit/resources.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabBar>

#include <algorithm>
#include <utility>

namespace tenvix::ui {
namespace {

// What the form reports to when no frame is around it: today's dates, no
// Square-M, and nobody to tell about changes.
class LoneHost final : public FormHost {
public:
    double StandDate() const override { return UiClock().Now(); }
    double Horizon() const override { return UiClock().Now(); }
    bool SquareM() const override { return false; }
    void SetModified() override {}
    void ClearListView() override {}
};

LoneHost g_loneHost;

// Shows a text from its start, as a record's fields are read, not its end.
void Show(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setCursorPosition(0);
}

} // namespace

CInView::CInView(QWidget* parent) : QWidget(parent)
{
    InitResources();
    BuildControls();
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &CInView::WatchFocusedField);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CInView::EditStateChanged);
    // A warning held back while another box was up is told once it closes.
    connect(&NestedLoops::Instance(), &NestedLoops::Settled, this, &CInView::WarnPaymentsCut, Qt::QueuedConnection);
}

CInView::~CInView()
{
    qApp->removeEventFilter(this);
    // The base class hides the form's fields as it goes, which moves the
    // focus; the form must not hear of it once it is only part of a widget.
    disconnect(qApp, nullptr, this, nullptr);
    disconnect(QApplication::clipboard(), nullptr, this, nullptr);
}

void CInView::SetHost(FormHost* host) { m_host = host; }

void CInView::SetEmptyHint(const QString& text)
{
    m_emptyHint->setText(text);
    UpdateEmptyPlace();
}

void CInView::UpdateEmptyPlace()
{
    const bool hint = !m_posCurrent && !m_emptyHint->text().isEmpty();
    m_emptyHint->setVisible(hint);
    m_scroll->setVisible(!hint);
}

FormHost& CInView::Host() const { return m_host ? *m_host : g_loneHost; }

QSize CInView::DesignSize() const { return m_content->minimumSizeHint(); }

void CInView::OnInitialUpdate()
{
    if (!m_bInitialized) {
        m_bInitialized = true;
        m_bLayoutReady = true;
        ResetGrid();
        SetIdentityEnabled(false);
        ShowTypeControls(true);
    }
    if (!m_bondList.m_list.empty()) {
        m_posCurrent = m_bondList.m_list.begin();
        FillForm(*m_posCurrent);
        SetIdentityEnabled(true);
    } else {
        SetIdentityEnabled(false);
    }
    UpdateEmptyPlace();
}

int CInView::FillForm(Position pos)
{
    if (!m_posCurrent || pos == m_bondList.m_list.end() || !*pos)
        return -1;
    UpdateEmptyPlace();
    // An amount still being typed belongs to the record shown until now.
    m_wndGrid->DropEdit();
    const CBond& bond = **pos;
    ShowID(Qs(bond.m_strID));
    Show(m_wndName, Qs(bond.m_strName));
    Show(m_wndPrice, Qs(FormatAmount(bond.m_fPrice)));
    m_bReleaseUnshown = !ShowDate(m_wndRelease, bond.m_nRelease);
    if (const auto* free = dynamic_cast<const CBondFree*>(&bond)) {
        SelectTab(1);
        // Save and Analyse take the payments the grid can't show from the
        // record, as long as the grid stays as written here.
        m_bPaymentsCut = free->m_cashflows.size() > static_cast<std::size_t>(kMaxPeriods);
        const auto payments = static_cast<int>(std::min<std::size_t>(free->m_cashflows.size(), kMaxPeriods));
        m_wndPeriods->setValue(std::max(payments, 1));
        m_wndGrid->SetText(0, PaymentGrid::kPayment, PaymentGrid::kPlaceholder);
        m_wndGrid->SetText(0, PaymentGrid::kDate, QString());
        // A file may hold more payments than the grid has rows; the grid
        // shows as many as it can hold.
        for (int k = 0; k < payments && k < m_wndGrid->RowCount(); ++k) {
            const CASHFLOW& cf = free->m_cashflows[static_cast<std::size_t>(k)];
            m_wndGrid->SetText(k, PaymentGrid::kPayment, Qs(FormatAmount(cf.m_fAmount)));
            m_wndGrid->SetText(k, PaymentGrid::kDate, FormatDate(cf.m_nDate));
        }
        ShowTypeControls(false);
        m_wndCoupon->clear();
        m_wndFace->clear();
        m_wndPayPeriod->setEditText(QString());
        m_wndMaturity->SetValue(UiClock().Now());
        m_bMaturityUnshown = false;
        m_cutRows.clear();
        m_nCutWarning = 0;
        if (m_bPaymentsCut) {
            m_cutRows = m_wndGrid->Rows();
            // Not here: showing a record is part of commands (a file opened,
            // a record deleted) that must not run a box halfway.
            m_nCutWarning = free->m_cashflows.size();
            QMetaObject::invokeMethod(this, &CInView::WarnPaymentsCut, Qt::QueuedConnection);
        }
    } else if (const auto* coupons = dynamic_cast<const CBondStd*>(&bond)) {
        SelectTab(0);
        Show(m_wndCoupon, Qs(FormatAmount(coupons->m_fCoupon)));
        m_wndPayPeriod->setEditText(Qs(FormatInteger(coupons->m_nPeriodMonths)));
        Show(m_wndFace, Qs(FormatAmount(coupons->m_fFace)));
        m_bMaturityUnshown = !ShowDate(m_wndMaturity, coupons->m_nMaturity);
        ShowTypeControls(true);
        ResetGrid();
        m_bPaymentsCut = false;
        m_cutRows.clear();
        m_nCutWarning = 0;
    }
    MarkShown();
    return 0;
}

const std::vector<CASHFLOW>* CInView::PaymentsBehindGrid() const
{
    if (!m_bPaymentsCut || !m_posCurrent || *m_posCurrent == m_bondList.m_list.end())
        return nullptr;
    const auto* free = dynamic_cast<const CBondFree*>((*m_posCurrent)->get());
    if (!free || m_wndGrid->Rows() != m_cutRows)
        return nullptr;
    return &free->m_cashflows;
}

void CInView::WarnPaymentsCut()
{
    // Inside another box the warning waits for it to close (Settled).
    if (m_nCutWarning == 0 || NestedLoops::Instance().Depth() > 0)
        return;
    const std::size_t total = std::exchange(m_nCutWarning, 0);
    Messages().Show(this, Qs(editor::PaymentsCutText(kMaxPeriods, total)), QString::fromLatin1(editor::kWarningCaption),
                    MsgIcon::Exclamation, MsgButtons::Ok);
}

int CInView::ShowRecordAt(Position pos)
{
    m_posCurrent = pos;
    FillForm(pos);
    return 0;
}

void CInView::ResetFields()
{
    m_wndGrid->DropEdit();
    ShowID(QString());
    m_wndName->clear();
    m_wndPrice->clear();
    m_wndRelease->SetValue(UiClock().Now());
    ResetGrid();
    m_wndCoupon->clear();
    m_wndFace->clear();
    m_wndPayPeriod->setEditText(QString());
    m_wndMaturity->SetValue(UiClock().Now());
    m_bPaymentsCut = m_bReleaseUnshown = m_bMaturityUnshown = false;
    m_cutRows.clear();
    m_nCutWarning = 0;
}

void CInView::ShowID(const QString& id)
{
    // The length first: setting it puts the old text through the limit again.
    m_wndID->setMaxLength(std::max<int>(IdLimit::kMaxChars, static_cast<int>(id.size())));
    m_idLimit->Allow(id);
    Show(m_wndID, id);
}

bool CInView::ShowDate(DatePicker* picker, double date)
{
    if (picker->SetValue(date))
        return true;
    picker->SetValue(date < kMinDateValue ? kMinDateValue : kMaxDateValue);
    return false;
}

void CInView::ClearForm()
{
    ResetFields();
    SetIdentityEnabled(false);
    MarkShown();
    UpdateEmptyPlace();
}

void CInView::OnClear() { ResetFields(); }

void CInView::RefreshPrice()
{
    if (m_posCurrent && *m_posCurrent != m_bondList.m_list.end() && **m_posCurrent) {
        m_wndPrice->setText(Qs(FormatAmount((**m_posCurrent)->m_fPrice)));
        // The price shown is the stored one again; other typing stays typed.
        if (m_shown)
            m_shown->texts[2] = m_wndPrice->text();
    }
}

void CInView::ShowTypeControls(bool typeI)
{
    m_wndGroups->setCurrentIndex(typeI ? 0 : 1);
    m_bTypeI = typeI;
}

void CInView::ResetGrid()
{
    m_wndPeriods->setValue(1);
    m_wndGrid->SetText(0, PaymentGrid::kPayment, PaymentGrid::kPlaceholder);
    m_wndGrid->SetText(0, PaymentGrid::kDate, QString());
    m_wndGrid->SetText(0, PaymentGrid::kNo, QStringLiteral("1"));
}

void CInView::SetIdentityEnabled(bool enabled)
{
    m_wndID->setEnabled(enabled);
    m_wndName->setEnabled(enabled);
    m_wndPrice->setEnabled(enabled);
}

void CInView::SelectTab(int index)
{
    m_bSettingTab = true;
    m_wndTabs->setCurrentIndex(index);
    m_bSettingTab = false;
}

void CInView::OnTabChange(int index)
{
    if (!m_bSettingTab)
        ShowTypeControls(index == 0);
}

void CInView::SyncGridRows() { m_wndGrid->SetRowCount(ReadLeadingInteger(Std(m_wndPeriods->text()), 4)); }

void CInView::OnEndLabelEdit(int row, int column, const QString& text)
{
    if (column == PaymentGrid::kPayment)
        m_wndGrid->SetText(row, column, text.left(PaymentGrid::kMaxAmountChars));
    else if (column == PaymentGrid::kDate)
        m_wndGrid->SetText(row, column, text.left(PaymentGrid::kMaxDateChars));
}

void CInView::OnInsertDate()
{
    // A date still being typed in the row would overwrite the inserted one
    // when its editor closes.
    m_wndGrid->CommitEdit();
    const int row = m_wndGrid->SelectedRow();
    if (row < 0)
        return;
    m_wndGrid->SetText(row, PaymentGrid::kDate, FormatDate(ToDateValue(m_wndCalendar->selectedDate())));
}

} // namespace tenvix::ui
