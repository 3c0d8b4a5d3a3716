#pragma once

// The Cashflows view's chart: every payment as a stick at its date on a real
// date axis, its present value as a second stick over it, a vertical line at
// the investment horizon and one at the duration (the stand date plus D
// years), and the sticks of the table's selected rows picked out. Payments
// on one date stack, so a column's top is what that date pays in all. When a
// few columns (face values) dwarf the rest, the amount axis stops above the
// others and each taller column carries its figure at the top, so that 60
// coupons or a portfolio's hundreds of payments stay readable.

#include "uikit/explained.h"

#include <QChartView>

#include <vector>

class QCategoryAxis;
class QDateTimeAxis;
class QGraphicsPathItem;
class QGraphicsSimpleTextItem;
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

// Milliseconds on the date axis of a date value.
qreal AxisTime(double date);

// Where the amount axis stops for columns of these heights: above them all,
// unless the tallest pass four times the height most columns stay under;
// then at two and a half times that height.
double AmountCeiling(std::vector<double> columns);

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
    // The figures written over the columns the axis cuts, left to right.
    QStringList CutColumnLabels() const;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void DrawHighlight();
    void DrawCutLabels();
    void DropCutLabels();
    void LayAmountAxis();
    void FitDateTicks();
    void FitPens();

    QChart* m_chart;
    QDateTimeAxis* m_xAxis;
    QCategoryAxis* m_yAxis;
    QLineSeries* m_amounts;
    QLineSeries* m_presentValues;
    QLineSeries* m_horizon;
    QLineSeries* m_duration;
    QGraphicsPathItem* m_highlight;
    // Every date's column (where, how tall); those taller than the axis, and
    // their labels.
    std::vector<std::pair<qreal, double>> m_columns;
    std::vector<std::pair<qreal, double>> m_cutColumns;
    std::vector<QGraphicsSimpleTextItem*> m_cutLabels;
    double m_dCeiling = 1.0;
    double m_dAxisTop = 1.0;
    int m_nAxisParts = 0;
    std::vector<Stick> m_amountSticks;
    std::vector<Stick> m_presentSticks;
    QList<int> m_highlighted;
    int m_nDates = 0;
};

} // namespace tenvix::ui
