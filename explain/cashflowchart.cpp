#include "explain/cashflowchart.h"

#include "explain/cashflowtexts.h"
#include "model/format.h"
#include "uikit/axissteps.h"
#include "uikit/datetext.h"
#include "uikit/strings.h"

#include <QCategoryAxis>
#include <QDateTimeAxis>
#include <QDate>
#include <QLocale>
#include <QFontMetrics>
#include <QGraphicsPathItem>
#include <QGraphicsSimpleTextItem>
#include <QLegendMarker>
#include <QLineSeries>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <map>
#include <set>

namespace tenvix::ui {
namespace {

constexpr qreal kMsPerDay = 86400000.0;

QPen Pen(const QColor& color, qreal width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(color, width, style);
    pen.setCapStyle(Qt::FlatCap);
    return pen;
}

// A comb: from the baseline up to each stick's top and back, so one series
// draws every stick and its legend names them all.
QList<QPointF> Comb(const std::vector<Stick>& sticks)
{
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(sticks.size()) * 3);
    for (const Stick& s : sticks)
        points << QPointF(s.x, 0) << QPointF(s.x, s.top) << QPointF(s.x, 0);
    return points;
}

} // namespace

double AmountCeiling(std::vector<double> columns)
{
    if (columns.empty())
        return 1.0;
    std::sort(columns.begin(), columns.end());
    const double tallest = columns.back();
    const double most = columns[(columns.size() - 1) * 4 / 5];
    if (columns.size() >= 3 && most > 0 && tallest > 4 * most)
        return most * 2.5;
    return tallest > 0 ? tallest : 1.0;
}

std::vector<Stick> StackSticks(const Explanation& explanation, double ExplainedPayment::*values)
{
    std::vector<Stick> sticks;
    sticks.reserve(explanation.payments.size());
    std::map<std::int32_t, double> heights;
    for (const ExplainedPayment& p : explanation.payments) {
        double& height = heights[p.day];
        Stick s;
        s.x = AxisTime(p.day);
        s.base = height;
        height += p.*values;
        s.top = height;
        sticks.push_back(s);
    }
    return sticks;
}

qreal AxisTime(double date)
{
    const double day = std::floor(date);
    const QDate d = ToQDate(day);
    if (!d.isValid())
        return 0;
    return qreal(d.startOfDay().toMSecsSinceEpoch()) + (date - day) * kMsPerDay;
}

CashflowChart::CashflowChart(QWidget* parent)
    // The chart from the start: one set later leaves the view's default
    // chart to nobody.
    : QChartView(new QChart, parent),
      m_chart(chart()),
      m_xAxis(new QDateTimeAxis),
      m_yAxis(new QCategoryAxis),
      m_amounts(new QLineSeries),
      m_presentValues(new QLineSeries),
      m_horizon(new QLineSeries),
      m_duration(new QLineSeries),
      m_highlight(new QGraphicsPathItem)
{
    setObjectName(QStringLiteral("chart"));
    setRenderHint(QPainter::Antialiasing, false); // crisp sticks, however many
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    // The date axis speaks the locale's short date with its four-digit year.
    m_chart->setLocale(QLocale());
    m_xAxis->setFormat(DateFormat());
    m_yAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_xAxis, Qt::AlignBottom);
    m_chart->addAxis(m_yAxis, Qt::AlignLeft);

    const std::pair<QLineSeries*, CashflowText> series[] = {{m_amounts, CashflowText::Amount},
                                                            {m_presentValues, CashflowText::PresentValue},
                                                            {m_horizon, CashflowText::Horizon},
                                                            {m_duration, CashflowText::Duration}};
    for (const auto& [s, name] : series) {
        s->setName(TextOf(name));
        m_chart->addSeries(s);
        s->attachAxis(m_xAxis);
        s->attachAxis(m_yAxis);
    }
    m_horizon->setPen(Pen(QColor(0x2e, 0x7d, 0x32), 2, Qt::DashLine));
    m_duration->setPen(Pen(QColor(0xc6, 0x28, 0x28), 2, Qt::DotLine));

    // The selection is one path above the series: sticks apart from each
    // other, which a line series cannot draw.
    m_highlight->setPen(Pen(QColor(0xff, 0x8f, 0x00), 5));
    m_highlight->setZValue(10);
    m_chart->scene()->addItem(m_highlight);
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        FitDateTicks();
        LayAmountAxis();
        DrawHighlight();
        DrawCutLabels();
    });
    Clear();
}

