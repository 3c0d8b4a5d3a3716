#pragma once

// The Cashflows view's second chart: what the analysed payments are worth at
// the horizon if the yield moves today by a parallel shift and stays there,
// as the change against no shift, from 300 basis points down to 300 up, with
// the zero line. A portfolio that holds its horizon draws a curve that never
// dips below the line; a bond whose duration lies beyond the horizon falls
// to one side. It draws from the explanation alone, so a bond, a payment list
// and a portfolio are drawn alike.

#include "uikit/explained.h"

#include <QChartView>

class QCategoryAxis;
class QLineSeries;

namespace tenvix::ui {

class HorizonChart final : public QChartView {
    Q_OBJECT
public:
    static constexpr double kFromBp = -300;
    static constexpr double kToBp = 300;
    static constexpr double kStepBp = 25;

    explicit HorizonChart(QWidget* parent = nullptr);

    void Show(const ExplainedAnalysis& analysis);
    void Clear();

    // What is drawn, for whoever checks it: the change in % at each shift in
    // basis points, and the zero line across the shifts.
    QLineSeries* Changes() const { return m_changes; }
    QLineSeries* ZeroLine() const { return m_zero; }
    QCategoryAxis* ChangeAxis() const { return m_yAxis; }
    QCategoryAxis* ShiftAxis() const { return m_xAxis; }
    QString Title() const;

private:
    void LayChangeAxis();
    void LayShiftAxis();

    QChart* m_chart;
    QCategoryAxis* m_xAxis;
    QCategoryAxis* m_yAxis;
    QLineSeries* m_changes;
    QLineSeries* m_zero;
    double m_dLow = -1.0; // the changes' span, the zero in it
    double m_dHigh = 1.0;
    int m_nAxisParts = 0;
    double m_dShiftStep = 0.0; // between the shift axis's labels, in bp
};

} // namespace tenvix::ui
