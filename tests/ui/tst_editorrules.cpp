// The form's rules as plain functions: what each entry must look like, which
// failure wins, what the user is told, and what an analysis yields.

#include "editor/formmessages.h"
#include "editor/formrules.h"
#include "support/app.h"
#include "uikit/datetext.h"

using namespace tenvix;
using namespace tenvix::editor;
using tenvix::test::Day;

namespace {

AnalysisOutcome Analyse(CBond& bond, double stand, double horizon, double price, bool squareM = false)
{
    return AnalyseFormBond(bond, stand, horizon, squareM, price, SystemClock());
}

} // namespace

class TestEditorRules : public QObject {
    Q_OBJECT
private slots:
    void messagesOfFormCodes()
    {
        QCOMPARE(FormMessage(-4), "No items !");
        QCOMPARE(FormMessage(12), "Stand date can't be before release date !");
        QCOMPARE(FormMessage(18), FormMessage(9));
        // Codes that mean nothing give an empty text, never a wrong one.
        for (int code : {0, -1, -3, 14, 27, 16 * 3 + 12, 16 * 3 + 18})
            QVERIFY2(FormMessage(code).empty(), qPrintable(QString::number(code)));

        // The record counts grid rows from 0; the user reads them from 1. The
        // other grid codes and their texts are the core's (SetFromGrid,
        // BondImport tests).
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        const std::string d = "3/15/2026";
        const std::pair<std::vector<GridRow>, const char*> cases[] = {
            {{{"5", d}, {"5", d}, {"0", d}}, "Cashflow in row 3 is too low !"},
            {{{"5 ", "3/15/2000"}}, "Maturity should be later than Release Date !"},
            {{}, "No cashflows !"},
        };
        for (const auto& [grid, message] : cases) {
            const int code = CBondFree(0).SetFromGrid(grid, 1.f, Day(2010, 1, 1), "", "", ui::LocaleDateParser());
            QCOMPARE(FormMessage(code + kGridCodeOffset), message);
        }
        QLocale::setDefault(QLocale::c());
    }

    void stdFields_data()
    {
        // The pay period's own syntax is ReadPayPeriod's core test.
        QTest::addColumn<int>("field"); // 0 coupon, 1 face, 2 price, 3 pay period
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("empty coupon is 0") << 0 << "" << 0;
        QTest::newRow("negative coupon") << 0 << "-0.01" << 2;
        QTest::newRow("face with letters") << 1 << "100a" << 3;
        QTest::newRow("face beyond double") << 1 << "1e400" << 4;
        QTest::newRow("empty price") << 2 << "" << 6;
        QTest::newRow("price floor") << 2 << "0.00001" << 0;
        QTest::newRow("price over ceiling") << 2 << "1.0000001e18" << 6;
        QTest::newRow("period 12.0") << 3 << "12.0" << 7;
        QTest::newRow("period empty") << 3 << "" << 8;
    }

    void stdFields()
    {
        QFETCH(int, field);
        QFETCH(QString, text);
        QFETCH(int, code);
        StdFieldTexts t{"5", "100", "100", "12", Day(2020, 1, 1), Day(2030, 1, 1)};
        std::string* fields[] = {&t.coupon, &t.face, &t.price, &t.payPeriod};
        *fields[field] = text.toStdString();
        StdFields out;
        QCOMPARE(ReadStdFields(t, out), code);
    }

    void freePriceIsReadAsTypedWithTwoFloors()
    {
        double p = -1;
        QCOMPARE(ReadFreePrice("0.00005", kFreePriceFloorSave, p), 0);
        QCOMPARE(p, 0.00005);
        QCOMPARE(ReadFreePrice("0.00005", kFreePriceFloorAnalyse, p), 6);
        QCOMPARE(ReadFreePrice("0.0001", kFreePriceFloorAnalyse, p), 0);
        QCOMPARE(ReadFreePrice("100 ", kFreePriceFloorSave, p), 5);
        QCOMPARE(ReadFreePrice("", kFreePriceFloorSave, p), 6);
    }

    void identifiersCollideAfterTrimmingOnly()
    {
        CBondList list;
        for (const char* id : {" AB ", "ab", "", "X"})
            test::AddRecord(list, id);
        const auto first = list.m_list.begin();
        const auto last = std::prev(list.m_list.end());
        QVERIFY(IsIDOccupied(list, last, "\tAB"));
        QVERIFY(!IsIDOccupied(list, first, "AB")); // its own identifier
        QVERIFY(IsIDOccupied(list, last, "  ")); // blank meets empty
        QVERIFY(IsIDOccupied(list, std::nullopt, "X"));
        QVERIFY(!IsIDOccupied(list, last, "X"));
    }

    // The figures and the order of the checks are the core's (bond and
    // AnalyseRecord tests); here what the form makes of each outcome.
    void analysisOutcomesAsTheFormTellsThem()
    {
        // At par on a coupon date the yield is the coupon rate, compounded
        // yearly for half-year coupons.
        CBondStd bond(0);
        bond.SetData(6, 4.f, 100.f, 100.f, Day(2020, 1, 1), Day(2030, 1, 1), "", "");
        AnalysisOutcome r = Analyse(bond, Day(2025, 1, 1), Day(2027, 1, 1), 100.0, true);
        QCOMPARE(r.kind, AnalysisOutcome::Result);
        QVERIFY(std::fabs(r.ytm - (1.04 * 1.04 - 1)) < 1e-7);
        QCOMPARE(r.horizonYears, 2.0);
        QCOMPARE(Analyse(bond, Day(2025, 1, 1), Day(2025, 1, 1), 100.0, true).code, 11);

        bond.SetData(12, 1.f, 100.f, 150.f, Day(2020, 1, 1), Day(2022, 1, 1), "", "");
        QCOMPARE(Analyse(bond, Day(2023, 1, 1), Day(2024, 1, 1), 150).kind, AnalysisOutcome::PriceTooHigh);
        bond.m_fPrice = 90.f;
        QCOMPARE(Analyse(bond, Day(2023, 1, 1), Day(2024, 1, 1), 90).code, 10);
        QCOMPARE(Analyse(bond, Day(2019, 1, 1), Day(2024, 1, 1), 90).code, 12);

        // A tiny price for a huge repayment tomorrow needs a yield beyond any
        // the search may try. Finding no yield is told like any other outcome
        // the form refuses.
        bond.SetData(12, 0.f, 1e18f, 0.00001f, Day(2020, 1, 1), Day(2025, 1, 2), "", "");
        r = Analyse(bond, Day(2025, 1, 1), Day(2026, 1, 1), 0.00001);
        QCOMPARE(r.kind, AnalysisOutcome::NoYield);
        QCOMPARE(FormMessage(r.code), "Bad YTM .");
        bond.SetData(12, 1.f, 100.f, 150.f, Day(2020, 1, 1), Day(2022, 1, 1), "", "");
        QCOMPARE(FormMessage(Analyse(bond, Day(2020, 6, 1), Day(2021, 1, 1), 150).code), "Bad YTM !");
    }

    void texts()
    {
        AnalysisOutcome r;
        r.ytm = 0.0525;
        r.duration = 3.25;
        r.m2 = 1.0 / 3;
        r.horizonYears = 2;
        QCOMPARE(ResultText(r, false), "YTM=0.05250000\nD=3.25000000");
        QCOMPARE(ResultText(r, true), "YTM=0.05250000\nD=3.25000000\nM2=0.33333333\n\nIH=2.00000000");
    }
};

QTEST_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
