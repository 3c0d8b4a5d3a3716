#include "model/bondrow.h"

#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/recordmessages.h"
#include "model/recordrules.h"
#include "model/text.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace tenvix {
namespace {

// An amount as the form reads it, taken as the float it stores: `bad` when
// the field is no number (an empty one included: a file that leaves a field
// out says nothing of it), `bad + 1` when the form's range refuses it. The
// export writes "nan" and "inf" for what no digits spell, and the form reads
// neither.
int ReadFormFloat(std::string_view field, double floor, int bad, float& out)
{
    const std::string_view text = Trim(field);
    const std::optional<double> value = text.empty() ? std::nullopt : ReadDecimal(text);
    if (!value)
        return bad;
    // Beyond what rounds to the largest float, no float holds it.
    if (!(std::fabs(*value) < 0x1.ffffffp127))
        return bad + 1;
    out = static_cast<float>(*value);
    return FormStoresAmount(out, floor) ? FORM_OK : bad + 1;
}

// A whole number that fits 32 bits exactly; nothing for an empty text.
std::optional<std::int32_t> ReadExactWhole(std::string_view text)
{
    if (text.empty())
        return std::nullopt;
    const std::optional<std::int32_t> whole = ReadWholeNumber(text);
    const std::optional<double> exact = ReadDecimal(text);
    if (!whole || !exact || *exact != static_cast<double>(*whole))
        return std::nullopt;
    return whole;
}

// A day as the export writes it: YYYY-MM-DD, or outside the calendar the
// bare day serial.
std::optional<std::int32_t> ReadStoredDay(std::string_view field)
{
    const std::string_view text = Trim(field);
    if (const std::optional<double> date = ParseIsoDate(text))
        return DaySerial(*date);
    return ReadExactWhole(text);
}

// The form's code for payment `index` (from 0) and the grid's kind of fault.
int PaymentCode(std::size_t index, int kind) { return kGridCodeOffset + 16 * static_cast<int>(index + 1) + kind; }
constexpr int kPaymentNotANumber = 2;
constexpr int kPaymentTooBig = 4;
constexpr int kPaymentDate = 5;

RowReading Refuse(RowRefusal refusal, int code = 0)
{
    RowReading r;
    r.refusal = refusal;
    r.code = code;
    return r;
}

// The Type I fields by the form's rules, in the form's order: coupon, face
// value, spot price, pay period, then the dates.
RowReading ReadTypeI(const std::vector<std::string>& f, std::int32_t release, std::int32_t maturity)
{
    if (!Trim(f[9]).empty())
        return Refuse(RowRefusal::TypeIFields);
    auto bond = std::make_unique<CBondStd>(0);
    if (const int code = ReadFormFloat(f[6], kCouponFloor, FORM_BAD_COUPON, bond->m_fCoupon))
        return Refuse(RowRefusal::FormRule, code);
    if (const int code = ReadFormFloat(f[8], kFaceFloor, FORM_BAD_FACE, bond->m_fFace))
        return Refuse(RowRefusal::FormRule, code);
    if (const int code = ReadFormFloat(f[5], kPriceFloor, FORM_BAD_PRICE, bond->m_fPrice))
        return Refuse(RowRefusal::FormRule, code);
    const std::string_view period = Trim(f[7]);
    if (const int code = ReadFormPeriod(period, bond->m_nPeriodMonths))
        return Refuse(RowRefusal::FormRule, code);
    // The form's reading stops at the 32-bit range; a file's period beyond
    // it would be stored as another.
    if (ReadDecimal(period) != static_cast<double>(bond->m_nPeriodMonths))
        return Refuse(RowRefusal::FormRule, FORM_PERIOD_RANGE);
    if (const int code = CheckFormDates(release, maturity))
        return Refuse(RowRefusal::FormRule, code);
    bond->m_nRelease = release;
    bond->m_nMaturity = maturity;
    RowReading r;
    r.bond = std::move(bond);
    return r;
}

// The Type II fields by the form's rules: the spot price, then the payments
// as the form takes stored ones (CBondFree::SetFromCashflows), which sets
// the maturity to the last payment's day.
RowReading ReadTypeII(const std::vector<std::string>& f, std::int32_t release, std::int32_t maturity)
{
    if (!Trim(f[6]).empty() || !Trim(f[7]).empty() || !Trim(f[8]).empty())
        return Refuse(RowRefusal::TypeIIFields);
    float price = 0.0f;
    if (const int code = ReadFormFloat(f[5], kFreePriceFloorSave, FORM_BAD_PRICE, price))
        return Refuse(RowRefusal::FormRule, code);
    const std::string_view payments = Trim(f[9]);
    std::vector<CASHFLOW> flows;
    if (!payments.empty()) {
        const auto count = static_cast<std::size_t>(std::count(payments.begin(), payments.end(), ';')) + 1;
        if (count > kMaxRowPayments)
            return Refuse(RowRefusal::TooManyPayments);
        flows.reserve(count);
        std::size_t from = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t to = std::min(payments.find(';', from), payments.size());
            const std::string_view payment = payments.substr(from, to - from);
            from = to + 1;
            const std::size_t at = payment.find('@');
            const std::string_view amount = Trim(payment.substr(0, at));
            const std::optional<double> value = amount.empty() ? std::nullopt : ReadDecimal(amount);
            if (!value)
                return Refuse(RowRefusal::FormRule, PaymentCode(i, kPaymentNotANumber));
            if (!(std::fabs(*value) < 0x1.ffffffp127))
                return Refuse(RowRefusal::FormRule, PaymentCode(i, kPaymentTooBig));
            const std::optional<std::int32_t> day =
                at == std::string_view::npos ? std::nullopt : ReadStoredDay(payment.substr(at + 1));
            if (!day)
                return Refuse(RowRefusal::FormRule, PaymentCode(i, kPaymentDate));
            flows.push_back({*day, static_cast<float>(*value)});
        }
    }
    auto bond = std::make_unique<CBondFree>(0);
    if (const int code = bond->SetFromCashflows(std::move(flows), price, release, {}, {}))
        return Refuse(RowRefusal::FormRule, code + kGridCodeOffset);
    // The form has no maturity of a Type II record but its last payment's.
    if (bond->m_nMaturity != maturity)
        return Refuse(RowRefusal::Maturity);
    RowReading r;
    r.bond = std::move(bond);
    return r;
}

} // namespace

