#pragma once

// The Bond Analysis window: a scratch pad for one list of payments typed by
// hand, analysed under either year method without touching the database. The
// frame creates it once and only ever hides it, so what the user typed is
// still there the next time it is shown.

#include "uikit/explained.h"

#include <QDialog>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace tenvix::ui {

class DatePicker;
class PaymentGrid;

class AnalysisDialog : public QDialog {
    Q_OBJECT
public:
    explicit AnalysisDialog(QWidget* parent = nullptr);

    // Whether the result boxes hold figures or "Error" from the last Calculate.
    bool ResultsShown() const { return m_bResultsShown; }
    // The stand date and the horizon, full date values; the frame gives its
    // run bar's when the window first shows.
    void SetDates(double stand, double horizon);

signals:
    // After Calculate: the payments explained, or why there are none.
    void Explained(const tenvix::ui::ExplainedAnalysis& analysis);
    void ExplainFailed(const QString& message);
    // An entry changed: the last explanation no longer describes the window.
    void EntriesChanged();

public slots:
    void OnCalculate();
    void OnNew();
    void OnInsert();

private:
    void BuildControls();
    void OnPeriodsChanged(int periods);
    void OnCellEdited(int row, int column, const QString& text);
    void ShowHorizonYears();
    // Empties the YTM, D1 and Square-M boxes if they show anything.
    void ClearResults();
    void EmptyResultBoxes();

    DatePicker* m_wndStand = nullptr;
    DatePicker* m_wndHorizon = nullptr;
    QSpinBox* m_wndPeriods = nullptr;
    QLineEdit* m_wndPrice = nullptr;
    PaymentGrid* m_wndGrid = nullptr;
    QCalendarWidget* m_wndCalendar = nullptr;
    QPushButton* m_wndInsert = nullptr;
    QComboBox* m_wndYear = nullptr;
    QLineEdit* m_wndYTM = nullptr;
    QLineEdit* m_wndD1 = nullptr;
    QCheckBox* m_wndSquareMWanted = nullptr;
    QLineEdit* m_wndSquareM = nullptr;
    QLineEdit* m_wndH = nullptr;
    QPushButton* m_wndCalculate = nullptr;
    QPushButton* m_wndNew = nullptr;
    QPushButton* m_wndExit = nullptr;

    bool m_bResultsShown = false;
};

} // namespace tenvix::ui
