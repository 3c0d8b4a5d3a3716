// The Market window's table model and chart on a generated market, without
// the window: the order of every kind of column, the bonds without a value
// last, the spreads held back until the fit has ended, the filter, and the
// chart's even sample of a market larger than it draws.

#include "curve/market.h"
#include "examples/generated.h"
#include "market/markettable.h"
#include "market/markettexts.h"
#include "market/yieldchart.h"
#include "model/bondfile.h"
#include "support/app.h"

#include <QLineSeries>
#include <QScatterSeries>

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::test;

namespace {

// A market of `count` generated bonds, analysed and fitted.
std::shared_ptr<curve::Market> MarketOf(std::size_t count, GeneratedMix mix = GeneratedMix::Market)
{
    const std::string bytes = GenerateDatabase(count, 3, mix);
    const auto span = std::as_bytes(std::span(bytes.data(), bytes.size()));
    auto market = std::make_shared<curve::Market>();
    const FakeClock still;
    market->Analyse(span, *IndexBondDatabase(span, 256), {kGeneratedStand, kGeneratedStand + 1826, &still, 2}, nullptr);
    market->Fit(2, nullptr);
    return market;
}

} // namespace

class TestMarketTable : public QObject {
    Q_OBJECT
    std::shared_ptr<curve::Market> m_market;

    static QString Cell(const MarketTable& t, int row, int column) { return t.index(row, column).data().toString(); }

private slots:
    void initTestCase() { m_market = MarketOf(1500, GeneratedMix::Everything); }

    void sortsFiguresWithTheEmptyOnesLastInListOrder()
    {
        MarketTable table;
        table.SetMarket(m_market);
        table.SetFitted();
        for (int column : {int(MarketTable::kColPrice), int(MarketTable::kColAccrued), int(MarketTable::kColYtm),
                           int(MarketTable::kColDuration), int(MarketTable::kColSpread)})
            for (Qt::SortOrder order : {Qt::AscendingOrder, Qt::DescendingOrder}) {
                table.sort(column, order);
                int firstEmpty = -1;
                for (int r = 0; r < table.rowCount(); ++r) {
                    const QString text = Cell(table, r, column);
                    if (text.isEmpty()) {
                        if (firstEmpty < 0)
                            firstEmpty = r;
                        // Among the empty ones, the list's order.
                        if (r > firstEmpty)
                            QVERIFY(table.BondAt(r) > table.BondAt(r - 1));
                        continue;
                    }
                    QVERIFY2(firstEmpty < 0, qPrintable(QString::number(column)));
                    if (r == 0)
                        continue;
                    const double a = Cell(table, r - 1, column).toDouble(), b = text.toDouble();
                    QVERIFY(order == Qt::AscendingOrder ? a <= b : a >= b);
                    // Equal prices keep the list's order either way.
                    const auto bonds = m_market->Bonds();
                    if (column == MarketTable::kColPrice &&
                        bonds[table.BondAt(r)].price == bonds[table.BondAt(r - 1)].price)
                        QVERIFY(table.BondAt(r) > table.BondAt(r - 1));
                }
                QVERIFY(column == MarketTable::kColPrice ? firstEmpty < 0 : firstEmpty > 0);
            }
    }

    void holdsTheSpreadsBackUntilTheFitHasEnded()
    {
        MarketTable table;
        table.SetMarket(m_market);
        table.sort(MarketTable::kColSpread, Qt::DescendingOrder);
        // Before: no spread shown, and the sort by it is the list's order.
        for (int r = 0; r < table.rowCount(); ++r) {
            QCOMPARE(Cell(table, r, MarketTable::kColSpread), QString());
            QCOMPARE(table.BondAt(r), std::size_t(r));
        }
        table.SetFitted();
        const std::size_t dearest = table.BondAt(0);
        QVERIFY(!Cell(table, 0, MarketTable::kColSpread).isEmpty());
        for (std::size_t k = 0; k < m_market->Bonds().size(); ++k)
            if (!std::isnan(m_market->Bonds()[k].spread))
                QVERIFY(m_market->Bonds()[k].spread <= m_market->Bonds()[dearest].spread);
    }

    void filtersOnTheStartOfIdOrNameWithoutRegardToCase()
    {
        MarketTable table;
        table.SetMarket(m_market);
        table.SetFilter(QStringLiteral("b00001"));
        QVERIFY(table.rowCount() > 0);
        for (int r = 0; r < table.rowCount(); ++r)
            QVERIFY(Cell(table, r, MarketTable::kColID).startsWith(QStringLiteral("B00001")));
        // A name's start, in other letters: "Loan 7" and the like.
        table.SetFilter(QStringLiteral("LOAN 1"));
        QVERIFY(table.rowCount() > 0);
        for (int r = 0; r < table.rowCount(); ++r)
            QVERIFY(Cell(table, r, MarketTable::kColName).startsWith(QStringLiteral("Loan 1")));
        const std::size_t shown = table.BondAt(0);
        QCOMPARE(table.RowOf(shown), 0);
        table.SetFilter(QStringLiteral("zz-none"));
        QCOMPARE(table.rowCount(), 0);
        QCOMPARE(table.RowOf(shown), -1);
        table.SetFilter({});
        QCOMPARE(table.rowCount(), int(m_market->Bonds().size()));
    }

    void drawsAnEvenSampleOfALargeMarket()
    {
        const auto large = MarketOf(20600);

        QVERIFY(large->HasCurve());
        const std::size_t fitted = large->FittedCount();
        QVERIFY(fitted > YieldChart::kMostPoints);
        YieldChart chart;
        chart.Show(large);
        const std::size_t every = (fitted + YieldChart::kMostPoints - 1) / YieldChart::kMostPoints;
        QCOMPARE(chart.PointCount(), (fitted + every - 1) / every);
        double shortest = HUGE_VAL, longest = 0;
        for (int band = 0; band < kSpreadBandCount; ++band)
            for (int p = 0; p < chart.Band(band)->count(); ++p) {
                const curve::MarketBond& b = large->Bonds()[chart.BondOf(band, p)];
                QVERIFY(b.Fitted());
                QCOMPARE(SpreadBandOf(b.spread * 10000), band);
                QCOMPARE(chart.Band(band)->at(p), QPointF(b.years, b.ytm * 100));
                shortest = std::min(shortest, b.years);
                longest = std::max(longest, b.years);
            }
        // The curve over the years the points span, as the par yield.
        QLineSeries* curve = chart.CurveSeries();
        QVERIFY(curve->count() > 30);
        for (int i = 0; i < curve->count(); ++i) {
            QVERIFY(curve->at(i).x() >= std::floor(shortest) - 0.05 && curve->at(i).x() <= longest);
            QCOMPARE(curve->at(i).y(), curve::ParYield(large->Params(), curve->at(i).x()) * 100);
        }
        QVERIFY(chart.chart()->title().startsWith(QStringLiteral("Yield curve (rmse ")));
    }
};

QTEST_MAIN(TestMarketTable)
#include "tst_markettable.moc"
