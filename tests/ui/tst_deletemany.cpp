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
using tenvix::test::FakeClock;
using tenvix::test::FakeMessages;

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

    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<FakeMessages> m_msgs;
    CountingHost m_host;
    std::unique_ptr<CInView> m_form;

    // Ten bonds; the ones listed mature on the given days, the rest in 2040.
    void Load(const std::vector<std::pair<int, double>>& maturities)
    {
        for (int i = 0; i < 10; ++i) {
            auto b = std::make_unique<CBondStd>(0);
            double maturity = Day(2040, 1, 1);
            for (auto [index, day] : maturities)
                if (index == i)
                    maturity = day;
            b->SetData(12, 1.f, 100.f, 90.f, Day(2000, 1, 1), maturity, "B" + std::to_string(i), "");
            m_form->m_bondList.m_list.push_back(std::move(b));
        }
        m_form->OnInitialUpdate();
        m_form->MoveNext();
    }
    QString ShownID() { return m_form->findChild<QLineEdit*>(QStringLiteral("idEdit"))->text(); }

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        m_clock = std::make_unique<FakeClock>(Day(2024, 3, 15) + 0.75);
        m_msgs = std::make_unique<FakeMessages>();
        m_host = {};
        m_form = std::make_unique<CInView>();
        m_form->SetHost(&m_host);
    }
    void cleanup()
    {
        m_form.reset();
        m_msgs.reset();
        m_clock.reset();
    }

    void dialogAsksForADayStartingToday()
    {
        CDeleteManyDlg dlg;
        QCOMPARE(dlg.windowTitle(), "Delete many items");
        auto* label = dlg.findChild<QLabel*>();
        QCOMPARE(label->text(), "With maturity &before");
        auto* picker = dlg.findChild<DatePicker*>(QStringLiteral("beforePicker"));
        QCOMPARE(label->buddy(), picker);
        QCOMPARE(picker->Value(), Day(2024, 3, 15) + 0.75);
        auto* ok = dlg.findChild<QPushButton*>(QStringLiteral("okButton"));
        auto* cancel = dlg.findChild<QPushButton*>(QStringLiteral("cancelButton"));
        QCOMPARE(ok->text(), "&OK");
        QCOMPARE(cancel->text(), "&Cancel");

        dlg.show();
        QVERIFY(!ok->isDefault());
        picker->SetValue(Day(2030, 6, 1) + 0.25);
        QTest::mouseClick(cancel, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(dlg.m_dtBefore, 0.0);

        dlg.show();
        QTest::mouseClick(ok, Qt::LeftButton);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(dlg.m_dtBefore, Day(2030, 6, 1) + 0.25);
    }

    void deletesWhatMaturesBeforeTheDay()
    {
        // A bond maturing on the chosen day stays; the time of day is ignored.
        Load({{1, Day(2024, 3, 14)}, {4, Day(2001, 1, 1)}, {9, Day(2024, 3, 14)}, {6, Day(2024, 3, 15)}});
        m_form->DeleteMatured(Day(2024, 3, 15) + 0.99);
        QCOMPARE(m_msgs->Texts(), QStringList({"Deleted 3 bonds of 10 total ."}));
        QCOMPARE(m_msgs->Last().caption, "tenvix");
        QCOMPARE(m_msgs->Last().icon, MsgIcon::Information);
        QCOMPARE(m_form->m_bondList.m_list.size(), std::size_t(7));
        QVERIFY(m_form->m_posCurrent == m_form->m_bondList.m_list.begin());
        QCOMPARE(ShownID(), "B0");
        QCOMPARE(m_host.listCleared, 1);
        QCOMPARE(m_host.modified, 1);
        std::string ids;
        for (const auto& b : m_form->m_bondList.m_list)
            ids += b->m_strID;
        QCOMPARE(ids, "B0B2B3B5B6B7B8");
    }

    void nothingToDeleteChangesNothing()
    {
        Load({{3, Day(2024, 3, 15)}});
        m_form->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->setText("unsaved");
        m_form->DeleteMatured(Day(2024, 3, 15));
        QCOMPARE(m_msgs->Texts(), QStringList({"Deleted 0 bonds of 10 total ."}));
        QCOMPARE(m_host.listCleared + m_host.modified, 0);
        QCOMPARE(ShownID(), "B1");
        QCOMPARE(m_form->findChild<QLineEdit*>(QStringLiteral("nameEdit"))->text(), "unsaved");
    }

    void deletingEverythingEmptiesTheForm()
    {
        Load({});
        m_form->DeleteMatured(Day(2050, 1, 1));
        QCOMPARE(m_msgs->Last().text, "Deleted 10 bonds of 10 total .");
        QVERIFY(m_form->m_bondList.m_list.empty());
        QVERIFY(!m_form->m_posCurrent);
        QCOMPARE(ShownID(), "");
        QVERIFY(!m_form->findChild<QLineEdit*>(QStringLiteral("idEdit"))->isEnabled());
        QCOMPARE(m_host.modified, 1);

        m_msgs->Clear();
        m_form->DeleteMatured(Day(2050, 1, 1)); // an empty list still reports
        QCOMPARE(m_msgs->Texts(), QStringList({"Deleted 0 bonds of 0 total ."}));
    }
};

QTEST_MAIN(TestDeleteMany)
#include "tst_deletemany.moc"
