#pragma once

// What the record form needs from the window around it. The main frame
// implements it; tests give the form a fake one, so the form is tested
// without a frame.

namespace tenvix::ui {

class FormHost {
public:
    virtual ~FormHost() = default;

    // The run bar's pickers, full date values (time of day included), read at
    // the moment an analysis runs.
    virtual double StandDate() const = 0;
    virtual double Horizon() const = 0;
    // The frame's Square-M wanted flag.
    virtual bool SquareM() const = 0;
    // Marks the document modified.
    virtual void SetModified() = 0;
    // Removes every row of the bond list view: its rows hold list positions
    // that a change of the list would leave dangling.
    virtual void ClearListView() = 0;
};

} // namespace tenvix::ui
