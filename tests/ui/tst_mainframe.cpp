// The main window as the user meets it: start-up from the command line, the
// window and bars coming back where they were, the title and Save state, the
// keys, the recent files, dropped files and the About box's link.

#include "editor/inview.h"
#include "model/bond.h"
#include "shell/aboutdlg.h"
#include "shell/datepicker.h"
#include "shell/deletemanydlg.h"
#include "shell/instance.h"
#include "shell/mainframe.h"
#include "shell/settings.h"
#include "shell/tenvixapp.h"
#include "shell/tenvixdoc.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QSettings>
#include <QSplitter>
#include <QStatusBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include <memory>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::FakeClock;
using tenvix::test::FakeFileChooser;
using tenvix::test::FakeMessages;

namespace {
const QString kSample = QStringLiteral(TENVIX_SOURCE_DIR "/examples/sample.bnd");

QStringList MenuTexts(QMenu* menu)
{
    QStringList texts;
    for (QAction* a : menu->actions())
        texts << (a->isSeparator() ? QStringLiteral("-") : a->text());
    return texts;
}

QMenu* TopMenu(CMainFrame* f, const QString& title)
{
    for (QAction* a : f->menuBar()->actions())
        if (a->text() == title)
            return a->menu();
    return nullptr;
}

bool Triggers(QWidget* target, QKeyCombination key, QAction* action)
{
    bool fired = false;
    const auto c = QObject::connect(action, &QAction::triggered, [&] { fired = true; });
    QTest::keyClick(target, key.key(), key.keyboardModifiers());
    QObject::disconnect(c);
    return fired;
}

// Receives "mailto:" links instead of the desktop.
class MailCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened << url; }
};
} // namespace

