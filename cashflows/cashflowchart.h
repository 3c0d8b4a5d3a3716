#pragma once

// The Cashflows view's chart: every payment as a stick at its date on a real
// date axis, its present value as a second stick over it, a vertical line at
// the investment horizon and one at the duration (the stand date plus D
// years), and the sticks of the table's selected rows picked out. Payments
// on one date stack, so a column's top is what that date pays in all.

#include "uikit/explained.h"

#include <QChartView>

#include <vector>

class QCategoryAxis;
class QDateTimeAxis;
class QGraphicsPathItem;
class QLineSeries;

namespace tenvix::ui {

// One payment's stick: its date on the axis (milliseconds) and the stretch of
// its column it takes up.
struct Stick {
    qreal x = 0;
    qreal base = 0;
    qreal top = 0;
};

// The sticks of `values`, one per row in row order, stacked per date.
std::vector<Stick> StackSticks(const Explanation& explanation, double ExplainedPayment::*values);

// The date value `years` after `stand` in the given year measure, with the
// part of a day between the two whole days around it.
double DateAfterYears(double stand, double years, YearMethod method);

// Milliseconds on the date axis of a date value.
qreal AxisTime(double date);

class CashflowChart final : public QChartView {
    Q_OBJECT
public:
    explicit CashflowChart(QWidget* parent = nullptr);

    void Show(const ExplainedAnalysis& analysis);
    void Clear();
    // Picks out the sticks of these rows of the explanation.
    void Highlight(const QList<int>& payments);

    // What is drawn, for whoever checks it.
    QLineSeries* Amounts() const { return m_amounts; }
    QLineSeries* PresentValues() const { return m_presentValues; }
    QLineSeries* HorizonLine() const { return m_horizon; }
    QLineSeries* DurationLine() const { return m_duration; }
    const QGraphicsPathItem* Highlighted() const { return m_highlight; }
    QCategoryAxis* AmountAxis() const { return m_yAxis; }
    QDateTimeAxis* DateAxis() const { return m_xAxis; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawHighlight();
    void FitPens();

    QChart* m_chart;
    QDateTimeAxis* m_xAxis;
    QCategoryAxis* m_yAxis;
    QLineSeries* m_amounts;
    QLineSeries* m_presentValues;
    QLineSeries* m_horizon;
    QLineSeries* m_duration;
    QGraphicsPathItem* m_highlight;
    std::vector<Stick> m_amountSticks;
    std::vector<Stick> m_presentSticks;
    QList<int> m_highlighted;
    int m_nDates = 0;
};

} // namespace tenvix::ui
