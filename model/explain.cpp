#include "model/explain.h"

#include "model/accrued.h"
#include "model/analyse.h"
#include "model/date.h"
#include "model/format.h"
#include "model/paymentwalk.h"
#include "model/quotes.h"

#include <string_view>

namespace tenvix {

namespace {

void ExplainStd(const CBondStd& b, double ytm, double price, Explanation& e)
{
    const std::int32_t coupons = b.m_nPeriods + (b.m_bBroken ? 1 : 0);
    b.WalkPayments(ytm, price, e.duration, e.squareM, [&](const PaymentStep& s) {
        // Zero coupons or no face value: not a payment, and it adds exactly nothing.
        if (s.amount == 0.0)
            return;
        // The engine counts times only; the k-th coupon lies coupons - 1 - k
        // whole periods before maturity, the face value at maturity.
        const auto periodsBack = s.face ? 0 : coupons - 1 - static_cast<std::int32_t>(s.index);
        const std::int32_t day = MonthsBefore(b.m_nMaturity, periodsBack * b.m_nPeriodMonths);
        e.payments.push_back(ExplainStep(s, b.m_strID, day, true));
    });
}

void ExplainFree(const CBondFree& b, double ytm, double price, Explanation& e)
{
    // The walk takes the payments after the stand date in list order, as
    // Prepare found them; their dates come in the same order from the list.
    std::vector<std::int32_t> days;
    for (const CASHFLOW& cf : b.m_cashflows)
        if (cf.m_nDate > b.m_nStandDate)
            days.push_back(cf.m_nDate);
    b.WalkPayments(ytm, price, e.duration, e.squareM, [&](const PaymentStep& s) {
        const std::int32_t day = s.index < days.size() ? days[s.index] : b.m_nStandDate;
        e.payments.push_back(ExplainStep(s, b.m_strID, day, false));
    });
}

void AppendNumber(std::string& out, double value)
{
    out += ',';
    AppendShortest(out, value);
}

} // namespace

ExplainedPayment ExplainStep(const PaymentStep& s, const std::string& member, std::int32_t day, bool derived)
{
    ExplainedPayment p;
    p.member = member;
    p.day = day;
    p.dayDerived = derived;
    p.years = s.years;
    p.amount = s.amount;
    p.discount = s.discount;
    p.presentValue = s.presentValue;
    p.share = s.share;
    p.distance = s.distance;
    p.durationPart = s.durationPart;
    p.squareMPart = s.squareMPart;
    return p;
}

void NumberAndSumRows(Explanation& e)
{
    e.amount = e.presentValue = e.share = 0.0;
    std::size_t no = 0;
    for (ExplainedPayment& p : e.payments) {
        p.no = ++no;
        e.amount += p.amount;
        e.presentValue += p.presentValue;
        e.share += p.share;
    }
}

std::int32_t MonthsBefore(std::int32_t day, int months)
{
    const CivilDate c = Civil(day);
    if (c.year < 0)
        return day;
    const int index = c.year * 12 + (c.month - 1) - months;
    const int year = index / 12;
    const int month = index % 12 + 1;
    for (int d = c.day; d >= 1; --d)
        if (const auto date = MakeDate(year, month, d))
            return DaySerial(*date);
    return day; // outside the calendar: no better answer than the day itself
}

Explanation ExplainBond(const CBond& bond, double ytm, double price)
{
    Explanation e;
    e.ytm = ytm;
    e.price = price;
    e.horizonYears = YearFraction(bond.m_nHorizon, bond.m_nStandDate);
    if (const auto* coupons = dynamic_cast<const CBondStd*>(&bond)) {
        ExplainStd(*coupons, ytm, price, e);
        e.quoted = true;
        e.accrued = AccruedInterest(*coupons);
        e.cleanPer100 = CleanPer100(price, e.accrued, coupons->m_fFace);
    }
    else if (const auto* free = dynamic_cast<const CBondFree*>(&bond))
        ExplainFree(*free, ytm, price, e);
    else
        bond.GetDurationM2(ytm, price, e.duration, e.squareM);
    NumberAndSumRows(e);
    return e;
}

BondExplanation AnalyseAndExplain(CBond& bond, double stand, double horizon, double price, const Clock& clock)
{
    BondExplanation out;
    const RecordAnalysis r = AnalyseRecord(bond, stand, horizon, price, clock, Needs::YieldAndDuration);
    out.code = r.code;
    if (r.outcome == RecordOutcome::NoYield)
        out.status = ExplainStatus::BadYtm;
    if (r.outcome == RecordOutcome::Solved) {
        out.explanation = ExplainBond(bond, r.ytm, price);
        out.status = ExplainStatus::Ok;
    }
    return out;
}

std::string ExplanationCsv(const Explanation& e)
{
    std::string out = kExplanationCsvHeader;
    out += "\r\n";
    for (const ExplainedPayment& p : e.payments) {
        out += std::to_string(p.no);
        out += ',';
        AppendReportText(out, p.member);
        out += ',';
        AppendIsoDate(out, p.day);
        out += p.dayDerived ? ",1" : ",0";
        AppendNumber(out, p.years);
        AppendNumber(out, p.amount);
        AppendNumber(out, p.discount);
        AppendNumber(out, p.presentValue);
        AppendNumber(out, p.share);
        AppendNumber(out, p.durationPart);
        AppendNumber(out, p.squareMPart);
        out += "\r\n";
    }
    out += "total,,,,";
    AppendNumber(out, e.amount);
    out += ',';
    AppendNumber(out, e.presentValue);
    AppendNumber(out, e.share);
    AppendNumber(out, e.duration);
    AppendNumber(out, e.squareM);
    out += "\r\n";
    if (e.quoted) {
        out += "accrued,,,,,";
        AppendFixed(out, e.accrued, 6);
        out += ",,,,,\r\nclean_per_100,,,,,";
        if (e.cleanPer100)
            AppendFixed(out, *e.cleanPer100, 6);
        out += ",,,,,\r\n";
    }
    return out;
}

} // namespace tenvix
