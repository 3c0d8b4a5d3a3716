#include "explain/horizonchart.h"

#include "explain/cashflowchart.h"
#include "explain/cashflowtexts.h"
#include "explain/valueaxis.h"
#include "model/format.h"
#include "portfolio/core/horizonvalue.h"
#include "uikit/strings.h"

#include <QCategoryAxis>
#include <QFontMetrics>
#include <QLegend>
#include <QLineSeries>

#include <algorithm>

namespace tenvix::ui {
namespace {

// The least span of the change axis, in %: a curve that hardly moves (a
// zero coupon maturing at the horizon) reads as flat, not as noise blown up.
constexpr double kLeastSpan = 0.1;

} // namespace

HorizonChart::HorizonChart(QWidget* parent)
    : QChartView(new QChart, parent),
      m_chart(chart()),
      m_xAxis(new QCategoryAxis),
      m_yAxis(new QCategoryAxis),
      m_changes(new QLineSeries),
      m_zero(new QLineSeries)
{
    setObjectName(QStringLiteral("horizonChart"));
    setRenderHint(QPainter::Antialiasing, true);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->hide(); // one curve, named by the title and the axes
    QFont title = font();
    title.setBold(true);
    m_chart->setTitleFont(title);

    // Labels of our own on both axes, so that the figures read in ASCII
    // digits with the full stop whatever the locale.
    m_xAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    LayShiftAxis();
    m_xAxis->setTitleText(TextOf(CashflowText::ShiftAxis));
    m_yAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_yAxis->setTitleText(TextOf(CashflowText::ChangeAxis));
    m_chart->addAxis(m_xAxis, Qt::AlignBottom);
    m_chart->addAxis(m_yAxis, Qt::AlignLeft);

    m_chart->addSeries(m_zero);
    m_chart->addSeries(m_changes);
    for (QLineSeries* s : {m_zero, m_changes}) {
        s->attachAxis(m_xAxis);
        s->attachAxis(m_yAxis);
    }
    m_zero->setPen(QPen(QColor(0x60, 0x60, 0x60), 1, Qt::DashLine));
    m_changes->setPen(QPen(QColor(0x1f, 0x4e, 0x99), 2));
    m_changes->setPointsVisible(true);
    m_changes->setMarkerSize(5);

    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        LayShiftAxis();
        LayChangeAxis();
    });
    Clear();
}

QString HorizonChart::Title() const { return m_chart->title(); }

void HorizonChart::Clear()
{
    m_changes->clear();
    m_zero->clear();
    m_chart->setTitle(QString());
    m_dLow = -kLeastSpan / 2;
    m_dHigh = kLeastSpan / 2;
    m_nAxisParts = 0;
    LayChangeAxis();
}

void HorizonChart::Show(const ExplainedAnalysis& analysis)
{
    const Explanation& e = analysis.explanation;
    QList<QPointF> points;
    double low = 0.0, high = 0.0;
    for (const ShiftPoint& p : HorizonValues(e, kFromBp, kToBp, kStepBp)) {
        points << QPointF(p.shiftBp, p.changePercent);
        low = std::min(low, p.changePercent);
        high = std::max(high, p.changePercent);
    }
    // Room around the curve, and at least the least span, the zero kept
    // where the curve puts it.
    const double margin = (high - low) * 0.05;
    low -= margin;
    high += margin;
    if (high - low < kLeastSpan) {
        const double widen = (kLeastSpan - (high - low)) / 2;
        low -= widen;
        high += widen;
    }
    m_dLow = low;
    m_dHigh = high;
    m_nAxisParts = 0;
    LayChangeAxis();
    m_changes->replace(points);
    m_zero->replace({QPointF(kFromBp, 0), QPointF(kToBp, 0)});
    m_chart->setTitle(HorizonTitle(e));
}

void HorizonChart::LayShiftAxis()
{
    // A label every 100 bp where the plot is wide enough for them all, else
    // only the ends and the middle: cut short, "-..." tells nothing.
    const qreal widest = QFontMetrics(m_xAxis->labelsFont()).horizontalAdvance(QStringLiteral("-300"));
    const qreal room = m_chart->plotArea().width() * 100 / (kToBp - kFromBp);
    const double step = room >= 2 * widest ? 100 : (kToBp - kFromBp) / 2;
    if (step == m_dShiftStep)
        return;
    m_dShiftStep = step;
    for (const QString& label : m_xAxis->categoriesLabels())
        m_xAxis->remove(label);
    m_xAxis->setStartValue(kFromBp - step);
    for (double bp = kFromBp; bp <= kToBp; bp += step)
        m_xAxis->append(Qs(FormatFixed(bp, 0)), bp);
    m_xAxis->setRange(kFromBp, kToBp);
}

void HorizonChart::LayChangeAxis()
{
    m_nAxisParts = LayValueAxis(m_yAxis, m_chart, fontMetrics(), m_dLow, m_dHigh, m_nAxisParts);
}

} // namespace tenvix::ui
