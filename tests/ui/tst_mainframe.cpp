// The main window as the user meets it: start-up from the command line, the
// window and bars coming back where they were (the window position as stored
// by hand or by older runs), the title and Save state, the keys, the recent
// files and their shortened names, dropped files and the About box's link.

#include "editor/inview.h"
#include "model/bond.h"
#include "shell/aboutdlg.h"
#include "shell/instance.h"
#include "shell/mylistview.h"
#include "shell/recentfiles.h"
#include "shell/settings.h"
#include "support/app.h"

#include <climits>

#include <unistd.h>

using namespace tenvix;
using namespace tenvix::ui;

namespace {

bool Triggers(QWidget* target, QKeyCombination key, QAction* action)
{
    bool fired = false;
    const auto c = QObject::connect(action, &QAction::triggered, [&] { fired = true; });
    QTest::keyClick(target, key.key(), key.keyboardModifiers());
    QObject::disconnect(c);
    return fired;
}

// The title as the desktop shows it: Qt's mark of unsaved changes in place.
QString Title(QWidget* w) { return w->windowHandle() ? w->windowHandle()->title() : QStringLiteral("<not shown>"); }

CMainFrame* ShowActive(CMainFrame* f)
{
    QTest::qVerify(test::Active(f), "test::Active(f)", "", __FILE__, __LINE__);
    return f;
}

// Sets environment variables for a while; an empty value unsets one.
class EnvScope {
public:
    EnvScope(std::initializer_list<std::pair<const char*, QByteArray>> values)
    {
        for (const auto& [name, value] : values) {
            m_was.emplace_back(name, qEnvironmentVariableIsSet(name), qgetenv(name));
            value.isEmpty() ? qunsetenv(name) : qputenv(name, value);
        }
    }
    ~EnvScope()
    {
        for (const auto& [name, set, value] : m_was)
            set ? qputenv(name, value) : qunsetenv(name);
    }

private:
    std::vector<std::tuple<const char*, bool, QByteArray>> m_was;
};

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
    std::unique_ptr<test::App> m_app;
    test::FakeMessages& Msgs() { return m_app->msgs; }
    CMainFrame* Start(const QStringList& args = {"tenvix"}) { return m_app->Start(args); }
    QString Copy(const QString& name) { return m_app->Copy(name); }

private slots:
    void init() { m_app = std::make_unique<test::App>(); }
    void cleanup() { m_app.reset(); }

    void startsEmptyWithTheMenusAndTheClock()
    {
        CMainFrame* f = Start();
        QVERIFY(f);
        // The menus as the user reads them; the keys are tried in keys().
        QStringList menus;
        for (QAction* top : f->menuBar()->actions()) {
            menus << top->text();
            for (QAction* a : top->menu()->actions())
                menus << (a->isSeparator() ? "-" : a->text());
        }
        // clang-format off
        QCOMPARE(menus, QStringList({"&File", "Ne&w\tCtrl+W", "&Open...\tCtrl+O", "&Save\tCtrl+S", "Save &As...",
                                     "-", "&Import prices...", "Import &bonds...", "Ex&port analysis...", "Open &example...", "-", "-", "E&xit", "&Edit", "&Undo\tCtrl+Z", "-", "Cu&t\tCtrl+X",
                                     "&Copy\tCtrl+C", "&Paste\tCtrl+V", "&View", "&Toolbar", "&Status Bar",
                                     "&Runbar", "S&eekbar", "Actio&nbar", "&Cashflows", "-", "&Market...", "&Action", "F&irst\tCtrl+F",
                                     "&Prev\tCtrl+P", "&Next\tCtrl+N", "&Last\tCtrl+L", "-", "&Save", "-", "Add",
                                     "&Del", "-", "Delete &Many", "&Run", "&Update All", "&Run", "-", "&M2",
                                     "&Help", "A&bout tenvix...", "&User Guide\tF1"}));
        // clang-format on
        std::unique_ptr<QMenu> context(f->createPopupMenu());
        QCOMPARE(context->actions(), f->ViewMenu()->actions());

        // A first run opens large enough for the whole form.
        const auto* form = ShowActive(f)->findChild<CInView*>();
        QVERIFY(form->width() >= form->DesignSize().width());
        QVERIFY(form->height() >= form->DesignSize().height());
    }

    // What a newcomer sees first: two dates that say what they are, five
    // years apart, and a list wide enough for the identifiers, which stays
    // as wide as the user leaves it.
    void firstLookShowsDatesApartAndTheList_data()
    {
        QTest::addColumn<double>("now");
        QTest::addColumn<double>("horizon");
        QTest::newRow("6 Dec 2026, 18:00") << 46362.75 << test::Day(2031, 12, 6) + 0.75;
        QTest::newRow("29 Feb 2028, 06:00") << test::Day(2028, 2, 29) + 0.25 << test::Day(2033, 2, 28) + 0.25;
    }

