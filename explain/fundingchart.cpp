#include "explain/fundingchart.h"

#include "explain/cashflowchart.h"
#include "explain/cashflowtexts.h"
#include "explain/valueaxis.h"
#include "model/format.h"
#include "uikit/datetext.h"
#include "uikit/strings.h"

#include <QBarSeries>
#include <QBarSet>
#include <QCategoryAxis>
#include <QFontMetrics>
#include <QLegend>
#include <QLineSeries>

#include <algorithm>
#include <cmath>

namespace tenvix::ui {

FundingChart::FundingChart(QWidget* parent)
    : QChartView(new QChart, parent),
      m_chart(chart()),
      m_xAxis(new QCategoryAxis),
      m_yAxis(new QCategoryAxis),
      m_liabilities(new QBarSet(TextOf(CashflowText::Liability))),
      m_inflows(new QBarSet(TextOf(CashflowText::Inflow))),
      m_surplus(new QLineSeries)
{
    setObjectName(QStringLiteral("fundingChart"));
    setRenderHint(QPainter::Antialiasing, true);
    m_chart->setAnimationOptions(QChart::NoAnimation);
    m_chart->setMargins(QMargins(4, 4, 4, 4));
    QFont title = font();
    title.setBold(true);
    m_chart->setTitleFont(title);
    m_chart->legend()->setAlignment(Qt::AlignBottom);

    auto* bars = new QBarSeries;
    m_liabilities->setColor(QColor(0xb7, 0x1c, 0x1c));
    m_inflows->setColor(QColor(0x1f, 0x4e, 0x99));
    bars->append(m_liabilities);
    bars->append(m_inflows);
    m_surplus->setName(TextOf(CashflowText::Surplus));
    m_surplus->setPen(QPen(QColor(0x2e, 0x7d, 0x32), 2));
    m_surplus->setPointsVisible(true);
    m_surplus->setMarkerSize(5);

    // The amounts labelled by our own formatter, so that they read in ASCII
    // digits with the full stop whatever the locale.
    m_yAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_yAxis->setTitleText(TextOf(CashflowText::Amount));
    // The dates stand under their bars, at the bars' index.
    m_xAxis->setLabelsPosition(QCategoryAxis::AxisLabelsPositionOnValue);
    m_chart->addAxis(m_xAxis, Qt::AlignBottom);
    m_chart->addAxis(m_yAxis, Qt::AlignLeft);
    m_chart->addSeries(bars);
    m_chart->addSeries(m_surplus);
    // The line's points sit on the dates' categories, by their index.
    for (QAbstractSeries* s : std::initializer_list<QAbstractSeries*>{bars, m_surplus}) {
        s->attachAxis(m_xAxis);
        s->attachAxis(m_yAxis);
    }
    connect(m_chart, &QChart::plotAreaChanged, this, [this] {
        LayDateAxis();
        LayAmountAxis();
    });
    Clear();
}

QString FundingChart::Title() const { return m_chart->title(); }

void FundingChart::Clear()
{
    m_liabilities->remove(0, m_liabilities->count());
    m_inflows->remove(0, m_inflows->count());
    m_surplus->clear();
    m_dates.clear();
    m_nDateEvery = 0;
    LayDateAxis();
    m_chart->setTitle(QString());
    m_dLow = 0.0;
    m_dHigh = 1.0;
    m_nAxisParts = 0;
    LayAmountAxis();
}

void FundingChart::Show(const Ladder& ladder)
{
    Clear();
    QStringList dates;
    QList<qreal> liabilities, inflows;
    QList<QPointF> surplus;
    double low = 0.0, high = 0.0;
    for (std::size_t k = 0; k < ladder.rows.size(); ++k) {
        const LadderRow& row = ladder.rows[k];
        dates << FormatDate(static_cast<double>(row.day));
        liabilities << row.liability;
        inflows << row.inflow;
        surplus << QPointF(static_cast<qreal>(k), row.surplus);
        low = std::min({low, row.surplus});
        high = std::max({high, row.liability, row.inflow, row.surplus});
    }
    m_dates = dates;
    m_nDateEvery = 0;
    LayDateAxis();
    m_liabilities->append(liabilities);
    m_inflows->append(inflows);
    m_surplus->replace(surplus);
    const double margin = (high - low) * 0.05;
    m_dLow = low < 0 ? low - margin : 0.0;
    m_dHigh = std::max(high + margin, m_dLow + 1.0);
    m_nAxisParts = 0;
    LayAmountAxis();
    m_chart->setTitle(TextOf(CashflowText::Funding));
}

void FundingChart::LayDateAxis()
{
    // Every date where the plot is wide enough for them side by side, else
    // every second, third...: a date cut short ("30/0...") tells nothing.
    const auto n = static_cast<int>(m_dates.size());
    const QFontMetrics metrics(m_xAxis->labelsFont());
    qreal widest = 0;
    for (const QString& date : m_dates)
        widest = std::max<qreal>(widest, metrics.horizontalAdvance(date));
    const qreal width = std::max<qreal>(1, m_chart->plotArea().width());
    const int every = std::max(1, static_cast<int>(std::ceil(n * 2.0 * widest / width)));
    if (every == m_nDateEvery)
        return;
    m_nDateEvery = every;
    for (const QString& label : m_xAxis->categoriesLabels())
        m_xAxis->remove(label);
    m_xAxis->setStartValue(-0.5);
    for (int k = 0; k < n; k += every)
        m_xAxis->append(m_dates[k], k);
    m_xAxis->setRange(-0.5, std::max(n, 1) - 0.5);
}

void FundingChart::LayAmountAxis()
{
    m_nAxisParts = LayValueAxis(m_yAxis, m_chart, fontMetrics(), m_dLow, m_dHigh, m_nAxisParts);
}

} // namespace tenvix::ui
