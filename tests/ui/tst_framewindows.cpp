// What the main window opens over the sample database: the seek list in
// pane (0,0), the Bond Analysis window that Single analysis brings up, and
// the user guide. Update All is the import windows' test, which opens it;
// Run with the portfolio window is the number texts' test, in every locale.

#include "analysis/analysisdlg.h"
#include "editor/inview.h"
#include "shell/guidewindow.h"
#include "shell/mylistview.h"
#include "support/windows.h"

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::test;

class TestFrameWindows : public QObject {
    Q_OBJECT
    std::unique_ptr<SampleApp> m_app;
    CMainFrame* m_frame = nullptr;

    FakeMessages& Msgs() { return m_app->msgs; }
    CMyListView& View() { return *m_frame->ListView(); }
    CInView& Form() { return *m_frame->Form(); }
    QString FormText(const char* field) { return Form().findChild<QLineEdit*>(field)->text(); }

    void Seek(int by, const QString& text)
    {
        m_frame->m_wndSeekBy->setCurrentIndex(by);
        m_frame->m_wndSeekWhat->setEditText(text);
        m_frame->Action(ID_SEEK)->trigger();
    }
    void PickRow(int row)
    {
        const QPoint at = View().visualItemRect(View().topLevelItem(row)).center();
        QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(View().viewport(), Qt::LeftButton, {}, at);
    }

private slots:
    void init()
    {
        m_app = std::make_unique<SampleApp>();
        QVERIFY(m_frame = m_app->frame);
        QVERIFY(Form().m_bondList.m_list.size() > 20);
        m_frame->resize(900, 560);
        m_frame->findChild<QSplitter*>()->setSizes({190, 710}); // the list opened, as the user would
        QVERIFY(Exposed(m_frame));
    }
    void cleanup() { m_app.reset(); }

    void seekFillsTheListAndAPickShowsTheBond()
    {
        // A seek that finds nothing leaves the almost closed list closed; one
        // that finds bonds opens it.
        QSplitter* splitter = m_frame->findChild<QSplitter*>();
        splitter->setSizes({12, 888});
        Seek(0, "nothing");
        QCOMPARE(splitter->sizes().value(0), 12);
        Seek(0, "tsy");
        QVERIFY(splitter->sizes().value(0) >= 175);
        // A list the user opened wider stays as it is.
        splitter->setSizes({400, 500});
        // Enter in the seek box seeks too.
        m_frame->m_wndSeekBy->setCurrentIndex(1);
        m_frame->m_wndSeekWhat->setEditText("zero");
        QTest::keyClick(m_frame->m_wndSeekWhat->lineEdit(), Qt::Key_Return);
        QCOMPARE(View().topLevelItemCount(), 0);
        m_frame->m_wndSeekBy->setCurrentIndex(0);
        QTest::keyClick(m_frame->m_wndSeekWhat->lineEdit(), Qt::Key_Return);
        // Which bonds a seek finds is the core's Seek test; here they fill the list.
        QCOMPARE(Column(View().model(), 0), QStringList({"ZERO-2027", "ZERO-2032", "ZERO-2045", "ZERO-2024"}));
        QCOMPARE(splitter->sizes().value(0), 400);

        // The seek leaves the form's record alone; a pick moves it, and Next
        // goes on from the picked bond in list order.
        QCOMPARE(FormText("idEdit"), QString("GOV-2027-A"));
        PickRow(1);
        QCOMPARE(FormText("idEdit"), QString("ZERO-2032"));
        m_frame->Action(ID_MOVE_NEXT)->trigger(); // ZERO-2045, in either order
        m_frame->Action(ID_MOVE_NEXT)->trigger();
        QCOMPARE(FormText("idEdit"), QString("BILL-2027-03"));
        // Enter on a row is the keyboard's double-click; without a
        // selection it shows nothing.
        View().setFocus();
        View().clearSelection();
        QTest::keyClick(&View(), Qt::Key_Return);
        QCOMPARE(FormText("idEdit"), QString("BILL-2027-03"));
        View().setCurrentItem(View().topLevelItem(2));
        QTest::keyClick(&View(), Qt::Key_Return);
        QCOMPARE(FormText("idEdit"), QString("ZERO-2045"));
    }

    void seekBoxKeepsTheHistory()
    {
        QComboBox& what = *m_frame->m_wndSeekWhat;
        // A lower-case entry, while the box still shows the text as typed.
        // Which texts are kept, and in which order, is the core's
        // SeekHistory.KeepsTenLowerCaseTextsNewestFirst.
        Seek(0, "GOV");
        QCOMPARE(what.currentText(), QString("GOV"));
        Seek(0, "tsy");
        // An entry chosen from the drop-down, "gov" second below "tsy",
        // moves to the top and stays chosen.
        what.setCurrentIndex(1);
        m_frame->Action(ID_SEEK)->trigger();
        QCOMPARE(Column(what.model(), 0), QStringList({"gov", "tsy"}));
        QCOMPARE(what.currentIndex(), 0);
    }

