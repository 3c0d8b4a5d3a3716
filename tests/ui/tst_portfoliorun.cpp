// Run opens the portfolio window from the main frame: with the pickers'
// dates and the open database, and a price changed there marks the document.

#include "editor/inview.h"
#include "portfolio/portfoliodlg.h"
#include "portfolio/updatebonddlg.h"
#include "shell/datepicker.h"
#include "shell/mainframe.h"
#include "shell/tenvixapp.h"
#include "shell/tenvixdoc.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <functional>

using namespace tenvix;
using namespace tenvix::ui;

class TestPortfolioRun : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    QTemporaryDir m_dir;
    std::unique_ptr<test::FakeMessages> m_msgs;
    std::unique_ptr<test::FakeFileChooser> m_chooser;
    std::unique_ptr<test::FakeClock> m_clock;
    std::unique_ptr<CTenvixApp> m_app;

    CMainFrame* Start()
    {
        const QString path = m_dir.filePath("db.bnd");
        QFile::remove(path);
        QFile::copy(QStringLiteral(TENVIX_SOURCE_DIR "/examples/sample.bnd"), path);
        m_app = std::make_unique<CTenvixApp>();
        if (!m_app->InitInstance({"tenvix", path}))
            return nullptr;
        return m_app->MainFrame();
    }

    // Triggers Run and hands the open window to `act`, which must close it.
    void Run(CMainFrame* f, std::function<void(CPortfolioDlg*)> act)
    {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<CPortfolioDlg*>(QApplication::activeModalWidget());
            opened = dlg != nullptr;
            if (!dlg) {
                if (QWidget* w = QApplication::activeModalWidget())
                    w->close();
                return;
            }
            act(dlg);
            if (dlg->isVisible())
                dlg->findChild<QPushButton*>("close")->click();
        });
        f->Action(ID_RUN_PORTFOLIO)->trigger();
        QVERIFY(opened);
    }

private slots:
    void initTestCase()
    {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, m_settingsDir.path());
    }
    void init()
    {
        m_msgs = std::make_unique<test::FakeMessages>();
        m_chooser = std::make_unique<test::FakeFileChooser>();
        m_clock = std::make_unique<test::FakeClock>(46362.75);
    }
    void cleanup()
    {
        if (m_app && m_app->MainFrame())
            m_app->Document()->SetModifiedFlag(false);
        m_app.reset();
        m_clock.reset();
        m_chooser.reset();
        m_msgs.reset();
    }

    void runHandsOverTheDatesAndTheDatabase()
    {
        CMainFrame* f = Start();
        QVERIFY(f);
        f->findChild<DatePicker*>("StandDate")->SetValue(45838.25); // 30 June 2025, 06:00
        f->findChild<DatePicker*>("Horizon")->SetValue(48395.0);    // 30 June 2032
        const double stand = f->StandDate();
        const double horizon = f->Horizon();
        Run(f, [&](CPortfolioDlg* dlg) {
            QCOMPARE(*dlg->m_pStandDate, stand);
            QCOMPARE(*dlg->m_pHorizon, horizon);
            QCOMPARE(dlg->m_pBondList, &f->Form()->m_bondList.m_list);
            dlg->AddRow("GOV-2034-A", 10);
            QCOMPARE(dlg->CellText(0, CPortfolioDlg::ColYTM), QStringLiteral("0.03501497"));
        });
        // Adding rows changes no bond the document stores.
        QVERIFY(!m_app->Document()->IsModified());
    }

    void aPriceChangedThereMarksTheDocument()
    {
        CMainFrame* f = Start();
        QVERIFY(f);
        CBond* first = f->Form()->m_bondList.m_list.front().get();
        const QString id = QString::fromStdString(first->m_strID);
        Run(f, [&](CPortfolioDlg* dlg) {
            dlg->AddRow(id, 1);
            auto* list = dlg->findChild<QTreeWidget*>("rows");
            list->setCurrentItem(list->topLevelItem(0));
            QTimer::singleShot(0, [] {
                auto* upd = qobject_cast<CUpdateBondDlg*>(QApplication::activeModalWidget());
                QVERIFY(upd);
                upd->findChild<QLineEdit*>("price")->setText("88.5");
                upd->accept();
            });
            dlg->findChild<QPushButton*>("update")->click();
            QVERIFY(dlg->m_bPricesChanged);
        });
        QCOMPARE(first->m_fPrice, 88.5f);
        QVERIFY(m_app->Document()->IsModified());
        QCOMPARE(f->Form()->findChild<QLineEdit*>("priceEdit")->text(), QStringLiteral("88.50"));
    }
};

QTEST_MAIN(TestPortfolioRun)
#include "tst_portfoliorun.moc"
