// The record form's rules as plain functions: what each entry must look like,
// which failure wins when several entries are wrong, what the user is told,
// and what an analysis yields. No widgets are made here.

#include "editor/formrules.h"
#include "model/date.h"
#include "shell/datetext.h"

#include <QTest>

using namespace tenvix;
using namespace tenvix::editor;

namespace {

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

StdFieldTexts ValidStd()
{
    return {"5", "100", "100", "12", Day(2020, 1, 1), Day(2030, 1, 1)};
}

} // namespace

class TestEditorRules : public QObject {
    Q_OBJECT
private slots:
    void messagesOfFormCodes()
    {
        QCOMPARE(FormMessage(-4), "No items !");
        QCOMPARE(FormMessage(-2), "This ID is currently occupied !");
        QCOMPARE(FormMessage(7), "Coupon Period should be integer !");
        QCOMPARE(FormMessage(9), "Maturity should be later than Release Date !");
        QCOMPARE(FormMessage(11), "Investment horizon should be later than stand date !");
        QCOMPARE(FormMessage(12), "Stand date can't be before release date !");
        QCOMPARE(FormMessage(13), "No cashflows !");
        QCOMPARE(FormMessage(18), "Maturity should be later than Release Date !");
        // Codes that mean nothing show an empty box rather than a wrong text.
        for (int code : {0, -1, -3, 14, 17, 19, 27, 16 * 3 + 12, 16 * 3 + 18, 16 * 3 + 27})
            QVERIFY2(FormMessage(code).empty(), qPrintable(QString::number(code)));
    }

    void gridCodesNameTheRowTheUserSees()
    {
        // SetFromGrid counts rows from 0; the messages count them as the "No"
        // column does. Build real grids so the codes come from the record.
        const DateParser parse = ui::LocaleDateParser();
        QLocale::setDefault(QLocale(QStringLiteral("en_US")));
        const std::string good = "3/15/2026";
        struct Case {
            std::vector<GridRow> grid;
            const char* message;
        } cases[] = {
            {{{"??????????", ""}}, "Invalid Cashflow in row 1 !"},
            {{{"5", good}, {"5", good}, {"0", good}}, "Cashflow in row 3 is too low !"},
            {{{"5", good}, {"1.1e18", good}}, "Cashflow in row 2 is too big !"},
            {{{"5", good}, {"5", ""}}, "Date in row 2 is invalid !"},
            {{{"5 ", "3/15/2000"}}, "Maturity should be later than Release Date !"},
        };
        for (const Case& c : cases) {
            CBondFree bond(0);
            const int g = bond.SetFromGrid(c.grid, 100.f, Day(2010, 1, 1), "", "", parse);
            QCOMPARE(FormMessage(g + kGridCodeOffset), c.message);
        }
        std::vector<GridRow> many(150, {"5", good});
        many[130].date = "13/45/2026";
        CBondFree bond(0);
        QCOMPARE(FormMessage(bond.SetFromGrid(many, 1.f, Day(2010, 1, 1), "", "", parse) + kGridCodeOffset),
                 "Date in row 131 is invalid !");
        QLocale::setDefault(QLocale::c());
    }

