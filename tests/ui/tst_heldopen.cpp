// Opening a database frees every bond of the one before. A request to open
// (a second start, a drop, a recent file, New, Open) that arrives while a
// window, a question or a scan is working on those bonds waits until the
// last of them has closed, and then goes through the usual save question.
// The message box double runs a real nested event loop, as a box on screen
// does, so requests arrive while it is up.

#include "bondimport/bondimportdlg.h"
#include "editor/inview.h"
#include "model/bondlookup.h"
#include "portfolio/immunizedlg.h"
#include "portfolio/portfoliodlg.h"
#include "portfolio/updatebonddlg.h"
#include "prices/priceimportdlg.h"
#include "prices/priceupdatedlg.h"
#include "shell/deletemanydlg.h"
#include "shell/instance.h"
#include "support/app.h"
#include "support/pricelist.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Deliver;
using tenvix::test::ReadDatabase;
using tenvix::test::WhenModal;

namespace {

// The price of `id` stored in `path`; -1 when it isn't there.
float PriceIn(const QString& path, const std::string& id)
{
    const CBondList list = ReadDatabase(path);
    const CBond* b = MatchBondID(list.m_list, id).firstExact;
    return b ? b->m_fPrice : -1.f;
}

} // namespace

class TestHeldOpen : public QObject {
    Q_OBJECT
    using App = test::AppWith<test::NestedMessages>;
    std::unique_ptr<App> m_app;
    std::unique_ptr<InstanceChannel> m_channel;
    CMainFrame* m_frame = nullptr;
    QString m_sample; // the open database, a copy of the sample
    QString m_other;  // a second database of two bonds
    qsizetype m_nSampleBonds = 0;
    // What happened, in order: the title inside a window or question,
    // windows closing, databases opening.
    QStringList m_log;

    test::NestedMessages& Msgs() { return m_app->msgs; }
    CTenvixDoc& Doc() { return m_app->Doc(); }
    CInView& Form() { return *m_frame->Form(); }
    qsizetype Bonds() { return qsizetype(Form().m_bondList.m_list.size()); }

    // A second start hands `path` over: the channel has read it (see
    // secondStartOverTheChannelWaits for the socket itself).
    void SecondStart(const QString& path) { emit m_channel->PathReceived(path); }
    void NoteTitle() { m_log << "inside " + Doc().GetTitle(); }
    // A second start for the other database, handled inside the running
    // loop; the title the document has then goes into the log.
    void OpenArrives()
    {
        SecondStart(m_other);
        Deliver();
        NoteTitle();
    }
    void LogClosing(QDialog* dlg)
    {
        connect(dlg, &QDialog::finished, this, [this, dlg] { m_log << "closed " + dlg->objectName(); });
    }

    // Runs `body` in the window of type T that command `id` opens, and logs
    // its closing.
    template <class T, class F>
    void InWindow(int id, F body)
    {
        WhenModal<T>([this, body](T* dlg) {
            LogClosing(dlg);
            body(dlg);
        });
        m_frame->Action(id)->trigger();
    }

    // Runs `body` in the portfolio window the frame opens (modal), or in one
    // of the test's own that isn't modal, and closes it; No to "Save the
    // portfolio ?".
    void InPortfolioWindow(bool modal, const std::function<void(CPortfolioDlg*)>& body)
    {
        test::SetDates(m_frame, test::Day(2026, 12, 6), test::Day(2031, 12, 6));
        Msgs().Answer(MsgAnswer::No);
        if (modal) {
            return InWindow<CPortfolioDlg>(ID_RUN_PORTFOLIO, [&](CPortfolioDlg* dlg) {
                body(dlg);
                dlg->findChild<QPushButton*>("close")->click();
            });
        }
        const double stand = m_frame->StandDate();
        const double horizon = m_frame->Horizon();
        CPortfolioDlg dlg(m_frame);
        dlg.m_pStandDate = &stand;
        dlg.m_pHorizon = &horizon;
        dlg.m_pBondList = &Form().m_bondList.m_list;
        dlg.show();
        LogClosing(&dlg);
        body(&dlg);
        dlg.close();
    }

private slots:
    void init()
    {
        m_app = std::make_unique<App>();
        m_sample = m_app->Copy("sample.bnd");
        m_other = m_app->dir.filePath("other.bnd");
        test::WriteAll(m_other, test::Database({"OTHER-1", "OTHER-2"}));

        m_frame = m_app->Start({"tenvix", m_sample});
        QVERIFY(m_frame);
        m_channel = std::make_unique<InstanceChannel>(QStringLiteral("unused"));
        m_app->app->AcceptFilesFrom(*m_channel);
        m_nSampleBonds = Bonds();
        QVERIFY(test::Exposed(m_frame));
        m_log.clear();
        // A save names the document again; only a change of name counts.
        connect(&Doc(), &CTenvixDoc::TitleChanged, this,
                [this, shown = Doc().GetTitle()](const QString& title) mutable {
                    if (title != shown)
                        m_log << "opened " + title;
                    shown = title;
                });
    }
    void cleanup()
    {
        m_app.reset();
        m_channel.reset();
    }

