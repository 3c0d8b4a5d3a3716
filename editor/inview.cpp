#include "editor/inview.h"

#include "editor/formmessages.h"
#include "editor/formrules.h"
#include "uikit/paymentgrid.h"
#include "model/bond.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "uikit/busycursor.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/resources.h"
#include "uikit/services.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QClipboard>
#include <QComboBox>
#include <QDateTimeEdit>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QScrollArea>
#include <QSet>
#include <QSpinBox>
#include <QSplitter>
#include <QStackedWidget>
#include <QTabBar>
#include <QValidator>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>
#include <new>

namespace tenvix::ui {
namespace {

constexpr int kMaxPeriods = 200;
constexpr int kMaxIdChars = 15;

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

QString Qs(const std::string& utf8) { return QString::fromStdString(utf8); }

// Shows a text from its start, as a record's fields are read, not its end.
void Show(QLineEdit* field, const QString& text)
{
    field->setText(text);
    field->setCursorPosition(0);
}
std::string Std(const QString& text) { return text.toStdString(); }

// A label's text with its mnemonic underlined. The label does not grab the
// key itself: the form routes it, so that it reaches the form only while the
// focus is inside it and never competes with the menu bar.
QString MnemonicHtml(const QString& text)
{
    QString html;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == u'&' && i + 1 < text.size()) {
            const QChar next = text.at(++i);
            html += next == u'&' ? QStringLiteral("&amp;") : QStringLiteral("<u>%1</u>").arg(QString(next).toHtmlEscaped());
        } else {
            html += QString(c).toHtmlEscaped();
        }
    }
    return html;
}

QChar MnemonicOf(const QString& text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text.at(i) == u'&') {
            if (text.at(i + 1) != u'&')
                return text.at(i + 1).toUpper();
            ++i;
        }
    }
    return {};
}

LoneHost g_loneHost;

} // namespace

// The identifier's typing limit. A file may hold a longer identifier than
// anyone can type; it is shown and saved whole. Editing may shorten it, but no
// edit makes a text longer than the limit that the field did not hold before,
// so undo still brings back what was there.
class CInView::IdLimit final : public QValidator {
public:
    explicit IdLimit(QLineEdit* field) : QValidator(field)
    {
        connect(field, &QLineEdit::textChanged, this, &IdLimit::Held);
    }

    // Before a stored text goes into the field: it is allowed whole.
    void Allow(const QString& stored)
    {
        m_held.clear();
        Held(stored);
    }

    State validate(QString& input, int&) const override
    {
        if (input.size() <= std::max<qsizetype>(kMaxIdChars, m_lastLength) || m_held.contains(input))
            return Acceptable;
        return Invalid;
    }

private:
    void Held(const QString& text)
    {
        m_lastLength = text.size();
        if (text.size() > kMaxIdChars)
            m_held.insert(text);
    }

    qsizetype m_lastLength = 0;
    QSet<QString> m_held; // longer than the limit, held since the record was shown
};

CInView::CInView(QWidget* parent) : QWidget(parent)
{
    InitResources();
    BuildControls();
    qApp->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, &CInView::WatchFocusedField);
    connect(QApplication::clipboard(), &QClipboard::dataChanged, this, &CInView::EditStateChanged);
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

FormHost& CInView::Host() const { return m_host ? *m_host : g_loneHost; }

QLabel* CInView::MakeLabel(const QString& text, const char* name)
{
    auto* label = new QLabel(MnemonicHtml(text), m_content);
    label->setTextFormat(Qt::RichText);
    label->setObjectName(QLatin1String(name));
    label->setProperty("mnemonicText", text);
    return label;
}

