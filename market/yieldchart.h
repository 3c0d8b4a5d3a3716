#pragma once

// The Market window's chart "Yield curve": each bond the curve was fitted to
// as a point, its YTM in percent against its years, coloured by its spread
// (an even sample when there are more than kMostPoints), and the fitted
// curve as the par yield of an annual-coupon bond on it, which a coupon
// bond's YTM is comparable to. A point tells its bond and spread when the
// pointer rests on it; a click on it chooses its bond.

#include "curve/market.h"

#include <QChartView>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QLineSeries;
class QScatterSeries;
class QCategoryAxis;

namespace tenvix::ui {

class YieldChart final : public QChartView {
    Q_OBJECT
public:
    static constexpr std::size_t kMostPoints = 20000;

    explicit YieldChart(QWidget* parent = nullptr);

    // No points, no curve, the plain title.
    void Clear();
    // The fitted bonds of `market` and its curve; the market must have one.
    void Show(std::shared_ptr<const curve::Market> market);

    std::size_t PointCount() const;
    QLineSeries* CurveSeries() const { return m_curve; }
    QScatterSeries* Band(int band) const { return m_bands[static_cast<std::size_t>(band)]; }
    // The bond a point of a band stands for.
    std::size_t BondOf(int band, int point) const
    {
        return m_bondsOf[static_cast<std::size_t>(band)][static_cast<std::size_t>(point)];
    }

signals:
    void BondChosen(std::size_t bond);

private:
    // The point of `band` at `where`, or -1.
    int PointAt(int band, const QPointF& where) const;

    QChart* m_chart;
    QCategoryAxis* m_xAxis;
    QCategoryAxis* m_yAxis;
    std::array<QScatterSeries*, 5> m_bands{};
    QLineSeries* m_curve;
    std::array<std::vector<std::uint32_t>, 5> m_bondsOf;
    std::shared_ptr<const curve::Market> m_market;
};

} // namespace tenvix::ui
