#include "shell/barlayout.h"

#include "shell/settings.h"

#include <QDockWidget>
#include <QGuiApplication>
#include <QMainWindow>
#include <QScreen>
#include <QSettings>
#include <QToolBar>

#include <algorithm>
#include <map>

namespace tenvix::ui {
namespace {

// Bump when the window's own record of the docks changes meaning.
constexpr int kDockStateVersion = 1;

// The stored names of the sides. Qt numbers the sides of tool bars and of
// docks alike, so one table serves both.
static_assert(int(Qt::LeftToolBarArea) == int(Qt::LeftDockWidgetArea) &&
              int(Qt::RightToolBarArea) == int(Qt::RightDockWidgetArea) &&
              int(Qt::TopToolBarArea) == int(Qt::TopDockWidgetArea) &&
              int(Qt::BottomToolBarArea) == int(Qt::BottomDockWidgetArea));
constexpr std::pair<int, const char*> kSides[] = {{Qt::LeftToolBarArea, "Left"},
                                                  {Qt::RightToolBarArea, "Right"},
                                                  {Qt::TopToolBarArea, "Top"},
                                                  {Qt::BottomToolBarArea, "Bottom"}};

// A side's name; anything else is `fallback`'s.
QString NameOfSide(int side, int fallback)
{
    for (const auto& [value, name] : kSides)
        if (value == side)
            return QString::fromLatin1(name);
    return NameOfSide(fallback, Qt::TopToolBarArea);
}

// The side a name stands for; an unknown name is `fallback`.
int SideOfName(const QString& name, int fallback)
{
    for (const auto& [value, text] : kSides)
        if (name == QLatin1StringView(text))
            return value;
    return fallback;
}

QString SideName(Qt::ToolBarArea side) { return NameOfSide(side, Qt::TopToolBarArea); }
Qt::ToolBarArea SideFromName(const QString& name) { return Qt::ToolBarArea(SideOfName(name, Qt::TopToolBarArea)); }
QString DockSideName(Qt::DockWidgetArea side) { return NameOfSide(side, Qt::BottomDockWidgetArea); }
Qt::DockWidgetArea DockSideFromName(const QString& name)
{
    return Qt::DockWidgetArea(SideOfName(name, Qt::BottomDockWidgetArea));
}

QString DockGroup(const QString& section, const QDockWidget& dock)
{
    return section + QStringLiteral("-Dock-") + dock.objectName();
}

void SaveDock(QSettings& settings, const QMainWindow& frame, const QDockWidget& dock, const QString& section)
{
    const QString group = DockGroup(section, dock);
    settings.remove(group);
    settings.beginGroup(group);
    settings.setValue(QStringLiteral("Visible"), int(!dock.isHidden()));
    settings.setValue(QStringLiteral("DockSide"), DockSideName(frame.dockWidgetArea(const_cast<QDockWidget*>(&dock))));
    settings.setValue(QStringLiteral("Floating"), int(dock.isFloating()));
    settings.setValue(QStringLiteral("Width"), dock.width());
    settings.setValue(QStringLiteral("Height"), dock.height());
    settings.endGroup();
}

// Without the window's own record, the dock goes back to its side at its size.
void PlaceDock(QSettings& settings, QMainWindow& frame, QDockWidget& dock, const QString& section, bool placed)
{
    const QString group = DockGroup(section, dock);
    if (!settings.childGroups().contains(group)) {
        dock.hide();
        return;
    }
    settings.beginGroup(group);
    const bool visible = settings.value(QStringLiteral("Visible"), 0).toInt() != 0;
    const Qt::DockWidgetArea side = DockSideFromName(settings.value(QStringLiteral("DockSide")).toString());
    const int width = std::clamp(settings.value(QStringLiteral("Width")).toInt(), 0, 100000);
    const int height = std::clamp(settings.value(QStringLiteral("Height")).toInt(), 0, 100000);
    settings.endGroup();
    if (!placed && dock.isAreaAllowed(side)) {
        dock.setFloating(false);
        frame.addDockWidget(side, &dock);
        const bool across = side == Qt::TopDockWidgetArea || side == Qt::BottomDockWidgetArea;
        if (const int size = across ? height : width; size > 0)
            frame.resizeDocks({&dock}, {size}, across ? Qt::Vertical : Qt::Horizontal);
    }
    dock.setVisible(visible);
}

bool Horizontal(Qt::ToolBarArea side) { return side == Qt::TopToolBarArea || side == Qt::BottomToolBarArea; }

// Distance from the window's edge, so that row 0 is the outermost row.
int Depth(const QMainWindow& frame, const QToolBar& bar, Qt::ToolBarArea side)
{
    const QRect g = bar.geometry();
    switch (side) {
    case Qt::BottomToolBarArea:
        return frame.height() - g.bottom();
    case Qt::LeftToolBarArea:
        return g.left();
    case Qt::RightToolBarArea:
        return frame.width() - g.right();
    default:
        return g.top();
    }
}

} // namespace

QList<BarPlace> CurrentBarPlaces(const QMainWindow& frame, const QList<ControlBar>& bars)
{
    QList<BarPlace> places;
    // Docked bars of one side that share a depth share a row.
    std::map<Qt::ToolBarArea, std::vector<int>> depths;
    for (const ControlBar& b : bars) {
        BarPlace p;
        p.id = b.id;
        p.visible = !b.bar->isHidden();
        if (auto* tb = qobject_cast<QToolBar*>(b.bar)) {
            p.floating = tb->isFloating();
            p.side = frame.toolBarArea(tb);
            if (p.side == Qt::NoToolBarArea)
                p.side = Qt::TopToolBarArea;
            p.position = Horizontal(p.side) ? tb->x() : tb->y();
            p.row = Depth(frame, *tb, p.side);
            if (!p.floating)
                depths[p.side].push_back(p.row);
        } else {
            p.side = Qt::BottomToolBarArea;
        }
        places.append(p);
    }
    for (auto& [side, list] : depths) {
        std::sort(list.begin(), list.end());
        list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    for (int i = 0; i < places.size(); ++i) {
        if (!qobject_cast<QToolBar*>(bars[i].bar) || places[i].floating) {
            places[i].row = 0;
            continue;
        }
        const auto& list = depths[places[i].side];
        places[i].row = int(std::lower_bound(list.begin(), list.end(), places[i].row) - list.begin());
    }
    return places;
}

void SaveBarState(const QMainWindow& frame, const QList<ControlBar>& bars, const QString& section,
                  const QList<QDockWidget*>& docks)
{
    const auto settings = OpenSettings();
    const QList<BarPlace> places = CurrentBarPlaces(frame, bars);

    settings->remove(section + QStringLiteral("-Summary"));
    settings->beginGroup(section + QStringLiteral("-Summary"));
    settings->setValue(QStringLiteral("Bars"), int(places.size()));
    const QSize screen = frame.screen() ? frame.screen()->size() : QSize();
    settings->setValue(QStringLiteral("ScreenCX"), screen.width());
    settings->setValue(QStringLiteral("ScreenCY"), screen.height());
    settings->setValue(QStringLiteral("DockState"), frame.saveState(kDockStateVersion));
    settings->endGroup();

    for (int i = 0; i < places.size(); ++i) {
        const BarPlace& p = places[i];
        const QString group = section + QStringLiteral("-Bar%1").arg(i);
        settings->remove(group);
        settings->beginGroup(group);
        settings->setValue(QStringLiteral("BarID"), p.id);
        settings->setValue(QStringLiteral("Visible"), int(p.visible));
        settings->setValue(QStringLiteral("DockSide"), SideName(p.side));
        settings->setValue(QStringLiteral("Row"), p.row);
        settings->setValue(QStringLiteral("Position"), p.position);
        settings->setValue(QStringLiteral("Floating"), int(p.floating));
        settings->endGroup();
    }
    for (const QDockWidget* dock : docks)
        SaveDock(*settings, frame, *dock, section);
}

bool LoadBarState(QMainWindow& frame, const QList<ControlBar>& bars, const QString& section,
                  const QList<QDockWidget*>& docks)
{
    const auto settings = OpenSettings();
    settings->beginGroup(section + QStringLiteral("-Summary"));
    const int count = settings->value(QStringLiteral("Bars"), -1).toInt();
    const QByteArray dockState = settings->value(QStringLiteral("DockState")).toByteArray();
    settings->endGroup();
    if (count <= 0) {
        for (QDockWidget* dock : docks)
            dock->hide();
        return false;
    }

    // Sections are matched by bar id, not by number, so a layout written
    // with other bars, or edited by hand, moves only what it names.
    std::map<int, BarPlace> stored;
    for (int i = 0; i < std::min(count, 64); ++i) {
        settings->beginGroup(section + QStringLiteral("-Bar%1").arg(i));
        BarPlace p;
        p.id = settings->value(QStringLiteral("BarID")).toInt();
        p.visible = settings->value(QStringLiteral("Visible"), 1).toInt() != 0;
        p.side = SideFromName(settings->value(QStringLiteral("DockSide")).toString());
        p.row = std::clamp(settings->value(QStringLiteral("Row")).toInt(), 0, 100);
        p.position = settings->value(QStringLiteral("Position")).toInt();
        p.floating = settings->value(QStringLiteral("Floating")).toInt() != 0;
        settings->endGroup();
        stored.emplace(p.id, p);
    }

    const bool restored = !dockState.isEmpty() && frame.restoreState(dockState, kDockStateVersion);
    if (!restored) {
        // Rebuild the docks side by side, row by row, left to right.
        std::vector<std::pair<const BarPlace*, QToolBar*>> docked;
        for (const ControlBar& b : bars) {
            auto* tb = qobject_cast<QToolBar*>(b.bar);
            const auto it = stored.find(b.id);
            if (tb && it != stored.end() && tb->isAreaAllowed(it->second.side))
                docked.emplace_back(&it->second, tb);
        }
        std::stable_sort(docked.begin(), docked.end(), [](const auto& a, const auto& b) {
            if (a.first->side != b.first->side)
                return a.first->side < b.first->side;
            if (a.first->row != b.first->row)
                return a.first->row < b.first->row;
            return a.first->position < b.first->position;
        });
        for (const auto& [place, tb] : docked)
            frame.removeToolBar(tb);
        const BarPlace* previous = nullptr;
        for (const auto& [place, tb] : docked) {
            if (previous && previous->side == place->side && previous->row != place->row)
                frame.addToolBarBreak(place->side);
            frame.addToolBar(place->side, tb);
            previous = place;
        }
    }
    for (const ControlBar& b : bars) {
        const auto it = stored.find(b.id);
        if (it != stored.end())
            b.bar->setVisible(it->second.visible);
    }
    for (QDockWidget* dock : docks)
        PlaceDock(*settings, frame, *dock, section, restored);
    return true;
}

} // namespace tenvix::ui
