// A bank's list judged row by row: each row's fields read in the file's
// notation, made into a Type I record by the record form's rules, and matched
// against the database.

#include "model/banklist.h"

#include "model/bond.h"
#include "model/date.h"
#include "model/format.h"
#include "model/pricemessages.h"
#include "model/recordmatch.h"
#include "model/recordmessages.h"
#include "model/recordrules.h"
#include "model/text.h"

#include <algorithm>

namespace tenvix {
namespace {

constexpr double kDefaultFace = 100.0;
constexpr std::int32_t kDefaultPeriod = 12;

// A row read, or the reason it is refused in the words of the record form
// where the form has words for it.
struct Reading {
    std::string reason;
    int code = FORM_OK;
    bool Refused() const { return code != FORM_OK || !reason.empty(); }
};

class RowReader {
public:
    RowReader(const BankList& list, const BankRow& row) : m_list(list), m_row(row) {}

    // A number of the field: `bad` (the form's code) when it is none.
    std::optional<double> Number(BankField field, int bad, Reading& r) const
    {
        const PriceReading read = ReadImportedPrice(m_row.NumberText(field), m_list.separator == ',', m_list.decimalMark);
        switch (read.refusal) {
        case PriceRefusal::None:
        case PriceRefusal::OutOfRange:
            return read.value;
        case PriceRefusal::ThousandsSeparator:
        case PriceRefusal::Ambiguous:
            r.reason = Named(field) + ": " + PriceRefusalWords(read.refusal);
            return std::nullopt;
        default:
            break;
        }
        r.code = bad;
        return std::nullopt;
    }

    // A date of the field: DD.MM.YYYY or YYYY-MM-DD. Day and month either
    // way round ("01/02/2030") is refused as ambiguous.
    std::optional<std::int32_t> Date(BankField field, const char* invalid, Reading& r) const
    {
        const std::string_view text = m_row.Field(field);
        if (const std::optional<double> date = ParseFileDate(text))
            return DaySerial(*date);
        r.reason = EitherWayRound(text) ? Named(field) + ": Ambiguous date !" : std::string(invalid);
        return std::nullopt;
    }

    std::string_view Text(BankField field) const { return m_row.Field(field); }
    // An optional field the row fills; an empty cell takes the default.
    bool Given(BankField field) const { return !m_row.Field(field).empty(); }

private:
    std::string Named(BankField field) const { return ColumnName(m_list, m_list.columns[field]); }

    // Three numbers joined by '/' or '-', the first two of which could each
    // be the month.
    static bool EitherWayRound(std::string_view text)
    {
        int parts[3] = {0, 0, 0};
        int digits[3] = {0, 0, 0};
        int part = 0;
        char mark = 0;
        for (const char c : text) {
            if (c == '/' || c == '-') {
                if ((mark && c != mark) || ++part > 2)
                    return false;
                mark = c;
            } else if (c >= '0' && c <= '9' && digits[part] < 4) {
                parts[part] = parts[part] * 10 + (c - '0');
                ++digits[part];
            } else {
                return false;
            }
        }
        return part == 2 && digits[0] >= 1 && digits[0] <= 2 && digits[1] >= 1 && digits[1] <= 2 &&
               digits[2] >= 2 && parts[0] >= 1 && parts[0] <= 12 && parts[1] >= 1 && parts[1] <= 12 &&
               parts[0] != parts[1];
    }