RowReading ReadBondRow(const BondCsvRow& row)
{
    const std::vector<std::string>& f = row.fields;
    if (f.size() != kBondCsvFields)
        return Refuse(RowRefusal::FieldCount);
    const std::string_view type = Trim(f[0]);
    if (type != "I" && type != "II")
        return Refuse(RowRefusal::Type);
    if (!Cp1252Spells(f[1]))
        return Refuse(RowRefusal::IdNotStored);
    if (!Cp1252Spells(f[2]))
        return Refuse(RowRefusal::NameNotStored);
    // A line break: no form can type one, and no list shows one.
    if (f[1].find_first_of("\r\n") != std::string::npos)
        return Refuse(RowRefusal::IdLineBreak);
    const std::optional<std::int32_t> release = ReadStoredDay(f[3]);
    if (!release)
        return Refuse(RowRefusal::Release);
    const std::optional<std::int32_t> maturity = ReadStoredDay(f[4]);
    if (!maturity)
        return Refuse(RowRefusal::Maturity);
    RowReading r = type == "I" ? ReadTypeI(f, *release, *maturity) : ReadTypeII(f, *release, *maturity);
    if (!r.bond)
        return r;
    r.bond->m_strID = f[1];
    r.bond->m_strName = f[2];
    return r;
}

bool SameStoredFields(const CBond& a, const CBond& b)
{
    auto same = [](float x, float y) { return std::bit_cast<std::uint32_t>(x) == std::bit_cast<std::uint32_t>(y); };
    if (a.GetType() != b.GetType() || a.m_strID != b.m_strID || a.m_strName != b.m_strName ||
        a.m_nRelease != b.m_nRelease || a.m_nMaturity != b.m_nMaturity || !same(a.m_fPrice, b.m_fPrice))
        return false;
    if (a.GetType() == BOND_TYPE_STD) {
        const auto& x = static_cast<const CBondStd&>(a);
        const auto& y = static_cast<const CBondStd&>(b);
        return same(x.m_fCoupon, y.m_fCoupon) && x.m_nPeriodMonths == y.m_nPeriodMonths && same(x.m_fFace, y.m_fFace);
    }
    const auto& x = static_cast<const CBondFree&>(a).m_cashflows;
    const auto& y = static_cast<const CBondFree&>(b).m_cashflows;
    return std::equal(x.begin(), x.end(), y.begin(), y.end(), [&](const CASHFLOW& p, const CASHFLOW& q) {
        return p.m_nDate == q.m_nDate && same(p.m_fAmount, q.m_fAmount);
    });
}

} // namespace tenvix