    void firstLookShowsDatesApartAndTheList()
    {
        QFETCH(double, now);
        QFETCH(double, horizon);
        m_app->clock.SetNow(now);
        CMainFrame* f = Start({"tenvix", Copy("sample.bnd")});
        QCOMPARE(f->StandDate(), now);
        QCOMPARE(f->Horizon(), horizon);
        for (const char* name : {"Stand", "Horizon"}) {
            const auto* label = f->findChild<QLabel*>(QString(name) + "Label");
            auto* picker = f->findChild<DatePicker*>(name == QString("Stand") ? "StandDate" : "Horizon");
            QCOMPARE(std::tuple(label->text(), picker->accessibleName(), label->toolTip(), label->isVisibleTo(f)),
                     std::tuple(QString(name), QString(name), picker->toolTip(), true));
            QCOMPARE(label->buddy(), picker);
        }

        // Every identifier of the sample shows whole in the list as it starts.
        f->resize(900, 600);
        auto* splitter = ShowActive(f)->findChild<QSplitter*>("Splitter");
        auto* list = f->findChild<CMyListView*>();
        f->Action(ID_SEEK)->trigger();
        QCOMPARE(list->topLevelItemCount(), int(f->Form()->m_bondList.m_list.size()));
        for (int row = 0; row < list->topLevelItemCount(); ++row) {
            const QModelIndex id = list->model()->index(row, 0);
            QVERIFY2(list->sizeHintForIndex(id).width() <= list->columnWidth(0), qPrintable(id.data().toString()));
        }
        QVERIFY(list->viewport()->width() >= list->columnWidth(0));
        QVERIFY(splitter->sizes().value(1) > splitter->sizes().value(0));

        // The divider comes back where it was left; a stored width no screen
        // holds is kept within one.
        splitter->setSizes({300, 600});
        m_app->Close();
        QCOMPARE(ShowActive(Start())->findChild<QSplitter*>("Splitter")->sizes().value(0), 300);
        m_app->Close();
        WriteProfileInt("Settings", "ListWidth", INT_MAX);
        f = ShowActive(Start());
        QVERIFY(f->findChild<QSplitter*>("Splitter")->sizes().value(0) < f->width());
    }

    // An opened database shows its first bonds in the list, as a seek of
    // the empty text would (at most 500, in list order); any change of the
    // database empties the list again.
    void openingShowsTheFirstBondsInTheList()
    {
        CMainFrame* f = Start({"tenvix", Copy("sample.bnd")});
        auto* list = f->findChild<CMyListView*>();
        const auto listed = [list] {
            QStringList ids;
            for (int row = 0; row < list->topLevelItemCount(); ++row)
                ids << list->topLevelItem(row)->text(0);
            return ids;
        };
        QCOMPARE(listed(), test::Ids(f->Form()->m_bondList));
        QCOMPARE(list->topLevelItem(1)->text(1), QString::fromStdString((*std::next(f->Form()->m_bondList.m_list.begin()))->m_strName));

        QStringList many;
        for (int k = 0; k < 620; ++k)
            many << QStringLiteral("B%1").arg(k, 4, 10, QChar(u'0'));
        const QString big = m_app->dir.filePath("big.bnd");
        test::WriteAll(big, test::Database(many));
        QVERIFY(m_app->app->OpenDocumentFile(big));
        QCOMPARE(listed(), many.mid(0, 500));
        // A pick shows its bond.
        list->setCurrentItem(list->topLevelItem(499));
        QTest::keyClick(list, Qt::Key_Return);
        QCOMPARE(f->Form()->findChild<QLineEdit*>("idEdit")->text(), QString("B0499"));

        f->Action(ID_RECORD_ADD)->trigger();
        QCOMPARE(list->topLevelItemCount(), 0);
        Msgs().Answer(MsgAnswer::No);
        f->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(list->topLevelItemCount(), 0);
    }

