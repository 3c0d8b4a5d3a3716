// Delete many: the dialog that asks for the day, and the form's removal of
// every bond maturing before it.

#include "editor/inview.h"
#include "model/date.h"
#include "shell/datepicker.h"
#include "shell/deletemanydlg.h"
#include "support/fakes.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace tenvix;
using namespace tenvix::ui;

namespace {

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

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
        QCOMPARE(dlg.windowTitle(), "Delete many items");
        auto* picker = dlg.findChild<DatePicker*>();
        QCOMPARE(dlg.findChild<QLabel*>()->buddy(), picker);
        QCOMPARE(picker->Value(), Day(2024, 3, 15) + 0.75);
        auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("okButton"));
        dlg.show();
        QVERIFY(!ok->isDefault());
        picker->SetValue(Day(2030, 6, 1) + 0.25);
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("cancelButton")), Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_dtBefore, 0.0);
        dlg.show();
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_dtBefore, Day(2030, 6, 1) + 0.25);
    }

    void deletesWhatMaturesBeforeTheDay()
    {
        test::FakeMessages msgs;
        CountingHost host;
        CInView form;
        form.SetHost(&host);
        const auto idShown = [&form] { return form.findChild<QLineEdit*>(QStringLiteral("idEdit"))->text(); };
        const int early[] = {2, 4, 9};
        for (int i = 0; i < 10; ++i) {
            auto b = std::make_unique<CBondStd>(0);
            // Three mature the day before, one on the day itself.
            const bool before = std::find(std::begin(early), std::end(early), i) != std::end(early);
            const double maturity = before ? Day(2024, 3, 14) : i == 6 ? Day(2024, 3, 15) : Day(2040, 1, 1);
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
        QCOMPARE(msgs.Last().icon, MsgIcon::Information);
        std::string ids;
        for (const auto& b : form.m_bondList.m_list)
            ids += b->m_strID;
        QCOMPARE(ids, "B0B1B3B5B6B7B8");
        QVERIFY(form.m_posCurrent == form.m_bondList.m_list.begin());
        QCOMPARE(idShown(), "B0");
        QCOMPARE(host.listCleared, 1);
        QCOMPARE(host.modified, 1);

        form.DeleteMatured(Day(2050, 1, 1));
        QCOMPARE(msgs.Last().text, "Deleted 7 bonds of 7 total .");
        QVERIFY(form.m_bondList.m_list.empty() && !form.m_posCurrent);
        QCOMPARE(idShown(), "");
        QVERIFY(!form.findChild<QLineEdit*>(QStringLiteral("idEdit"))->isEnabled());
        QCOMPARE(host.modified, 2);
    }
};

QTEST_MAIN(TestDeleteMany)
#include "tst_deletemany.moc"
