// The Bond Analysis window as the frame keeps it: there from the start but
// hidden, brought up by Single analysis, and still holding what was typed
// after it was put away or the frame's closing was cancelled.

#include "analysis/analysisdlg.h"
#include "shell/mainframe.h"
#include "shell/settings.h"
#include "shell/tenvixapp.h"
#include "shell/tenvixdoc.h"
#include "support/fakes.h"

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace tenvix;
using namespace tenvix::ui;

class TestAnalysisFrame : public QObject {
    Q_OBJECT
    QTemporaryDir m_settingsDir;
    std::unique_ptr<test::FakeMessages> m_msgs;
    std::unique_ptr<test::FakeClock> m_clock;
    std::unique_ptr<CTenvixApp> m_app;

    static CAnalysisDlg* Window()
    {
        CAnalysisDlg* found = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* dlg = qobject_cast<CAnalysisDlg*>(w)) {
                if (found)
                    qFatal("more than one Bond Analysis window");
                found = dlg;
            }
        return found;
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
        m_msgs = std::make_unique<test::FakeMessages>();
        m_clock = std::make_unique<test::FakeClock>(46362.75);
        m_app = std::make_unique<CTenvixApp>();
        QVERIFY(m_app->InitInstance({"tenvix"}));
    }
    void cleanup()
    {
        m_app.reset();
        m_clock.reset();
        m_msgs.reset();
    }

    void singleAnalysisShowsTheOneWindow()
    {
        CMainFrame* frame = m_app->MainFrame();
        QPointer<CAnalysisDlg> dlg = Window();
        QVERIFY(dlg);
        QVERIFY(!dlg->isVisible());
        QVERIFY(!frame->isAncestorOf(dlg)); // a window of its own

        auto* single = frame->findChild<QAction*>("actionSingleAnalysis");
        QVERIFY(single);
        single->trigger();
        QVERIFY(dlg->isVisible());
        dlg->findChild<QLineEdit*>("spotPrice")->setText("101.5");
        QTest::mouseClick(dlg->findChild<QPushButton*>("exit"), Qt::LeftButton);
        QVERIFY(!dlg->isVisible());

        // Esc and the close box put it away too.
        single->trigger();
        QTest::keyClick(dlg, Qt::Key_Escape);
        QVERIFY(!dlg->isVisible());
        single->trigger();
        QVERIFY(dlg->close());
        QVERIFY(!dlg->isVisible());

        dlg->showMinimized();
        single->trigger();
        QVERIFY(dlg->isVisible());
        QVERIFY(!dlg->isMinimized());
        QCOMPARE(Window(), dlg.data());
        QCOMPARE(dlg->findChild<QLineEdit*>("spotPrice")->text(), QStringLiteral("101.5"));

        // Closing the frame puts it away, keeping it for a cancelled close.
        m_app->Document()->SetModifiedFlag(true);
        m_msgs->Answer(MsgAnswer::Cancel);
        QVERIFY(!frame->close());
        QVERIFY(!dlg->isVisible());
        single->trigger();
        QCOMPARE(dlg->findChild<QLineEdit*>("spotPrice")->text(), QStringLiteral("101.5"));

        m_app->Document()->SetModifiedFlag(false);
        m_app.reset();
        QVERIFY(!dlg);
    }
};

QTEST_MAIN(TestAnalysisFrame)
#include "tst_analysisframe.moc"