void CashflowChart::Clear()
{
    for (QLineSeries* s : {m_amounts, m_presentValues, m_horizon, m_duration})
        s->clear();
    m_amountSticks.clear();
    m_presentSticks.clear();
    m_highlighted.clear();
    m_nDates = 0;
    DropCutLabels();
    m_columns.clear();
    DrawHighlight();
}

void CashflowChart::Show(const ExplainedAnalysis& analysis)
{
    const Explanation& e = analysis.explanation;
    m_amountSticks = StackSticks(e, &ExplainedPayment::amount);
    m_presentSticks = StackSticks(e, &ExplainedPayment::presentValue);
    m_highlighted.clear();
    std::set<std::int32_t> days;
    for (const ExplainedPayment& p : e.payments)
        days.insert(p.day);
    m_nDates = static_cast<int>(days.size());

    // The dates: every payment, the stand date, the horizon and the duration.
    const double duration = DateAfterYears(analysis.stand, e.duration, analysis.method);
    double first = std::min({analysis.stand, analysis.horizon, duration});
    double last = std::max({analysis.stand, analysis.horizon, duration});
    if (!days.empty()) {
        first = std::min<double>(first, *days.begin());
        last = std::max<double>(last, *days.rbegin());
    }
    const double margin = std::max(15.0, (last - first) * 0.03);
    m_xAxis->setRange(QDateTime::fromMSecsSinceEpoch(qint64(AxisTime(first - margin))),
                      QDateTime::fromMSecsSinceEpoch(qint64(AxisTime(last + margin))));

    // A column is a date: what it pays, or what that is worth now if more.
    std::map<qreal, double> columns;
    for (const std::vector<Stick>* sticks : {&m_amountSticks, &m_presentSticks})
        for (const Stick& st : *sticks)
            columns[st.x] = std::max(columns[st.x], st.top);
    m_columns.assign(columns.begin(), columns.end());
    std::vector<double> heights;
    for (const auto& [x, height] : columns)
        heights.push_back(height);
    m_dCeiling = AmountCeiling(heights);
    m_nAxisParts = 0;
    LayAmountAxis();

    const double top = m_dAxisTop;
    m_amounts->replace(Comb(m_amountSticks));
    m_presentValues->replace(Comb(m_presentSticks));
    const qreal h = AxisTime(analysis.horizon);
    m_horizon->replace({QPointF(h, 0), QPointF(h, top)});
    const qreal d = AxisTime(duration);
    m_duration->replace({QPointF(d, 0), QPointF(d, top)});
    FitPens();
    DrawHighlight();
    DrawCutLabels();
}

void CashflowChart::FitDateTicks()
{
    // As many dates as the plot's width has room for whole, two to eight:
    // a date cut short ("13/03/20...") tells nothing.
    const QString widest = QLocale().toString(QDate(2000, 12, 28), DateFormat());
    const qreal label = QFontMetrics(m_xAxis->labelsFont()).horizontalAdvance(widest);
    const int ticks = std::clamp(int(m_chart->plotArea().width() / (1.5 * label)) + 1, 2, 8);
    if (ticks != m_xAxis->tickCount())
        m_xAxis->setTickCount(ticks);
}

