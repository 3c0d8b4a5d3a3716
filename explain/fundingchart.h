#pragma once

// The Cashflows view's third chart, for a portfolio funded by a schedule:
// for each liability's date a bar for the liability and a bar for the
// payments that fund it, and a line for the surplus carried on from there;
// a shortfall shows as the line below zero. Drawn from the funding ladder
// the portfolio window hands on with its explanation.

#include "portfolio/core/ladder.h"

#include <QChartView>
#include <QStringList>

class QBarSet;
class QCategoryAxis;
class QLineSeries;

namespace tenvix::ui {

class FundingChart final : public QChartView {
    Q_OBJECT
public:
    explicit FundingChart(QWidget* parent = nullptr);

    void Show(const Ladder& ladder);
    void Clear();

    // What is drawn, for whoever checks it.
    QBarSet* Liabilities() const { return m_liabilities; }
    QBarSet* Inflows() const { return m_inflows; }
    QLineSeries* Surplus() const { return m_surplus; }
    QCategoryAxis* DateAxis() const { return m_xAxis; }
    QCategoryAxis* AmountAxis() const { return m_yAxis; }
    QString Title() const;

private:
    void LayAmountAxis();
    void LayDateAxis();

    QChart* m_chart;
    QCategoryAxis* m_xAxis;
    QCategoryAxis* m_yAxis;
    QBarSet* m_liabilities;
    QBarSet* m_inflows;
    QLineSeries* m_surplus;
    double m_dLow = 0.0; // the amounts' span, 0 in it
    double m_dHigh = 1.0;
    int m_nAxisParts = 0;
    QStringList m_dates;  // the liabilities' dates, in order
    int m_nDateEvery = 0; // a label on every this many dates
};

} // namespace tenvix::ui
