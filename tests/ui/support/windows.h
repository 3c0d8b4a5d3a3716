#pragma once

// What the tests of the frame's windows share: the program over the sample,
// buttons clicked by name, tables and lists read as the user sees them (a
// tree's rows and a combo box's items through their models too), and the
// import windows driven from a file.

#include "support/app.h"

#include <tuple>

namespace tenvix::test {

#ifdef TENVIX_SOURCE_DIR
// The program started over a copy of the sample database.
struct SampleApp : App {
    ui::CMainFrame* frame = Start({"tenvix", Copy("sample.bnd")});
};
#endif

inline void Click(QWidget* parent, const char* button)
{
    parent->findChild<QPushButton*>(QLatin1String(button))->click();
}

inline QStringList Row(const QAbstractItemModel* model, int row)
{
    QStringList cells;
    for (int c = 0; c < model->columnCount(); ++c)
        cells << model->index(row, c).data().toString();
    return cells;
}
inline QList<QStringList> Rows(const QAbstractItemModel* model)
{
    QList<QStringList> rows;
    for (int r = 0; r < model->rowCount(); ++r)
        rows << Row(model, r);
    return rows;
}
inline QStringList Column(const QAbstractItemModel* model, int column)
{
    QStringList cells;
    for (int r = 0; r < model->rowCount(); ++r)
        cells << model->index(r, column).data().toString();
    return cells;
}

// A message box as one value, to be compared whole.
inline auto Shown(const ShownMessage& m) { return std::tuple(m.text, m.caption, m.icon, m.buttons); }

// The table of an import window's verdicts.
inline QAbstractItemModel* Verdicts(QWidget* dlg) { return dlg->findChild<QTableView*>("verdicts")->model(); }

// Opens the import window T with `action`, reads `path` in it through its
// file button (an empty path cancels the chooser) and runs `act` on it.
template <class T, class F>
void Import(App& app, QAction* action, const QString& path, F act)
{
    app.chooser.Answer(path);
    WhenModal<T>([act](T* dlg) {
        Click(dlg, "fileButton");
        act(dlg);
        // A check that failed inside returned early: the window goes.
        if (dlg->isVisible())
            dlg->reject();
    });
    action->trigger();
}

} // namespace tenvix::test
