// The Market window over a generated market of a million bonds (nine in ten
// coupon bonds of up to 40 years, one in ten zeros): the snapshot the frame
// makes of the list, the table model's fill, its sort by a text column and by
// a figure, its filter, and the window itself from its start until its rows
// show and until its curve is fitted.

#include "curve/market.h"
#include "examples/generated.h"
#include "market/markettable.h"
#include "market/marketwindow.h"
#include "model/bondfile.h"
#include "model/clock.h"

#include <QApplication>
#include <QElapsedTimer>

#include <benchmark/benchmark.h>

namespace {

using namespace tenvix;
using namespace tenvix::ui;

constexpr std::size_t kBonds = 1'000'000;

const std::string& Bytes()
{
    static const std::string bytes = GenerateDatabase(kBonds, 1, GeneratedMix::Market);
    return bytes;
}

std::span<const std::byte> Span(const std::string& s) { return std::as_bytes(std::span(s.data(), s.size())); }

// The market analysed and fitted, as the window holds it once it is done.
const std::shared_ptr<curve::Market>& Fitted()
{
    static const std::shared_ptr<curve::Market> market = [] {
        auto m = std::make_shared<curve::Market>();
        const auto index = IndexBondDatabase(Span(Bytes()), 1024);
        m->Analyse(Span(Bytes()), *index, {kGeneratedStand, kGeneratedStand + 1826, &SystemClock(), 2}, nullptr);
        m->Fit(2, nullptr);
        return m;
    }();
    return market;
}

// What the frame does on the user's thread at each start and Refresh.
void BM_MarketSnapshot(benchmark::State& state)
{
    CBondList list;
    LoadBondDatabase(Span(Bytes()), list);
    for (auto _ : state)
        benchmark::DoNotOptimize(StoreBondDatabase(list));
}
BENCHMARK(BM_MarketSnapshot)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_MarketFill(benchmark::State& state)
{
    Fitted();
    MarketTable table;
    for (auto _ : state) {
        table.SetMarket(Fitted());
        table.SetFitted();
        benchmark::DoNotOptimize(table.rowCount());
    }
}
BENCHMARK(BM_MarketFill)->Unit(benchmark::kMillisecond)->UseRealTime();

// A click on a header: from list order to the column's, both ways in turn.
void BM_MarketSort(benchmark::State& state)
{
    MarketTable table;
    table.SetMarket(Fitted());
    table.SetFitted();
    const int column = static_cast<int>(state.range(0));
    bool down = false;
    for (auto _ : state) {
        table.sort(column, down ? Qt::DescendingOrder : Qt::AscendingOrder);
        down = !down;
    }
}
BENCHMARK(BM_MarketSort)
    ->Arg(MarketTable::kColID)
    ->Arg(MarketTable::kColName)
    ->Arg(MarketTable::kColYtm)
    ->Arg(MarketTable::kColSpread)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_MarketFilter(benchmark::State& state)
{
    MarketTable table;
    table.SetMarket(Fitted());
    bool narrow = false;
    for (auto _ : state) {
        table.SetFilter(narrow ? QStringLiteral("m00001") : QStringLiteral("bond 4"));
        narrow = !narrow;
    }
}
BENCHMARK(BM_MarketFilter)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window from its start: rows_s when the rows show, the time of the
// iteration when the curve is fitted too.
void BM_MarketWindow(benchmark::State& state)
{
    auto bytes = std::make_shared<const std::string>(Bytes());
    double rows = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        auto* window = new MarketWindow(
            [bytes] { return MarketSnapshot{bytes, kGeneratedStand, kGeneratedStand + 1826}; });
        window->show();
        // Waiting for events, as the user's thread does, leaves the
        // processors to the window's worker.
        while (window->CurrentState() == MarketWindow::State::Analysing)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        rows += clock.elapsed() / 1000.0;
        while (window->CurrentState() == MarketWindow::State::Fitting)
            QApplication::processEvents(QEventLoop::WaitForMoreEvents);
        delete window;
    }
    state.counters["rows_s"] = rows / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MarketWindow)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