    // Calculate after an open arrived used to run on freed bonds. Now the
    // open waits, through the question about the rows at the close too; the
    // price changed in the window marks the database before the open runs,
    // so the open asks first, and Yes keeps it.
    void portfolioWindowHoldsTheOpen()
    {
        test::SetDates(m_frame, test::Day(2025, 6, 30), test::Day(2032, 6, 30));
        Msgs().Answer(MsgAnswer::No, [&] { OpenArrives(); }); // "Save the portfolio ?"
        Msgs().Answer(MsgAnswer::Yes);                        // "Save changes to sample.bnd?"
        InWindow<CPortfolioDlg>(ID_RUN_PORTFOLIO, [&](CPortfolioDlg* dlg) {
            dlg->AddRow("GOV-2034-A", 10);
            auto* rows = dlg->findChild<QTreeView*>("rows");
            rows->setCurrentIndex(rows->model()->index(0, 0));
            WhenModal<CUpdateBondDlg>([](CUpdateBondDlg* upd) {
                upd->findChild<QLineEdit*>("price")->setText("88.5");
                upd->accept();
            });
            dlg->findChild<QPushButton*>("update")->click();
            OpenArrives();
            dlg->findChild<QPushButton*>("calculate")->click();
            dlg->findChild<QPushButton*>("close")->click();
        });
        QVERIFY(Msgs().Texts().value(0).startsWith("Bond portfolio :\nYTM="));

        QTRY_COMPARE(
            m_log, QStringList({"inside sample.bnd", "inside sample.bnd", "closed portfolioDlg", "opened other.bnd"}));
        QCOMPARE(Msgs().Texts().mid(1), QStringList({"Save the portfolio ?", "Save changes to sample.bnd?"}));
        QCOMPARE(PriceIn(m_sample, "GOV-2034-A"), 88.5f);
    }

