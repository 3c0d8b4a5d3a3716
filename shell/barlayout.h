#pragma once

// The bar layout kept between runs, in the sections "Quellmark-Summary" and
// "Quellmark-Bar0" onward: for each bar its id, whether it shows, the side it
// is docked at, its row and position there and whether it floats. The
// summary also keeps the window's own record of the docks, which alone knows
// where a floating bar floats; without it the bars are put back from their
// sections. Dock panels (the Cashflows view) keep a section of their own,
// "Quellmark-Dock-" and the panel's name: whether it shows, its side, its
// size and whether it floats. A panel with no section stays hidden.

#include <QList>
#include <QString>
#include <Qt>

class QDockWidget;
class QMainWindow;
class QWidget;

namespace tenvix::ui {

struct BarPlace {
    int id = 0;
    bool visible = true;
    Qt::ToolBarArea side = Qt::TopToolBarArea;
    int row = 0;      // counted from the window's edge inwards
    int position = 0; // pixels along the row
    bool floating = false;
};

struct ControlBar {
    int id;
    QWidget* bar; // a QToolBar, or the status bar (always at the bottom)
};

// Where each bar is now.
QList<BarPlace> CurrentBarPlaces(const QMainWindow& frame, const QList<ControlBar>& bars);

void SaveBarState(const QMainWindow& frame, const QList<ControlBar>& bars, const QString& section,
                  const QList<QDockWidget*>& docks = {});
// Puts the bars and the docks where the store says; false (and nothing moved)
// when no layout is stored.
bool LoadBarState(QMainWindow& frame, const QList<ControlBar>& bars, const QString& section,
                  const QList<QDockWidget*>& docks = {});

} // namespace tenvix::ui