void CInView::BuildControls()
{
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(true);
    outer->addWidget(m_scroll);
    m_content = new QWidget;
    m_content->setObjectName(QStringLiteral("formContent"));

    // Sizes follow the form's design in dialog units of the form's font.
    const QFontMetrics fm(font());
    const auto duX = [&fm](int du) { return (du * fm.averageCharWidth() + 3) / 4; };
    const auto duY = [&fm](int du) { return (du * fm.height() + 7) / 8; };
    const auto fixWidth = [](QWidget* w, int width) { w->setFixedWidth(std::max(width, w->sizeHint().width())); };

    // Common group.
    QLabel* idLabel = MakeLabel(QStringLiteral("&ID"), "idLabel");
    m_wndID = new QLineEdit(m_content);
    m_wndID->setObjectName(QStringLiteral("idEdit"));
    m_wndID->setMaxLength(kMaxIdChars);
    m_idLimit = new IdLimit(m_wndID);
    m_wndID->setValidator(m_idLimit);
    fixWidth(m_wndID, duX(48));
    QLabel* nameLabel = MakeLabel(QStringLiteral("&Name"), "nameLabel");
    m_wndName = new QLineEdit(m_content);
    m_wndName->setObjectName(QStringLiteral("nameEdit"));
    fixWidth(m_wndName, duX(98));
    QLabel* priceLabel = MakeLabel(QStringLiteral("Sp&ot Price"), "priceLabel");
    m_wndPrice = new QLineEdit(m_content);
    m_wndPrice->setObjectName(QStringLiteral("priceEdit"));
    fixWidth(m_wndPrice, duX(57));
    m_wndAnalyse = new QPushButton(QStringLiteral("Anal&yse"), m_content);
    m_wndAnalyse->setObjectName(QStringLiteral("analyseButton"));
    m_wndClear = new QPushButton(QStringLiteral("C&lear"), m_content);
    m_wndClear->setObjectName(QStringLiteral("clearButton"));
    for (QPushButton* b : {m_wndAnalyse, m_wndClear}) {
        fixWidth(b, duX(50));
        b->setAutoDefault(false);
    }
    QLabel* releaseLabel = MakeLabel(QStringLiteral("RDa&te"), "releaseLabel");
    m_wndRelease = new DatePicker(m_content);
    m_wndRelease->setObjectName(QStringLiteral("releasePicker"));
    fixWidth(m_wndRelease, duX(57));

    m_wndTabs = new QTabBar(m_content);
    m_wndTabs->setObjectName(QStringLiteral("typeTabs"));
    m_wndTabs->setFocusPolicy(Qt::NoFocus);
    m_wndTabs->setDrawBase(false);
    m_wndTabs->setExpanding(false);
    m_wndTabs->setUsesScrollButtons(false);
    m_wndTabs->addTab(QIcon(QStringLiteral(":/editor/tab_type1.png")), QStringLiteral("Type I"));
    m_wndTabs->addTab(QIcon(QStringLiteral(":/editor/tab_type2.png")), QStringLiteral("Type II"));
    m_wndTabs->setIconSize(QSize(15, 16));

    // Type I group.
    auto* typeI = new QWidget;
    typeI->setObjectName(QStringLiteral("typeIGroup"));
    QLabel* couponLabel = MakeLabel(QStringLiteral("&Coupon"), "couponLabel");
    m_wndCoupon = new QLineEdit(typeI);
    m_wndCoupon->setObjectName(QStringLiteral("couponEdit"));
    QLabel* payLabel = MakeLabel(QStringLiteral("Pay Perio&d"), "payPeriodLabel");
    m_wndPayPeriod = new QComboBox(typeI);
    m_wndPayPeriod->setObjectName(QStringLiteral("payPeriodBox"));
    m_wndPayPeriod->setEditable(true);
    // What is typed is the period: completing "1" to "12" would save a year.
    m_wndPayPeriod->setCompleter(nullptr);
    m_wndPayPeriod->setInsertPolicy(QComboBox::NoInsert);
    m_wndPayPeriod->addItems({QStringLiteral("3"), QStringLiteral("6"), QStringLiteral("12")});
    m_wndPayPeriod->setCurrentIndex(-1);
    m_wndPayPeriod->setEditText(QString());
    QLabel* faceLabel = MakeLabel(QStringLiteral("Face &Value"), "faceLabel");
    m_wndFace = new QLineEdit(typeI);
    m_wndFace->setObjectName(QStringLiteral("faceEdit"));
    auto* maturityLabel = new QLabel(QStringLiteral("Maturity"), typeI);
    maturityLabel->setObjectName(QStringLiteral("maturityLabel"));
    m_wndMaturity = new DatePicker(typeI);
    m_wndMaturity->setObjectName(QStringLiteral("maturityPicker"));
    for (QWidget* w : std::initializer_list<QWidget*>{m_wndCoupon, m_wndPayPeriod, m_wndFace, m_wndMaturity})
        fixWidth(w, duX(89));
    auto* typeILayout = new QGridLayout(typeI);
    typeILayout->setContentsMargins(duX(13), duY(10), duX(6), duY(6));
    typeILayout->setHorizontalSpacing(duX(10));
    typeILayout->setVerticalSpacing(duY(12));
    int row = 0;
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{couponLabel, m_wndCoupon},
                                {payLabel, m_wndPayPeriod},
                                {faceLabel, m_wndFace},
                                {maturityLabel, m_wndMaturity}}) {
        label->setParent(typeI);
        typeILayout->addWidget(label, row, 0);
        typeILayout->addWidget(field, row, 1);
        ++row;
    }
    typeILayout->setColumnStretch(2, 1);
    typeILayout->setRowStretch(row, 1);

    // Type II group.
    auto* typeII = new QWidget;
    typeII->setObjectName(QStringLiteral("typeIIGroup"));
    QLabel* periodsLabel = MakeLabel(QStringLiteral("&Periods"), "periodsLabel");
    periodsLabel->setParent(typeII);
    m_wndPeriods = new PeriodsBox(typeII);
    m_wndPeriods->setObjectName(QStringLiteral("periodsBox"));
    fixWidth(m_wndPeriods, duX(51));
    m_wndGrid = new PaymentGrid(typeII);
    m_wndGrid->setObjectName(QStringLiteral("paymentGrid"));
    m_wndGrid->setMinimumSize(duX(182), duY(115));
    m_wndInsert = new QPushButton(QStringLiteral("&< Insert"), typeII);
    m_wndInsert->setObjectName(QStringLiteral("insertButton"));
    m_wndInsert->setAutoDefault(false);
    fixWidth(m_wndInsert, duX(50));
    m_wndCalendar = new QCalendarWidget(typeII);
    m_wndCalendar->setObjectName(QStringLiteral("calendar"));
    m_wndCalendar->setSelectionMode(QCalendarWidget::SingleSelection);
    m_wndCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_wndCalendar->setSelectedDate(ToQDate(UiClock().Now()));
    m_wndCalendar->setFixedSize(m_wndCalendar->minimumSizeHint().expandedTo(m_wndCalendar->sizeHint()));
    auto* typeIILayout = new QGridLayout(typeII);
    typeIILayout->setContentsMargins(duX(9), duY(8), duX(6), duY(6));
    typeIILayout->setHorizontalSpacing(duX(11));
    typeIILayout->setVerticalSpacing(duY(2));
    auto* periodsRow = new QHBoxLayout;
    periodsRow->setSpacing(duX(4));
    periodsRow->addWidget(periodsLabel);
    periodsRow->addWidget(m_wndPeriods);
    periodsRow->addStretch(1);
    typeIILayout->addLayout(periodsRow, 0, 0);
    typeIILayout->addWidget(m_wndGrid, 1, 0);
    // The insert button and the calendar hang from the grid's top-right corner.
    auto* side = new QVBoxLayout;
    side->setSpacing(duY(2));
    side->addWidget(m_wndInsert, 0, Qt::AlignLeft);
    side->addWidget(m_wndCalendar);
    side->addStretch(1);
    typeIILayout->addLayout(side, 1, 1);
    typeIILayout->setColumnStretch(0, 1);
    typeIILayout->setRowStretch(1, 1);

    m_wndGroups = new QStackedWidget;
    m_wndGroups->setObjectName(QStringLiteral("typeGroups"));
    m_wndGroups->addWidget(typeI);
    m_wndGroups->addWidget(typeII);
    m_wndTabArea = new QFrame(m_content);
    m_wndTabArea->setObjectName(QStringLiteral("tabArea"));
    m_wndTabArea->setFrameShape(QFrame::StyledPanel);
    auto* areaLayout = new QVBoxLayout(m_wndTabArea);
    areaLayout->setContentsMargins(0, 0, 0, 0);
    areaLayout->addWidget(m_wndGroups);

    auto* header = new QGridLayout;
    header->setContentsMargins(0, 0, 0, 0);
    header->setHorizontalSpacing(duX(6));
    header->setVerticalSpacing(duY(6));
    header->addWidget(idLabel, 0, 0);
    header->addWidget(m_wndID, 0, 1);
    header->addWidget(nameLabel, 0, 2);
    header->addWidget(m_wndName, 0, 3, Qt::AlignLeft);
    header->addWidget(releaseLabel, 0, 4, Qt::AlignRight);
    header->addWidget(m_wndRelease, 0, 5);
    header->addWidget(m_wndTabs, 1, 0, 1, 2, Qt::AlignLeft | Qt::AlignBottom);
    header->addWidget(priceLabel, 1, 2);
    header->addWidget(m_wndPrice, 1, 3, Qt::AlignLeft);
    header->addWidget(m_wndAnalyse, 1, 4);
    header->addWidget(m_wndClear, 1, 5);
    header->setColumnStretch(6, 1);

    auto* contentLayout = new QVBoxLayout(m_content);
    contentLayout->setContentsMargins(duX(4), duY(4), duX(4), duY(4));
    contentLayout->setSpacing(0);
    contentLayout->addLayout(header);
    contentLayout->addWidget(m_wndTabArea, 1);
    m_scroll->setWidget(m_content);

    // Keyboard order: the fields top to bottom, then the buttons and RDate.
    QWidget::setTabOrder(m_wndID, m_wndName);
    QWidget::setTabOrder(m_wndName, m_wndPrice);
    QWidget::setTabOrder(m_wndPrice, m_wndPeriods);
    QWidget::setTabOrder(m_wndPeriods, m_wndCoupon);
    QWidget::setTabOrder(m_wndCoupon, m_wndPayPeriod);
    QWidget::setTabOrder(m_wndPayPeriod, m_wndFace);
    QWidget::setTabOrder(m_wndFace, m_wndGrid);
    QWidget::setTabOrder(m_wndGrid, m_wndMaturity);
    QWidget::setTabOrder(m_wndMaturity, m_wndCalendar);
    QWidget::setTabOrder(m_wndCalendar, m_wndInsert);
    QWidget::setTabOrder(m_wndInsert, m_wndAnalyse);
    QWidget::setTabOrder(m_wndAnalyse, m_wndClear);
    QWidget::setTabOrder(m_wndClear, m_wndRelease);

    // A label's key moves to the control after it; a button's key presses it.
    m_mnemonics = {
        {u'I', m_wndID, false},       {u'N', m_wndName, false},     {u'O', m_wndPrice, false},
        {u'P', m_wndPeriods, false},  {u'C', m_wndCoupon, false},   {u'D', m_wndPayPeriod, false},
        {u'V', m_wndFace, false},     {u'T', m_wndRelease, false},
    };
    for (QPushButton* b : {m_wndInsert, m_wndAnalyse, m_wndClear}) {
        m_mnemonics.push_back({MnemonicOf(b->text()), b, true});
        b->setShortcut(QKeySequence()); // routed by the form, see eventFilter
    }

    m_wndID->setToolTip(QStringLiteral("Identification string"));
    m_wndName->setToolTip(QStringLiteral("Bond name"));
    m_wndPeriods->setToolTip(QStringLiteral("Number of the future cashflows"));
    m_wndPrice->setToolTip(QStringLiteral("Bond price on stand date"));
    m_wndInsert->setToolTip(QStringLiteral("Insert the date into the grid"));
    m_wndAnalyse->setToolTip(QStringLiteral("Analyse the current bond"));
    m_wndClear->setToolTip(QStringLiteral("Resets all data for the bond"));
    m_wndRelease->setToolTip(QStringLiteral("Release date"));
    m_wndCoupon->setToolTip(QStringLiteral("The payment for one period"));
    m_wndPayPeriod->setToolTip(QStringLiteral("The pay interval in months"));
    m_wndMaturity->setToolTip(QStringLiteral("The bond's end"));
    m_wndFace->setToolTip(QStringLiteral("The nominal price of the bond"));

    // The grid follows the Periods value the moment it changes: callers that
    // set the value write row 0 right after and rely on the row being there.
    connect(m_wndPeriods, &QSpinBox::textChanged, this, &CInView::SyncGridRows);
    m_wndPeriods->setRange(1, kMaxPeriods);
    m_wndPeriods->setValue(1);
    SyncGridRows();
    connect(m_wndGrid, &PaymentGrid::EditEnded, this, &CInView::OnEndLabelEdit);
    connect(m_wndInsert, &QPushButton::clicked, this, &CInView::OnInsertDate);
    connect(m_wndClear, &QPushButton::clicked, this, &CInView::OnClear);
    connect(m_wndAnalyse, &QPushButton::clicked, this, &CInView::OnAnalyse);
    connect(m_wndTabs, &QTabBar::currentChanged, this, &CInView::OnTabChange);
    // A day the user picks replaces the stand-in for one no picker holds.
    connect(m_wndRelease, &DatePicker::ValueChanged, this, [this] { m_bReleaseUnshown = false; });
    connect(m_wndMaturity, &DatePicker::ValueChanged, this, [this] { m_bMaturityUnshown = false; });

    SetIdentityEnabled(false);
    ShowTypeControls(true);
}

