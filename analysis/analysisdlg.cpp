#include "analysis/analysisdlg.h"

#include "model/analysiscalc.h"
#include "model/analysismessages.h"
#include "model/format.h"
#include "uikit/busycursor.h"
#include "uikit/buttons.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"
#include "uikit/services.h"
#include "uikit/typeddecimal.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace tenvix::ui {
namespace {

constexpr int kMaxPeriods = 200;
constexpr int kNoColumnWidth = 64;

QString Figure(double value) { return QString::fromStdString(FormatFixed(value, 8)); }

QLineEdit* MakeResultBox(QWidget* parent, const char* name, const QString& tip)
{
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setReadOnly(true);
    box->setToolTip(tip);
    // Room for a yield in the thousands with all eight decimals.
    box->setMinimumWidth(box->fontMetrics().horizontalAdvance(QStringLiteral("0000.00000000")) + 12);
    return box;
}

QLabel* MakeLabel(const QString& text, QWidget* buddy, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setBuddy(buddy);
    return label;
}

} // namespace

AnalysisDialog::AnalysisDialog(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("analysisDlg"));
    setWindowTitle(QStringLiteral("Bond Analysis"));
    // A window of its own beside the frame, with its own task-bar button; it
    // can be minimised but not maximised.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    BuildControls();

    m_wndPeriods->setRange(1, kMaxPeriods);
    m_wndPeriods->setValue(1);
    m_wndGrid->SetRowCount(1);
    m_wndYear->setCurrentIndex(0);

    connect(m_wndPeriods, &QSpinBox::valueChanged, this, &AnalysisDialog::OnPeriodsChanged);
    connect(m_wndGrid, &PaymentGrid::EditEnded, this, &AnalysisDialog::OnCellEdited);
    connect(m_wndInsert, &QPushButton::clicked, this, &AnalysisDialog::OnInsert);
    connect(m_wndStand, &DatePicker::ValueChanged, this, &AnalysisDialog::ShowHorizonYears);
    connect(m_wndHorizon, &DatePicker::ValueChanged, this, &AnalysisDialog::ShowHorizonYears);
    connect(m_wndYear, &QComboBox::currentIndexChanged, this, &AnalysisDialog::ShowHorizonYears);
    connect(m_wndPrice, &QLineEdit::textChanged, this, &AnalysisDialog::ClearResults);
    connect(m_wndCalculate, &QPushButton::clicked, this, &AnalysisDialog::OnCalculate);
    connect(m_wndNew, &QPushButton::clicked, this, &AnalysisDialog::OnNew);
    // Hiding keeps every entry for the next showing; so do Esc and the close box.
    connect(m_wndExit, &QPushButton::clicked, this, &QDialog::hide);
}

