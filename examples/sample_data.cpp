#include "examples/sample_data.h"

#include "model/date.h"

#include <utility>

namespace tenvix {
namespace {

double Day(int y, int m, int d) { return *MakeDate(y, m, d); }

struct Std {
    const char* id;
    const char* name;
    int period;
    float coupon;
    float face;
    float price;
    double release;
    double maturity;
};

struct Payment {
    double date;
    float amount;
};

struct Free {
    const char* id;
    const char* name;
    float price;
    double release;
    std::vector<Payment> payments;
};

} // namespace

CBondList MakeSampleDatabase()
{
    const Std standard[] = {
        // Annual government bonds.
        {"GOV-2027-A", "Government 4.00% 2027", 12, 4.0f, 100, 101.35f, Day(2017, 7, 4), Day(2027, 7, 4)},
        {"GOV-2029-A", "Government 2.50% 2029", 12, 2.5f, 100, 97.10f, Day(2019, 2, 15), Day(2029, 2, 15)},
        {"GOV-2034-A", "Government 4.75% 2034", 12, 4.75f, 100, 114.20f, Day(2003, 7, 4), Day(2034, 7, 4)},
        {"GOV-2040-A", "Government 4.75% 2040", 12, 4.75f, 100, 118.60f, Day(2008, 7, 4), Day(2040, 7, 4)},
        {"GOV-2044-A", "Government 2.50% 2044", 12, 2.5f, 100, 88.40f, Day(2012, 7, 4), Day(2044, 7, 4)},
        {"GOV-2048-A", "Government 1.25% 2048", 12, 1.25f, 100, 68.90f, Day(2017, 8, 15), Day(2048, 8, 15)},
        // Semi-annual treasury notes and bonds: half the annual rate each period.
        {"TSY-2028-S", "Treasury 3 7/8% Nov 2028", 6, 1.9375f, 100, 99.40f, Day(2018, 11, 15), Day(2028, 11, 15)},
        {"TSY-2030-S", "Treasury 1 1/2% Feb 2030", 6, 0.75f, 100, 91.20f, Day(2020, 2, 15), Day(2030, 2, 15)},
        {"TSY-2033-S", "Treasury 4 1/8% Nov 2033", 6, 2.0625f, 100, 100.80f, Day(2023, 11, 15), Day(2033, 11, 15)},
        {"TSY-2036-S", "Treasury 4 1/2% Feb 2036", 6, 2.25f, 100, 101.90f, Day(2026, 2, 15), Day(2036, 2, 15)},
        {"TSY-2045-S", "Treasury 3% May 2045", 6, 1.5f, 100, 79.30f, Day(2015, 5, 15), Day(2045, 5, 15)},
        {"TSY-2053-S", "Treasury 4% Feb 2053", 6, 2.0f, 100, 92.60f, Day(2023, 2, 15), Day(2053, 2, 15)},
        // Corporate and municipal paper.
        {"CORP-2029-Q", "Utility 5.20% 2029, quarterly", 3, 1.30f, 100, 102.10f, Day(2024, 3, 20), Day(2029, 3, 20)},
        {"CORP-2031-A", "Industrial 3.25% 2031", 12, 3.25f, 100, 94.80f, Day(2021, 9, 30), Day(2031, 9, 30)},
        {"MUNI-2035", "City water revenue 4.5% 2035", 12, 45.0f, 1000, 1012.50f, Day(2025, 6, 1), Day(2035, 6, 1)},
        // Zero coupons and a bill.
        {"ZERO-2027", "Treasury strip May 2027", 12, 0.0f, 100, 98.30f, Day(2017, 5, 15), Day(2027, 5, 15)},
        {"ZERO-2032", "Treasury strip May 2032", 12, 0.0f, 100, 83.10f, Day(2002, 5, 15), Day(2032, 5, 15)},
        {"ZERO-2045", "Treasury strip Feb 2045", 12, 0.0f, 100, 48.70f, Day(2015, 2, 15), Day(2045, 2, 15)},
        {"BILL-2027-03", "Treasury bill Mar 2027", 12, 0.0f, 100, 98.90f, Day(2026, 9, 17), Day(2027, 3, 18)},
        // Matured.
        {"GOV-2019-A", "Government 3.50% 2019", 12, 3.5f, 100, 100.0f, Day(2009, 1, 4), Day(2019, 1, 4)},
        {"TSY-2022-S", "Treasury 1 5/8% Aug 2022", 6, 0.8125f, 100, 100.0f, Day(2012, 8, 15), Day(2022, 8, 15)},
        {"ZERO-2024", "Treasury strip Nov 2024", 12, 0.0f, 100, 100.0f, Day(2014, 11, 15), Day(2024, 11, 15)},
    };
    // clang-format off
    Free free[] = {
        {"AMORT-2030", "Amortising loan 2030", 96.40f, Day(2025, 6, 30),
         {{Day(2027, 6, 30), 27.5f}, {Day(2028, 6, 30), 26.5f}, {Day(2029, 6, 30), 25.5f}, {Day(2030, 6, 30), 24.5f}}},
        {"SINK-2033", "Sinking fund 2033", 88.75f, Day(2023, 3, 1),
         {{Day(2027, 3, 1), 6.0f}, {Day(2028, 9, 1), 21.0f}, {Day(2030, 3, 1), 20.0f}, {Day(2031, 9, 1), 19.0f},
          {Day(2033, 3, 1), 36.0f}}},
        {"STEP-2031", "Step-up note 2031", 101.20f, Day(2026, 4, 1),
         {{Day(2027, 4, 1), 2.0f}, {Day(2028, 4, 1), 2.5f}, {Day(2029, 4, 1), 3.0f}, {Day(2030, 4, 1), 3.5f},
          {Day(2031, 4, 1), 104.0f}}},
        // Listed in the order they were agreed, not by date.
        {"PROJ-2029", "Project bond 2029", 1890.00f, Day(2024, 1, 15),
         {{Day(2025, 1, 15), 150.0f}, {Day(2029, 7, 15), 1150.0f}, {Day(2027, 1, 15), 450.0f},
          {Day(2028, 4, 15), 400.0f}}},
        {"NOTE-2028-X", "Structured note, irregular", 49.10f, Day(2025, 11, 3),
         {{Day(2027, 2, 26), 1.1f}, {Day(2027, 8, 31), 1.35f}, {Day(2028, 2, 29), 1.6f}, {Day(2028, 11, 30), 51.0f}}},
        {"ANNU-2024", "Annuity 2024 (repaid)", 96.0f, Day(2019, 12, 31),
         {{Day(2022, 12, 31), 35.0f}, {Day(2023, 12, 31), 35.0f}, {Day(2024, 12, 31), 35.0f}}},
    };
    // clang-format on

    CBondList list;
    for (const Std& s : standard) {
        auto bond = std::make_unique<CBondStd>(0);
        bond->SetData(s.period, s.coupon, s.face, s.price, s.release, s.maturity, s.id, s.name);
        list.m_list.push_back(std::move(bond));
    }
    for (Free& f : free) {
        auto bond = std::make_unique<CBondFree>(0);
        bond->m_strID = f.id;
        bond->m_strName = f.name;
        bond->m_fPrice = f.price;
        bond->m_nRelease = DaySerial(f.release);
        std::int32_t latest = bond->m_nRelease;
        for (const Payment& p : f.payments) {
            bond->m_cashflows.push_back({DaySerial(p.date), p.amount});
            latest = std::max(latest, DaySerial(p.date));
        }
        bond->m_nMaturity = latest;
        list.m_list.push_back(std::move(bond));
    }
    return list;
}

} // namespace tenvix
