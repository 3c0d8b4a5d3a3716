#pragma once

// What the window tests share: the core tests' bonds and dates, Qt's test and
// widget headers, files, a modal dialog answered from the event loop, and the
// whole program started with its settings in a temporary folder and the fakes
// installed. Header only, so that the sample path comes from the test's own
// TENVIX_SOURCE_DIR.

#include "../../model/testbonds.h"
#include "model/bondfile.h"
#include "shell/mainframe.h"
#include "shell/tenvixapp.h"
#include "shell/tenvixdoc.h"
#include "support/fakes.h"
#include "uikit/datepicker.h"

#include <QtTest>
#include <QtWidgets>

#include <memory>
#include <span>

namespace tenvix::test {

inline QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

inline void WriteAll(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Lets the event loop that is running handle what has arrived.
inline void Deliver()
{
    for (int i = 0; i < 4; ++i)
        QCoreApplication::processEvents();
}

// A database file of Type I bonds with these identifiers.
inline QByteArray Database(const QStringList& ids)
{
    CBondList list;
    for (const QString& id : ids)
        list.m_list.push_back(StdBond(id.toStdString(), 12, 4.f, 100.f, 99.f, Day(2020, 1, 1), Day(2035, 1, 1)));
    return QByteArray::fromStdString(StoreBondDatabase(list));
}

// The bonds stored in `path`; empty when it can't be read.
inline CBondList ReadDatabase(const QString& path)
{
    CBondList list;
    const QByteArray bytes = ReadAll(path);
    if (!LoadBondDatabase(std::as_bytes(std::span(bytes.constData(), std::size_t(bytes.size()))), list))
        list.RemoveAllBonds();
    return list;
}

inline QStringList Ids(const CBondList& list)
{
    QStringList ids;
    for (const auto& b : list.m_list)
        ids << QString::fromStdString(b->m_strID);
    return ids;
}

// Two rows of a column `name`: true, then false.
inline void BoolRows(const char* name, const char* yes, const char* no)
{
    QTest::addColumn<bool>(name);
    QTest::newRow(yes) << true;
    QTest::newRow(no) << false;
}

// Shows `w` and waits until it is on screen, or also the active window.
inline bool Exposed(QWidget* w)
{
    w->show();
    return QTest::qWaitForWindowExposed(w);
}
inline bool Active(QWidget* w)
{
    w->show();
    w->activateWindow();
    return QTest::qWaitForWindowActive(w);
}

// Sets the frame's stand date and horizon as its pickers would.
inline void SetDates(ui::CMainFrame* frame, double stand, double horizon)
{
    frame->findChild<ui::DatePicker*>("StandDate")->SetValue(stand);
    frame->findChild<ui::DatePicker*>("Horizon")->SetValue(horizon);
}

// Runs `act` on the modal dialog of type T as soon as it is open. Any other
// window, or none, fails the test and is closed so that the test goes on.
template <class T, class F>
void WhenModal(F act)
{
    QTimer::singleShot(0, [act] {
        QWidget* w = QApplication::activeModalWidget();
        if (auto* dlg = qobject_cast<T*>(w))
            return act(dlg);
        QTest::qFail("expected dialog did not open", __FILE__, __LINE__);
        if (w)
            w->close();
    });
}

#ifdef TENVIX_SOURCE_DIR
inline const QString kSample = QStringLiteral(TENVIX_SOURCE_DIR "/examples/sample.bnd");

// The program as main() runs it, on 6 December 2026 at 18:00. Make one in
// init() and drop it in cleanup(). `Messages` is the message box double.
template <class Messages>
struct AppWith {
    QTemporaryDir settings;
    QTemporaryDir dir;
    Messages msgs;
    FakeFileChooser chooser;
    FakeClock clock{46362.75};
    std::unique_ptr<ui::CTenvixApp> app;

    AppWith()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settings.path());
    }
    ~AppWith() { Quit(); }

    ui::CMainFrame* Start(const QStringList& args = {"tenvix"})
    {
        Quit();
        app = std::make_unique<ui::CTenvixApp>();
        return app->InitInstance(args) ? app->MainFrame() : nullptr;
    }
    // Drops the program without asking anything.
    void Quit()
    {
        if (app && app->Document())
            app->Document()->SetModifiedFlag(false);
        app.reset();
    }
    // Closes as the user would; the exit writes the recent files.
    void Close()
    {
        QVERIFY(app->MainFrame()->close());
        app->ExitInstance();
        app.reset();
    }
    ui::CTenvixDoc& Doc() { return *app->Document(); }
    QString Copy(const QString& name, const QString& from = kSample)
    {
        const QString path = dir.filePath(name);
        QFile::remove(path);
        QFile::copy(from, path);
        return path;
    }
};
using App = AppWith<FakeMessages>;
#endif

} // namespace tenvix::test
