// The record form's controls: the common group, the two kinds' groups under
// their tabs, the keyboard order, the mnemonics and the tooltips. Sizes
// follow the form's design in dialog units of its font.

#include "editor/inview.h"

#include "editor/idlimit.h"
#include "uikit/buttons.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"
#include "uikit/services.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTabBar>
#include <QVBoxLayout>

#include <algorithm>

namespace tenvix::ui {
namespace {

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
            html +=
                next == u'&' ? QStringLiteral("&amp;") : QStringLiteral("<u>%1</u>").arg(QString(next).toHtmlEscaped());
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

// The width of a line edit that shows `chars` characters of its font whole,
// a character counted as an 'x' as Qt's own size hint counts them; the text's
// inner margins, the frame and the style's padding come on top.
int CharsWide(const QLineEdit& edit, int chars)
{
    constexpr int kInnerMargin = 2; // each side, inside the frame
    const QFontMetrics fm = edit.fontMetrics();
    const QMargins text = edit.textMargins();
    QStyleOptionFrame opt;
    opt.initFrom(&edit);
    opt.lineWidth = edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, &edit);
    opt.midLineWidth = 0;
    opt.state |= QStyle::State_Sunken;
    opt.features = QStyleOptionFrame::None;
    const QSize contents(fm.horizontalAdvance(QString(chars, u'x')) + 2 * kInnerMargin + text.left() + text.right() + 1,
                         fm.height());
    return edit.style()->sizeFromContents(QStyle::CT_LineEdit, &opt, contents, &edit).width();
}

// The longest name of the bundled sample, "Utility 5.20% 2029, quarterly".
constexpr int kNameChars = 29;

} // namespace

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
    m_emptyHint = new QLabel(this);
    m_emptyHint->setObjectName(QStringLiteral("emptyHint"));
    m_emptyHint->setWordWrap(true);
    m_emptyHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_emptyHint->setMargin(fontMetrics().height());
    m_emptyHint->hide();
    outer->addWidget(m_emptyHint);
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
    m_wndID->setMaxLength(IdLimit::kMaxChars);
    m_idLimit = new IdLimit(m_wndID);
    m_wndID->setValidator(m_idLimit);
    fixWidth(m_wndID, duX(48));
    QLabel* nameLabel = MakeLabel(QStringLiteral("&Name"), "nameLabel");
    m_wndName = new QLineEdit(m_content);
    m_wndName->setObjectName(QStringLiteral("nameEdit"));
    // A name is read at a glance, so the field shows names as long as the
    // sample's whole.
    fixWidth(m_wndName, std::max(duX(98), CharsWide(*m_wndName, kNameChars)));
    QLabel* priceLabel = MakeLabel(QStringLiteral("Sp&ot Price"), "priceLabel");
    m_wndPrice = new QLineEdit(m_content);
    m_wndPrice->setObjectName(QStringLiteral("priceEdit"));
    fixWidth(m_wndPrice, duX(57));
    m_wndAnalyse = MakeButton(m_content, QStringLiteral("Anal&yse"), "analyseButton");
    m_wndClear = MakeButton(m_content, QStringLiteral("C&lear"), "clearButton");
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
    m_wndInsert = MakeButton(typeII, QStringLiteral("&< Insert"), "insertButton");
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
    QWidget* const tabOrder[] = {m_wndID,        m_wndName,    m_wndPrice, m_wndPeriods,  m_wndCoupon,
                                 m_wndPayPeriod, m_wndFace,    m_wndGrid,  m_wndMaturity, m_wndCalendar,
                                 m_wndInsert,    m_wndAnalyse, m_wndClear, m_wndRelease};
    for (std::size_t k = 1; k < std::size(tabOrder); ++k)
        QWidget::setTabOrder(tabOrder[k - 1], tabOrder[k]);

    // A label's key moves to the control after it; a button's key presses it.
    m_mnemonics = {
        {u'I', m_wndID, false},      {u'N', m_wndName, false},    {u'O', m_wndPrice, false},
        {u'P', m_wndPeriods, false}, {u'C', m_wndCoupon, false},  {u'D', m_wndPayPeriod, false},
        {u'V', m_wndFace, false},    {u'T', m_wndRelease, false},
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

    // Whatever the analysis reads, changed by the user or by showing another
    // record, leaves the last explanation behind.
    for (QLineEdit* field : {m_wndID, m_wndPrice, m_wndCoupon, m_wndFace})
        connect(field, &QLineEdit::textChanged, this, &CInView::EntriesChanged);
    connect(m_wndPayPeriod, &QComboBox::currentTextChanged, this, &CInView::EntriesChanged);
    for (DatePicker* picker : {m_wndRelease, m_wndMaturity})
        connect(picker, &DatePicker::ValueChanged, this, &CInView::EntriesChanged);
    connect(m_wndTabs, &QTabBar::currentChanged, this, &CInView::EntriesChanged);
    const QAbstractItemModel* grid = m_wndGrid->model();
    connect(grid, &QAbstractItemModel::dataChanged, this, &CInView::EntriesChanged);
    connect(grid, &QAbstractItemModel::rowsInserted, this, &CInView::EntriesChanged);
    connect(grid, &QAbstractItemModel::rowsRemoved, this, &CInView::EntriesChanged);
    connect(this, &CInView::EntriesChanged, this, &CInView::FormEdited);
    connect(m_wndName, &QLineEdit::textChanged, this, &CInView::FormEdited);

    SetIdentityEnabled(false);
    ShowTypeControls(true);
}

} // namespace tenvix::ui
