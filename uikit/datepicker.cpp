#include "uikit/datepicker.h"

#include "model/date.h"
#include "uikit/datetext.h"
#include "uikit/services.h"

#include <QKeyEvent>
#include <QLineEdit>

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
    EndTyping();
    m_dTimeOfDay = std::fabs(dateValue - DaySerial(dateValue));
    setDate(day);
    return true;
}

void DatePicker::BeginTyping()
{
    m_bTyping = true;
    m_before = date();
    // While the text is typed the picker's sections stay out of it: they
    // would take each key for a part of the date that was there.
    lineEdit()->blockSignals(true);
    lineEdit()->clear();
}

void DatePicker::EndTyping(bool keep)
{
    if (!m_bTyping)
        return;
    const auto typed = keep ? ParseTypedDate(lineEdit()->text(), false) : std::nullopt;
    m_bTyping = false;
    lineEdit()->blockSignals(false);
    // Setting the date shows it as the picker writes it, changed or not.
    setDate(typed ? ToQDate(*typed) : m_before);
}

void DatePicker::TakeWholeDate()
{
    if (const auto typed = ParseTypedDate(lineEdit()->text(), true)) {
        // The value only: the text stays as typed until the typing ends.
        const QSignalBlocker quiet(lineEdit());
        const QString text = lineEdit()->text();
        const int cursor = lineEdit()->cursorPosition();
        setDate(ToQDate(*typed));
        lineEdit()->setText(text);
        lineEdit()->setCursorPosition(cursor);
    }
}

QValidator::State DatePicker::validate(QString& input, int& pos) const
{
    return m_bTyping ? QValidator::Intermediate : QDateEdit::validate(input, pos);
}

void DatePicker::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const bool printable = !text.isEmpty() && text.front().isPrint() &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
    QLineEdit* edit = lineEdit();
    if (!m_bTyping && printable && edit->hasSelectedText() && edit->selectedText() == edit->text())
        BeginTyping();
    if (m_bTyping) {
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            EndTyping();
            break;
        case Qt::Key_Escape:
            EndTyping(false);
            event->accept();
            return;
        default:
            // Editing keys and text go to the text as a plain field takes them.
            edit->event(event);
            TakeWholeDate();
            return;
        }
    }
    QDateEdit::keyPressEvent(event);
}

void DatePicker::focusOutEvent(QFocusEvent* event)
{
    EndTyping();
    QDateEdit::focusOutEvent(event);
}

void DatePicker::mousePressEvent(QMouseEvent* event)
{
    // The calendar opens on the day typed.
    EndTyping();
    QDateEdit::mousePressEvent(event);
}

void DatePicker::stepBy(int steps)
{
    EndTyping();
    QDateEdit::stepBy(steps);
}

} // namespace tenvix::ui