    // A start without a file says, in the place of the empty form, how to
    // open the shipped examples; File > Open example... opens a copy of the
    // sample, so that a Save asks for a name and the shipped file stays as
    // it was.
    void startWithoutFileTellsOfTheExample()
    {
        QTemporaryDir shipped;
        QVERIFY(QFile::copy(test::kSample, shipped.filePath("sample.bnd")));
        const QByteArray original = test::ReadAll(shipped.filePath("sample.bnd"));
        CMainFrame* f = ShowActive(Start());
        m_app->app->SetExampleFolders({m_app->dir.filePath("nowhere"), shipped.path()});
        CInView* form = f->Form();
        auto* hint = form->findChild<QLabel*>("emptyHint");
        QVERIFY(hint && hint->isVisible());
        QVERIFY2(hint->text().contains("File") && hint->text().contains("Open example..."), qPrintable(hint->text()));
        QVERIFY(!form->findChild<QLineEdit*>("idEdit")->isVisible());

        // Add brings the form back; with no record left the hint returns.
        f->Action(ID_RECORD_ADD)->trigger();
        QVERIFY(!hint->isVisible() && form->findChild<QLineEdit*>("idEdit")->isVisible());
        Msgs().Answer(MsgAnswer::Yes);
        f->Action(ID_RECORD_DELETE)->trigger();
        QVERIFY(hint->isVisible());

        Msgs().Answer(MsgAnswer::No);
        f->Action(ID_FILE_OPEN_EXAMPLE)->trigger();
        QCOMPARE(test::Ids(form->m_bondList), test::Ids(test::ReadDatabase(test::kSample)));
        QCOMPARE(f->findChild<CMyListView*>()->topLevelItemCount(), int(form->m_bondList.m_list.size()));
        QVERIFY(!hint->isVisible());
        QCOMPARE(m_app->Doc().GetPathName(), QString());
        QCOMPARE(Title(f), QString("sample.bnd - tenvix"));
        QVERIFY(m_app->app->RecentFiles().GetSize() == 0);

        // Its Save asks where, starting from the example's name.
        Msgs().Answer(MsgAnswer::Yes);
        f->Action(ID_RECORD_DELETE)->trigger();
        QVERIFY(m_app->Doc().IsModified());
        const QString mine = m_app->dir.filePath("mine.bnd");
        m_app->chooser.Answer(mine);
        f->Action(ID_FILE_SAVE)->trigger();
        QCOMPARE(m_app->chooser.asked.size(), 1);
        QVERIFY(m_app->chooser.asked[0].save);
        QCOMPARE(QFileInfo(m_app->chooser.asked[0].choice.startPath).fileName(), QString("sample.bnd"));
        QCOMPARE(test::ReadDatabase(mine).m_list.size(), form->m_bondList.m_list.size());
        QCOMPARE(test::ReadAll(shipped.filePath("sample.bnd")), original);
        QCOMPARE(Title(f), QString("mine.bnd - tenvix"));

        // No example where it should be: said, and nothing replaced.
        m_app->app->SetExampleFolders({m_app->dir.filePath("nowhere")});
        const int shown = Msgs().shown.size();
        f->Action(ID_FILE_OPEN_EXAMPLE)->trigger();
        QCOMPARE(Msgs().shown.size(), shown + 1);
        QVERIFY2(Msgs().Last().text.contains("sample.bnd"), qPrintable(Msgs().Last().text));
        QCOMPARE(m_app->Doc().GetPathName(), mine);
    }

    // A second start hands its file to the running program and ends.
    void secondStartHandsOverItsFile()
    {
        const QString name = QStringLiteral("tenvix-test-%1").arg(QCoreApplication::applicationPid());
        InstanceChannel running(name);
        QVERIFY(running.Listen());
        QVERIFY(!InstanceChannel(name).Listen()); // the first one keeps answering
        QSignalSpy received(&running, &InstanceChannel::PathReceived);

        // That the second start learns it got through, and ends, is
        // tst_heldopen's secondStartOverTheChannelWaits.
        std::unique_ptr<QThread> second(
            QThread::create([&] { InstanceChannel(name).HandOver(QStringLiteral("relative/x.bnd")); }));
        second->start();
        QTRY_COMPARE(received.size(), 1);
        QVERIFY(second->wait(5000));
        QCOMPARE(received[0][0].toString(), QDir::current().absoluteFilePath("relative/x.bnd"));
        // Nobody listening: the second start runs on its own.
        QVERIFY(!InstanceChannel(name + "-none").HandOver("x.bnd", 200));
    }

