// The record form driven through its widgets, with a fake frame behind it and
// the message seam recording every box.

#include "editor/inview.h"
#include "editor/paymentgrid.h"
#include "model/date.h"
#include "shell/datepicker.h"
#include "shell/datetext.h"
#include "support/fakes.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>

using namespace tenvix;
using namespace tenvix::ui;
using tenvix::test::FakeClock;
using tenvix::test::FakeMessages;

namespace {

class FakeHost final : public FormHost {
public:
    double StandDate() const override { return stand; }
    double Horizon() const override { return horizon; }
    bool SquareM() const override { return squareM; }
    void SetModified() override { ++modified; }
    void ClearListView() override { ++listCleared; }

    double stand = 0;
    double horizon = 0;
    bool squareM = false;
    int modified = 0;
    int listCleared = 0;
};

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

std::unique_ptr<CBondStd> StdBond(const char* id, float price, float coupon, float face, int period, double release,
                                  double maturity)
{
    auto b = std::make_unique<CBondStd>(0);
    b->SetData(period, coupon, face, price, release, maturity, id, "Name " + std::string(id));
    return b;
}

std::unique_ptr<CBondFree> FreeBond(const char* id, float price, double release,
                                    std::vector<CASHFLOW> flows)
{
    auto b = std::make_unique<CBondFree>(0);
    b->m_strID = id;
    b->m_fPrice = price;
    b->m_nRelease = DaySerial(release);
    b->m_cashflows = std::move(flows);
    b->m_nMaturity = b->m_cashflows.empty() ? b->m_nRelease : b->m_cashflows.back().m_nDate;
    return b;
}

} // namespace

class TestInView : public QObject {
    Q_OBJECT

    template <class T>
    T* Child(const char* name)
    {
        T* w = m_form->findChild<T*>(QLatin1String(name));
        if (!w)
            qFatal("no child %s", name);
        return w;
    }
    QLineEdit* Edit(const char* name) { return Child<QLineEdit>(name); }
    PaymentGrid* Grid() { return Child<PaymentGrid>("paymentGrid"); }

    std::unique_ptr<FakeClock> m_clock;
    std::unique_ptr<FakeMessages> m_msgs;
    std::unique_ptr<FakeHost> m_host;
    std::unique_ptr<CInView> m_form;

private slots:
    void init()
    {
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        m_clock = std::make_unique<FakeClock>(Day(2024, 3, 15) + 0.5);
        m_msgs = std::make_unique<FakeMessages>();
        m_host = std::make_unique<FakeHost>();
        m_host->stand = Day(2024, 3, 15);
        m_host->horizon = Day(2027, 3, 15);
        m_form = std::make_unique<CInView>();
        m_form->SetHost(m_host.get());
    }
    void cleanup()
    {
        m_form.reset();
        m_host.reset();
        m_msgs.reset();
        m_clock.reset();
    }

    void showsBothKindsOfRecord()
    {
        m_form->m_bondList.m_list.push_back(StdBond("A1", 99.999f, 5.f, 100.f, 6, Day(2020, 1, 1), Day(2030, 1, 1)));
        m_form->m_bondList.m_list.push_back(FreeBond("B2", 90.f, Day(2020, 1, 1),
                                                     {{DaySerial(Day(2025, 6, 1)), 5.f},
                                                      {DaySerial(Day(2024, 6, 1)), 105.004f},
                                                      {DaySerial(Day(2026, 1, 2)), 7.5f}}));
        m_form->OnInitialUpdate();
        QVERIFY(m_form->m_posCurrent == m_form->m_bondList.m_list.begin());
        QCOMPARE(Edit("idEdit")->text(), "A1");
        QCOMPARE(Edit("priceEdit")->text(), "100.00");
        QCOMPARE(Edit("couponEdit")->text(), "5.00");
        QCOMPARE(Child<QComboBox>("payPeriodBox")->currentText(), "6");
        QVERIFY(Edit("idEdit")->isEnabled());

        m_form->MoveNext();
        QCOMPARE(Edit("idEdit")->text(), "B2");
        QCOMPARE(Child<QSpinBox>("periodsBox")->value(), 3);
        QCOMPARE(Grid()->RowCount(), 3);
        QCOMPARE(Grid()->Text(1, 0), "105.00");
        QCOMPARE(Grid()->Text(1, 1), "6/1/2024");
        QCOMPARE(Grid()->Text(2, 2), "3");
        QCOMPARE(Child<QTabBar>("typeTabs")->currentIndex(), 1);
    }
};

QTEST_MAIN(TestInView)
#include "tst_inview.moc"
