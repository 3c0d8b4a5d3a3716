#pragma once

// A date picker as the frame and the forms use it: the short date with a
// four-digit year and a calendar pop-up, holding a full date value whose time
// of day survives while the user changes the date.
//
// A date typed over the whole selected text is taken as the text it is,
// not section by section: the picker takes the keys as a plain field would
// and reads the date once it is whole (a four-digit year), or when the
// typing ends (Enter, another field, the calendar, a step); a text that is
// no date then gives the date back that was there.

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

    void stepBy(int steps) override;

signals:
    // The day changed, by the user or by SetValue.
    void ValueChanged();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    QValidator::State validate(QString& input, int& pos) const override;

private:
    // Typing over the whole text: the keys go to the text as typed.
    void BeginTyping();
    // The day of the text as typed, if it is one, else the day that was
    // there, and the picker's own display again; nothing when no typing runs.
    void EndTyping(bool keep = true);
    // The day the text names once it is whole, taken while typing goes on.
    void TakeWholeDate();

    double m_dTimeOfDay = 0.0; // fraction of a day
    bool m_bTyping = false;
    QDate m_before; // the day shown when the typing began, for Esc
};

} // namespace tenvix::ui
