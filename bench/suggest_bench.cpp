// The suggest scan over a large database: one yield solution per bond, so its
// cost is the cost of the analytics, plus whatever the window's progress and
// event step adds on top.

#include "model/bondlist.h"
#include "model/date.h"
#include "portfolio/core/suggest.h"

#include <benchmark/benchmark.h>

#include <random>

#ifdef TENVIX_BENCH_WINDOW
#include "portfolio/portfoliodlg.h"
#include "uikit/services.h"

#include <QApplication>
#include <QProgressBar>
#endif

namespace {

using namespace tenvix;

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

const double kStand = Day(2025, 6, 30);
const double kHorizon = Day(2032, 6, 30);

// A database like a large real one: mostly coupon bonds of every period and
// term, a fifth with explicit payment lists, and some that have matured or
// are not yet issued, so every path of the scan is taken.
CBondList MakeDatabase(int n)
{
    std::mt19937 rng(20250630);
    auto uniform = [&](double lo, double hi) { return std::uniform_real_distribution<double>(lo, hi)(rng); };
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    CBondList list;
    const int periods[] = {12, 6, 3, 1};
    for (int i = 0; i < n; ++i) {
        std::string id("B");
        id += std::to_string(i);
        const int kind = pick(0, 99);
        const double maturity = kStand + pick(-400, 30 * 365);
        const double release = kind < 3 ? kStand + pick(1, 300) : maturity - pick(5, 40) * 365;
        const double rate = uniform(0.0, 0.09);
        if (kind < 80) {
            const int period = periods[pick(0, 3)];
            const float coupon = static_cast<float>(100 * rate * period / 12);
            const double years = (maturity - kStand) / 365.25;
            const double fair = years > 0 ? 100 * (1 + (rate - 0.04) * std::min(years, 15.0)) : 100;
            auto b = std::make_unique<CBondStd>(0);
            b->SetData(period, coupon, 100.0f, static_cast<float>(fair * uniform(0.97, 1.03)), release, maturity, id,
                       "Coupon bond " + id);
            list.m_list.push_back(std::move(b));
        } else {
            auto b = std::make_unique<CBondFree>(0);
            b->m_strID = id;
            b->m_strName = "Cashflow bond " + id;
            b->m_nRelease = DaySerial(release);
            const int payments = pick(1, 12);
            double total = 0, date = maturity;
            for (int k = 0; k < payments; ++k) {
                const float amount = static_cast<float>(k == 0 ? 100 : uniform(2, 30));
                b->m_cashflows.push_back({DaySerial(date), amount});
                total += amount;
                date -= pick(90, 400);
            }
            b->m_nMaturity = DaySerial(maturity);
            b->m_fPrice = static_cast<float>(total * uniform(0.55, 0.95));
            list.m_list.push_back(std::move(b));
        }
    }
    return list;
}

CBondList& Database()
{
    static CBondList db = MakeDatabase(100000);
    return db;
}

void BM_SuggestScan(benchmark::State& state)
{
    CBondList& db = Database();
    for (auto _ : state) {
        SuggestLists lists;
        ScanBonds(db.m_list, kStand, kHorizon, lists, SystemClock());
        benchmark::DoNotOptimize(PresentSuggestions(lists, 0));
    }
    state.counters["bonds"] = static_cast<double>(db.m_list.size());
}
BENCHMARK(BM_SuggestScan)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window's step without the window: count the progress, look at the stop
// flag, and let a throttled pump decide when events would be processed.
void BM_SuggestScanWithStep(benchmark::State& state)
{
    CBondList& db = Database();
    std::int64_t pumps = 0;
    for (auto _ : state) {
        SuggestLists lists;
        ThrottledPump pump(SystemClock(), 25);
        volatile bool stop = false;
        std::size_t progress = 0;
        ScanBonds(db.m_list, kStand, kHorizon, lists, SystemClock(), [&](std::size_t reached, std::size_t) {
            progress = reached;
            if (pump.Due())
                ++pumps;
            return !stop;
        });
        benchmark::DoNotOptimize(progress);
        benchmark::DoNotOptimize(PresentSuggestions(lists, 0));
    }
    state.counters["pumps"] = benchmark::Counter(static_cast<double>(pumps), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SuggestScanWithStep)->Unit(benchmark::kMillisecond)->UseRealTime();

#ifdef TENVIX_BENCH_WINDOW
// Answers every box at once, so a run never waits for a click.
class SilentMessages final : public ui::MessageSeam {
public:
    ui::MsgAnswer Show(QWidget*, const QString&, const QString&, ui::MsgIcon, ui::MsgButtons) override
    {
        return ui::MsgAnswer::Ok;
    }
    int Choose(QWidget*, const QString&, const QString&, const QStringList& buttons) override
    {
        return static_cast<int>(buttons.size()) - 1;
    }
};

// The Suggest button of a shown portfolio window: the scan with the window's
// progress bar and event processing, then the rows appended.
void BM_SuggestInWindow(benchmark::State& state)
{
    CBondList& db = Database();
    SilentMessages messages;
    ui::InstallMessages(&messages);
    for (auto _ : state) {
        state.PauseTiming();
        ui::CPortfolioDlg dlg;
        dlg.m_pStandDate = &kStand;
        dlg.m_pHorizon = &kHorizon;
        dlg.m_pBondList = &db.m_list;
        dlg.show();
        QApplication::processEvents();
        state.ResumeTiming();
        dlg.Suggest();
        state.PauseTiming();
        benchmark::DoNotOptimize(dlg.RowCount());
        dlg.hide();
        state.ResumeTiming();
    }
    ui::InstallMessages(nullptr);
}
BENCHMARK(BM_SuggestInWindow)->Unit(benchmark::kMillisecond)->UseRealTime();
#endif

} // namespace

int main(int argc, char** argv)
{
#ifdef TENVIX_BENCH_WINDOW
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
#endif
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