    const BankList& m_list;
    const BankRow& m_row;
};

// The pay period: a whole number of months, as the form's Periods box takes
// it, in digits alone; more than nine of them could pass the 32-bit range
// the reading stops at.
std::optional<std::int32_t> Period(std::string_view text, Reading& r)
{
    const bool digits = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    std::int32_t months = 0;
    r.code = digits ? ReadFormPeriod(text, months) : FORM_BAD_PERIOD;
    if (r.code == FORM_OK && text.size() > 9)
        r.code = FORM_PERIOD_RANGE;
    if (r.code != FORM_OK)
        return std::nullopt;
    return months;
}

// The record of a row, or why there is none.
std::unique_ptr<CBondStd> MakeRecord(const BankList& list, const BankRow& row, const BankTerms& terms,
                                     std::string_view id, Reading& r)
{
    const RowReader read(list, row);
    const std::optional<double> rate = read.Number(BankField::Rate, FORM_BAD_COUPON, r);
    if (!rate)
        return nullptr;
    const std::optional<std::int32_t> maturity = read.Date(BankField::Maturity, "Invalid Maturity Date !", r);
    if (!maturity)
        return nullptr;
    const std::optional<double> quote = read.Number(BankField::Price, FORM_BAD_PRICE, r);
    if (!quote)
        return nullptr;
    std::optional<double> face = kDefaultFace;
    if (read.Given(BankField::Face) && !(face = read.Number(BankField::Face, FORM_BAD_FACE, r)))
        return nullptr;
    std::optional<std::int32_t> period = kDefaultPeriod;
    if (read.Given(BankField::Period) && !(period = Period(read.Text(BankField::Period), r)))
        return nullptr;
    std::optional<std::int32_t> release;
    if (read.Given(BankField::Release)) {
        if (!(release = read.Date(BankField::Release, "Invalid Release Date !", r)))
            return nullptr;
    } else if (!(release = DefaultRelease(*maturity, *period, terms.standDay))) {
        r.reason = "Invalid Release Date !";
        return nullptr;
    }

    // The form's rules, in the form's order: the coupon, the face value, the
    // price (the pay period was read whole above), the dates.
    // The coupon is worked out of the face value: a face the form refuses
    // is named as such, not as the coupon it would make.
    const double coupon = *rate * *face / 100.0 * *period / 12.0;
    if (!InFormRange(*rate, kCouponFloor)) {
        r.code = FORM_COUPON_RANGE;
        return nullptr;
    }
    if (!InFormRange(*face, kFaceFloor)) {
        r.code = FORM_FACE_RANGE;
        return nullptr;
    }
    if (!InFormRange(coupon, kCouponFloor)) {
        r.code = FORM_COUPON_RANGE;
        return nullptr;
    }
    // A quote of nothing is no price, whatever has accrued.
    if (!InFormRange(*quote * *face / 100.0, kPriceFloor)) {
        r.code = FORM_PRICE_RANGE;
        return nullptr;
    }
    auto bond = std::make_unique<CBondStd>(*maturity);
    bond->SetData(*period, static_cast<float>(coupon), static_cast<float>(*face), 0.0f, *release, *maturity,
                  id, read.Text(BankField::Name));
    const double price = terms.quotes == PriceQuotes::Clean ? PriceOfCleanQuote(*bond, *quote, terms.standDay).price
                                                            : *quote * static_cast<double>(bond->m_fFace) / 100.0;
    if (!InFormRange(price, kPriceFloor)) {
        r.code = FORM_PRICE_RANGE;
        return nullptr;
    }
    bond->m_fPrice = static_cast<float>(price);
    if (!(*release < *maturity)) {
        r.code = FORM_MATURITY_NOT_AFTER_RELEASE;
        return nullptr;
    }
    return bond;
}

} // namespace

BondImport JudgeBankList(const BankList& list, CBondList& database, const BankTerms& terms,
                         const BondImportProgress& progress)
{
    BondImport result;
    if (!BankListErrorText(list).empty())
        return result;
    RecordMatcher matcher(database);
    result.verdicts.reserve(list.rows.size());
    std::size_t done = 0;
    for (const BankRow& row : list.rows) {
        if (progress && ++done % 4096 == 0 && !progress(done, list.rows.size())) {
            result.cancelled = true;
            result.verdicts.clear();
            return result;
        }
        BondVerdict& v = result.verdicts.emplace_back();
        v.line = row.line;
        v.id = row.Field(BankField::Id);
        if (v.id.empty()) {
            v.refusal = BondRefusal::Worded;
            v.reason = "No ID !";
            continue;
        }
        if (matcher.SeenBefore(v.id)) {
            v.refusal = BondRefusal::DuplicateId;
            continue;
        }
        if (!Cp1252Spells(v.id)) {
            v.refusal = BondRefusal::Row;
            v.row = RowRefusal::IdNotStored;
            continue;
        }
        if (v.id.find_first_of("\r\n") != std::string::npos) {
            v.refusal = BondRefusal::Row;
            v.row = RowRefusal::IdLineBreak;
            continue;
        }
        if (!Cp1252Spells(row.Field(BankField::Name))) {
            v.refusal = BondRefusal::Row;
            v.row = RowRefusal::NameNotStored;
            continue;
        }
        Reading r;
        std::unique_ptr<CBondStd> record = MakeRecord(list, row, terms, v.id, r);
        if (!record) {
            if (r.code != FORM_OK) {
                v.refusal = BondRefusal::Row;
                v.row = RowRefusal::FormRule;
                v.code = r.code;
            } else {
                v.refusal = BondRefusal::Worded;
                v.reason = std::move(r.reason);
            }
            continue;
        }
        matcher.Judge(v, std::move(record));
    }
    return result;
}

} // namespace tenvix