    // Each display of a user has a program of its own, reached through a
    // folder nobody else can enter.
    void channelIsPerSessionAndPrivate()
    {
        QTemporaryDir runtime, tmp;
        QVERIFY(QFile::setPermissions(runtime.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
        {
            EnvScope env{{"XDG_RUNTIME_DIR", runtime.path().toLocal8Bit()}, {"WAYLAND_DISPLAY", {}}, {"DISPLAY", ":1"}};
            QCOMPARE(InstanceChannel::DefaultName(), runtime.path() + "/tenvix-open-:1");
            qputenv("WAYLAND_DISPLAY", "/run/wayland-0");
            QCOMPARE(InstanceChannel::DefaultName(), runtime.path() + "/tenvix-open-_run_wayland-0");
        }
        // Without a runtime folder, or with one others may enter: a folder of
        // the user's own under the temporary folder.
        const QString own = tmp.path() + "/tenvix-" + QString::number(::geteuid());
        const QString open = tmp.path() + "/open";
        QVERIFY(QDir().mkdir(open, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadOther |
                                       QFile::ExeOther));
        for (const QByteArray& xdg : {QByteArray(), QFile::encodeName(open)}) {
            EnvScope env{{"XDG_RUNTIME_DIR", xdg}, {"TMPDIR", QFile::encodeName(tmp.path())}, {"DISPLAY", ":1"},
                         {"WAYLAND_DISPLAY", {}}};
            QCOMPARE(InstanceChannel::DefaultName(), own + "/tenvix-open-:1");
            QCOMPARE(QFileInfo(own).permissions() & 0x0077, QFileDevice::Permissions());
        }
        if (::geteuid() != 0)
            QSKIP("Only root can give a file to another user.");

        // Another user took the folder's name first: no channel at all.
        QVERIFY(::chown(QFile::encodeName(own).constData(), 65534, 65534) == 0);
        {
            EnvScope env{{"XDG_RUNTIME_DIR", {}}, {"TMPDIR", QFile::encodeName(tmp.path())}};
            QVERIFY(InstanceChannel::DefaultName().isEmpty());
            QVERIFY(!InstanceChannel(QString()).Listen());
            QVERIFY(!InstanceChannel(QString()).HandOver("x.bnd", 200));
        }

        // Another user's socket is neither spoken to nor taken over.
        const QString name = runtime.path() + "/tenvix-open-:9";
        InstanceChannel theirs(name);
        QVERIFY(theirs.Listen());
        QSignalSpy received(&theirs, &InstanceChannel::PathReceived);
        QVERIFY(::lchown(QFile::encodeName(name).constData(), 65534, 65534) == 0);
        bool handed = true;
        std::unique_ptr<QThread> second(
            QThread::create([&] { handed = InstanceChannel(name).HandOver("x.bnd", 500); }));
        second->start();
        QVERIFY(second->wait(5000));
        QVERIFY(!handed);
        QVERIFY(!InstanceChannel(name).Listen());
        QVERIFY(QFileInfo::exists(name));
        QCoreApplication::processEvents();
        QCOMPARE(received.size(), 0);
    }

    // The texts below run on the empty store each case's program brings.
    // The position as the program writes it is windowPosRestore's.
    void windowPosParse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("rect"); // invalid: not a position
        QTest::addColumn<int>("flag");
        QTest::newRow("blanks before numbers") << "  10, 20,\t810,  620, 0" << QRect(10, 20, 800, 600) << 0;
        QTest::newRow("tail ignored") << "10,20,810,620,1,99 junk" << QRect(10, 20, 800, 600) << 1;
        QTest::newRow("signs, flag as stored") << "-8,+5,1000,700,7" << QRect(-8, 5, 1008, 695) << 7;
        QTest::newRow("extremes") << "-2147483648,-2147483648,2147483647,2147483647,1"
                                  << QRect(QPoint(-2147483647 - 1, -2147483647 - 1), QSize(2147483647, 2147483647))
                                  << 1;
        QTest::newRow("four numbers") << "10,20,810,620" << QRect() << 0;
        QTest::newRow("blank before comma") << "10 ,20,810,620,1" << QRect() << 0;
        QTest::newRow("missing number") << "10,,810,620,1" << QRect() << 0;
        QTest::newRow("overflowing int") << "99999999999,0,1,1,0" << QRect() << 0;
    }

    void windowPosParse()
    {
        QFETCH(QString, text);
        QFETCH(QRect, rect);
        QFETCH(int, flag);
        const auto pos = ParseWindowPos(text);
        QCOMPARE(pos.has_value(), rect.isValid());
        if (!pos)
            return;
        QCOMPARE(pos->rect, rect);
        QCOMPARE(pos->squareM, flag);
        // What is written reads back as the same rectangle.
        QCOMPARE(ParseWindowPos(FormatWindowPos(pos->rect, pos->squareM))->rect, rect);
    }

    void recentListKeepsFourNewestFirstAcrossARestart()
    {
        RecentFileList list;
        for (const char* p : {"/d/a.bnd", "/d/b.bnd", "/d/c.bnd", "/d/d.bnd", "/d/e.bnd"})
            list.Add(p);
        QCOMPARE(list.GetSize(), 4);
        // Reopening a listed file, by any spelling, moves it up; the oldest
        // went.
        list.Add("/d/c.bnd");
        list.Add("/d/./e.bnd");
        QCOMPARE(QStringList({list[0], list[1], list[2], list[3]}),
                 QStringList({"/d/e.bnd", "/d/c.bnd", "/d/d.bnd", "/d/b.bnd"}));

        // A hand-edited list with a gap and a repeat loads in order, once each.
        int k = 0;
        for (const char* path : {"/x/one.bnd", "", "/x/one.bnd", "/x/two.bnd"})
            OpenSettings()->setValue(QString("Recent File List/File%1").arg(++k), path);
        RecentFileList again;
        again.ReadList();
        QCOMPARE(again.GetSize(), 2);
        QCOMPARE(again[0] + " " + again[1], QString("/x/one.bnd /x/two.bnd"));
        // Removing shifts the rest up and the store follows at the next write.
        again.Remove(0);
        again.WriteList();
        QCOMPARE(OpenSettings()->value("Recent File List/File1").toString(), QString("/x/two.bnd"));
        QVERIFY(!OpenSettings()->contains("Recent File List/File2"));
    }

    void menuTextIsShortened()
    {
        QCOMPARE(AbbreviatePath("/d/a.bnd", 30), QString("/d/a.bnd"));
        QCOMPARE(AbbreviatePath("/home/analyst/projects/bonds/data/portfolio.bnd", 30),
                 QString("/.../bonds/data/portfolio.bnd"));
        // A name that doesn't fit with its folders shows alone, even when long.
        QCOMPARE(AbbreviatePath("/a/" + QString(40, u'x') + ".bnd", 30), QString(40, u'x') + ".bnd");
        RecentFileList list;
        list.Add("/d/R&D.bnd");
        QCOMPARE(list.MenuText(0), QString("&1 /d/R&&D.bnd")); // no stray mnemonic
    }

    void windowPosRestore_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<bool>("applied");
        QTest::addColumn<bool>("m2");
        QTest::newRow("flag off") << "10,20,810,620,0" << true << false;
        QTest::newRow("flag 2 is on") << "10,20,810,620,2" << true << true;
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
        f->UpdateCommandUI();
        QCOMPARE(f->Action(ID_SQUARE_M)->isChecked(), m2);
        // M2 turns the flag off and on again, whatever number it came as
        // (from off to on is closeWritesWindowPos's first M2).
        f->Action(ID_SQUARE_M)->trigger();
        f->Action(ID_SQUARE_M)->trigger();
        QCOMPARE(f->GetSquareMFlag(), int(m2));
    }

