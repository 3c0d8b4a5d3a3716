#include "market/yieldchart.h"

#include "market/markettexts.h"
#include "model/format.h"
#include "uikit/axissteps.h"
#include "uikit/strings.h"

#include <QCategoryAxis>
#include <QCursor>
#include <QLineSeries>
#include <QScatterSeries>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace tenvix::ui {

namespace {

// From dear (blue) through fair (grey) to cheap (red).
const QColor kBandColors[] = {QColor(0x15, 0x65, 0xc0), QColor(0x64, 0xb5, 0xf6), QColor(0x9e, 0x9e, 0x9e),
                              QColor(0xff, 0x8a, 0x65), QColor(0xc6, 0x28, 0x28)};

// Labels of our own from `low` to `high` in about `parts` steps, so that the
// figures read in ASCII digits with the full stop whatever the locale.
void LayAxis(QCategoryAxis* axis, double low, double high, int parts)
{
    const double step = NiceStep(std::max(high - low, 1e-9), parts);
    const int decimals = DecimalsFor(step);
    const double first = std::floor(low / step) * step;
    const double last = std::ceil(high / step) * step;
    for (const QString& label : axis->categoriesLabels())
        axis->remove(label);
    axis->setStartValue(first - step);
    for (double v = first; v <= last + step / 2; v += step)
        axis->append(Qs(FormatFixed(std::fabs(v) < step / 2 ? 0.0 : v, decimals)), v);
    axis->setRange(first, last);
}

// The value at `share` of the way through `values` (sorted in part).
double Quantile(std::vector<double>& values, double share)
{
    const auto at = values.begin() + static_cast<std::ptrdiff_t>(share * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), at, values.end());
    return *at;
}

} // namespace

YieldChart::YieldChart(QWidget* parent)
    : QChartView(new QChart, parent),
      m_chart(chart()),
      m_xAxis(new QCategoryAxis),
      m_yAxis(new QCategoryAxis),
      m_curve(new QLineSeries)
{
    setObjectName(QStringLiteral("yieldChart"));
    setRenderHint(QPainter::Antialiasing, true);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_xAxis->setTitleText(TextOf(MarketText::YearsAxis));
    m_yAxis->setTitleText(TextOf(MarketText::YtmAxis));
    for (QCategoryAxis* axis : {m_xAxis, m_yAxis})
        axis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_xAxis, Qt::AlignBottom);
    m_chart->addAxis(m_yAxis, Qt::AlignLeft);
    for (int band = 0; band < kSpreadBandCount; ++band) {
        auto* s = new QScatterSeries;
        s->setName(QString::fromLatin1(kSpreadBands[band].name));
        s->setMarkerSize(6);
        s->setColor(kBandColors[band]);
        s->setBorderColor(kBandColors[band]);
        m_chart->addSeries(s);
        s->attachAxis(m_xAxis);
        s->attachAxis(m_yAxis);
        m_bands[static_cast<std::size_t>(band)] = s;
        connect(s, &QScatterSeries::hovered, this, [this, band](const QPointF& where, bool on) {
            const int point = on ? PointAt(band, where) : -1;
            if (point < 0 || !m_market) {
                QToolTip::hideText();
                return;
            }
            const std::size_t bond = BondOf(band, point);
            const curve::MarketBond& b = m_market->Bonds()[bond];
            QToolTip::showText(QCursor::pos(),
                               PointTip(Qs(std::string(m_market->Id(bond))), b.years, b.ytm, b.spread * 10000), this);
        });
        connect(s, &QScatterSeries::clicked, this, [this, band](const QPointF& where) {
            const int point = PointAt(band, where);
            if (point >= 0)
                emit BondChosen(BondOf(band, point));
        });
    }
    m_curve->setName(TextOf(MarketText::CurveSeries));
    QPen pen(QColor(0x2e, 0x7d, 0x32));
    pen.setWidthF(2.5);
    m_curve->setPen(pen);
    m_chart->addSeries(m_curve);
    m_curve->attachAxis(m_xAxis);
    m_curve->attachAxis(m_yAxis);
    Clear();
}