    // Every change of the bond list drops the rows, whose positions it may
    // have freed; what leaves the list alone keeps them. New replaces the
    // list the way Open does. Whether a refused Save or Delete many tells
    // the frame is tst_inview's listCleared count.
    void rowsGoWhenTheListChanges_data()
    {
        QTest::addColumn<bool>("keepsRows");
        QTest::newRow("add") << false; // by Type I, a command tried nowhere else
        QTest::newRow("save") << false;
        QTest::newRow("delete") << false;
        QTest::newRow("delete declined") << true;
        QTest::newRow("open") << false; // the rows are then the new database's first bonds
        QTest::newRow("open broken") << false;
        QTest::newRow("move") << true;
    }

    void rowsGoWhenTheListChanges()
    {
        const QString change = QTest::currentDataTag();
        QFETCH(bool, keepsRows);
        Seek(1, "");
        const int rows = View().topLevelItemCount();
        PickRow(2);

        if (change == "add") {
            m_frame->Action(ID_ADD_TYPE1)->trigger();
        } else if (change == "save") {
            m_frame->Action(ID_RECORD_SAVE)->trigger();
            QCOMPARE(Msgs().Last().text, QString("Updates saved !"));
        } else if (change.startsWith("delete")) {
            Msgs().Answer(change == "delete" ? MsgAnswer::Yes : MsgAnswer::No);
            m_frame->Action(ID_RECORD_DELETE)->trigger();
        } else if (change == "open") {
            const QString other = m_app->dir.filePath("other.bnd");
            WriteAll(other, Database({"N1", "N2"}));
            QVERIFY(m_app->app->OpenDocumentFile(other));
            QCOMPARE(View().topLevelItemCount(), 2);
            QCOMPARE(View().topLevelItem(1)->text(0), QString("N2"));
            return;
        } else if (change == "open broken") {
            const QString broken = m_app->dir.filePath("broken.bnd");
            WriteAll(broken, "no database");
            QVERIFY(!m_app->app->OpenDocumentFile(broken));
        } else if (change == "move") {
            m_frame->Action(ID_MOVE_LAST)->trigger();
        }
        QCOMPARE(View().topLevelItemCount(), keepsRows ? rows : 0);
    }

    // Every name of the sample shows whole in the form: with the cursor at
    // its end, the text has not scrolled out at the start.
    void namesOfTheSampleShowWhole()
    {
        auto* name = Form().findChild<QLineEdit*>("nameEdit");
        const auto cursorX = [name](int position) {
            name->setCursorPosition(position);
            name->repaint(); // where the text scrolls to is settled by painting
            return name->inputMethodQuery(Qt::ImCursorRectangle).toRect().x();
        };
        m_frame->Action(ID_MOVE_FIRST)->trigger();
        for (std::size_t i = 0; i < Form().m_bondList.m_list.size(); ++i) {
            const QString text = name->text();
            const int shown = cursorX(int(text.size())) - cursorX(0);
            QVERIFY2(shown >= name->fontMetrics().horizontalAdvance(text) - 1, qPrintable(text));
            m_frame->Action(ID_MOVE_NEXT)->trigger();
        }
    }

    // The Bond Analysis window is there from the start but hidden, a window
    // of its own; Single analysis brings it up, and it keeps what was typed
    // after it was put away or the frame's closing was cancelled.
    void singleAnalysisShowsTheOneWindow()
    {
        QList<AnalysisDialog*> windows;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<AnalysisDialog*>(w))
                windows << dlg;
        QCOMPARE(windows.size(), 1);
        QPointer<AnalysisDialog> dlg = windows[0];
        QVERIFY(!dlg->isVisible());
        QAction* single = m_frame->Action(ID_SINGLE_ANALYSIS);
        // It starts with the run bar's dates as they are when it first shows,
        // and keeps its own from then on.
        const double stand = Day(2025, 6, 30) + 0.75, horizon = Day(2032, 6, 30) + 0.75;
        SetDates(m_frame, stand, horizon);
        single->trigger();
        const auto dates = [&] {
            return std::pair(dlg->findChild<DatePicker*>("standDate")->Value(),
                             dlg->findChild<DatePicker*>("horizonDate")->Value());
        };
        QCOMPARE(dates(), std::pair(stand, horizon));
        QCOMPARE(dlg->findChild<QLineEdit*>("h")->text(), QStringLiteral("7.00000000"));
        dlg->findChild<DatePicker*>("horizonDate")->SetValue(Day(2030, 6, 30));
        dlg->hide();
        SetDates(m_frame, Day(2026, 1, 1), Day(2027, 1, 1));
        single->trigger();
        QCOMPARE(dates(), std::pair(stand, Day(2030, 6, 30)));
        dlg->hide();
        dlg->findChild<QLineEdit*>("spotPrice")->setText("101.5");
        // The Exit button, Esc and the close box put it away.
        const std::function<void()> putAway[] = {
            [&] { QTest::mouseClick(dlg->findChild<QPushButton*>("exit"), Qt::LeftButton); },
            [&] { QTest::keyClick(dlg, Qt::Key_Escape); }, [&] { dlg->close(); }};
        for (const auto& away : putAway) {
            single->trigger();
            QVERIFY(dlg->isVisible());
            away();
            QVERIFY(!dlg->isVisible());
        }
        dlg->showMinimized();
        single->trigger();
        QVERIFY(dlg->isVisible() && !dlg->isMinimized());

