#pragma once

// The wait pointer for as long as this lives: the yield searches run on the
// user's thread and can take up to their time budget.

#include <QCursor>
#include <QGuiApplication>

namespace tenvix::ui {

class BusyCursor {
public:
    BusyCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QGuiApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace tenvix::ui
