// Numbers in the windows whatever the locale: a decimal comma (de_DE, fr_FR)
// or digits of the locale's own (ar_EG) change no amount that is shown, read
// back or saved, while dates keep the locale's own form. Each case runs in
// every locale itself, so it holds in whichever locale the suite was started.

#include "analysis/analysisdlg.h"
#include "editor/inview.h"
#include "model/format.h"
#include "portfolio/portfoliodlg.h"
#include "portfolio/updatebonddlg.h"
#include "support/locale.h"
#include "support/windows.h"
#include "uikit/datepicker.h"
#include "uikit/datetext.h"
#include "uikit/paymentgrid.h"

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;
using tenvix::test::WhenModal;

class TestNumberTexts : public QObject {
    Q_OBJECT

    // The program started in the case's locale over a copy of the sample
    // database, analysing from 6 December 2026 to 6 December 2031.
    std::optional<test::LocaleScope> m_scope; // first: the windows take its locale
    std::unique_ptr<test::SampleApp> m_app;

    CInView& Form() { return *m_app->frame->Form(); }

private slots:
    // Every case runs once in each of these locales.
    void initTestCase_data()
    {
        QTest::addColumn<QByteArray>("locale");
        for (const char* locale : {"en_US.UTF-8", "de_DE.UTF-8", "fr_FR.UTF-8", "ar_EG.UTF-8"})
            QTest::newRow(locale) << QByteArray(locale);
    }
    void init()
    {
        QFETCH_GLOBAL(QByteArray, locale);
        m_scope.emplace(locale);
        QVERIFY2(m_scope->Active(), locale + " is not installed");
        m_app = std::make_unique<test::SampleApp>();
        QVERIFY(m_app->frame);
        test::SetDates(m_app->frame, Day(2026, 12, 6), Day(2031, 12, 6));
    }
    void cleanup()
    {
        m_app.reset();
        m_scope.reset();
    }

    // Every record of the sample, shown and analysed, gives the core's yield
    // for the stored terms; saved as shown, and the database saved, it leaves
    // the file byte for byte, so every amount, payment and row was shown as
    // it reads back. The Periods box's digits are analysisWindowFiguresAndPeriods'
    // (the form's is the same box).
    void everyRecordAnalysesAsStoredAndSavesUnchanged()
    {
        const QByteArray before = test::ReadAll(m_app->dir.filePath("sample.bnd"));
        CInView& form = Form();
        auto& list = form.m_bondList.m_list;
        int analysed = 0;
        QStringList faults; // every record's, rather than the first one's
        const auto expect = [&faults](const QString& what, const QString& actual, const QString& wanted) {
            if (actual != wanted)
                faults << what + ": " + actual + " instead of " + wanted;
        };
        for (auto pos = list.begin(); pos != list.end(); ++pos) {
            const CBond& stored = **pos;
            const QString id = QString::fromStdString(stored.m_strID);
            form.ShowRecordAt(pos);

            std::unique_ptr<CBond> core = test::CopyOf(stored);
            core->SetDates(m_app->frame->StandDate(), m_app->frame->Horizon());
            core->Prepare();
            m_app->msgs.Clear();
            form.OnAnalyse();
            QVERIFY(!m_app->msgs.shown.isEmpty());
            if (core->Validate() == BOND_OK) {
                const QString ytm = QString::fromStdString(FormatFixed(core->GetYTM(m_app->clock), 8));
                expect(id + " analysed", m_app->msgs.Last().text.section(u'\n', 0, 0), "YTM=" + ytm);
                ++analysed;
            }

            form.SaveRecord();
            expect(id + " saved", m_app->msgs.Last().text, QStringLiteral("Updates saved !"));
        }
        QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        QVERIFY(analysed >= 20);
        m_app->frame->Action(ID_FILE_SAVE)->trigger();
        QVERIFY(!m_app->Doc().IsModified());
        QVERIFY(test::ReadAll(m_app->dir.filePath("sample.bnd")) == before);
    }

