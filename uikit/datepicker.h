#pragma once

// A date picker as the frame and the forms use it: the short date with a
// four-digit year and a calendar pop-up, holding a full date value whose time
// of day survives while the user changes the date.

#include <QDateEdit>

namespace tenvix::ui {

class DatePicker : public QDateEdit {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

    // Date value with the time of day as its fraction.
    double Value() const;
    // False, and nothing changes, for a value outside the days the picker
    // holds (years 100 to 9999).
    bool SetValue(double dateValue);
    // The picked day at 00:00.
    double Day() const;

signals:
    // The day changed, by the user or by SetValue.
    void ValueChanged();

private:
    double m_dTimeOfDay = 0.0; // fraction of a day
};

} // namespace tenvix::ui