void YieldChart::Clear()
{
    m_market.reset();
    for (int band = 0; band < kSpreadBandCount; ++band) {
        m_bands[static_cast<std::size_t>(band)]->clear();
        m_bondsOf[static_cast<std::size_t>(band)].clear();
    }
    m_curve->clear();
    m_chart->setTitle(TextOf(MarketText::ChartTitle));
    LayAxis(m_xAxis, 0, 30, 6);
    LayAxis(m_yAxis, 0, 5, 5);
}

void YieldChart::Show(std::shared_ptr<const curve::Market> market)
{
    Clear();
    if (!market || !market->HasCurve())
        return;
    m_market = std::move(market);
    const auto bonds = m_market->Bonds();
    std::vector<std::uint32_t> fitted;
    for (std::size_t k = 0; k < bonds.size(); ++k)
        if (bonds[k].Fitted())
            fitted.push_back(static_cast<std::uint32_t>(k));
    const std::size_t every = std::max<std::size_t>(1, (fitted.size() + kMostPoints - 1) / kMostPoints);

    std::array<QList<QPointF>, 5> points;
    std::vector<double> yields;
    double shortest = HUGE_VAL, longest = 0;
    for (std::size_t i = 0; i < fitted.size(); i += every) {
        const curve::MarketBond& b = bonds[fitted[i]];
        const double spreadBp = b.spread * 10000;
        const int band = std::isnan(spreadBp) ? 2 : SpreadBandOf(spreadBp);
        points[static_cast<std::size_t>(band)].append(QPointF(b.years, b.ytm * 100));
        m_bondsOf[static_cast<std::size_t>(band)].push_back(fitted[i]);
        yields.push_back(b.ytm * 100);
        shortest = std::min(shortest, b.years);
        longest = std::max(longest, b.years);
    }
    for (int band = 0; band < kSpreadBandCount; ++band)
        m_bands[static_cast<std::size_t>(band)]->replace(points[static_cast<std::size_t>(band)]);

    // The par yield over the years the bonds span, where the curve stands on
    // them: below a year at twentieths of a year, then at whole years.
    const curve::CurveParams& p = m_market->Params();
    QList<QPointF> line;
    for (int i = 1; i < 20; ++i)
        if (i / 20.0 >= shortest - 0.05 && i / 20.0 <= longest)
            line.append(QPointF(i / 20.0, curve::ParYield(p, i / 20.0) * 100));
    const int lastYear = static_cast<int>(std::min(longest, 100.0));
    for (int year = std::max(1, static_cast<int>(std::floor(shortest))); year <= lastYear; ++year)
        line.append(QPointF(year, curve::ParYield(p, year) * 100));
    m_curve->replace(line);

    // The axis spans the bonds' yields but a few outliers, which would
    // flatten the rest.
    const double low = Quantile(yields, 0.005), high = Quantile(yields, 0.995);
    const double margin = std::max(0.1, 0.08 * (high - low));
    LayAxis(m_yAxis, low - margin, high + margin, 5);
    LayAxis(m_xAxis, 0, std::ceil(longest), 6);
    m_chart->setTitle(ChartTitleWithRmse(m_market->RmseBp()));
}

std::size_t YieldChart::PointCount() const
{
    std::size_t n = 0;
    for (const auto& bonds : m_bondsOf)
        n += bonds.size();
    return n;
}

int YieldChart::PointAt(int band, const QPointF& where) const
{
    // The series hands over the point's own coordinates: the nearest is it.
    const QScatterSeries* s = m_bands[static_cast<std::size_t>(band)];
    int best = -1;
    double bestDistance = HUGE_VAL;
    for (int i = 0; i < s->count(); ++i) {
        const QPointF q = s->at(i);
        const double d = std::hypot(q.x() - where.x(), q.y() - where.y());
        if (d < bestDistance) {
            best = i;
            bestDistance = d;
        }
    }
    return best;
}

} // namespace tenvix::ui
