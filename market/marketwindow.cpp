#include "market/marketwindow.h"

#include "curve/curvemessages.h"
#include "market/markettable.h"
#include "market/markettexts.h"
#include "market/yieldchart.h"
#include "model/bondfile.h"
#include "model/date.h"
#include "uikit/buttons.h"
#include "uikit/datetext.h"
#include "uikit/services.h"
#include "uikit/strings.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSplitter>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace tenvix::ui {

namespace {

// A run shows its progress and Stop once it has taken this long.
constexpr std::int64_t kQuietMs = 500;
constexpr int kTickMs = 100;
constexpr int kFilterDelayMs = 200;
constexpr int kProgressSteps = 1000;

// What each column is made wide enough for, beside its heading.
const char* const kWidest[] = {"GOV-2027-A-XX", "Government 4.00% 2027 XXXXXX", "II", "", "10000.00",
                               "10.000000", "100.000000", "0.00000000", "00.00000000", "000.00000000",
                               "-000.00"};
static_assert(std::size(kWidest) == MarketTable::kColumns);

} // namespace

// What the window and its worker share: the worker counts, the window reads
// and may stop it.
struct MarketWindow::Run {
    curve::FitControl analysis;
    curve::FitControl fit;
    std::atomic<bool> fitting{false};
};