    void closeWritesWindowPos()
    {
        CMainFrame* f = ShowActive(Start());
        f->Action(ID_SQUARE_M)->trigger();
        f->setGeometry(10, 20, 800, 600);
        m_app->Close();
        QCOMPARE(GetProfileString("Settings", "WindowPos"), QString("10,20,810,620,1"));

        // Minimised: the rectangle it comes back to, not the icon's.
        f = ShowActive(Start());
        f->setGeometry(30, 40, 500, 400);
        f->showMinimized();
        QTRY_VERIFY(f->windowState() & Qt::WindowMinimized);
        m_app->Close();
        QCOMPARE(GetProfileString("Settings", "WindowPos"), QString("30,40,530,440,1"));
    }

    void barLayoutSurvivesRestart()
    {
        CMainFrame* f = Start();
        f->resize(900, 600);
        ShowActive(f);
        const auto bar = [&f](int id) { return f->Bar(id); };
        const auto toBottom = [&](int id) {
            f->removeToolBar(bar(id));
            f->addToolBar(Qt::BottomToolBarArea, bar(id));
            bar(id)->show();
        };
        // First run: standard and run bar in one row, seek and action below.
        QCOMPARE(std::pair(bar(IDW_RUNBAR)->y(), bar(IDW_ACTIONBAR)->y()),
                 std::pair(bar(AFX_IDW_TOOLBAR)->y(), bar(IDW_SEEKBAR)->y()));
        QVERIFY(bar(IDW_RUNBAR)->x() > bar(AFX_IDW_TOOLBAR)->x() && bar(IDW_ACTIONBAR)->x() > bar(IDW_SEEKBAR)->x());
        QVERIFY(bar(IDW_SEEKBAR)->y() > bar(AFX_IDW_TOOLBAR)->y());

        f->Action(ID_VIEW_SEEKBAR)->trigger();
        f->Action(ID_VIEW_STATUS_BAR)->trigger();
        toBottom(IDW_RUNBAR);
        m_app->Close();
        QStringList stored;
        for (const char* key : {"Summary/Bars", "Bar0/BarID", "Bar1/BarID", "Bar2/BarID", "Bar3/BarID", "Bar4/BarID",
                                "Bar3/Visible", "Bar2/DockSide", "Bar4/Row", "Bar0/Row"})
            stored << OpenSettings()->value(QString("Quellmark-") + key).toString();
        QCOMPARE(stored, QStringList({"5", "59392", "59393", "59394", "59395", "59396", "0", "Bottom", "1", "0"}));

        // With the window's own record, and without it from the bars'
        // sections alone, the bars come back.
        for (bool summary : {true, false}) {
            if (!summary)
                OpenSettings()->remove("Quellmark-Summary/DockState");
            f = ShowActive(Start());
            QVERIFY(bar(IDW_SEEKBAR)->isHidden());
            QCOMPARE(f->toolBarArea(bar(IDW_RUNBAR)), Qt::BottomToolBarArea);
            QCOMPARE(f->toolBarArea(bar(IDW_ACTIONBAR)), Qt::TopToolBarArea);
            QVERIFY(bar(IDW_ACTIONBAR)->y() > bar(AFX_IDW_TOOLBAR)->y());
            f->UpdateCommandUI();
            QVERIFY(!f->Action(ID_VIEW_SEEKBAR)->isChecked() && !f->Action(ID_VIEW_STATUS_BAR)->isChecked());
            if (summary)
                m_app->Close();
        }

        // Two rows at the bottom come back in their order, outermost first.
        toBottom(AFX_IDW_TOOLBAR);
        f->addToolBarBreak(Qt::BottomToolBarArea);
        toBottom(IDW_ACTIONBAR);
        QTRY_VERIFY(bar(IDW_ACTIONBAR)->y() != bar(AFX_IDW_TOOLBAR)->y());
        const bool actionLower = bar(IDW_ACTIONBAR)->y() > bar(AFX_IDW_TOOLBAR)->y();
        m_app->Close();
        OpenSettings()->remove("Quellmark-Summary/DockState");
        f = ShowActive(Start());
        QCOMPARE(f->toolBarArea(bar(AFX_IDW_TOOLBAR)), Qt::BottomToolBarArea);
        QCOMPARE(f->toolBarArea(bar(IDW_ACTIONBAR)), Qt::BottomToolBarArea);
        QTRY_VERIFY(bar(IDW_ACTIONBAR)->y() != bar(AFX_IDW_TOOLBAR)->y());
        QCOMPARE(bar(IDW_ACTIONBAR)->y() > bar(AFX_IDW_TOOLBAR)->y(), actionLower);
    }