void AnalysisDialog::BuildControls()
{
    // Entries: the two dates, the number of rows and the price over the grid.
    auto* entries = new QGroupBox(this);
    m_wndStand = new DatePicker(entries);
    m_wndStand->setObjectName(QStringLiteral("standDate"));
    m_wndStand->setToolTip(QStringLiteral("Portfolio beginnig"));
    m_wndHorizon = new DatePicker(entries);
    m_wndHorizon->setObjectName(QStringLiteral("horizonDate"));
    m_wndHorizon->setToolTip(QStringLiteral("Portfolio end"));
    m_wndPeriods = new PeriodsBox(entries);
    m_wndPeriods->setObjectName(QStringLiteral("periods"));
    m_wndPeriods->setToolTip(QStringLiteral("Number of future cashflows"));
    m_wndPrice = new QLineEdit(entries);
    m_wndPrice->setObjectName(QStringLiteral("spotPrice"));
    m_wndPrice->setToolTip(QStringLiteral("Price on Stand Date"));
    m_wndGrid = new PaymentGrid(entries);
    m_wndGrid->setObjectName(QStringLiteral("grid"));
    m_wndGrid->setColumnWidth(PaymentGrid::kNo, kNoColumnWidth);
    m_wndGrid->setMinimumWidth(90 + 90 + kNoColumnWidth + 2 * m_wndGrid->frameWidth() + 20);

    auto* entryGrid = new QGridLayout(entries);
    entryGrid->addWidget(MakeLabel(QStringLiteral("&Stand Date"), m_wndStand, entries), 0, 0);
    entryGrid->addWidget(m_wndStand, 0, 1);
    entryGrid->addWidget(MakeLabel(QStringLiteral("Inv.&Horizon"), m_wndHorizon, entries), 0, 2);
    entryGrid->addWidget(m_wndHorizon, 0, 3);
    entryGrid->addWidget(MakeLabel(QStringLiteral("Pe&riods"), m_wndPeriods, entries), 1, 0);
    entryGrid->addWidget(m_wndPeriods, 1, 1);
    entryGrid->addWidget(MakeLabel(QStringLiteral("Spot &Price"), m_wndPrice, entries), 1, 2);
    entryGrid->addWidget(m_wndPrice, 1, 3);
    entryGrid->addWidget(m_wndGrid, 2, 0, 1, 4);
    entryGrid->setColumnStretch(1, 1);
    entryGrid->setColumnStretch(3, 1);
    entryGrid->setRowStretch(2, 1);

    // The year method.
    auto* yearGroup = new QGroupBox(QStringLiteral("What is year ?"), this);
    m_wndYear = new QComboBox(yearGroup);
    m_wndYear->setObjectName(QStringLiteral("yearMethod"));
    m_wndYear->addItems({QStringLiteral("12 months"), QStringLiteral("365 days")});
    m_wndYear->setToolTip(QStringLiteral("Choose the method for years calculation"));
    auto* yearRow = new QHBoxLayout(yearGroup);
    yearRow->addWidget(MakeLabel(QStringLiteral("&Year ="), m_wndYear, yearGroup));
    yearRow->addWidget(m_wndYear, 1);

    // The calendar that fills the Date column.
    auto* pickGroup = new QGroupBox(QStringLiteral("Date Pick Helper"), this);
    m_wndInsert = MakeButton(pickGroup, QStringLiteral("< &Insert"), "insert",
                             QStringLiteral("Press to insert date in the grid"));
    m_wndInsert->setAutoDefault(false);
    m_wndCalendar = new QCalendarWidget(pickGroup);
    m_wndCalendar->setObjectName(QStringLiteral("calendar"));
    m_wndCalendar->setDateRange(QDate(1900, 1, 1), QDate(9999, 1, 1));
    m_wndCalendar->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    m_wndCalendar->setSelectedDate(ToQDate(UiClock().Now()));
    m_wndCalendar->setFixedSize(m_wndCalendar->minimumSizeHint());
    auto* pickColumn = new QVBoxLayout(pickGroup);
    pickColumn->addWidget(m_wndInsert, 0, Qt::AlignLeft);
    pickColumn->addWidget(m_wndCalendar);
    pickColumn->addStretch(1);

    auto* rightColumn = new QVBoxLayout;
    rightColumn->addWidget(yearGroup);
    rightColumn->addWidget(pickGroup, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(entries, 1);
    top->addLayout(rightColumn);

    // Results, with Calculate among them.
    auto* results = new QGroupBox(this);
    m_wndYTM = MakeResultBox(results, "ytm", QStringLiteral("YTM as compound interest on year basis ,0,10=10%"));
    m_wndD1 = MakeResultBox(results, "d1", QStringLiteral("Duration"));
    m_wndSquareMWanted = new QCheckBox(QStringLiteral("&M2"), results);
    m_wndSquareMWanted->setObjectName(QStringLiteral("squareMWanted"));
    m_wndSquareMWanted->setToolTip(QStringLiteral("Is Square-M wanted ?"));
    m_wndSquareM = MakeResultBox(results, "squareM", QStringLiteral("Square-M"));
    m_wndCalculate =
        MakeButton(results, QStringLiteral("&Calculate"), "calculate", QStringLiteral("Find coefficients"));
    m_wndCalculate->setDefault(true);
    m_wndH = MakeResultBox(results, "h", QStringLiteral("Investment Horizon in years"));
    auto* resultRow = new QHBoxLayout(results);
    resultRow->addWidget(new QLabel(QStringLiteral("YTM"), results));
    resultRow->addWidget(m_wndYTM, 1);
    resultRow->addSpacing(8);
    resultRow->addWidget(new QLabel(QStringLiteral("D1"), results));
    resultRow->addWidget(m_wndD1, 1);
    resultRow->addSpacing(8);
    resultRow->addWidget(m_wndSquareMWanted);
    resultRow->addWidget(m_wndSquareM, 1);
    resultRow->addSpacing(8);
    resultRow->addWidget(m_wndCalculate);
    resultRow->addSpacing(8);
    resultRow->addWidget(new QLabel(QStringLiteral("H"), results));
    resultRow->addWidget(m_wndH, 1);

    m_wndNew = MakeButton(this, QStringLiteral("&New"), "new", QStringLiteral("Resets input data"));
    m_wndExit = MakeButton(this, QStringLiteral("E&xit"), "exit", QStringLiteral("Close the window"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(3);
    buttons->addWidget(m_wndNew);
    buttons->addStretch(2);
    buttons->addWidget(m_wndExit);
    buttons->addStretch(3);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(results);
    layout->addLayout(buttons);

    // Reading order: entries, then the helpers on the right, then results.
    setTabOrder(m_wndStand, m_wndHorizon);
    setTabOrder(m_wndHorizon, m_wndPeriods);
    setTabOrder(m_wndPeriods, m_wndPrice);
    setTabOrder(m_wndPrice, m_wndGrid);
    setTabOrder(m_wndGrid, m_wndYear);
    setTabOrder(m_wndYear, m_wndInsert);
    setTabOrder(m_wndInsert, m_wndCalendar);
    setTabOrder(m_wndCalendar, m_wndYTM);
    setTabOrder(m_wndYTM, m_wndD1);
    setTabOrder(m_wndD1, m_wndSquareMWanted);
    setTabOrder(m_wndSquareMWanted, m_wndSquareM);
    setTabOrder(m_wndSquareM, m_wndCalculate);
    setTabOrder(m_wndCalculate, m_wndH);
    setTabOrder(m_wndH, m_wndNew);
    setTabOrder(m_wndNew, m_wndExit);
}

void AnalysisDialog::OnPeriodsChanged(int periods)
{
    m_wndGrid->SetRowCount(periods);
    ClearResults();
}

void AnalysisDialog::OnCellEdited(int row, int column, const QString& text)
{
    if (column != PaymentGrid::kPayment && column != PaymentGrid::kDate)
        return;
    m_wndGrid->SetText(row, column, text);
    ClearResults();
}

void AnalysisDialog::OnInsert()
{
    // A date still being typed in the row would overwrite the inserted one
    // when its editor closes.
    m_wndGrid->CommitEdit();
    const int row = m_wndGrid->SelectedRow();
    if (row < 0)
        return;
    m_wndGrid->SetText(row, PaymentGrid::kDate, FormatDate(ToDateValue(m_wndCalendar->selectedDate())));
    ClearResults();
}

void AnalysisDialog::SetDates(double stand, double horizon)
{
    m_wndStand->SetValue(stand);
    m_wndHorizon->SetValue(horizon);
}

void AnalysisDialog::ShowHorizonYears()
{
    const auto method = m_wndYear->currentIndex() == 0 ? YearMethod::CalendarParts : YearMethod::DayCount;
    m_wndH->setText(Figure(HorizonYears(method, m_wndStand->Day(), m_wndHorizon->Day())));
    ClearResults();
}

void AnalysisDialog::ClearResults()
{
    if (m_bResultsShown)
        EmptyResultBoxes();
    emit EntriesChanged();
}

void AnalysisDialog::EmptyResultBoxes()
{
    m_wndYTM->clear();
    m_wndD1->clear();
    m_wndSquareM->clear();
    m_bResultsShown = false;
}

void AnalysisDialog::OnNew()
{
    // New starts afresh: what an open editor holds goes with the rest.
    m_wndGrid->DropEdit();
    // Periods may already stand at 1, when changing it would not reset the row.
    const QSignalBlocker quiet(m_wndPeriods);
    m_wndPeriods->setValue(1);
    m_wndGrid->SetRowCount(1);
    m_wndGrid->SetText(0, PaymentGrid::kPayment, PaymentGrid::kPlaceholder);
    m_wndGrid->SetText(0, PaymentGrid::kDate, QString());
    m_wndGrid->SetText(0, PaymentGrid::kNo, QStringLiteral("1"));
    m_wndSquareMWanted->setChecked(false);
    EmptyResultBoxes();
    emit EntriesChanged();
}

void AnalysisDialog::OnCalculate()
{
    // A payment still being typed is part of the input.
    m_wndGrid->CommitEdit();
    if (m_wndGrid->RowCount() <= 0)
        return;
    EmptyResultBoxes();

    const std::vector<GridRow> rows = m_wndGrid->Rows();
    AnalysisInput input;
    input.price = TypedDecimal(m_wndPrice->text()).toStdString();
    input.rows = rows;
    input.stand = m_wndStand->Day();
    input.horizon = m_wndHorizon->Day();
    input.method = m_wndYear->currentIndex() == 0 ? YearMethod::CalendarParts : YearMethod::DayCount;
    input.squareM = m_wndSquareMWanted->isChecked();

    ExplainedAnalysis explained;
    explained.stand = input.stand;
    explained.horizon = input.horizon;
    explained.method = input.method;
    AnalysisResult result;
    {
        const BusyCursor busy;
        AnalysisExplanation x = ExplainAnalysis(input, LocaleDateParser(), UiClock());
        result = x.result;
        explained.explanation = std::move(x.explanation);
    }
    if (result.fault) {
        const QString message = QString::fromStdString(AnalysisFaultMessage(result.fault));
        emit ExplainFailed(message);
        ShowError(this, message);
        return;
    }
    if (result.error)
        emit ExplainFailed(QString::fromLatin1(AnalysisFailureText(AnalysisFailure::NoYield)));
    else
        emit Explained(explained);
    if (result.error) {
        m_wndYTM->setText(QString::fromLatin1(kAnalysisNoYieldText));
    } else {
        m_wndYTM->setText(Figure(result.ytm));
        m_wndD1->setText(Figure(result.duration));
        if (input.squareM)
            m_wndSquareM->setText(Figure(result.squareM));
    }
    m_bResultsShown = true;
}

} // namespace tenvix::ui