        // Closing the frame puts it away, keeping it for a cancelled close.
        m_app->Doc().SetModifiedFlag(true);
        Msgs().Answer(MsgAnswer::Cancel);
        QVERIFY(!m_frame->close());
        QVERIFY(!dlg->isVisible());
        single->trigger();
        QCOMPARE(dlg->findChild<QLineEdit*>("spotPrice")->text(), QStringLiteral("101.5"));
        m_app->Quit();
        QVERIFY(!dlg);
    }

    // Help > User Guide shows the guide the program was built with, in one
    // window however often it is asked for.
    void userGuideShowsTheGuideInOneWindow()
    {
        QFile guide(TENVIX_SOURCE_DIR "/docs/GUIDE.md");
        QVERIFY(guide.open(QIODevice::ReadOnly));
        const QString heading = QString::fromUtf8(guide.readLine()).remove(u'#').trimmed();
        QVERIFY(!heading.isEmpty());
        QAction* item = m_frame->Action(ID_HELP_GUIDE);
        item->trigger();
        auto* window = m_frame->findChild<GuideWindow*>();
        QVERIFY(window && window->isVisible());
        QVERIFY(window->Browser()->toPlainText().startsWith(heading));
        // Its pictures come with it.
        QVERIFY(!window->Browser()->loadResource(QTextDocument::ImageResource, QUrl("main-window.png")).isNull());
        window->close();
        item->trigger();
        QCOMPARE(m_frame->findChildren<GuideWindow*>().size(), 1);
        QVERIFY(window->isVisible());
    }

    // Every picture of the guide fits the window's width, scaled down as a
    // whole where it is wider, and none is drawn larger than it is.
    void userGuidePicturesFitTheWindow()
    {
        QFile guide(TENVIX_SOURCE_DIR "/docs/GUIDE.md");
        QVERIFY(guide.open(QIODevice::ReadOnly));
        const int shown = int(QString::fromUtf8(guide.readAll()).count(QRegularExpression(QStringLiteral("!\\[[^]]*\\]\\([^)]*\\.png\\)"))));
        QVERIFY(shown >= 6);
        m_frame->Action(ID_HELP_GUIDE)->trigger();
        auto* window = m_frame->findChild<GuideWindow*>();
        QVERIFY(window && Exposed(window));
        QTextBrowser* browser = window->Browser();
        for (const int width : {560, 1400, 700}) {
            window->resize(width, 600);
            Deliver();
            const int room = browser->viewport()->width();
            int pictures = 0;
            QTextDocument* doc = browser->document();
            for (QTextBlock block = doc->begin(); block.isValid(); block = block.next())
                for (auto it = block.begin(); !it.atEnd(); ++it) {
                    const QTextCharFormat format = it.fragment().charFormat();
                    if (!format.isImageFormat())
                        continue;
                    const QTextImageFormat image = format.toImageFormat();
                    const QImage natural = QImage(QStringLiteral(":/guide/") + image.name());
                    QVERIFY2(!natural.isNull(), qPrintable(image.name()));
                    // What the layout draws: the width set, else the picture's own.
                    const qreal w = image.width() > 0 ? image.width() : natural.width();
                    const qreal h = image.height() > 0 ? image.height() : natural.height();
                    QVERIFY2(w <= room, qPrintable(QStringLiteral("%1 is %2 wide in %3").arg(image.name()).arg(w).arg(room)));
                    QVERIFY2(w <= natural.width(), qPrintable(image.name()));
                    QVERIFY(qAbs(w * natural.height() - h * natural.width()) <= natural.width() + natural.height());
                    if (natural.width() + 2 * doc->documentMargin() + 24 <= room)
                        QCOMPARE(qRound(w), natural.width());
                    ++pictures;
                }
            QCOMPARE(pictures, shown);
        }
    }
};

QTEST_MAIN(TestFrameWindows)
#include "tst_framewindows.moc"
