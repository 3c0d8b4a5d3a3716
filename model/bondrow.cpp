#include "model/bondrow.h"

#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/recordmessages.h"
#include "model/text.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace tenvix {
namespace {

enum class Amount { Read, NotANumber, OutOfRange };

// An amount as the file stores it: a float. The export spells the values no
// digits write as "nan" and "inf", with their sign; a number beyond the
// largest float (so beyond what rounds to it) cannot be stored.
Amount ReadStoredAmount(std::string_view field, float& out)
{
    const std::string_view text = Trim(field);
    if (text.empty())
        return Amount::NotANumber;
    const bool negative = text.front() == '-';
    const std::string_view word = text.substr(negative ? 1 : 0);
    if (word == "nan" || word == "inf") {
        const float value =
            word == "nan" ? std::numeric_limits<float>::quiet_NaN() : std::numeric_limits<float>::infinity();
        out = negative ? -value : value;
        return Amount::Read;
    }
    const std::optional<double> value = ReadDecimal(text);
    if (!value)
        return Amount::NotANumber;
    if (!(std::fabs(*value) < 0x1.ffffffp127))
        return Amount::OutOfRange;
    out = static_cast<float>(*value);
    return Amount::Read;
}

// The form's code for an amount field: `bad` when it is no number, `bad + 1`
// when no float holds it.
int ReadAmountField(std::string_view field, int bad, float& out)
{
    switch (ReadStoredAmount(field, out)) {
    case Amount::Read:
        return FORM_OK;
    case Amount::NotANumber:
        return bad;
    case Amount::OutOfRange:
        return bad + 1;
    }
    return bad;
}

// A whole number that fits 32 bits exactly; nothing for an empty text.
std::optional<std::int32_t> ReadExactWhole(std::string_view text, bool period)
{
    if (text.empty())
        return std::nullopt;
    const std::optional<std::int32_t> whole = period ? ReadPayPeriod(text) : ReadWholeNumber(text);
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
    return ReadExactWhole(text, false);
}

bool Storable(std::string_view utf8) { return IsAscii(utf8) || Cp1252ToUtf8(Utf8ToCp1252(utf8)) == utf8; }

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

RowReading ReadTypeI(const std::vector<std::string>& f, std::unique_ptr<CBondStd> bond)
{
    if (!Trim(f[9]).empty())
        return Refuse(RowRefusal::TypeIFields);
    if (const int code = ReadAmountField(f[6], FORM_BAD_COUPON, bond->m_fCoupon))
        return Refuse(RowRefusal::FormRule, code);
    if (const int code = ReadAmountField(f[8], FORM_BAD_FACE, bond->m_fFace))
        return Refuse(RowRefusal::FormRule, code);
    if (const int code = ReadAmountField(f[5], FORM_BAD_PRICE, bond->m_fPrice))
        return Refuse(RowRefusal::FormRule, code);
    const std::string_view period = Trim(f[7]);
    if (period.empty() || !ReadPayPeriod(period))
        return Refuse(RowRefusal::FormRule, FORM_BAD_PERIOD);
    const std::optional<std::int32_t> months = ReadExactWhole(period, true);
    if (!months)
        return Refuse(RowRefusal::FormRule, FORM_PERIOD_RANGE);
    bond->m_nPeriodMonths = *months;
    RowReading r;
    r.bond = std::move(bond);
    return r;
}

RowReading ReadTypeII(const std::vector<std::string>& f, std::unique_ptr<CBondFree> bond)
{
    if (!Trim(f[6]).empty() || !Trim(f[7]).empty() || !Trim(f[8]).empty())
        return Refuse(RowRefusal::TypeIIFields);
    if (const int code = ReadAmountField(f[5], FORM_BAD_PRICE, bond->m_fPrice))
        return Refuse(RowRefusal::FormRule, code);
    const std::string_view payments = Trim(f[9]);
    bond->m_cashflows.clear();
    if (!payments.empty()) {
        const auto count = static_cast<std::size_t>(std::count(payments.begin(), payments.end(), ';')) + 1;
        if (count > kMaxRowPayments)
            return Refuse(RowRefusal::TooManyPayments);
        bond->m_cashflows.reserve(count);
        std::size_t from = 0;
        for (std::size_t i = 0; i < count; ++i) {
            const std::size_t to = std::min(payments.find(';', from), payments.size());
            const std::string_view payment = payments.substr(from, to - from);
            from = to + 1;
            const std::size_t at = payment.find('@');
            CASHFLOW cf;
            switch (ReadStoredAmount(payment.substr(0, at), cf.m_fAmount)) {
            case Amount::Read:
                break;
            case Amount::NotANumber:
                return Refuse(RowRefusal::FormRule, PaymentCode(i, kPaymentNotANumber));
            case Amount::OutOfRange:
                return Refuse(RowRefusal::FormRule, PaymentCode(i, kPaymentTooBig));
            }
            const std::optional<std::int32_t> day =
                at == std::string_view::npos ? std::nullopt : ReadStoredDay(payment.substr(at + 1));
            if (!day)
                return Refuse(RowRefusal::FormRule, PaymentCode(i, kPaymentDate));
            cf.m_nDate = *day;
            bond->m_cashflows.push_back(cf);
        }
    }
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
    if (!Storable(f[1]))
        return Refuse(RowRefusal::IdNotStored);
    if (!Storable(f[2]))
        return Refuse(RowRefusal::NameNotStored);
    RowReading r =
        type == "I" ? ReadTypeI(f, std::make_unique<CBondStd>(0)) : ReadTypeII(f, std::make_unique<CBondFree>(0));
    if (!r.bond)
        return r;
    const std::optional<std::int32_t> release = ReadStoredDay(f[3]);
    if (!release)
        return Refuse(RowRefusal::Release);
    const std::optional<std::int32_t> maturity = ReadStoredDay(f[4]);
    if (!maturity)
        return Refuse(RowRefusal::Maturity);
    r.bond->m_nRelease = *release;
    r.bond->m_nMaturity = *maturity;
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