    void commandLine()
    {
        // One path opens it (titleAndSaveFollowTheDocument and
        // formFollowsTheDocumentAndTheCommands start so); a switch or a second
        // name: a new, empty database; nothing printed.
        const QString path = Copy("cmd.bnd");
        for (const QStringList& args : {QStringList{"tenvix", "-p", path}, QStringList{"tenvix", path, path}}) {
            QVERIFY(Start(args));
            QCOMPARE(m_app->Doc().GetTitle(), QString("Untitled"));
        }
        QVERIFY(Msgs().shown.isEmpty());
        // A file that can't be opened ends the start-up after its message.
        m_app->app.reset();
        QVERIFY(!Start({"tenvix", m_app->dir.filePath("none.bnd")}));
        QCOMPARE(Msgs().shown.size(), 1);
        QVERIFY(Msgs().Last().text.contains("Cannot find this file."));
    }

    // The title and Save follow the document; New, Open and Exit ask first.
    void titleAndSaveFollowTheDocument()
    {
        const QString path = Copy("a.bnd");
        CMainFrame* f = ShowActive(Start({"tenvix", path}));
        QCOMPARE(Title(f), QString("a.bnd - tenvix"));
        // Unsaved changes marked as Qt marks them on this platform.
        f->SetModified();
        QCOMPARE(Title(f), QString("a.bnd* - tenvix"));
        QVERIFY(f->isWindowModified());

        // Cancel keeps everything; No discards.
        Msgs().Answer(MsgAnswer::Cancel);
        QVERIFY(Triggers(f, Qt::CTRL | Qt::Key_W, f->Action(ID_FILE_NEW)));
        QCOMPARE(Msgs().Last().text, QString("Save changes to a.bnd?"));
        QCOMPARE(Title(f), QString("a.bnd* - tenvix"));
        QVERIFY(m_app->Doc().IsModified());
        Msgs().Answer(MsgAnswer::No);
        f->Action(ID_FILE_NEW)->trigger();
        QCOMPARE(Title(f), QString("Untitled - tenvix"));
        QVERIFY(m_app->Doc().BondList().m_list.empty());

        // Open: the chooser first, then the question.
        f->SetModified();
        m_app->chooser.Answer(path);
        Msgs().Answer(MsgAnswer::No);
        f->Action(ID_FILE_OPEN)->trigger();
        QCOMPARE(Title(f), QString("a.bnd - tenvix"));
        QCOMPARE(Msgs().shown.size(), 3);

        f->SetModified();
        QVERIFY(f->Action(ID_FILE_SAVE)->isEnabled());
        f->Action(ID_FILE_SAVE)->trigger(); // silently: tst_filewatch's ownSavesAskNothing
        QVERIFY(!f->Action(ID_FILE_SAVE)->isEnabled());
        QCOMPARE(Title(f), QString("a.bnd - tenvix"));
        // Save As takes the new name into the title and the recent files.
        const QString other = m_app->dir.filePath("other.bnd");
        m_app->chooser.Answer(other);
        f->Action(ID_FILE_SAVE_AS)->trigger();
        QCOMPARE(Title(f), QString("other.bnd - tenvix"));
        QCOMPARE(m_app->app->RecentFiles()[0], other);

        // Exit: the settings are written before the question, as at any close.
        f->SetModified();
        Msgs().Answer(MsgAnswer::Cancel);
        f->Action(ID_APP_EXIT)->trigger();
        QVERIFY(f->isVisible());
        QVERIFY(!GetProfileString("Settings", "WindowPos").isEmpty());
        Msgs().Answer(MsgAnswer::No);
        f->Action(ID_APP_EXIT)->trigger();
        QVERIFY(!f->isVisible());
    }

    void recentFilesMenu()
    {
        const QString a = Copy("a.bnd");
        const QString b = Copy("b.bnd");
        CMainFrame* f = Start({"tenvix", a});
        QVERIFY(m_app->app->OpenDocumentFile(b));
        QFile::remove(a);
        m_app->Close();

        // The list as closing stored it, newest first: the menu's texts are
        // menuTextIsShortened's; a listed file opening, tst_heldopen's
        // "recent file" row.
        f = Start();
        auto* first = f->findChild<QAction*>("actionRecentFile1");
        QVERIFY(first && first->text().startsWith("&1 ") && first->text().endsWith("b.bnd"));
        // A file that is gone is reported and leaves the list.
        f->findChild<QAction*>("actionRecentFile2")->trigger();
        QVERIFY(Msgs().Last().text.contains("Cannot find this file."));
        QVERIFY(!f->findChild<QAction*>("actionRecentFile2"));
    }

