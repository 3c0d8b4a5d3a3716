// Importing bonds in the windows: the verdict on every row before anything
// changes, then Apply, after which the frame shows the records anew, marks the
// document changed and says what was done. What the verdicts are is the
// core's test; here it is what the user sees of them.

#include "bondimport/bondimportdlg.h"
#include "support/windows.h"

using namespace tenvix;
using namespace tenvix::ui;
using namespace tenvix::test;

namespace {

const QByteArray kBonds = "type,id,name,release,maturity,price,coupon,period_months,face,payments\r\n"
                          "I,GOV-2027-A,Government 4.00% 2027,2017-07-04,2027-07-04,101.349998,4,12,100,\r\n"
                          "I,GOV-2029-A,Government 2.50% 2029,2019-02-15,2029-02-15,99,2.5,12,100,\r\n"
                          "II,NEW-1,New loan,2026-01-01,2030-01-01,90,,,,50@2028-01-01;50@2030-01-01\r\n"
                          "I,NEW-2,,2026-01-01,2036-01-01,100,abc,12,100,\r\n";

} // namespace

class TestBondImport : public QObject {
    Q_OBJECT

private slots:
    // The preview shows every row's verdict and the counts with nothing
    // changed; Apply replaces GOV-2029-A in its place and adds NEW-1 at the
    // end once the window has closed.
    void previewThenApply()
    {
        SampleApp app;
        QVERIFY(app.frame);
        const auto& bonds = app.frame->BondList().m_list;
        const std::size_t before = bonds.size();
        const QString path = Written(app.dir.filePath("bonds.csv"), kBonds);
        Import<BondImportDialog>(app, app.frame->Action(ID_FILE_IMPORT_BONDS), path, [&](BondImportDialog* dlg) {
            QCOMPARE(dlg->findChild<QLabel*>("source")->text(), path);
            QCOMPARE(Rows(Verdicts(dlg)), QList<QStringList>({{"2", "GOV-2027-A", "Unchanged", ""},
                                                              {"3", "GOV-2029-A", "Replace", ""},
                                                              {"4", "NEW-1", "Add", ""},
                                                              {"5", "NEW-2", "Refused", "Invalid Coupon !"}}));
            QCOMPARE(dlg->findChild<QLabel*>("summary")->text(),
                     QString("Rows: 4. To add: 1. To replace: 1. Unchanged: 1. Refused: 1."));
            QCOMPARE(bonds.size(), before);
            QVERIFY(!app.Doc().IsModified());
            Click(dlg, "applyButton");
        });
        QCOMPARE(bonds.size(), before + 1);
        QCOMPARE(bonds.back()->m_strID, std::string("NEW-1"));
        QCOMPARE(bonds.back()->GetType(), int(BOND_TYPE_FREE));
        const CBond& second = **std::next(bonds.begin());
        QCOMPARE(std::pair(second.m_strID, second.m_fPrice), std::pair(std::string("GOV-2029-A"), 99.0f));
        QVERIFY(app.Doc().IsModified());
        QCOMPARE(app.msgs.Texts(), QStringList{"1 bond added and 1 replaced ."});
    }
};

QTEST_MAIN(TestBondImport)
#include "tst_bondimport.moc"