void CashflowChart::LayAmountAxis()
{
    // As many parts as the plot's height has room for labels, two to six.
    const qreal height = m_chart->plotArea().height();
    const int parts = std::clamp(int(height / (2.5 * fontMetrics().height())), 2, 6);
    if (parts == m_nAxisParts)
        return;
    m_nAxisParts = parts;
    // Labels of our own, so that the amounts read in ASCII digits with the
    // full stop whatever the locale.
    const double step = NiceStep(m_dCeiling * 1.05, parts);
    const int decimals = DecimalsFor(step);
    const int steps = std::max(1, static_cast<int>(std::ceil(m_dCeiling * 1.05 / step)));
    for (const QString& label : m_yAxis->categoriesLabels())
        m_yAxis->remove(label);
    m_yAxis->setStartValue(-step);
    for (int i = 0; i <= steps; ++i)
        m_yAxis->append(Qs(FormatFixed(i * step, decimals)), i * step);
    m_dAxisTop = steps * step;
    m_yAxis->setRange(0, m_dAxisTop);
    for (QLineSeries* line : {m_horizon, m_duration})
        if (line->count() == 2)
            line->replace(1, QPointF(line->at(1).x(), m_dAxisTop));

    // The columns the axis cuts, each with its figure.
    DropCutLabels();
    for (const auto& [x, height] : m_columns) {
        if (!(height > m_dAxisTop))
            continue;
        m_cutColumns.emplace_back(x, height);
        std::string figure;
        AppendGeneral(figure, height, 10);
        auto* label = new QGraphicsSimpleTextItem(QStringLiteral("\u2191") + Qs(figure));
        label->setZValue(11);
        m_chart->scene()->addItem(label);
        m_cutLabels.push_back(label);
    }
}

void CashflowChart::DropCutLabels()
{
    qDeleteAll(m_cutLabels);
    m_cutLabels.clear();
    m_cutColumns.clear();
}

QStringList CashflowChart::CutColumnLabels() const
{
    QStringList texts;
    for (const QGraphicsSimpleTextItem* label : m_cutLabels)
        texts << label->text();
    return texts;
}

void CashflowChart::DrawCutLabels()
{
    // Beside the top of each cut column, left to right; one that would run
    // into the one before it is left out rather than drawn over it.
    qreal free = -1e9;
    for (std::size_t i = 0; i < m_cutLabels.size(); ++i) {
        QGraphicsSimpleTextItem* label = m_cutLabels[i];
        const QPointF at = m_chart->mapToPosition(QPointF(m_cutColumns[i].first, m_dAxisTop), m_amounts);
        const QRectF box = label->boundingRect();
        const qreal left = at.x() + 3;
        label->setPos(left, at.y());
        label->setVisible(left >= free && left + box.width() <= m_chart->plotArea().right() + box.width());
        if (label->isVisible())
            free = left + box.width() + 4;
    }
}

void CashflowChart::FitPens()
{
    // Sticks as wide as the room between dates allows, between one and four
    // pixels: hundreds of them still stand apart where the dates do.
    const qreal width = m_chart->plotArea().width();
    const qreal room = m_nDates > 0 ? width / m_nDates : width;
    const qreal stick = std::clamp(room * 0.5, 1.0, 4.0);
    m_amounts->setPen(Pen(QColor(0x90, 0xb4, 0xe0), stick));
    m_presentValues->setPen(Pen(QColor(0x1f, 0x4e, 0x99), stick));
    m_highlight->setPen(Pen(QColor(0xff, 0x8f, 0x00), stick + 2));
}

void CashflowChart::Highlight(const QList<int>& payments)
{
    m_highlighted = payments;
    DrawHighlight();
}

void CashflowChart::DrawHighlight()
{
    QPainterPath path;
    for (int row : std::as_const(m_highlighted)) {
        if (row < 0 || static_cast<std::size_t>(row) >= m_amountSticks.size())
            continue;
        const Stick& s = m_amountSticks[static_cast<std::size_t>(row)];
        // Within the plot: a stick the axis cuts is picked out up to the cut.
        const qreal base = std::min<qreal>(s.base, m_dAxisTop);
        const qreal top = std::min<qreal>(s.top, m_dAxisTop);
        path.moveTo(m_chart->mapToPosition(QPointF(s.x, base), m_amounts));
        path.lineTo(m_chart->mapToPosition(QPointF(s.x, top), m_amounts));
    }
    m_highlight->setPath(path);
}

void CashflowChart::resizeEvent(QResizeEvent* event)
{
    QChartView::resizeEvent(event);
    FitPens();
}

} // namespace tenvix::ui
