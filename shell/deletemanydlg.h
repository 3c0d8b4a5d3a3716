#pragma once

// Asks for the day before which matured bonds are to be removed. The frame
// runs it and, on OK, hands m_dtBefore to the record form's DeleteMatured.

#include <QDialog>

namespace tenvix::ui {

class DatePicker;

class CDeleteManyDlg : public QDialog {
    Q_OBJECT
public:
    explicit CDeleteManyDlg(QWidget* parent = nullptr);

    // The picked date value, time of day included; set only by OK.
    double m_dtBefore = 0.0;

    void accept() override;

private:
    DatePicker* m_wndBefore;
};

} // namespace tenvix::ui