    // A page Save after an open arrived used to write into freed bonds.
    void priceUpdateWindowHoldsTheOpen()
    {
        Msgs().Answer(MsgAnswer::Yes);
        InWindow<CPriceUpdateDlg>(ID_UPDATE_ALL, [&](CPriceUpdateDlg* dlg) {
            QVERIFY(test::GoToBond(dlg, "GOV-2027-A"));
            QVERIFY(test::TypeIntoPrice(dlg, "97.3"));
            OpenArrives();
            dlg->findChild<QPushButton*>("saveButton")->click();
            dlg->findChild<QPushButton*>("closeButton")->click();
        });

        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "closed priceUpdateDlg", "opened other.bnd"}));
        QCOMPARE(Msgs().Texts(), QStringList({"Save changes to sample.bnd?"}));
        QCOMPARE(PriceIn(m_sample, "GOV-2027-A"), 97.3f);
    }

    // Delete many deletes from the database the user chose it for, never
    // from one that replaced it while the dialog was open.
    void deleteManyHoldsTheOpen()
    {
        Msgs().Answer(MsgAnswer::No);
        InWindow<CDeleteManyDlg>(ID_DELETE_MANY, [&](CDeleteManyDlg* dlg) {
            dlg->setObjectName("deleteManyDlg");
            OpenArrives();
            dlg->findChild<DatePicker*>("beforePicker")->SetValue(46362.0);
            dlg->findChild<QPushButton*>("okButton")->click();
        });
        const qsizetype left = Bonds();
        QVERIFY(left < m_nSampleBonds);
        QCOMPARE(Msgs().Texts().value(0),
                 QString("Deleted %1 bonds of %2 total .").arg(m_nSampleBonds - left).arg(m_nSampleBonds));

        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "closed deleteManyDlg", "opened other.bnd"}));
        QCOMPARE(Msgs().Texts().mid(1), QStringList({"Save changes to sample.bnd?"}));
        QCOMPARE(ReadDatabase(m_sample).m_list.size(), std::size_t(m_nSampleBonds)); // No: the file is as it was
    }

    void suggestScanHoldsTheOpen_data()
    {
        test::BoolRows("modal", "in the portfolio window", "in a window of its own");
    }
    // The suggest scan lets events through so that Stop can be pressed; an
    // open that came through there used to free the bonds under the scan.
    // The scan holds it by itself, also in a window that isn't modal.
    void suggestScanHoldsTheOpen()
    {
        QFETCH(bool, modal);
        int suggested = -1;
        InPortfolioWindow(modal, [&](CPortfolioDlg* dlg) {
            dlg->SetPumpInterval(0);
            SecondStart(m_other);
            dlg->Suggest();
            NoteTitle();
            suggested = dlg->RowCount();
        });
        QVERIFY(suggested > 0);
        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "closed portfolioDlg", "opened other.bnd"}));
        // The rows were never saved; the database did not change.
        QCOMPARE(Msgs().Texts(), QStringList{"Save the portfolio ?"});
    }

    void immunizeRunHoldsTheOpen_data() { suggestScanHoldsTheOpen_data(); }
    // Immunize reads the bond list on a worker thread while the window takes
    // events; an open that comes meanwhile waits for the run (by itself, also
    // in a window that isn't modal) and the window. The limits typed are
    // there again the next time.
    void immunizeRunHoldsTheOpen()
    {
        QFETCH(bool, modal);
        InPortfolioWindow(modal, [&](CPortfolioDlg* dlg) {
            std::function<void()> poll = [&] {
                if (!dlg->IsScanning())
                    return QTimer::singleShot(0, poll);
                m_log << "running";
                OpenArrives();
            };
            WhenModal<ImmunizeDialog>([&](ImmunizeDialog* imm) {
                imm->findChild<QLineEdit*>("amount")->setText("250000");
                imm->findChild<QLineEdit*>("share")->setText("30");
                imm->findChild<QLineEdit*>("exclude")->setText("gov-2019-a");
                imm->accept();
                QTimer::singleShot(0, poll);
            });
            dlg->findChild<QPushButton*>("immunize")->click();
        });
        QTRY_COMPARE(m_log, QStringList({"running", "inside sample.bnd", "closed portfolioDlg", "opened other.bnd"}));
        if (!modal)
            return;

        QStringList boxes;
        InWindow<CPortfolioDlg>(ID_RUN_PORTFOLIO, [&](CPortfolioDlg* dlg) {
            WhenModal<ImmunizeDialog>([&](ImmunizeDialog* imm) {
                for (const char* box : {"amount", "rows", "share", "leastYtm", "exclude"})
                    boxes << imm->findChild<QLineEdit*>(box)->text();
                imm->reject();
            });
            dlg->findChild<QPushButton*>("immunize")->click();
            dlg->findChild<QPushButton*>("close")->click();
        });
        QCOMPARE(boxes, QStringList({"250000", "20", "30", "", "gov-2019-a"}));
    }

    // Reading a large price file lets events through for its progress
    // window. An open that comes meanwhile waits for the import window to
    // close, through Apply's question about the large change too, and then
    // asks about the prices it applied.
    void priceImportHoldsTheOpen()
    {
        m_app->clock.SetStep(100); // time passes as it reads: the progress shows
        const QByteArray prices = "ISIN;Kurs\nTSY-2028-S;150\n" + QByteArray("GOV-2027-A;97,3\n").repeated(200000);
        Msgs().Answer(MsgAnswer::Yes); // "1 price changes by more than 20.00 % . Store it too ?"
        Msgs().Answer(MsgAnswer::Yes); // "Save changes to sample.bnd?"
        InWindow<PriceImportDialog>(ID_FILE_IMPORT_PRICES, [&](PriceImportDialog* dlg) {
            QTimer::singleShot(0, this, [this] {
                m_log << "events during the read";
                SecondStart(m_other);
            });
            QVERIFY(dlg->Load(std::string_view(prices.constData(), std::size_t(prices.size())), "test", false));
            m_log << "read";
            Deliver();
            NoteTitle();
            dlg->findChild<QPushButton*>("applyButton")->click();
        });

        QTRY_COMPARE(m_log, QStringList({"events during the read", "read", "inside sample.bnd", "closed priceImportDlg",
                                         "opened other.bnd"}));
        QCOMPARE(Msgs().Texts(), QStringList({"1 price changes by more than 20.00 % . Store it too ?",
                                              "2 prices updated .", "Save changes to sample.bnd?"}));
        QCOMPARE(PriceIn(m_sample, "TSY-2028-S"), 150.0f);
    }

    // The bond import's verdicts point into the bonds while its window is up:
    // an open that arrives meanwhile waits until Apply has added and
    // replaced the records, and then asks about saving them.
    void bondImportHoldsTheOpen()
    {
        const QString path = m_app->dir.filePath("bonds.csv");
        test::WriteAll(path, "type,id,name,release,maturity,price,coupon,period_months,face,payments\r\n"
                             "I,GOV-2027-A,,2017-07-04,2027-07-04,97.5,4,12,100,\r\n"
                             "I,NEW-1,,2026-01-01,2036-01-01,100,3,12,100,\r\n");
        m_app->chooser.Answer(path);
        Msgs().Answer(MsgAnswer::Yes); // "Save changes to sample.bnd?"
        InWindow<BondImportDialog>(ID_FILE_IMPORT_BONDS, [&](BondImportDialog* dlg) {
            dlg->findChild<QPushButton*>("fileButton")->click();
            OpenArrives();
            dlg->findChild<QPushButton*>("applyButton")->click();
        });

        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "closed bondImportDlg", "opened other.bnd"}));
        QCOMPARE(Msgs().Texts(), QStringList({"1 bond added and 1 replaced .", "Save changes to sample.bnd?"}));
        const CBondList saved = ReadDatabase(m_sample);
        QCOMPARE(qsizetype(saved.m_list.size()), m_nSampleBonds + 1);
        QCOMPARE(saved.m_list.front()->m_fPrice, 97.5f); // and the one more is NEW-1
    }

    // The export lets events through while it analyses, with no modal
    // window under it: it holds an open by itself.
    void analysisExportHoldsTheOpen()
    {
        m_app->clock.SetStep(100);
        QTimer::singleShot(0, this, [this] {
            m_log << "events during the export";
            SecondStart(m_other);
        });
        const QString path = m_app->dir.filePath("analysis.csv");
        m_app->chooser.Answer(path);
        m_frame->Action(ID_FILE_EXPORT_ANALYSIS)->trigger();
        NoteTitle(); // the export is done, the open not yet
        QTRY_COMPARE(m_log, QStringList({"events during the export", "inside sample.bnd", "opened other.bnd"}));
        QCOMPARE(test::ReadAll(path).count("\r\n"), m_nSampleBonds + 1);
    }

    // "Delete ?" answered Yes after an open arrived used to erase a record
    // of the freed list.
    void deleteQuestionHoldsTheOpen()
    {
        Msgs().Answer(MsgAnswer::Yes, [&] { OpenArrives(); });
        Msgs().Answer(MsgAnswer::No); // "Save changes to sample.bnd?"
        m_frame->Action(ID_RECORD_DELETE)->trigger();
        QCOMPARE(Bonds(), m_nSampleBonds - 1);
        NoteTitle();
        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "inside sample.bnd", "opened other.bnd"}));
        QCOMPARE(Msgs().Texts(), QStringList({"Delete ?", "Save changes to sample.bnd?"}));
    }

    // "Bond type changed.Save ?" answered Yes after an open arrived used to
    // store the record into a freed slot.
    void typeChangeQuestionHoldsTheOpen()
    {
        auto* tabs = Form().findChild<QTabBar*>("typeTabs");
        QTest::mouseClick(tabs, Qt::LeftButton, {}, tabs->tabRect(1).center());
        Form().findChild<QSpinBox*>("periodsBox")->setValue(1);
        auto* grid = Form().findChild<PaymentGrid*>("paymentGrid");
        grid->SetText(0, 0, "105");
        grid->SetText(0, 1, FormatDate(test::Day(2027, 6, 30)));

        Msgs().Answer(MsgAnswer::Yes, [&] { OpenArrives(); });
        Msgs().Answer(MsgAnswer::Yes); // "Save changes to sample.bnd?"
        m_frame->Action(ID_RECORD_SAVE)->trigger();
        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "opened other.bnd"}));
        QCOMPARE(Msgs().Texts(),
                 QStringList({"Bond type changed.Save ?", "Updates saved !", "Save changes to sample.bnd?"}));
        const CBondList saved = ReadDatabase(m_sample);
        const auto* free = dynamic_cast<const CBondFree*>(MatchBondID(saved.m_list, "GOV-2027-A").firstExact);
        QVERIFY(free);
        QCOMPARE(free->m_cashflows.size(), std::size_t(1));
        QCOMPARE(free->m_cashflows[0].m_fAmount, 105.f);
    }

    // Every way of replacing the database waits alike, and of several
    // requests only the latest is carried out.
    void onlyTheLatestRequestRuns_data()
    {
        QTest::addColumn<QString>("title");
        QTest::newRow("second start") << "other.bnd";
        QTest::newRow("drop") << "other.bnd";
        QTest::newRow("recent file") << "recent.bnd";
        QTest::newRow("new") << "Untitled";
        QTest::newRow("open") << "other.bnd";
    }
    void onlyTheLatestRequestRuns()
    {
        QFETCH(QString, title);
        const QString last = QTest::currentDataTag();
        const QString recent = m_app->Copy("recent.bnd", m_other);
        QVERIFY(m_app->app->OpenDocumentFile(recent));
        QVERIFY(m_app->app->OpenDocumentFile(m_sample)); // recent.bnd is now the second recent file
        const QString first = m_app->Copy("first.bnd");
        m_log.clear();

        qsizetype choosersInside = -1;
        Msgs().Answer(MsgAnswer::No, [&] {
            SecondStart(first);
            Deliver();
            if (last == "second start")
                SecondStart(m_other);
            else if (last == "drop")
                emit m_frame->FilesDropped({m_other});
            else if (last == "recent file")
                m_frame->findChild<QAction*>("actionRecentFile2")->trigger();
            else
                m_frame->Action(last == "new" ? ID_FILE_NEW : ID_FILE_OPEN)->trigger();
            Deliver();
            NoteTitle();
            choosersInside = m_app->chooser.asked.size();
        });
        m_app->chooser.Answer(m_other);
        m_frame->Action(ID_RECORD_DELETE)->trigger();
        QCOMPARE(choosersInside, 0);
        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "opened " + title}));
        QCOMPARE(m_app->chooser.asked.size(), last == "open" ? 1 : 0);
        QTest::qWait(20);
        QCOMPARE(Doc().GetTitle(), title); // the first request is gone
    }

    // A second start for real: its file comes over the channel while a
    // question is up, and waits for it.
    void secondStartOverTheChannelWaits()
    {
        const QString name = QStringLiteral("tenvix-heldopen-%1").arg(QCoreApplication::applicationPid());
        InstanceChannel channel(name);
        QVERIFY(channel.Listen());
        m_app->app->AcceptFilesFrom(channel);
        bool handed = false;
        std::unique_ptr<QThread> second(
            QThread::create([&handed, name, path = m_other] { handed = InstanceChannel(name).HandOver(path); }));
        Msgs().Answer(MsgAnswer::No, [&] {
            second->start();
            QTRY_VERIFY(second->isFinished());
            Deliver();
            NoteTitle();
        });
        m_frame->Action(ID_RECORD_DELETE)->trigger();
        QVERIFY(second->wait(5000));
        QVERIFY(handed);
        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "opened other.bnd"}));
    }

    // With nothing in the way a second start goes through the main loop,
    // and no further, question first. A drop, which opens at once the same
    // way, is tst_mainframe's droppedFilesOpenInTurn.
    void aRequestWithNothingOpenRunsAtOnce()
    {
        Doc().SetModifiedFlag(true);
        Msgs().Answer(MsgAnswer::No);
        SecondStart(m_other);
        Deliver();
        QCOMPARE(Doc().GetTitle(), QString("other.bnd"));
        QCOMPARE(Msgs().Texts(), QStringList({"Save changes to sample.bnd?"}));
    }

    // A modal window opened some other way than the program's own helper
    // holds an open all the same, until it is hidden.
    void anyModalWindowHoldsTheOpen()
    {
        QDialog dlg(m_frame);
        dlg.setObjectName("someDlg");
        LogClosing(&dlg);
        WhenModal<QDialog>([&](QDialog* d) {
            OpenArrives();
            d->reject();
        });
        dlg.exec();
        QTRY_COMPARE(m_log, QStringList({"inside sample.bnd", "closed someDlg", "opened other.bnd"}));
    }
};

QTEST_MAIN(TestHeldOpen)
#include "tst_heldopen.moc"