MarketWindow::MarketWindow(std::function<MarketSnapshot()> snapshot, QWidget* parent)
    : QWidget(parent, Qt::Window), m_snapshot(std::move(snapshot))
{
    setObjectName(QStringLiteral("MarketWindow"));
    setWindowTitle(TextOf(MarketText::Title));
    setAttribute(Qt::WA_DeleteOnClose);

    auto* label = new QLabel(TextOf(MarketText::FilterLabel), this);
    m_filter = new QLineEdit(this);
    m_filter->setObjectName(QStringLiteral("filter"));
    m_filter->setToolTip(TextOf(MarketText::FilterTip));
    m_filter->setClearButtonEnabled(true);
    label->setBuddy(m_filter);
    m_stateLabel = new QLabel(this);
    m_stateLabel->setObjectName(QStringLiteral("state"));
    m_progress = new QProgressBar(this);
    m_progress->setObjectName(QStringLiteral("progress"));
    m_progress->setRange(0, kProgressSteps);
    m_progress->setTextVisible(false);
    m_stop = MakeButton(this, TextOf(MarketText::Stop), "stop");
    m_refresh = MakeButton(this, TextOf(MarketText::Refresh), "refresh", TextOf(MarketText::RefreshTip));

    auto* bar = new QHBoxLayout;
    bar->addWidget(label);
    bar->addWidget(m_filter, 1);
    bar->addWidget(m_stateLabel, 1);
    bar->addWidget(m_progress, 1);
    bar->addWidget(m_stop);
    bar->addWidget(m_refresh);

    m_table = new MarketTable(this);
    m_view = new QTableView(this);
    m_view->setObjectName(QStringLiteral("bonds"));
    m_view->setModel(m_table);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_view->setWordWrap(false);
    // A million rows of one height: no row is measured.
    m_view->verticalHeader()->hide();
    m_view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_view->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    m_view->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    m_view->horizontalHeader()->setSortIndicatorShown(true);
    m_view->setSortingEnabled(true);
    const QStringList headings = MarketHeadings();
    for (int c = 0; c < MarketTable::kColumns; ++c) {
        const QString widest = c == MarketTable::kColMaturity ? FormatDate(*MakeDate(2099, 12, 31)) : kWidest[c];
        m_view->setColumnWidth(c, std::max(fontMetrics().horizontalAdvance(widest),
                                           fontMetrics().horizontalAdvance(headings[c]) + 16) +
                                      12);
    }

    m_chart = new YieldChart(this);
    m_chart->setMinimumHeight(260);
    m_split = new QSplitter(Qt::Vertical, this);
    m_split->addWidget(m_view);
    m_split->addWidget(m_chart);
    m_split->setStretchFactor(0, 1);
    m_split->setStretchFactor(1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(bar);
    layout->addWidget(m_split, 1);
    resize(fontMetrics().averageCharWidth() * 150, fontMetrics().height() * 45);

    m_ticks = new QTimer(this);
    m_ticks->setInterval(kTickMs);
    connect(m_ticks, &QTimer::timeout, this, &MarketWindow::Tick);
    m_filterDelay = new QTimer(this);
    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(kFilterDelayMs);
    connect(m_filter, &QLineEdit::textChanged, m_filterDelay, qOverload<>(&QTimer::start));
    connect(m_filterDelay, &QTimer::timeout, this, [this] { m_table->SetFilter(m_filter->text()); });
    connect(m_stop, &QPushButton::clicked, this, &MarketWindow::Stop);
    connect(m_refresh, &QPushButton::clicked, this, &MarketWindow::Refresh);
    connect(m_view, &QTableView::doubleClicked, this, [this](const QModelIndex& index) {
        if (!index.isValid() || !m_table->Market())
            return;
        const std::size_t bond = m_table->BondAt(index.row());
        emit RecordWanted(bond, Qs(std::string(m_table->Market()->Id(bond))));
    });
    connect(m_chart, &YieldChart::BondChosen, this, &MarketWindow::SelectBond);

    Refresh();
}

MarketWindow::~MarketWindow() { JoinRun(); }

void MarketWindow::JoinRun()
{
    if (m_run) {
        m_run->analysis.stop = true;
        m_run->fit.stop = true;
    }
    if (m_worker.joinable())
        m_worker.join();
}

void MarketWindow::Refresh()
{
    JoinRun();
    m_bOutOfDate = false;
    StartRun();
}

void MarketWindow::Stop()
{
    if (m_run && (m_state == State::Analysing || m_state == State::Fitting)) {
        m_run->analysis.stop = true;
        m_run->fit.stop = true;
    }
}

void MarketWindow::MarkOutOfDate()
{
    m_bOutOfDate = true;
    ShowState();
}

void MarketWindow::StartRun()
{
    const int run = ++m_nRun;
    m_table->SetMarket(nullptr);
    m_chart->Clear();
    m_market.reset();
    m_state = State::Analysing;
    m_run = std::make_shared<Run>();
    m_nRunStart = UiClock().Milliseconds();
    m_progress->setValue(0);
    ShowState();
    m_ticks->start();

    const MarketSnapshot snapshot = m_snapshot();
    const int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    const Clock& clock = UiClock();
    // The worker reads the snapshot and its own market only; what it finds
    // reaches the window through its event loop, tagged with the run.
    m_worker = std::jthread([this, run, snapshot, threads, &clock, shared = m_run] {
        auto market = std::make_shared<curve::Market>();
        const auto bytes = std::as_bytes(std::span(snapshot.bytes->data(), snapshot.bytes->size()));
        const auto index = IndexBondDatabase(bytes, 1024);
        const curve::MarketOptions options{snapshot.stand, snapshot.horizon, &clock, threads};
        const bool complete = index && market->Analyse(bytes, *index, options, &shared->analysis);
        QMetaObject::invokeMethod(
            this, [this, run, market, complete] { Analysed(run, market, complete); }, Qt::QueuedConnection);
        if (!complete)
            return;
        shared->fitting = true;
        const curve::FitOutcome outcome = market->Fit(threads, &shared->fit);
        QMetaObject::invokeMethod(this, [this, run, outcome] { Fitted(run, outcome); }, Qt::QueuedConnection);
    });
}

void MarketWindow::Analysed(int run, std::shared_ptr<curve::Market> market, bool complete)
{
    if (run != m_nRun)
        return;
    if (!complete) {
        m_state = State::Stopped;
        m_ticks->stop();
        ShowState();
        return;
    }
    m_market = market;
    m_table->SetMarket(market);
    m_state = State::Fitting;
    ShowState();
}

void MarketWindow::Fitted(int run, curve::FitOutcome outcome)
{
    if (run != m_nRun)
        return;
    m_ticks->stop();
    // The worker has ended its writing: the spreads can be read.
    if (m_worker.joinable())
        m_worker.join();
    m_outcome = outcome;
    switch (outcome) {
    case curve::FitOutcome::Fitted:
        m_state = State::Current;
        m_table->SetFitted();
        m_chart->Show(m_market);
        break;
    case curve::FitOutcome::Stopped:
        m_state = State::Stopped;
        break;
    default:
        m_state = State::NoCurve;
        break;
    }
    ShowState();
    if (m_state == State::NoCurve)
        ShowError(this, Qs(curve::FitOutcomeText(outcome)));
}

void MarketWindow::Tick()
{
    if (!m_run)
        return;
    const bool fitting = m_run->fitting.load();
    const curve::FitControl& c = fitting ? m_run->fit : m_run->analysis;
    const int total = c.total.load();
    const double share = total > 0 ? std::min(1.0, static_cast<double>(c.done.load()) / total) : 0.0;
    m_progress->setValue(static_cast<int>(share * kProgressSteps));
    ShowState();
}

QString MarketWindow::StateLine() const
{
    if (m_bOutOfDate)
        return TextOf(MarketText::OutOfDate);
    switch (m_state) {
    case State::Analysing:
        return TextOf(MarketText::Analysing);
    case State::Fitting:
        return TextOf(MarketText::Fitting);
    case State::Stopped:
        return TextOf(MarketText::Stopped);
    case State::NoCurve:
        return Qs(curve::FitOutcomeText(m_outcome));
    case State::Current:
        break;
    }
    return {};
}

void MarketWindow::ShowState()
{
    const bool running = m_state == State::Analysing || m_state == State::Fitting;
    const bool long_ = running && UiClock().Milliseconds() - m_nRunStart >= kQuietMs;
    m_stateLabel->setText(StateLine());
    QFont font = m_stateLabel->font();
    font.setBold(m_bOutOfDate);
    m_stateLabel->setFont(font);
    m_progress->setVisible(long_);
    m_stop->setVisible(long_);
    m_refresh->setEnabled(!running);
}

void MarketWindow::SelectBond(std::size_t bond)
{
    int row = m_table->RowOf(bond);
    if (row < 0 && !m_filter->text().isEmpty()) {
        m_filterDelay->stop();
        m_filter->clear();
        m_table->SetFilter({});
        row = m_table->RowOf(bond);
    }
    if (row < 0)
        return;
    m_view->selectRow(row);
    m_view->scrollTo(m_table->index(row, 0), QAbstractItemView::PositionAtCenter);
}

} // namespace tenvix::ui
