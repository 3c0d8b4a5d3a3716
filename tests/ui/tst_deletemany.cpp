// Delete many: the dialog that asks for the day, and the form's removal of
// every bond maturing before it.

#include "editor/inview.h"
#include "shell/datepicker.h"
#include "shell/deletemanydlg.h"
#include "support/app.h"

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::Day;

namespace {

class CountingHost final : public FormHost {
public:
    double StandDate() const override { return 0; }
    double Horizon() const override { return 0; }
    bool SquareM() const override { return false; }
    void SetModified() override { ++modified; }
    void ClearListView() override { ++listCleared; }
    int modified = 0;
    int listCleared = 0;
};

} // namespace

class TestDeleteMany : public QObject {
    Q_OBJECT
private slots:
    void dialogYieldsThePickedDateOnlyOnOk()
    {
        test::FakeClock clock(Day(2024, 3, 15) + 0.75);
        CDeleteManyDlg dlg;
        auto* picker = dlg.findChild<DatePicker*>();
        QCOMPARE(picker->Value(), Day(2024, 3, 15) + 0.75);
        dlg.show();
        picker->SetValue(Day(2030, 6, 1) + 0.25);
        // Deleting is not undone: Enter alone confirms nothing.
        QTest::keyClick(&dlg, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QTest::mouseClick(dlg.findChild<QPushButton*>("cancelButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_dtBefore, 0.0);
        dlg.show();
        QTest::mouseClick(dlg.findChild<QPushButton*>("okButton"), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_dtBefore, Day(2030, 6, 1) + 0.25);
    }

    void deletesWhatMaturesBeforeTheDay()
    {
        test::FakeMessages msgs;
        CountingHost host;
        CInView form;
        form.SetHost(&host);
        const auto idShown = [&form] { return form.findChild<QLineEdit*>("idEdit")->text(); };
        for (int i = 0; i < 10; ++i) {
            // Three mature the day before, one on the day itself.
            const double maturity = i == 2 || i == 4 || i == 9 ? Day(2024, 3, 14)
                                    : i == 6                   ? Day(2024, 3, 15)
                                                               : Day(2040, 1, 1);
            auto b = std::make_unique<CBondStd>(0);
            b->SetData(12, 1.f, 100.f, 90.f, Day(2000, 1, 1), maturity, "B" + std::to_string(i), "");
            form.m_bondList.m_list.push_back(std::move(b));
        }
        form.OnInitialUpdate();
        form.MoveNext();

        // Nothing before the day: the count, and nothing else changes.
        form.DeleteMatured(Day(2024, 3, 14) + 0.9);
        QCOMPARE(msgs.Texts(), QStringList({"Deleted 0 bonds of 10 total ."}));
        QCOMPARE(host.listCleared + host.modified, 0);
        QCOMPARE(idShown(), "B1");

        form.DeleteMatured(Day(2024, 3, 15) + 0.99); // the time of day plays no part
        QCOMPARE(msgs.Last().text, "Deleted 3 bonds of 10 total .");
        QCOMPARE(msgs.Last().caption, "tenvix");
        std::string ids;
        for (const auto& b : form.m_bondList.m_list)
            ids += b->m_strID;
        QCOMPARE(ids, "B0B1B3B5B6B7B8");
        QCOMPARE(idShown(), "B0");
        QCOMPARE(host.listCleared, 1);
        QCOMPARE(host.modified, 1);

        form.DeleteMatured(Day(2050, 1, 1));
        QCOMPARE(msgs.Last().text, "Deleted 7 bonds of 7 total .");
        QVERIFY(form.m_bondList.m_list.empty() && !form.m_posCurrent);
        QCOMPARE(idShown(), "");
        QVERIFY(!form.findChild<QLineEdit*>("idEdit")->isEnabled());
    }
};

QTEST_MAIN(TestDeleteMany)
#include "tst_deletemany.moc"