    void stdFields_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("code");
        QTest::newRow("coupon empty is 0") << "coupon" << "" << 0;
        QTest::newRow("coupon trailing blank") << "coupon" << "5 \t" << 0;
        QTest::newRow("coupon leading blank") << "coupon" << "  5" << 0;
        QTest::newRow("coupon decimal comma") << "coupon" << "12,5" << 1;
        QTest::newRow("coupon blanks only") << "coupon" << "   " << 0;
        QTest::newRow("coupon negative") << "coupon" << "-0.01" << 2;
        QTest::newRow("coupon exponent d") << "coupon" << "1d2" << 0;
        QTest::newRow("face huge") << "face" << "1e400" << 4;
        QTest::newRow("face text") << "face" << "100a" << 3;
        QTest::newRow("price empty") << "price" << "" << 6;
        QTest::newRow("price at floor") << "price" << "0.00001" << 0;
        QTest::newRow("price below floor") << "price" << "0.0000099" << 6;
        QTest::newRow("price at ceiling") << "price" << "1e18" << 0;
        QTest::newRow("price above ceiling") << "price" << "1.0000001e18" << 6;
        QTest::newRow("price trailing blank") << "price" << "100 " << 0;
        QTest::newRow("period not integer") << "period" << "12.0" << 7;
        QTest::newRow("period zero") << "period" << "0" << 8;
        QTest::newRow("period negative") << "period" << "-6" << 8;
        QTest::newRow("period empty") << "period" << "" << 8;
        QTest::newRow("period signed, blank") << "period" << " +6 " << 0;
        QTest::newRow("period off the list") << "period" << "24" << 0;
        QTest::newRow("period huge clamps") << "period" << "99999999999" << 0;
    }

    void stdFields()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(int, code);
        StdFieldTexts t = ValidStd();
        (field == "coupon" ? t.coupon : field == "face" ? t.face : field == "price" ? t.price : t.payPeriod) =
            text.toStdString();
        StdFields out;
        QCOMPARE(ReadStdFields(t, out), code);
    }

    void stdFieldsFirstFailureWinsAndNothingLeaksOut()
    {
        StdFieldTexts t{"x", "y", "", "1.5", Day(2030, 1, 1), Day(2020, 1, 1)};
        StdFields out;
        out.coupon = -7;
        const int expected[] = {1, 3, 6, 7, 9};
        for (int code : expected) {
            QCOMPARE(ReadStdFields(t, out), code);
            QCOMPARE(out.coupon, -7.0); // a failed read leaves the outputs alone
            switch (code) {
            case 1: t.coupon = "2.5"; break;
            case 3: t.face = "100"; break;
            case 6: t.price = "99.5"; break;
            case 7: t.payPeriod = "6"; break;
            case 9: t.maturity = Day(2031, 1, 1); break;
            }
        }
        QCOMPARE(ReadStdFields(t, out), 0);
        QCOMPARE(out.coupon, 2.5);
        QCOMPARE(out.periodMonths, 6);
        QCOMPARE(out.price, 99.5);
    }

    void datesCompareAsWholeDays()
    {
        StdFieldTexts t = ValidStd();
        StdFields out;
        t.release = Day(2025, 5, 5) + 0.1;
        t.maturity = Day(2025, 5, 5) + 0.9;
        QCOMPARE(ReadStdFields(t, out), 9);
        t.release = Day(2025, 5, 5) + 0.9;
        t.maturity = Day(2025, 5, 6) + 0.1;
        QCOMPARE(ReadStdFields(t, out), 0);
    }

    void freePriceBoundsDifferForSaveAndAnalyse()
    {
        double p = -1;
        QCOMPARE(ReadFreePrice("0.00005", kFreePriceFloorSave, p), 0);
        QCOMPARE(p, 0.00005);
        QCOMPARE(ReadFreePrice("0.00005", kFreePriceFloorAnalyse, p), 6);
        QCOMPARE(ReadFreePrice("0.00002", kFreePriceFloorAnalyse, p), 6);
        QCOMPARE(ReadFreePrice("0.0001", kFreePriceFloorAnalyse, p), 0);
        QCOMPARE(ReadFreePrice("0.00001", kFreePriceFloorSave, p), 0);
        // Read as typed: a trailing blank is left over, unlike Type I.
        QCOMPARE(ReadFreePrice("100 ", kFreePriceFloorSave, p), 5);
        QCOMPARE(ReadFreePrice(" 100", kFreePriceFloorSave, p), 0);
        QCOMPARE(ReadFreePrice("", kFreePriceFloorSave, p), 6);
        QCOMPARE(ReadFreePrice("1e18", kFreePriceFloorAnalyse, p), 0);
        QCOMPARE(ReadFreePrice("1.0000001e18", kFreePriceFloorAnalyse, p), 6);
    }

    void identifiersCollideAfterTrimmingOnly()
    {
        CBondList list;
        for (const char* id : {" AB ", "ab", "", "X"}) {
            list.m_list.push_back(std::make_unique<CBondStd>(0));
            list.m_list.back()->m_strID = id;
        }
        const auto first = list.m_list.begin();
        const auto last = std::prev(list.m_list.end());
        QVERIFY(IsIDOccupied(list, last, "AB"));
        QVERIFY(IsIDOccupied(list, last, "\tAB"));
        QVERIFY(!IsIDOccupied(list, first, "AB")); // its own identifier
        QVERIFY(!IsIDOccupied(list, last, "Ab"));
        QVERIFY(IsIDOccupied(list, last, "  ")); // blank meets empty
        QVERIFY(IsIDOccupied(list, std::nullopt, "X"));
        QVERIFY(!IsIDOccupied(list, last, "X"));
    }

    void analysisOfCouponBonds()
    {
        // At par on a coupon date the yield is the coupon rate; with half-year
        // coupons it is the compounded half-year rate.
        CBondStd annual(0);
        annual.SetData(12, 8.f, 100.f, 100.f, Day(2020, 1, 1), Day(2030, 1, 1), "", "");
        AnalysisOutcome r = AnalyseBond(annual, Day(2025, 1, 1), Day(2027, 1, 1), true, 100.0, SystemClock());
        QCOMPARE(r.kind, AnalysisOutcome::Result);
        QVERIFY(std::fabs(r.ytm - 0.08) < 1e-7);
        QVERIFY(std::fabs(r.horizonYears - 2.0) < 1e-12);

        CBondStd semi(0);
        semi.SetData(6, 4.f, 100.f, 100.f, Day(2020, 1, 1), Day(2030, 1, 1), "", "");
        r = AnalyseBond(semi, Day(2025, 1, 1), Day(2027, 1, 1), false, 100.0, SystemClock());
        QVERIFY(std::fabs(r.ytm - (1.04 * 1.04 - 1)) < 1e-7);

        // The price test comes before the dates for a coupon bond.
        CBondStd late(0);
        late.SetData(12, 1.f, 100.f, 150.f, Day(2020, 1, 1), Day(2022, 1, 1), "", "");
        QCOMPARE(AnalyseBond(late, Day(2023, 1, 1), Day(2024, 1, 1), false, 150, SystemClock()).kind,
                 AnalysisOutcome::PriceTooHigh);
        late.SetData(12, 1.f, 100.f, 90.f, Day(2020, 1, 1), Day(2022, 1, 1), "", "");
        r = AnalyseBond(late, Day(2023, 1, 1), Day(2024, 1, 1), false, 90, SystemClock());
        QCOMPARE(r.kind, AnalysisOutcome::FormError);
        QCOMPARE(r.code, 10);
        r = AnalyseBond(late, Day(2019, 1, 1), Day(2024, 1, 1), false, 90, SystemClock());
        QCOMPARE(r.code, 12);
    }

    void analysisOfPaymentLists()
    {
        CBondFree bond(0);
        bond.m_fPrice = 100.f;
        bond.m_nRelease = DaySerial(Day(2020, 1, 1));
        bond.m_cashflows = {{DaySerial(Day(2026, 3, 15)), 110.f}};
        bond.m_nMaturity = bond.m_cashflows[0].m_nDate;
        AnalysisOutcome r = AnalyseBond(bond, Day(2025, 3, 15), Day(2025, 9, 15), true, 100.0, SystemClock());
        QCOMPARE(r.kind, AnalysisOutcome::Result);
        QVERIFY(std::fabs(r.ytm - 0.1) < 1e-6);
        QVERIFY(std::fabs(r.duration - 1.0) < 1e-6);
        QVERIFY(std::fabs(r.m2 - 0.25) < 1e-6);
        QCOMPARE(ResultText(r, false).substr(0, 4), "YTM=");
        QVERIFY(ResultText(r, false).find("M2=") == std::string::npos);

        // A horizon at or before the stand date matters only for Square-M.
        r = AnalyseBond(bond, Day(2025, 3, 15), Day(2025, 3, 15), false, 100.0, SystemClock());
        QCOMPARE(r.kind, AnalysisOutcome::Result);
        r = AnalyseBond(bond, Day(2025, 3, 15), Day(2025, 3, 15), true, 100.0, SystemClock());
        QCOMPARE(r.kind, AnalysisOutcome::FormError);
        QCOMPARE(r.code, 11);

        // Dates are tested before the price for a payment list.
        bond.m_fPrice = 500.f;
        r = AnalyseBond(bond, Day(2027, 1, 1), Day(2028, 1, 1), true, 500.0, SystemClock());
        QCOMPARE(r.code, 10);
        QCOMPARE(AnalyseBond(bond, Day(2025, 3, 15), Day(2026, 1, 1), true, 500.0, SystemClock()).kind,
                 AnalysisOutcome::PriceTooHigh);
    }

    void analysisThatFindsNoYield()
    {
        // A tiny price for a huge repayment one day away needs a yield beyond
        // any the search may try.
        CBondStd bond(0);
        bond.SetData(12, 0.f, 1e18f, 0.00001f, Day(2020, 1, 1), Day(2025, 1, 2), "", "");
        const AnalysisOutcome r = AnalyseBond(bond, Day(2025, 1, 1), Day(2026, 1, 1), false, 0.00001, SystemClock());
        QCOMPARE(r.kind, AnalysisOutcome::NoYield);
    }

    void resultTexts()
    {
        AnalysisOutcome r;
        r.ytm = 0.0525;
        r.duration = 3.25;
        r.m2 = 1.0 / 3;
        r.horizonYears = 2;
        QCOMPARE(ResultText(r, false), "YTM=0.05250000\nD=3.25000000");
        QCOMPARE(ResultText(r, true), "YTM=0.05250000\nD=3.25000000\nM2=0.33333333\n\nIH=2.00000000");
        QCOMPARE(FormatAmount(99.999f), "100.00");
        // The float just below half a cent rounds down, as the widened value says.
        QCOMPARE(FormatAmount(0.005f), "0.00");
        QCOMPARE(FormatAmount(2.675f), "2.67");
    }
};

QTEST_MAIN(TestEditorRules)
#include "tst_editorrules.moc"
