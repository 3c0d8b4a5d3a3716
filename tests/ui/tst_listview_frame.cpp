// The seek list inside the main window: a seek from the seek bar, a picked
// row shown in the form, the rows dropped whenever the bond list changes under
// them, and Update All reaching the open database.

#include "editor/inview.h"
#include "model/date.h"
#include "model/priceupdate.h"
#include "shell/mainframe.h"
#include "shell/mylistview.h"
#include "shell/priceupdatedlg.h"
#include "shell/settings.h"
#include "shell/tenvixapp.h"
#include "shell/tenvixdoc.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace tenvix;
using namespace tenvix::ui;

namespace {

const QString kSample = QStringLiteral(TENVIX_SOURCE_DIR "/examples/sample.bnd");

QStringList Ids(const QTreeWidget& view)
{
    QStringList ids;
    for (int r = 0; r < view.topLevelItemCount(); ++r)
        ids << view.topLevelItem(r)->text(0);
    return ids;
}

} // namespace

class TestListViewFrame : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<test::FakeMessages> m_msgs;
    std::unique_ptr<test::FakeClock> m_clock;
    std::unique_ptr<CTenvixApp> m_app;
    CMainFrame* m_frame = nullptr;

    void Start()
    {
        const QString path = m_dir->filePath("sample.bnd");
        QVERIFY(QFile::copy(kSample, path));
        m_app = std::make_unique<CTenvixApp>();
        QVERIFY(m_app->InitInstance({"tenvix", path}));
        m_frame = m_app->MainFrame();
        QVERIFY(m_frame->Form()->m_bondList.m_list.size() > 20);
    }
    CMyListView& View() { return *m_frame->ListView(); }
    CInView& Form() { return *m_frame->Form(); }
    QString FormId() { return Form().findChild<QLineEdit*>("idEdit")->text(); }

    void Seek(int by, const QString& text)
    {
        m_frame->m_wndSeekBy->setCurrentIndex(by);
        m_frame->m_wndSeekWhat->setEditText(text);
        m_frame->Action(ID_SEEK)->trigger();
    }
    void PickRow(int row)
    {
        QTreeWidgetItem* item = View().topLevelItem(row);
        const QPoint at = View().visualItemRect(item).center();
        QTest::mouseClick(View().viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(View().viewport(), Qt::LeftButton, {}, at);
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
        m_dir = std::make_unique<QTemporaryDir>();
        m_msgs = std::make_unique<test::FakeMessages>();
        m_clock = std::make_unique<test::FakeClock>(46362.75); // 6 December 2026, 18:00
        Start();
        m_frame->resize(900, 560);
        // The list starts almost closed; open it as the user would.
        m_frame->findChild<QSplitter*>()->setSizes({190, 710});
        m_frame->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_frame));
    }
    void cleanup()
    {
        if (m_app && m_app->Document())
            m_app->Document()->SetModifiedFlag(false);
        m_app.reset();
        m_clock.reset();
        m_msgs.reset();
        m_dir.reset();
    }

    void seekBarFillsTheListAndAPickShowsTheBond()
    {
        QVERIFY(m_frame->m_wndSeekWhat->completer() == nullptr);
        Seek(0, "tsy");
        QCOMPARE(Ids(View()), QStringList({"TSY-2028-S", "TSY-2030-S", "TSY-2033-S", "TSY-2036-S", "TSY-2045-S",
                                           "TSY-2053-S", "TSY-2022-S"}));
        // Enter in the seek box seeks too.
        m_frame->m_wndSeekBy->setCurrentIndex(1);
        m_frame->m_wndSeekWhat->setEditText("zero");
        QTest::keyClick(m_frame->m_wndSeekWhat->lineEdit(), Qt::Key_Return);
        QCOMPARE(View().topLevelItemCount(), 0);
        m_frame->m_wndSeekBy->setCurrentIndex(0);
        QTest::keyClick(m_frame->m_wndSeekWhat->lineEdit(), Qt::Key_Return);
        QCOMPARE(Ids(View()), QStringList({"ZERO-2027", "ZERO-2032", "ZERO-2045", "ZERO-2024"}));
        QCOMPARE(m_frame->m_wndSeekWhat->itemText(0), QString("zero"));

        // The seek leaves the form's record alone; a pick moves it, and Next
        // goes on from the picked bond in list order.
        QCOMPARE(FormId(), QString("GOV-2027-A"));
        PickRow(1);
        QCOMPARE(FormId(), QString("ZERO-2032"));
        QCOMPARE((**Form().m_posCurrent)->m_strID, std::string("ZERO-2032"));
        m_frame->Action(ID_MOVE_NEXT)->trigger();
        QCOMPARE(FormId(), QString("ZERO-2045"));
        m_frame->Action(ID_MOVE_NEXT)->trigger();
        QCOMPARE(FormId(), QString("BILL-2027-03"));
    }

    void aSeekOpensTheClosedList()
    {
        QSplitter* splitter = m_frame->findChild<QSplitter*>();
        splitter->setSizes({12, 888});
        Seek(0, "nothing");
        QCOMPARE(splitter->sizes().value(0), 12);
        Seek(0, "gov");
        QVERIFY(splitter->sizes().value(0) >= 175);
        // A list the user opened wider stays as it is.
        splitter->setSizes({400, 500});
        Seek(0, "tsy");
        QCOMPARE(splitter->sizes().value(0), 400);
    }

    void seekBoxKeepsTheHistory()
    {
        QComboBox& what = *m_frame->m_wndSeekWhat;
        auto entries = [&what] {
            QStringList texts;
            for (int k = 0; k < what.count(); ++k)
                texts << what.itemText(k);
            return texts;
        };
        Seek(0, "Gov");
        Seek(0, "GOV");
        // One lower-case entry; the box still shows the text as typed.
        QCOMPARE(entries(), QStringList({"gov"}));
        QCOMPARE(what.currentText(), QString("GOV"));
        Seek(0, "tsy");
        Seek(1, "");
        QCOMPARE(entries(), QStringList({"tsy", "gov"}));
        QCOMPARE(View().topLevelItemCount(), int(Form().m_bondList.m_list.size()));

        // An entry chosen from the drop-down moves to the top and stays chosen.
        what.setCurrentIndex(1);
        m_frame->Action(ID_SEEK)->trigger();
        QCOMPARE(entries(), QStringList({"gov", "tsy"}));
        QCOMPARE(what.currentIndex(), 0);
        QCOMPARE(what.currentText(), QString("gov"));

        for (int k = 0; k < 8; ++k)
            Seek(0, QString("X%1").arg(k));
        QCOMPARE(what.count(), int(kSeekHistory));
        QCOMPARE(what.itemText(0), QString("x7"));
        QCOMPARE(what.itemText(9), QString("tsy"));
        // The eleventh drops the oldest.
        Seek(0, "X8");
        QCOMPARE(what.count(), int(kSeekHistory));
        QCOMPARE(what.itemText(9), QString("gov"));
    }

    void enterOnARowShowsItsBond()
    {
        Seek(0, "zero");
        View().setFocus();
        // Nothing selected yet: nothing to show.
        QTest::keyClick(&View(), Qt::Key_Return);
        QCOMPARE(FormId(), QString("GOV-2027-A"));
        View().setCurrentItem(View().topLevelItem(2));
        QTest::keyClick(&View(), Qt::Key_Return);
        QCOMPARE(FormId(), QString("ZERO-2045"));
    }

    // Every change of the bond list drops the rows, whose positions it may
    // have freed; what leaves the list alone keeps them.
    void rowsGoWhenTheListChanges_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("keepsRows");
        QTest::newRow("add") << "add" << false;
        QTest::newRow("save") << "save" << false;
        QTest::newRow("save refused by the identifier rule") << "save occupied" << true;
        QTest::newRow("delete") << "delete" << false;
        QTest::newRow("delete declined") << "delete declined" << true;
        QTest::newRow("delete many") << "delete many" << false;
        QTest::newRow("delete many that deletes nothing") << "delete none" << true;
        QTest::newRow("new") << "new" << false;
        QTest::newRow("open") << "open" << false;
        QTest::newRow("open of a broken file") << "open broken" << false;
        QTest::newRow("move") << "move" << true;
    }

    void rowsGoWhenTheListChanges()
    {
        QFETCH(QString, change);
        QFETCH(bool, keepsRows);
        Seek(1, "");
        const int rows = View().topLevelItemCount();
        QCOMPARE(rows, int(Form().m_bondList.m_list.size()));
        PickRow(2);

        if (change == "add") {
            m_frame->Action(ID_ADD_TYPE1)->trigger();
        } else if (change == "save") {
            m_frame->Action(ID_RECORD_SAVE)->trigger();
            QCOMPARE(m_msgs->Last().text, QString("Updates saved !"));
        } else if (change == "save occupied") {
            Form().findChild<QLineEdit*>("idEdit")->setText("GOV-2027-A");
            m_frame->Action(ID_RECORD_SAVE)->trigger();
            QVERIFY(m_msgs->Last().text != QString("Updates saved !"));
        } else if (change == "delete" || change == "delete declined") {
            m_msgs->Answer(change == "delete" ? MsgAnswer::Yes : MsgAnswer::No);
            m_frame->Action(ID_RECORD_DELETE)->trigger();
        } else if (change == "delete many" || change == "delete none") {
            Form().DeleteMatured(change == "delete many" ? 46362.0 : 1.0);
        } else if (change == "new") {
            m_app->Document()->SetModifiedFlag(false);
            m_app->OnFileNew();
        } else if (change == "open") {
            QVERIFY(m_app->OpenDocumentFile(m_dir->filePath("sample.bnd")));
        } else if (change == "open broken") {
            const QString path = m_dir->filePath("broken.bnd");
            QFile file(path);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(QByteArray(20, '\x01'));
            file.close();
            QVERIFY(!m_app->OpenDocumentFile(path));
        } else if (change == "move") {
            m_frame->Action(ID_MOVE_LAST)->trigger();
        }
        QCOMPARE(View().topLevelItemCount(), keepsRows ? rows : 0);
    }

    void updateAllRepricesTheOpenDatabase()
    {
        CBond& current = ***Form().m_posCurrent;
        QCOMPARE(current.m_strID, std::string("GOV-2027-A"));
        const int standDay = DaySerial(m_frame->StandDate());
        int alive = 0;
        for (const auto& bond : Form().m_bondList.m_list)
            alive += bond->m_nMaturity > standDay;

        // Closing without a Save changes nothing.
        QTimer::singleShot(0, [] {
            auto* dlg = qobject_cast<CPriceUpdateDlg*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            dlg->findChild<QPushButton*>("closeButton")->click();
        });
        m_frame->Action(ID_UPDATE_ALL)->trigger();
        QVERIFY(!m_app->Document()->IsModified());

        int rows = -1;
        QTimer::singleShot(0, [&rows] {
            auto* dlg = qobject_cast<CPriceUpdateDlg*>(QApplication::activeModalWidget());
            QVERIFY(dlg);
            auto* list = dlg->findChild<QTreeWidget*>("priceList");
            rows = list->topLevelItemCount();
            QTreeWidgetItem* item = list->findItems("GOV-2027-A", Qt::MatchExactly, 1).value(0);
            QVERIFY(item);
            list->setCurrentItem(item);
            list->editItem(item, 0);
            auto* editor = list->findChild<QLineEdit*>("priceEditor");
            QVERIFY(editor);
            editor->setText("97.3");
            dlg->findChild<QPushButton*>("saveButton")->click();
            dlg->findChild<QPushButton*>("closeButton")->click();
        });
        m_frame->Action(ID_UPDATE_ALL)->trigger();
        QCOMPARE(rows, std::min(alive, kBondsPerPage));
        QCOMPARE(current.m_fPrice, 97.3f);
        QVERIFY(m_app->Document()->IsModified());
        QCOMPARE(Form().findChild<QLineEdit*>("priceEdit")->text(), QString("97.30"));
    }
};

QTEST_MAIN(TestListViewFrame)
#include "tst_listview_frame.moc"