class TestMainFrame : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    QTemporaryDir* m_dir = nullptr;
    std::unique_ptr<FakeMessages> m_msgs;
    std::unique_ptr<FakeFileChooser> m_chooser;
    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<CTenvixApp> m_app;

    CMainFrame* Start(const QStringList& args = {"tenvix"})
    {
        m_app = std::make_unique<CTenvixApp>();
        if (!m_app->InitInstance(args))
            return nullptr;
        return m_app->MainFrame();
    }
    // Closes as the user would; the app's exit writes the recent files.
    void Close()
    {
        QVERIFY(m_app->MainFrame()->close());
        m_app->ExitInstance();
        m_app.reset();
    }
    QString Copy(const QString& name, const QString& from = kSample)
    {
        const QString path = m_dir->filePath(name);
        QFile::copy(from, path);
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_settingsDir.isValid());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void init()
    {
        OpenSettings()->clear();
        m_dir = new QTemporaryDir;
        m_msgs = std::make_unique<FakeMessages>();
        m_chooser = std::make_unique<FakeFileChooser>();
        m_clock = std::make_unique<FakeClock>(46362.75); // 6 December 2026, 18:00
    }
    void cleanup()
    {
        if (m_app && m_app->MainFrame())
            m_app->Document()->SetModifiedFlag(false);
        m_app.reset();
        m_clock.reset();
        m_chooser.reset();
        m_msgs.reset();
        delete m_dir;
    }

    void menusAndBarsAreThere()
    {
        CMainFrame* f = Start();
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QString("Untitled - tenvix"));
        QStringList tops;
        for (QAction* a : f->menuBar()->actions())
            tops << a->text();
        QCOMPARE(tops, QStringList({"&File", "&Edit", "&View", "&Action", "&Run", "&Help"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&File")),
                 QStringList({"Ne&w\tCtrl+W", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...", "-", "-", "E&xit"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Edit")),
                 QStringList({"&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X", "&Copy\tCtrl+C", "&Paste\tCtrl+V"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&View")),
                 QStringList({"&Toolbar", "&Status Bar", "&Runbar", "S&eekbar", "Actio&nbar"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Action")),
                 QStringList({"F&irst\tCtrl+F", "&Prev\tCtrl+P", "&Next\tCtrl+N", "&Last\tCtrl+L", "-", "&Save", "-",
                              "Add", "&Del", "-", "Delete &Many"}));
        QCOMPARE(MenuTexts(f->AddMenu()), QStringList({"Type I", "Type II"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Run")), QStringList({"&Update All", "&Run", "-", "&M2"}));
        QCOMPARE(MenuTexts(TopMenu(f, "&Help")), QStringList({"A&bout tenvix..."}));

        // Bar contents in order; the status bar's panes.
        auto ids = [f](int bar) {
            QStringList names;
            for (QAction* a : f->Bar(bar)->actions())
                names << (a->isSeparator() ? "-" : a->objectName().isEmpty() ? "widget" : a->objectName());
            return names;
        };
        QCOMPARE(ids(AFX_IDW_TOOLBAR),
                 QStringList({"actionFileNew", "actionFileOpen", "actionFileSave", "-", "actionEditCut", "actionEditCopy",
                              "actionEditPaste", "-", "actionSingleAnalysis", "-", "actionAppAbout"}));
        QCOMPARE(ids(IDW_RUNBAR), QStringList({"actionUpdateAll", "actionRunPortfolio", "widget", "widget", "-",
                                               "actionSquareM"}));
        QCOMPARE(ids(IDW_SEEKBAR), QStringList({"widget", "widget", "actionSeek"}));
        QCOMPARE(ids(IDW_ACTIONBAR),
                 QStringList({"actionMoveFirst", "actionMovePrev", "actionMoveNext", "actionMoveLast", "-",
                              "actionRecordSave", "-", "actionRecordAdd", "actionRecordDelete"}));
        for (int bar : {AFX_IDW_TOOLBAR, IDW_RUNBAR, IDW_SEEKBAR, IDW_ACTIONBAR})
            for (QAction* a : f->Bar(bar)->actions())
                if (!a->isSeparator() && !a->objectName().isEmpty())
                    QVERIFY2(!a->icon().pixmap(QSize(16, 15)).isNull(), qPrintable(a->objectName()));

        QCOMPARE(f->findChild<QLabel*>("MessagePane")->text(), QString("Ready"));
        QCOMPARE(f->Action(ID_SQUARE_M)->statusTip(), QString("Check if you want Square-M to be calculateed "));
        QCOMPARE(f->Action(ID_SQUARE_M)->toolTip(), QString("Square-M wanted ?"));
        QCOMPARE(f->Action(ID_MOVE_NEXT)->toolTip(), QString("Next (Ctrl+N)"));

        // The seek controls.
        QCOMPARE(f->m_wndSeekBy->count(), 2);
        QCOMPARE(f->m_wndSeekBy->currentText(), QString("By ID"));
        QCOMPARE(f->m_wndSeekBy->itemText(1), QString("By Name"));
        QVERIFY(!f->m_wndSeekBy->isEditable());
        QVERIFY(f->m_wndSeekWhat->isEditable());
        QTest::keyClicks(f->m_wndSeekWhat->lineEdit(), "ABCDEFGHIJKLMNOPQRST");
        QCOMPARE(f->m_wndSeekWhat->currentText(), QString("ABCDEFGHIJKLMNO"));
        QCOMPARE(f->m_wndSeekWhat->toolTip(), QString("Seek what"));
        QCOMPARE(f->m_pSeekResults.size(), size_t(kMaxSeekResults));

        // Both pickers start at the clock's date and time.
        QCOMPARE(f->StandDate(), 46362.75);
        QCOMPARE(f->Horizon(), 46362.75);
        QVERIFY(!f->SquareM());

        // The list pane starts almost closed.
        auto* splitter = f->findChild<QSplitter*>("Splitter");
        f->resize(800, 600);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QVERIFY(splitter->sizes().at(0) <= 12);
        QVERIFY(splitter->sizes().at(0) >= 11);
    }

    void addButtonDropsDownTheTwoTypes()
    {
        CMainFrame* f = Start();
        auto* add = qobject_cast<QToolButton*>(f->Bar(IDW_ACTIONBAR)->widgetForAction(f->Action(ID_RECORD_ADD)));
        QVERIFY(add);
        QCOMPARE(add->popupMode(), QToolButton::MenuButtonPopup);
        QCOMPARE(add->menu(), f->AddMenu());
        QVERIFY(!f->Action(ID_ADD_TYPE1)->icon().isNull());
        QVERIFY(!f->Action(ID_ADD_TYPE2)->icon().isNull());
    }

    void actionBarLightsUpAndLockKeysShow()
    {
        CMainFrame* f = Start();
        for (QAction* a : f->Bar(IDW_ACTIONBAR)->actions()) {
            if (a->isSeparator())
                continue;
            const QImage rest = a->icon().pixmap(QSize(16, 15), QIcon::Normal).toImage();
            const QImage hot = a->icon().pixmap(QSize(16, 15), QIcon::Active).toImage();
            QVERIFY2(rest != hot, qPrintable(a->objectName()));
        }

        f->show();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->ActivatePane(1);
        auto* caps = f->findChild<QLabel*>("IndicatorCaps");
        auto* scroll = f->findChild<QLabel*>("IndicatorScroll");
        QVERIFY(caps->text().isEmpty());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_CapsLock);
        QCOMPARE(caps->text(), QString("CAP"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_ScrollLock);
        QCOMPARE(scroll->text(), QString("SCRL"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_CapsLock);
        QVERIFY(caps->text().isEmpty());
        QCOMPARE(f->findChild<QLabel*>("IndicatorNum")->text(), QString());
    }

    // A second start hands its file to the running program and ends.
    void secondStartHandsOverItsFile()
    {
        const QString name = QStringLiteral("tenvix-test-%1").arg(QCoreApplication::applicationPid());
        CInstanceChannel running(name);
        QVERIFY(running.Listen());
        CInstanceChannel other(name);
        QVERIFY(!other.Listen()); // the first one keeps answering
        QSignalSpy received(&running, &CInstanceChannel::PathReceived);

        bool handed = false;
        std::unique_ptr<QThread> second(QThread::create([&] {
            handed = CInstanceChannel(name).HandOver(QStringLiteral("relative/x.bnd"));
        }));
        second->start();
        QTRY_COMPARE(received.size(), 1);
        QVERIFY(second->wait(5000));
        QVERIFY(handed);
        QCOMPARE(received[0][0].toString(), QDir::current().absoluteFilePath("relative/x.bnd"));

        // Nobody listening: the second start runs on its own.
        QVERIFY(!CInstanceChannel(name + "-none").HandOver("x.bnd", 200));
    }

    void firstRunLayout()
    {
        CMainFrame* f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QToolBar* std = f->Bar(AFX_IDW_TOOLBAR);
        QToolBar* run = f->Bar(IDW_RUNBAR);
        QToolBar* seek = f->Bar(IDW_SEEKBAR);
        QToolBar* act = f->Bar(IDW_ACTIONBAR);
        for (QToolBar* b : {std, run, seek, act})
            QCOMPARE(f->toolBarArea(b), Qt::TopToolBarArea);
        QCOMPARE(run->y(), std->y());
        QVERIFY(run->x() > std->x());
        QCOMPARE(act->y(), seek->y());
        QVERIFY(act->x() > seek->x());
        QVERIFY(seek->y() > std->y());
        QVERIFY(!run->isAreaAllowed(Qt::LeftToolBarArea));
        QVERIFY(!seek->isAreaAllowed(Qt::RightToolBarArea));
        QVERIFY(act->isAreaAllowed(Qt::LeftToolBarArea));
    }

    void windowPosRestore_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<bool>("m2");
        QTest::newRow("five numbers") << "10,20,810,620,1" << true << true;
        QTest::newRow("flag off") << "10,20,810,620,0" << true << false;
        QTest::newRow("four numbers") << "10,20,810,620" << false << false;
        QTest::newRow("garbage") << "left,top" << false << false;
    }

    void windowPosRestore()
    {
        QFETCH(QString, stored);
        QFETCH(bool, applied);
        QFETCH(bool, m2);
        WriteProfileString("Settings", "WindowPos", stored);
        CMainFrame* f = Start();
        QCOMPARE(f->geometry() == QRect(10, 20, 800, 600), applied);
        QCOMPARE(f->SquareM(), m2);
        f->UpdateCommandUI();
        QCOMPARE(f->Action(ID_SQUARE_M)->isChecked(), m2);
    }

    void squareMToggles()
    {
        WriteProfileString("Settings", "WindowPos", "10,20,810,620,2");
        CMainFrame* f = Start();
        QVERIFY(f->SquareM());
        // A hand-stored 2 is "on" and still turns off.
        f->Action(ID_SQUARE_M)->trigger();
        QVERIFY(!f->SquareM());
        QVERIFY(!f->Action(ID_SQUARE_M)->isChecked());
        f->Action(ID_SQUARE_M)->trigger();
        f->Action(ID_SQUARE_M)->trigger();
        QVERIFY(!f->SquareM());
        f->Action(ID_SQUARE_M)->trigger();
        QVERIFY(f->Action(ID_SQUARE_M)->isChecked());
        QCOMPARE(f->GetSquareMFlag(), 1);
    }

    void closeWritesWindowPos()
    {
        CMainFrame* f = Start();
        f->setGeometry(10, 20, 800, 600);
        f->Action(ID_SQUARE_M)->trigger();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->setGeometry(10, 20, 800, 600);
        Close();
        QCOMPARE(GetProfileString("Settings", "WindowPos"), QString("10,20,810,620,1"));

        // Minimised: the rectangle it comes back to, not the icon's.
        f = Start();
        QCOMPARE(f->geometry(), QRect(10, 20, 800, 600));
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->setGeometry(30, 40, 500, 400);
        f->showMinimized();
        QTRY_VERIFY(f->windowState() & Qt::WindowMinimized);
        Close();
        QCOMPARE(GetProfileString("Settings", "WindowPos"), QString("30,40,530,440,1"));

        // Maximised: stored with the maximised rectangle, restored normal.
        f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->showMaximized();
        QTRY_VERIFY(f->windowState() & Qt::WindowMaximized);
        const QRect maximised = f->geometry();
        Close();
        f = Start();
        QCOMPARE(f->geometry(), maximised);
        f->show();
        QVERIFY(!(f->windowState() & Qt::WindowMaximized));
    }

    void barLayoutSurvivesRestart()
    {
        CMainFrame* f = Start();
        f->resize(900, 600);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->Action(ID_VIEW_SEEKBAR)->trigger();
        QVERIFY(f->Bar(IDW_SEEKBAR)->isHidden());
        f->Action(ID_VIEW_STATUS_BAR)->trigger();
        QVERIFY(f->statusBar()->isHidden());
        f->removeToolBar(f->Bar(IDW_RUNBAR));
        f->addToolBar(Qt::BottomToolBarArea, f->Bar(IDW_RUNBAR));
        f->Bar(IDW_RUNBAR)->show();
        Close();

        {
            const auto s = OpenSettings();
            QCOMPARE(s->value("Quellmark-Summary/Bars").toInt(), 5);
            QList<int> ids;
            for (int i = 0; i < 5; ++i)
                ids << s->value(QString("Quellmark-Bar%1/BarID").arg(i)).toInt();
            QCOMPARE(ids, QList<int>({59392, 59393, 59394, 59395, 59396}));
            QCOMPARE(s->value("Quellmark-Bar3/Visible").toInt(), 0);
            QCOMPARE(s->value("Quellmark-Bar2/DockSide").toString(), QString("Bottom"));
            QCOMPARE(s->value("Quellmark-Bar4/Row").toInt(), 1);
            QCOMPARE(s->value("Quellmark-Bar0/Row").toInt(), 0);
        }

        f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QVERIFY(f->Bar(IDW_SEEKBAR)->isHidden());
        QVERIFY(f->statusBar()->isHidden());
        QCOMPARE(f->toolBarArea(f->Bar(IDW_RUNBAR)), Qt::BottomToolBarArea);
        f->UpdateCommandUI();
        QVERIFY(!f->Action(ID_VIEW_SEEKBAR)->isChecked());
        QVERIFY(f->Action(ID_VIEW_ACTIONBAR)->isChecked());
        Close();

        // Without the window's own record, the bars' sections alone put
        // them back.
        OpenSettings()->remove("Quellmark-Summary/DockState");
        f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QVERIFY(f->Bar(IDW_SEEKBAR)->isHidden());
        QCOMPARE(f->toolBarArea(f->Bar(IDW_RUNBAR)), Qt::BottomToolBarArea);
        QCOMPARE(f->toolBarArea(f->Bar(IDW_ACTIONBAR)), Qt::TopToolBarArea);
        QVERIFY(f->Bar(IDW_ACTIONBAR)->y() > f->Bar(AFX_IDW_TOOLBAR)->y());

        // Two rows at the bottom come back in their order, outermost first.
        f->removeToolBar(f->Bar(AFX_IDW_TOOLBAR));
        f->addToolBar(Qt::BottomToolBarArea, f->Bar(AFX_IDW_TOOLBAR));
        f->Bar(AFX_IDW_TOOLBAR)->show();
        f->addToolBarBreak(Qt::BottomToolBarArea);
        f->removeToolBar(f->Bar(IDW_ACTIONBAR));
        f->addToolBar(Qt::BottomToolBarArea, f->Bar(IDW_ACTIONBAR));
        f->Bar(IDW_ACTIONBAR)->show();
        QTRY_VERIFY(f->Bar(IDW_ACTIONBAR)->y() != f->Bar(AFX_IDW_TOOLBAR)->y());
        const bool actionLower = f->Bar(IDW_ACTIONBAR)->y() > f->Bar(AFX_IDW_TOOLBAR)->y();
        Close();
        OpenSettings()->remove("Quellmark-Summary/DockState");
        f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QCOMPARE(f->toolBarArea(f->Bar(AFX_IDW_TOOLBAR)), Qt::BottomToolBarArea);
        QCOMPARE(f->toolBarArea(f->Bar(IDW_ACTIONBAR)), Qt::BottomToolBarArea);
        QTRY_VERIFY(f->Bar(IDW_ACTIONBAR)->y() != f->Bar(AFX_IDW_TOOLBAR)->y());
        QCOMPARE(f->Bar(IDW_ACTIONBAR)->y() > f->Bar(AFX_IDW_TOOLBAR)->y(), actionLower);
    }

    void titleAndSaveFollowTheDocument()
    {
        const QString path = Copy("db.bnd");
        CMainFrame* f = Start({"tenvix", path});
        QVERIFY(f);
        QCOMPARE(f->windowTitle(), QString("db.bnd - tenvix"));
        QVERIFY(!f->Action(ID_FILE_SAVE)->isEnabled());
        QVERIFY(f->Action(ID_FILE_SAVE_AS)->isEnabled());
        f->SetModified();
        QVERIFY(f->Action(ID_FILE_SAVE)->isEnabled());
        f->Action(ID_FILE_SAVE)->trigger();
        QVERIFY(!f->Action(ID_FILE_SAVE)->isEnabled());
        QVERIFY(m_msgs->shown.isEmpty());
        QCOMPARE(m_app->RecentFiles()[0], path);

        // Save As takes the new name into the title and the recent files.
        const QString other = m_dir->filePath("other.bnd");
        m_chooser->Answer(other);
        f->Action(ID_FILE_SAVE_AS)->trigger();
        QCOMPARE(f->windowTitle(), QString("other.bnd - tenvix"));
        QCOMPARE(m_app->RecentFiles()[0], other);
        QVERIFY(QFile::exists(other));
    }

    void commandLine()
    {
        // One path opens it.
        const QString path = Copy("cmd.bnd");
        QVERIFY(Start({"tenvix", path}));
        QCOMPARE(m_app->Document()->GetPathName(), path);
        QVERIFY(!m_app->Document()->BondList().m_list.empty());
        m_app.reset();
        // A switch or a second name: a new, empty database; nothing printed.
        for (const QStringList& args : {QStringList{"tenvix", "-p", path}, QStringList{"tenvix", path, path},
                                        QStringList{"tenvix"}}) {
            QVERIFY(Start(args));
            QCOMPARE(m_app->Document()->GetTitle(), QString("Untitled"));
            QVERIFY(m_app->Document()->BondList().m_list.empty());
            m_app.reset();
        }
        QVERIFY(m_msgs->shown.isEmpty());
        // A file that can't be opened ends the start-up after its message.
        QVERIFY(!Start({"tenvix", m_dir->filePath("none.bnd")}));
        QCOMPARE(m_msgs->shown.size(), 1);
        QVERIFY(m_msgs->Last().text.contains("Cannot find this file."));
    }

    void newAndOpenAskFirst()
    {
        const QString path = Copy("a.bnd");
        CMainFrame* f = Start({"tenvix", path});
        f->show();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        f->SetModified();

        // Cancel keeps everything; No discards.
        m_msgs->Answer(MsgAnswer::Cancel);
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_W, f->Action(ID_FILE_NEW)));
        QCOMPARE(m_msgs->Last().text, QString("Save changes to a.bnd?"));
        QCOMPARE(f->windowTitle(), QString("a.bnd - tenvix"));
        QVERIFY(m_app->Document()->IsModified());
        m_msgs->Answer(MsgAnswer::No);
        f->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(f->windowTitle(), QString("Untitled - tenvix"));
        QVERIFY(m_app->Document()->BondList().m_list.empty());

        // Open: the chooser first, then the question.
        f->SetModified();
        m_chooser->Answer(path);
        m_msgs->Answer(MsgAnswer::No);
        f->Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(m_chooser->asked.last().choice.filters, QStringList({"Tenvix Files (*.bnd)", "All Files (*.*)"}));
        QVERIFY(!m_chooser->asked.last().save);
        QCOMPARE(f->windowTitle(), QString("a.bnd - tenvix"));
        QCOMPARE(m_msgs->shown.size(), 3);
    }

    void recentFilesMenu()
    {
        const QString a = Copy("a.bnd");
        const QString b = Copy("b.bnd");
        CMainFrame* f = Start({"tenvix", a});
        QVERIFY(m_app->OpenDocumentFile(b));
        QFile::remove(a);
        Close();
        QCOMPARE(GetProfileString("Recent File List", "File1"), b);
        QCOMPARE(GetProfileString("Recent File List", "File2"), a);

        f = Start();
        auto* first = f->findChild<QAction*>("actionRecentFile1");
        auto* second = f->findChild<QAction*>("actionRecentFile2");
        QVERIFY(first && second);
        QVERIFY(first->text().startsWith("&1 "));
        QVERIFY(first->text().endsWith("b.bnd"));
        QVERIFY(first->text().size() <= 3 + 30);
        QCOMPARE(first->statusTip(), QString("Open this document"));
        first->trigger();
        QCOMPARE(f->windowTitle(), QString("b.bnd - tenvix"));
        // A file that is gone is reported and leaves the list.
        f->findChild<QAction*>("actionRecentFile2")->trigger();
        QVERIFY(m_msgs->Last().text.contains("Cannot find this file."));
        QCOMPARE(m_app->RecentFiles().GetSize(), 1);
        QVERIFY(!f->findChild<QAction*>("actionRecentFile2"));
        QCOMPARE(f->windowTitle(), QString("b.bnd - tenvix"));
    }

    void droppedFilesOpenInTurn()
    {
        const QString a = Copy("one.bnd");
        const QString b = Copy("two.bnd");
        CMainFrame* f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->SetModified();
        m_msgs->Answer(MsgAnswer::No);

        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QDragEnterEvent enter(QPoint(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(50, 50), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(f, &drop);
        QTRY_COMPARE(f->windowTitle(), QString("two.bnd - tenvix"));
        QCOMPARE(m_msgs->shown.size(), 1); // asked once, before the first file
        QCOMPARE(m_app->RecentFiles()[0], b);
        QCOMPARE(m_app->RecentFiles()[1], a);

        // Over a text field the file opens too, and the field keeps its text.
        auto* id = f->Form()->findChild<QLineEdit*>("idEdit");
        QMimeData one;
        one.setUrls({QUrl::fromLocalFile(a)});
        one.setText(a);
        QDragEnterEvent enterField(QPoint(5, 5), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(id, &enterField);
        QVERIFY(enterField.isAccepted());
        QDropEvent dropField(QPointF(5, 5), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(id, &dropField);
        QTRY_COMPARE(f->windowTitle(), QString("one.bnd - tenvix"));
        QVERIFY(!id->text().contains("one.bnd"));
    }

    void keys()
    {
        CMainFrame* f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_N, f->Action(ID_MOVE_NEXT)));
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_P, f->Action(ID_MOVE_PREV)));
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_F, f->Action(ID_MOVE_FIRST)));
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_L, f->Action(ID_MOVE_LAST)));
        QVERIFY(!Triggers(f, Qt::CTRL | Qt::Key_N, f->Action(ID_FILE_NEW)));
        QCOMPARE(f->Action(ID_EDIT_UNDO)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+Z"), QKeySequence("Alt+Backspace")}));
        QCOMPARE(f->Action(ID_EDIT_CUT)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+X"), QKeySequence("Shift+Del")}));
        QCOMPARE(f->Action(ID_EDIT_COPY)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+C"), QKeySequence("Ctrl+Ins")}));
        QCOMPARE(f->Action(ID_EDIT_PASTE)->shortcuts(),
                 QList<QKeySequence>({QKeySequence("Ctrl+V"), QKeySequence("Shift+Ins")}));

        // Ctrl+T is taken and does nothing: no question, no change.
        f->SetModified();
        const QString title = f->windowTitle();
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_T, f->Action(ID_FILE_PRINT)));
        QVERIFY(m_msgs->shown.isEmpty());
        QCOMPARE(f->windowTitle(), title);
        QVERIFY(m_app->Document()->IsModified());

        // F6 and Shift+F6 move between the two panes.
        f->ActivatePane(0);
        QTRY_COMPARE(f->ActivePane(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QTRY_COMPARE(f->ActivePane(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QTRY_COMPARE(f->ActivePane(), 0);
    }

    void exitAsksAndCancelKeepsRunning()
    {
        CMainFrame* f = Start();
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        f->SetModified();
        m_msgs->Answer(MsgAnswer::Cancel);
        f->Action(ID_APP_EXIT)->trigger();
        QVERIFY(f->isVisible());
        QCOMPARE(m_msgs->Last().text, QString("Save changes to Untitled?"));
        // The settings were written before the question, as at any close.
        QVERIFY(!GetProfileString("Settings", "WindowPos").isEmpty());
        m_msgs->Answer(MsgAnswer::No);
        f->Action(ID_APP_EXIT)->trigger();
        QVERIFY(!f->isVisible());
    }

    // The record form in pane (0,1) holds the database the document loads,
    // and the frame's commands reach it.
    void formFollowsTheDocumentAndTheCommands()
    {
        const QString path = Copy("form.bnd");
        CMainFrame* f = Start({"tenvix", path});
        f->show();
        f->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(f));
        CInView* form = f->Form();
        QCOMPARE(f->findChild<QSplitter*>("Splitter")->widget(1), form);
        auto* id = form->findChild<QLineEdit*>("idEdit");
        QCOMPARE(&form->m_bondList, &m_app->Document()->BondList());
        const auto& list = form->m_bondList.m_list;
        QVERIFY(list.size() >= 2);
        QCOMPARE(id->text().toStdString(), list.front()->m_strID);

        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_N, f->Action(ID_MOVE_NEXT)));
        QCOMPARE(id->text().toStdString(), (*std::next(list.begin()))->m_strID);
        f->Action(ID_MOVE_LAST)->trigger();
        QCOMPARE(id->text().toStdString(), list.back()->m_strID);
        f->Action(ID_MOVE_FIRST)->trigger();
        QCOMPARE(id->text().toStdString(), list.front()->m_strID);

        // The Add button and Type II both add, and the document is modified.
        const size_t before = list.size();
        f->Action(ID_RECORD_ADD)->trigger();
        QCOMPARE(list.size(), before + 1);
        QCOMPARE((*form->m_posCurrent)->get()->GetType(), int(BOND_TYPE_STD));
        QVERIFY(f->Action(ID_FILE_SAVE)->isEnabled());
        f->Action(ID_ADD_TYPE2)->trigger();
        QCOMPARE((*form->m_posCurrent)->get()->GetType(), int(BOND_TYPE_FREE));

        // The Edit commands follow the focused field.
        id->setText("ABC");
        id->setFocus();
        id->selectAll();
        f->UpdateCommandUI();
        QVERIFY(f->Action(ID_EDIT_COPY)->isEnabled());
        id->deselect();
        f->UpdateCommandUI();
        QVERIFY(!f->Action(ID_EDIT_COPY)->isEnabled());

        // New empties the form; a failed open keeps what it shows.
        m_msgs->Answer(MsgAnswer::No);
        f->Action(ID_FILE_NEW)->trigger();
        QVERIFY(list.empty());
        QVERIFY(!form->m_posCurrent);
        QVERIFY(id->text().isEmpty());
        QVERIFY(!id->isEnabled());
        QVERIFY(m_app->OpenDocumentFile(path));
        f->Action(ID_MOVE_NEXT)->trigger();
        const auto current = form->m_posCurrent;
        id->setText("TYPED");  // not saved yet
        f->SetModified();
        m_msgs->Answer(MsgAnswer::No);
        QVERIFY(!m_app->OpenDocumentFile(m_dir->filePath("gone.bnd")));
        QCOMPARE(id->text(), QString("TYPED"));
        QVERIFY(form->m_posCurrent == current);
        // A broken file leaves an empty form.
        m_msgs->Answer(MsgAnswer::No);
        QFile bad(m_dir->filePath("bad.bnd"));
        QVERIFY(bad.open(QIODevice::WriteOnly));
        bad.write("not a database");
        bad.close();
        QVERIFY(!m_app->OpenDocumentFile(bad.fileName()));
        QVERIFY(id->text().isEmpty());
        QVERIFY(!form->m_posCurrent);
        QCOMPARE(f->windowTitle(), QString("Untitled - tenvix"));
    }

    void deleteManyReachesTheForm()
    {
        CMainFrame* f = Start({"tenvix", Copy("many.bnd")});
        const size_t total = f->Form()->m_bondList.m_list.size();
        // Cancel deletes nothing; OK hands the date to the form.
        for (bool ok : {false, true}) {
            QTimer::singleShot(0, [ok] {
                auto* dlg = qobject_cast<CDeleteManyDlg*>(QApplication::activeModalWidget());
                QVERIFY(dlg);
                ok ? dlg->accept() : dlg->reject();
            });
            f->Action(ID_DELETE_MANY)->trigger();
        }
        QCOMPARE(m_msgs->shown.size(), 1);
        QVERIFY2(m_msgs->Last().text.endsWith(QString(" bonds of %1 total .").arg(total)),
                 qPrintable(m_msgs->Last().text));
    }

    void contextMenuIsTheViewMenu()
    {
        CMainFrame* f = Start();
        std::unique_ptr<QMenu> menu(f->createPopupMenu());
        QCOMPARE(MenuTexts(menu.get()), MenuTexts(f->ViewMenu()));
    }

    void aboutLinkRemembersTheLastClick()
    {
        CAboutDlg::SetLinkVisited(false);
        CAboutDlg dlg;
        QCOMPARE(dlg.windowTitle(), QString("About tenvix"));
        QVERIFY(dlg.findChild<QLabel*>("Version")->text() == "tenvix Version 2.04.1");
        QVERIFY(dlg.Link()->font().underline());
        QCOMPARE(dlg.Link()->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(CLinkLabel::LinkColor(), QColor(0, 0, 255));

        MailCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        dlg.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dlg));
        QTest::mouseClick(dlg.Link(), Qt::LeftButton);
        QCOMPARE(catcher.opened.size(), 1);
        QCOMPARE(catcher.opened[0].toString(), QString("mailto:") + kContactAddress);
        QCOMPARE(CLinkLabel::LinkColor(), QColor(128, 0, 128));
        dlg.close();

        // A new box shows the link purple; a failed click turns it blue.
        CAboutDlg again;
        again.show();
        QVERIFY(QTest::qWaitForWindowExposed(&again));
        QTRY_COMPARE(again.Link()->palette().color(QPalette::WindowText), QColor(128, 0, 128));
        QDesktopServices::unsetUrlHandler("mailto");
        QTest::mouseClick(again.Link(), Qt::LeftButton);
        QCOMPARE(CLinkLabel::LinkColor(), QColor(0, 0, 255));
    }

    void screenshot()
    {
        const QByteArray out = qgetenv("TENVIX_SCREENSHOT");
        if (out.isEmpty())
            QSKIP("set TENVIX_SCREENSHOT to a PNG path to take one");
        CMainFrame* f = Start({"tenvix", kSample});
        f->resize(900, 560);
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f));
        QVERIFY(f->grab().save(QString::fromLocal8Bit(out)));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
