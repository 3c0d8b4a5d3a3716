#include "uikit/datepicker.h"

#include "model/date.h"
#include "uikit/datetext.h"
#include "uikit/services.h"

#include <cmath>

namespace tenvix::ui {

DatePicker::DatePicker(QWidget* parent) : QDateEdit(parent)
{
    setDisplayFormat(DateFormat());
    setCalendarPopup(true);
    setDateRange(QDate(100, 1, 1), QDate(9999, 12, 31));
    SetValue(UiClock().Now());
    connect(this, &QDateEdit::dateChanged, this, &DatePicker::ValueChanged);
}

double DatePicker::Value() const
{
    const double day = Day();
    return day >= 0 ? day + m_dTimeOfDay : day - m_dTimeOfDay;
}

double DatePicker::Day() const { return ToDateValue(date()); }

bool DatePicker::SetValue(double dateValue)
{
    const QDate day = ToQDate(dateValue);
    if (!day.isValid())
        return false;
    m_dTimeOfDay = std::fabs(dateValue - DaySerial(dateValue));
    setDate(day);
    return true;
}

} // namespace tenvix::ui