    void droppedFilesOpenInTurn()
    {
        const QString a = Copy("one.bnd");
        const QString b = Copy("two.bnd");
        CMainFrame* f = ShowActive(Start());
        f->SetModified();
        Msgs().Answer(MsgAnswer::No);
        // On the window, then over a text field, which keeps its text.
        auto* id = f->Form()->findChild<QLineEdit*>("idEdit");
        const auto drop = [](QWidget* target, const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            data.setText(urls[0].toLocalFile());
            QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &enter);
            QVERIFY(enter.isAccepted());
            QDropEvent dropped(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(target, &dropped);
        };
        drop(f, {QUrl::fromLocalFile(a), QUrl::fromLocalFile(b)});
        QTRY_COMPARE(Title(f), QString("two.bnd - tenvix"));
        QCOMPARE(Msgs().shown.size(), 1); // asked once, before the first file
        QCOMPARE(QStringList({m_app->app->RecentFiles()[0], m_app->app->RecentFiles()[1]}), QStringList({b, a}));
        drop(id, {QUrl::fromLocalFile(a)});
        QTRY_COMPARE(Title(f), QString("one.bnd - tenvix"));
        QVERIFY(!id->text().contains("one.bnd"));
    }

    void everyCommandIsMadeOnceAndBoundAsItsMenuSays()
    {
        CMainFrame* f = Start();
        QSet<int> ids;
        QSet<QString> names;
        QHash<QKeySequence, QString> bound;
        for (const FrameCommand& c : FrameCommands()) {
            const QString name = QString::fromLatin1(c.objectName);
            QVERIFY2(!ids.contains(c.id) && !names.contains(name), c.objectName);
            ids << c.id;
            names << name;
            if (!c.text)
                continue;
            QAction* a = f->Action(c.id);
            QVERIFY2(a && a->objectName() == name, c.objectName);
            QVERIFY2(!a->statusTip().isEmpty() && !a->toolTip().isEmpty(), c.objectName);
            for (const QKeySequence& key : a->shortcuts()) {
                QVERIFY2(!bound.contains(key), qPrintable(name + " and " + bound.value(key)));
                bound.insert(key, name);
            }
            // The key a menu shows is the first one bound.
            const QString shown = a->text().section(u'\t', 1);
            if (!shown.isEmpty())
                QCOMPARE(a->shortcuts().value(0), QKeySequence(shown, QKeySequence::PortableText));
        }
    }