    // Run hands the pickers' values, time of day included, and the open
    // database to the portfolio window. A price shown there goes back
    // unchanged when its row is updated untouched or with the same price
    // typed again; only a price changed marks the document (and the form
    // shows it, as after a price import: the same call, which
    // tst_importwindows reads). The figures of a row in every locale are
    // tst_portfolio's, which runs in each of them.
    void portfolioChangesOnlyAPriceTypedAnew()
    {
        test::SetDates(m_app->frame, 45838.25, 48395.0); // 30 June 2025, 06:00; 30 June 2032
        const auto& bonds = Form().m_bondList.m_list;
        QStringList prices;
        for (const QString& typed : {QString(), QStringLiteral("101.350"), QStringLiteral("88.5")}) {
            WhenModal<CPortfolioDlg>([&](CPortfolioDlg* dlg) {
                QCOMPARE(std::tuple(*dlg->m_pStandDate, *dlg->m_pHorizon), std::tuple(45838.25, 48395.0));
                QCOMPARE(dlg->m_pBondList, &bonds);
                // The form's record, priced 101.35, which no float holds exactly.
                dlg->AddRow(QString::fromStdString(bonds.front()->m_strID), 1);
                auto* rows = dlg->findChild<QTreeView*>("rows");
                rows->setCurrentIndex(rows->model()->index(0, 0));
                prices << dlg->CellText(0, CPortfolioDlg::ColPrice);
                WhenModal<CUpdateBondDlg>([typed](CUpdateBondDlg* upd) {
                    if (!typed.isNull())
                        upd->findChild<QLineEdit*>("price")->setText(typed);
                    upd->accept();
                    if (upd->isVisible())
                        upd->reject();
                });
                test::Click(dlg, "update");
                prices << dlg->CellText(0, CPortfolioDlg::ColPrice);
                m_app->msgs.Answer(MsgAnswer::No); // "Save the portfolio ?"
                test::Click(dlg, "close");
            });
            m_app->frame->Action(ID_RUN_PORTFOLIO)->trigger();
            QCOMPARE(m_app->Doc().IsModified(), typed == "88.5");
        }
        QCOMPARE(m_app->msgs.Texts(), QStringList(3, "Save the portfolio ?"));
        QCOMPARE(prices, QStringList({"101.35", "101.35", "101.35", "101.35", "101.35", "88.5"}));
    }

    // Where the locale writes a decimal comma, one typed is the decimal mark,
    // and taken as the full stop; elsewhere, or beside a full stop, the field
    // refuses it as before.
    void typedDecimalCommaFollowsTheLocale()
    {
        const bool comma = QLocale().decimalPoint() == QStringLiteral(",");

        // The record form, saving the Type I record it shows first.
        CInView& form = Form();
        const auto pos = form.m_bondList.m_list.begin();
        QCOMPARE((*pos)->GetType(), int(BOND_TYPE_STD));
        const float stored = (*pos)->m_fPrice;
        for (const char* typed : {"1.000,5", "100,5"}) {
            form.findChild<QLineEdit*>("priceEdit")->setText(QString::fromLatin1(typed));
            m_app->msgs.Clear();
            form.SaveRecord();
            const bool read = comma && QByteArray(typed) == "100,5";
            QCOMPARE(m_app->msgs.Texts(), QStringList{read ? "Updates saved !" : "Invalid Spot Price !"});
            QCOMPARE((*pos)->m_fPrice, read ? 100.5f : stored);
        }
    }

    // The Bond Analysis window counts its rows and shows its figures in ASCII
    // with the full stop; its dates are the locale's and read back. A payment
    // and a price typed with a decimal comma are read as in the form, and the
    // grid then shows the payment with the full stop.
    void analysisWindowFiguresAndPeriods()
    {
        m_app->clock.SetNow(Day(2003, 3, 1) + 0.5);
        AnalysisDialog dlg;
        dlg.findChild<DatePicker*>("standDate")->SetValue(Day(2003, 3, 1));
        dlg.findChild<DatePicker*>("horizonDate")->SetValue(Day(2005, 3, 1));
        auto* grid = dlg.findChild<PaymentGrid*>("grid");
        // One payment of 110 a year after the stand date, priced at 100: ten
        // per cent, one year, a horizon one year beyond.
        grid->SetText(0, PaymentGrid::kPayment, QStringLiteral("110"));
        grid->SetText(0, PaymentGrid::kDate, FormatDate(Day(2004, 3, 1)));
        dlg.findChild<QLineEdit*>("spotPrice")->setText(QStringLiteral("100"));
        dlg.findChild<QCheckBox*>("squareMWanted")->setChecked(true);
        dlg.findChild<QPushButton*>("calculate")->click();
        QStringList figures{dlg.findChild<QSpinBox*>("periods")->text(), grid->Text(0, PaymentGrid::kNo)};
        for (const char* box : {"ytm", "d1", "h", "squareM"})
            figures << dlg.findChild<QLineEdit*>(box)->text();
        QCOMPARE(figures, QStringList({"1", "1", "0.10000000", "1.00000000", "2.00000000", "1.00000000"}));

        const bool comma = QLocale().decimalPoint() == QStringLiteral(",");
        grid->editItem(grid->topLevelItem(0), PaymentGrid::kPayment);
        QVERIFY(grid->Editor());
        grid->Editor()->setText(QStringLiteral("110,0"));
        grid->CommitEdit();
        QCOMPARE(grid->Text(0, PaymentGrid::kPayment), comma ? QStringLiteral("110.0") : QStringLiteral("110,0"));
        dlg.findChild<QLineEdit*>("spotPrice")->setText(QStringLiteral("100,0"));
        dlg.findChild<QPushButton*>("calculate")->click();
        QCOMPARE(m_app->msgs.Texts(), comma ? QStringList() : QStringList{"Invalid Spot Price !"});
        QCOMPARE(dlg.findChild<QLineEdit*>("ytm")->text(), comma ? QStringLiteral("0.10000000") : QString());
    }
};

QTEST_MAIN(TestNumberTexts)
#include "tst_numbertexts.moc"