QSize CInView::DesignSize() const { return m_content->minimumSizeHint(); }

void CInView::OnInitialUpdate()
{
    if (!m_bInitialized) {
        m_bInitialized = true;
        m_bLayoutReady = true;
        ResetGrid();
        SetIdentityEnabled(false);
        ShowTypeControls(true);
        // The list pane starts almost closed; the user drags it open.
        if (auto* splitter = qobject_cast<QSplitter*>(parentWidget()); splitter && splitter->indexOf(this) == 1) {
            const int total = std::max(splitter->width(), 24);
            splitter->setSizes({12, total - 12});
        }
    }
    if (!m_bondList.m_list.empty()) {
        m_posCurrent = m_bondList.m_list.begin();
        FillForm(*m_posCurrent);
        SetIdentityEnabled(true);
    } else {
        SetIdentityEnabled(false);
    }
}

int CInView::FillForm(Position pos)
{
    if (!m_posCurrent || pos == m_bondList.m_list.end() || !*pos)
        return -1;
    // An amount still being typed belongs to the record shown until now.
    m_wndGrid->DropEdit();
    const CBond& bond = **pos;
    ShowID(Qs(bond.m_strID));
    Show(m_wndName, Qs(bond.m_strName));
    Show(m_wndPrice, Qs(FormatAmount(bond.m_fPrice)));
    m_bReleaseUnshown = !ShowDate(m_wndRelease, bond.m_nRelease);
    if (const auto* free = dynamic_cast<const CBondFree*>(&bond)) {
        SelectTab(1);
        // Save refuses to drop what the grid can't show.
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
    } else if (const auto* coupons = dynamic_cast<const CBondStd*>(&bond)) {
        SelectTab(0);
        Show(m_wndCoupon, Qs(FormatAmount(coupons->m_fCoupon)));
        m_wndPayPeriod->setEditText(QString::number(coupons->m_nPeriodMonths));
        Show(m_wndFace, Qs(FormatAmount(coupons->m_fFace)));
        m_bMaturityUnshown = !ShowDate(m_wndMaturity, coupons->m_nMaturity);
        ShowTypeControls(true);
        ResetGrid();
        m_bPaymentsCut = false;
    }
    return 0;
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
}