    void keys()
    {
        CMainFrame* f = ShowActive(Start());
        // Ctrl+N is Next, not New (no key is bound twice: everyCommandIsMade...);
        // Ctrl+T is taken and does nothing.
        const std::pair<Qt::Key, int> keys[] = {{Qt::Key_N, ID_MOVE_NEXT},
                                                {Qt::Key_P, ID_MOVE_PREV},
                                                {Qt::Key_F, ID_MOVE_FIRST},
                                                {Qt::Key_L, ID_MOVE_LAST},
                                                {Qt::Key_T, ID_FILE_PRINT}};
        for (auto [key, id] : keys)
            QVERIFY2(Triggers(f, Qt::CTRL | key, f->Action(id)), qPrintable(f->Action(id)->objectName()));
        f->SetModified();
        QTest::keyClick(f, Qt::Key_T, Qt::ControlModifier);
        QVERIFY(Msgs().shown.isEmpty());
        QVERIFY(m_app->Doc().IsModified());

        // F6 and Shift+F6 move between the two panes.
        f->ActivatePane(0);
        QTRY_COMPARE(f->ActivePane(), 0);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6);
        QTRY_COMPARE(f->ActivePane(), 1);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F6, Qt::ShiftModifier);
        QTRY_COMPARE(f->ActivePane(), 0);

        // The lock keys show in the status bar, each press toggling once.
        const auto press = [f](Qt::Key key) {
            QTest::keyClick(QApplication::focusWidget(), key);
            return f->findChild<QLabel*>("IndicatorCaps")->text() + "|" +
                   f->findChild<QLabel*>("IndicatorScroll")->text();
        };
        // A braced list runs the presses in order.
        QCOMPARE(QStringList({press(Qt::Key_CapsLock), press(Qt::Key_ScrollLock), press(Qt::Key_CapsLock)}),
                 QStringList({"CAP|", "CAP|SCRL", "|SCRL"}));
    }

    // The record form in pane (0,1) holds the database the document loads,
    // and the frame's commands reach it.
    void formFollowsTheDocumentAndTheCommands()
    {
        const QString path = Copy("form.bnd");
        CMainFrame* f = ShowActive(Start({"tenvix", path}));
        CInView* form = f->Form();
        auto* id = form->findChild<QLineEdit*>("idEdit");
        const auto& list = form->m_bondList.m_list;
        QVERIFY(list.size() >= 2);
        // The first record shows at the start (tst_framewindows' seek case
        // finds it still there); the keys are tried in keys().
        f->Action(ID_MOVE_LAST)->trigger();
        QCOMPARE(id->text().toStdString(), list.back()->m_strID);

        // Add and Type II both add.
        const size_t before = list.size();
        f->Action(ID_RECORD_ADD)->trigger();
        QCOMPARE(list.size(), before + 1);
        QCOMPARE((*form->m_posCurrent)->get()->GetType(), int(BOND_TYPE_STD));
        f->Action(ID_ADD_TYPE2)->trigger();
        QCOMPARE((*form->m_posCurrent)->get()->GetType(), int(BOND_TYPE_FREE));

        // The Edit commands follow the focused field as it changes.
        id->setText("ABC");
        id->setFocus();
        id->selectAll();
        QTRY_VERIFY(f->Action(ID_EDIT_COPY)->isEnabled());
        id->deselect();
        QVERIFY(!f->Action(ID_EDIT_COPY)->isEnabled());

        // New empties the form, the typed identifier let go of; a failed
        // open keeps what it shows.
        Msgs().Answer(MsgAnswer::No);
        Msgs().Answer(MsgAnswer::No);
        f->Action(ID_FILE_NEW)->trigger();
        QVERIFY(list.empty() && !form->m_posCurrent);
        QVERIFY(id->text().isEmpty() && !id->isEnabled());
        QVERIFY(m_app->app->OpenDocumentFile(path));
        f->Action(ID_MOVE_NEXT)->trigger();
        const auto current = form->m_posCurrent;
        id->setText("TYPED"); // not saved yet
        f->SetModified();
        Msgs().Answer(MsgAnswer::No);
        Msgs().Answer(MsgAnswer::No);
        QVERIFY(!m_app->app->OpenDocumentFile(m_app->dir.filePath("gone.bnd")));
        QCOMPARE(id->text(), QString("TYPED"));
        QVERIFY(form->m_posCurrent == current);
        // A broken file leaves an empty form.
        Msgs().Answer(MsgAnswer::No);
        Msgs().Answer(MsgAnswer::No);
        const QString bad = m_app->dir.filePath("bad.bnd");
        test::WriteAll(bad, "not a database");
        QVERIFY(!m_app->app->OpenDocumentFile(bad));
        QVERIFY(id->text().isEmpty() && !form->m_posCurrent);
    }

    // In the frame "&View" shares Alt+V with the form's "Face &Value": the
    // form has its keys only while it has the focus.
    void mnemonicsGoToTheFormOnlyWhileItHasTheFocus()
    {
        CMainFrame* f = ShowActive(Start({"tenvix", Copy("keys.bnd")}));
        QMenu* view = f->ViewMenu();
        const auto field = [f](const char* name) { return f->findChild<QWidget*>(QLatin1String(name)); };
        const auto focus = [](QWidget* w) {
            w->setFocus();
            QTRY_COMPARE(QApplication::focusWidget(), w);
        };
        const auto press = [](Qt::Key key) { // where the focus is then
            QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
            QApplication::processEvents();
            return QApplication::focusWidget();
        };

        focus(field("idEdit"));
        QCOMPARE(press(Qt::Key_V), field("faceEdit"));
        QVERIFY(!view->isVisible());
        QCOMPARE(press(Qt::Key_T), field("releasePicker"));
        QCOMPARE(press(Qt::Key_P), field("releasePicker")); // Periods is hidden with Type I
        focus(field("faceEdit"));
        press(Qt::Key_P); // and the key types nothing into a field either
        QCOMPARE(qobject_cast<QLineEdit*>(field("faceEdit"))->text(), QStringLiteral("100.00"));
        press(Qt::Key_Y); // a button's key presses it
        QCOMPARE(Msgs().shown.size(), 1);
        QCOMPARE(Msgs().Last().caption, "Result");

        // Outside the form the menu has the key, and the button's is dead.
        focus(field("SeekWhat"));
        press(Qt::Key_Y);
        QCOMPARE(Msgs().shown.size(), 1);
        press(Qt::Key_V);
        QTRY_VERIFY(view->isVisible());
        view->close();

        // Ctrl+PgDn turns to Type II, where Face Value is hidden and Alt+V
        // is the menu's.
        focus(field("idEdit"));
        QTest::keyClick(field("idEdit"), Qt::Key_PageDown, Qt::ControlModifier);
        QCOMPARE(press(Qt::Key_P), field("periodsBox"));
        press(Qt::Key_V);
        QTRY_VERIFY(view->isVisible());
        view->close();
    }

    void aboutLinkRemembersTheLastClick()
    {
        CAboutDlg::SetLinkVisited(false);
        CAboutDlg dlg;
        MailCatcher catcher;
        QDesktopServices::setUrlHandler("mailto", &catcher, "open");
        QVERIFY(test::Exposed(&dlg));
        QTest::mouseClick(dlg.Link(), Qt::LeftButton);
        QCOMPARE(catcher.opened, QList<QUrl>{QUrl(QString("mailto:") + kContactAddress)});
        QCOMPARE(LinkLabel::LinkColor(), QColor(128, 0, 128));
        dlg.close();

        // A new box shows the link purple; a failed click turns it blue.
        CAboutDlg again;
        QVERIFY(test::Exposed(&again));
        QTRY_COMPARE(again.Link()->palette().color(QPalette::WindowText), QColor(128, 0, 128));
        QDesktopServices::unsetUrlHandler("mailto");
        QTest::mouseClick(again.Link(), Qt::LeftButton);
        QCOMPARE(LinkLabel::LinkColor(), QColor(0, 0, 255));
    }
};

QTEST_MAIN(TestMainFrame)
#include "tst_mainframe.moc"
