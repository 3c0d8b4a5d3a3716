// Importing bonds in the windows: the verdict on every row before anything
// changes, then Apply, after which the frame shows the records anew, marks the
// document changed and says what was done. What the verdicts are is the
// core's test; here it is what the user sees of them.

#include "bondimport/bondimportdlg.h"
#include "support/app.h"

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::WhenModal;

namespace {

const QByteArray kBonds = "type,id,name,release,maturity,price,coupon,period_months,face,payments\r\n"
                          "I,GOV-2027-A,Government 4.00% 2027,2017-07-04,2027-07-04,101.349998,4,12,100,\r\n"
                          "I,GOV-2029-A,Government 2.50% 2029,2019-02-15,2029-02-15,99,2.5,12,100,\r\n"
                          "II,NEW-1,New loan,2026-01-01,2030-01-01,90,,,,50@2028-01-01;50@2030-01-01\r\n"
                          "I,NEW-2,,2026-01-01,2036-01-01,100,abc,12,100,\r\n";

} // namespace

class TestBondImport : public QObject {
    Q_OBJECT
    std::unique_ptr<test::App> m_app;
    CMainFrame* m_frame = nullptr;

    CBondList& Bonds() { return m_frame->BondList(); }
    static QAbstractItemModel* Table(BondImportDialog* dlg) { return dlg->findChild<QTableView*>("verdicts")->model(); }
    static QStringList Row(BondImportDialog* dlg, int row)
    {
        QStringList cells;
        for (int c = 0; c < Table(dlg)->columnCount(); ++c)
            cells << Table(dlg)->index(row, c).data().toString();
        return cells;
    }
    static void Click(QWidget* dlg, const char* name) { dlg->findChild<QPushButton*>(name)->click(); }

private slots:
    void init()
    {
        m_app = std::make_unique<test::App>();
        m_frame = m_app->Start({"tenvix", m_app->Copy("sample.bnd")});
        QVERIFY(m_frame);
    }
    void cleanup()
    {
        m_frame = nullptr;
        m_app.reset();
    }

    // The preview shows every row's verdict and the counts with nothing
    // changed; Apply replaces GOV-2029-A in its place and adds NEW-1 at the
    // end once the window has closed.
    void previewThenApply()
    {
        const std::size_t before = Bonds().m_list.size();
        const QString path = m_app->dir.filePath("bonds.csv");
        test::WriteAll(path, kBonds);
        m_app->chooser.Answer(path);
        WhenModal<BondImportDialog>([&](BondImportDialog* dlg) {
            Click(dlg, "fileButton");
            QCOMPARE(dlg->findChild<QLabel*>("source")->text(), path);
            QCOMPARE(Table(dlg)->rowCount(), 4);
            QCOMPARE(Row(dlg, 0), QStringList({"2", "GOV-2027-A", "Unchanged", ""}));
            QCOMPARE(Row(dlg, 1), QStringList({"3", "GOV-2029-A", "Replace", ""}));
            QCOMPARE(Row(dlg, 2), QStringList({"4", "NEW-1", "Add", ""}));
            QCOMPARE(Row(dlg, 3), QStringList({"5", "NEW-2", "Refused", "Invalid Coupon !"}));
            QCOMPARE(dlg->findChild<QLabel*>("summary")->text(),
                     QString("Rows: 4. To add: 1. To replace: 1. Unchanged: 1. Refused: 1."));
            QCOMPARE(Bonds().m_list.size(), before);
            QVERIFY(!m_app->Doc().IsModified());
            Click(dlg, "applyButton");
        });
        m_frame->Action(ID_FILE_IMPORT_BONDS)->trigger();

        QCOMPARE(Bonds().m_list.size(), before + 1);
        QCOMPARE(Bonds().m_list.back()->m_strID, std::string("NEW-1"));
        QCOMPARE(Bonds().m_list.back()->GetType(), int(BOND_TYPE_FREE));
        QCOMPARE((*std::next(Bonds().m_list.begin()))->m_strID, std::string("GOV-2029-A"));
        QCOMPARE((*std::next(Bonds().m_list.begin()))->m_fPrice, 99.0f);
        QVERIFY(m_app->Doc().IsModified());
        QCOMPARE(m_app->msgs.Texts(), QStringList{"1 bond added and 1 replaced ."});
    }
};

QTEST_MAIN(TestBondImport)
#include "tst_bondimport.moc"