void CInView::ShowID(const QString& id)
{
    // The length first: setting it puts the old text through the limit again.
    m_wndID->setMaxLength(std::max<int>(kMaxIdChars, static_cast<int>(id.size())));
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
}

void CInView::OnClear() { ResetFields(); }

void CInView::RefreshPrice()
{
    if (m_posCurrent && *m_posCurrent != m_bondList.m_list.end() && **m_posCurrent)
        m_wndPrice->setText(Qs(FormatAmount((**m_posCurrent)->m_fPrice)));
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

void CInView::SyncGridRows()
{
    m_wndGrid->SetRowCount(ReadLeadingInteger(Std(m_wndPeriods->text()), 4));
}

void CInView::OnEndLabelEdit(int row, int column, const QString& text)
{
    if (column == PaymentGrid::kPayment)
        m_wndGrid->SetText(row, column, text.left(PaymentGrid::kMaxAmountChars));
}

void CInView::OnInsertDate()
{
    const int row = m_wndGrid->SelectedRow();
    if (row < 0)
        return;
    m_wndGrid->SetText(row, PaymentGrid::kDate, FormatDate(ToDateValue(m_wndCalendar->selectedDate())));
}

// ---- Record commands -------------------------------------------------------

int CInView::AddRecord(int nType)
{
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
    ResetFields();
    ShowTypeControls(!free);
    SelectTab(free ? 1 : 0);
    SetIdentityEnabled(true);
    m_wndID->setFocus(Qt::OtherFocusReason);
    Host().SetModified();
    return 0;
}

void CInView::SaveRecord()
{
    m_wndGrid->CommitEdit();
    ReportError(WriteRecord(m_wndTabs->currentIndex() == 0 ? BOND_TYPE_STD : BOND_TYPE_FREE));
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
    // decides what is read: maturity for Type I, the grid for Type II.
    const bool free = nType == BOND_TYPE_FREE;
    if (m_bReleaseUnshown || (!free && m_bMaturityUnshown))
        return editor::FORM_DATE_OUT_OF_RANGE;
    if (free && m_bPaymentsCut)
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
        if (const int code = editor::ReadStdFields(
                {Std(m_wndCoupon->text()), Std(m_wndFace->text()), Std(m_wndPrice->text()),
                 Std(m_wndPayPeriod->currentText()), m_wndRelease->Value(), m_wndMaturity->Value()},
                f))
            return code;
        if (typeChanged)
            slot = std::make_unique<CBondStd>(UiClock());
        static_cast<CBondStd&>(*slot).SetData(f.periodMonths, static_cast<float>(f.coupon), static_cast<float>(f.face),
                                              static_cast<float>(f.price), f.release, f.maturity, id, name);
    } else {
        double price = 0.0;
        if (const int code = editor::ReadFreePrice(Std(m_wndPrice->text()), editor::kFreePriceFloorSave, price))
            return code;
        const std::vector<GridRow> rows = m_wndGrid->Rows();
        const double release = m_wndRelease->Value();
        std::unique_ptr<CBondFree> fresh;
        CBondFree* target = typeChanged ? (fresh = std::make_unique<CBondFree>(UiClock())).get()
                                        : static_cast<CBondFree*>(slot.get());
        if (const int g = target->SetFromGrid(rows, static_cast<float>(price), release, id, name, LocaleDateParser()))
            return g + editor::kGridCodeOffset;
        if (fresh)
            slot = std::move(fresh);
    }
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

void CInView::MoveFirst()
{
    auto& list = m_bondList.m_list;
    if (!list.empty() && m_posCurrent != list.begin())
        ShowRecordAt(list.begin());
}

void CInView::MoveLast()
{
    auto& list = m_bondList.m_list;
    if (!list.empty() && m_posCurrent != std::prev(list.end()))
        ShowRecordAt(std::prev(list.end()));
}

void CInView::MoveNext()
{
    if (m_posCurrent && std::next(*m_posCurrent) != m_bondList.m_list.end())
        ShowRecordAt(std::next(*m_posCurrent));
}

void CInView::MovePrev()
{
    if (m_posCurrent && *m_posCurrent != m_bondList.m_list.begin())
        ShowRecordAt(std::prev(*m_posCurrent));
}

void CInView::DeleteMatured(double before)
{
    auto& list = m_bondList.m_list;
    const auto deleted = static_cast<int>(m_bondList.DeleteMatured(DaySerial(before)));
    const int total = deleted + static_cast<int>(list.size());
    ShowNotice(this, Qs(editor::DeletedText(deleted, total)));
    if (deleted == 0)
        return;
    Host().ClearListView();
    ShowAfterChange(list.empty() ? std::nullopt : std::optional<Position>(list.begin()));
    Host().SetModified();
}

// ---- Analysis --------------------------------------------------------------

void CInView::OnAnalyse()
{
    m_wndGrid->CommitEdit();
    m_bSquareM = Host().SquareM();
    const bool typeI = m_wndTabs->currentIndex() == 0;
    const editor::AnalysisOutcome outcome = typeI ? AnalyseStd() : AnalyseFree();
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

editor::AnalysisOutcome CInView::AnalyseStd()
{
    editor::StdFields f;
    if (const int code = editor::ReadStdFields({Std(m_wndCoupon->text()), Std(m_wndFace->text()),
                                                Std(m_wndPrice->text()), Std(m_wndPayPeriod->currentText()),
                                                m_wndRelease->Value(), m_wndMaturity->Value()},
                                               f))
        return EntriesRefused(code);
    CBondStd bond(UiClock());
    bond.SetData(f.periodMonths, static_cast<float>(f.coupon), static_cast<float>(f.face), static_cast<float>(f.price),
                 f.release, f.maturity, {}, {});
    const BusyCursor busy;
    return editor::AnalyseFormBond(bond, Host().StandDate(), Host().Horizon(), m_bSquareM, f.price, UiClock());
}

editor::AnalysisOutcome CInView::AnalyseFree()
{
    double price = 0.0;
    if (const int code = editor::ReadFreePrice(Std(m_wndPrice->text()), editor::kFreePriceFloorAnalyse, price))
        return EntriesRefused(code);
    const double release = m_wndRelease->Value();
    const double stand = Host().StandDate();
    const double horizon = Host().Horizon();
    CBondFree bond(UiClock());
    if (const int g = bond.SetFromGrid(m_wndGrid->Rows(), static_cast<float>(price), release, {}, {},
                                       LocaleDateParser()))
        return EntriesRefused(g + editor::kGridCodeOffset);
    const BusyCursor busy;
    return editor::AnalyseFormBond(bond, stand, horizon, m_bSquareM, price, UiClock());
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

// ---- Keys and the Edit menu ------------------------------------------------

namespace {

bool IsAltOnly(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers mods = key.modifiers();
    return (mods & Qt::AltModifier) && !(mods & (Qt::ControlModifier | Qt::MetaModifier));
}

bool IsAltLetter(const QKeyEvent& key)
{
    return IsAltOnly(key) && key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z;
}

} // namespace

QWidget* CInView::MnemonicTarget(const QKeyEvent& key, bool* click) const
{
    if (!IsAltOnly(key))
        return nullptr;
    QChar ch;
    if (key.key() >= Qt::Key_A && key.key() <= Qt::Key_Z)
        ch = QChar(u'A' + (key.key() - Qt::Key_A));
    else if (key.key() == Qt::Key_Less)
        ch = u'<';
    else
        return nullptr;
    for (const Mnemonic& m : m_mnemonics) {
        // A hidden or disabled control leaves its key to whoever else has it.
        if (m.key == ch && m.target->isVisible() && m.target->isEnabled()) {
            *click = m.click;
            return m.target;
        }
    }
    return nullptr;
}

bool CInView::eventFilter(QObject* watched, QEvent* event)
{
    // The form's keys win over the menu bar's only while the focus is inside
    // the form: the shortcut is claimed before the menu sees it, and the key
    // then arrives here as an ordinary key press.
    const QEvent::Type type = event->type();
    if ((type == QEvent::ShortcutOverride || type == QEvent::KeyPress) && watched->isWidgetType()) {
        auto* w = static_cast<QWidget*>(watched);
        if (w == QApplication::focusWidget() && isAncestorOf(w)) {
            const auto* key = static_cast<QKeyEvent*>(event);
            // The tabs take no focus, so the keyboard turns them the way
            // tabbed pages usually turn: Ctrl+PgDn and Ctrl+PgUp.
            if (key->modifiers() == Qt::ControlModifier &&
                (key->key() == Qt::Key_PageDown || key->key() == Qt::Key_PageUp)) {
                event->accept();
                if (type == QEvent::KeyPress)
                    m_wndTabs->setCurrentIndex(key->key() == Qt::Key_PageDown ? 1 : 0);
                return true;
            }
            bool click = false;
            if (QWidget* target = MnemonicTarget(*key, &click)) {
                event->accept();
                if (type == QEvent::KeyPress) {
                    target->setFocus(Qt::ShortcutFocusReason);
                    if (click)
                        static_cast<QPushButton*>(target)->click();
                }
                return true;
            }
            // An Alt+letter nobody claims is a key, not text: it must not
            // type into the field that has the focus.
            if (type == QEvent::KeyPress && IsAltLetter(*key))
                return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void CInView::WatchFocusedField()
{
    // Copy and Cut follow the selection, Undo the text, of whichever field
    // has the focus now.
    disconnect(m_watchSelection);
    disconnect(m_watchText);
    if (QLineEdit* line = FocusedTextField()) {
        m_watchSelection = connect(line, &QLineEdit::selectionChanged, this, &CInView::EditStateChanged);
        m_watchText = connect(line, &QLineEdit::textChanged, this, &CInView::EditStateChanged);
    }
    emit EditStateChanged();
}

QLineEdit* CInView::FocusedTextField() const
{
    QWidget* w = QApplication::focusWidget();
    if (auto* line = qobject_cast<QLineEdit*>(w))
        return line;
    if (auto* combo = qobject_cast<QComboBox*>(w))
        return combo->isEditable() ? combo->lineEdit() : nullptr;
    if (auto* spin = qobject_cast<QSpinBox*>(w))
        return spin->findChild<QLineEdit*>();
    return nullptr;
}

bool CInView::CanEditCopy() const
{
    const QLineEdit* line = FocusedTextField();
    return line && line->hasSelectedText() && line->echoMode() == QLineEdit::Normal;
}

bool CInView::CanEditCut() const
{
    const QLineEdit* line = FocusedTextField();
    return CanEditCopy() && !line->isReadOnly();
}

bool CInView::CanEditPaste() const
{
    const QLineEdit* line = FocusedTextField();
    if (!line || line->isReadOnly())
        return false;
    const QMimeData* data = QApplication::clipboard()->mimeData();
    return data && data->hasText();
}

bool CInView::CanEditUndo() const
{
    const QLineEdit* line = FocusedTextField();
    return line && !line->isReadOnly() && line->isUndoAvailable();
}

void CInView::OnEditCopy()
{
    if (CanEditCopy())
        FocusedTextField()->copy();
}

void CInView::OnEditCut()
{
    if (CanEditCut())
        FocusedTextField()->cut();
}

void CInView::OnEditPaste()
{
    if (CanEditPaste())
        FocusedTextField()->paste();
}

void CInView::OnEditUndo()
{
    if (CanEditUndo())
        FocusedTextField()->undo();
}

} // namespace tenvix::ui
