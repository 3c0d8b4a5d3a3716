#include "model/pricemessages.h"

#include <initializer_list>

namespace tenvix {
namespace {

struct FileErrorText {
    PriceFileError error;
    const char* text; // each %d takes the next number
};
constexpr FileErrorText kFileErrorTexts[] = {
    {PriceFileError::None, ""},
    {PriceFileError::Cancelled, "The import was cancelled ."},
    {PriceFileError::TooLarge, "The file is larger than %d MB ."},
    {PriceFileError::NotText, "This is not a text file ."},
    {PriceFileError::UnreadEncoding, "The file is in %s, which cannot be read ; save it as UTF-8 ."},
    {PriceFileError::LineTooLong, "Line %d is longer than %d bytes ."},
    {PriceFileError::TooManyColumns, "Line %d has more than %d columns ."},
    {PriceFileError::QuoteNotClosed, "The quote that opens in line %d is not closed ."},
    {PriceFileError::TooManyRows, "The file has more than %d rows ."},
    {PriceFileError::Empty, "The file holds no prices ."},
    {PriceFileError::NoPriceColumn, "No column of prices found ."},
};

struct RefusalText {
    PriceRefusal refusal;
    const char* text;
};
constexpr RefusalText kRefusalTexts[] = {
    {PriceRefusal::None, ""},
    {PriceRefusal::NoId, "No ID !"},
    {PriceRefusal::NoPrice, "No price !"},
    {PriceRefusal::NotANumber, "Invalid price !"},
    {PriceRefusal::OutOfRange, "New Price out of range !"},
    {PriceRefusal::ThousandsSeparator, "Thousands separators not accepted !"},
    {PriceRefusal::Ambiguous, "Ambiguous number !"},
    {PriceRefusal::SeveralBonds, "ID matches %d bonds !"},
    {PriceRefusal::SameIdOtherPrice, "Same ID with another price in line %d !"},
    {PriceRefusal::SameBondOtherPrice, "Same bond with another price in line %d !"},
    {PriceRefusal::NotTypeI, "Clean quotes need a Type I bond !"},
};

std::string Substitute(std::string_view format, std::initializer_list<std::int64_t> numbers)
{
    std::string out;
    auto next = numbers.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format.substr(i, 2) == "%d" && next != numbers.end()) {
            out += std::to_string(*next++);
            ++i;
        } else {
            out += format[i];
        }
    }
    return out;
}

} // namespace

std::string PriceFileErrorText(PriceFileError error, std::int64_t detail)
{
    for (const FileErrorText& t : kFileErrorTexts) {
        if (t.error != error)
            continue;
        switch (error) {
        case PriceFileError::TooLarge:
            return Substitute(t.text, {static_cast<std::int64_t>(kMaxCsvBytes >> 20)});
        case PriceFileError::LineTooLong:
            return Substitute(t.text, {detail, static_cast<std::int64_t>(kMaxCsvRecordBytes)});
        case PriceFileError::TooManyColumns:
            return Substitute(t.text, {detail, static_cast<std::int64_t>(kMaxCsvColumns)});
        case PriceFileError::UnreadEncoding: {
            const std::string_view text = t.text;
            const std::size_t at = text.find("%s");
            return std::string(text.substr(0, at)) + EncodingName(static_cast<CsvEncoding>(detail)) +
                   std::string(text.substr(at + 2));
        }
        default:
            return Substitute(t.text, {detail});
        }
    }
    return {};
}

const char* PriceRefusalWords(PriceRefusal refusal)
{
    for (const RefusalText& t : kRefusalTexts)
        if (t.refusal == refusal)
            return t.text;
    return "";
}

std::string PriceRefusalText(const PriceVerdict& verdict)
{
    if (verdict.kind != PriceVerdictKind::Refused)
        return {};
    return Substitute(PriceRefusalWords(verdict.refusal),
                      {verdict.refusal == PriceRefusal::SeveralBonds ? verdict.matches : verdict.otherLine});
}

const char* PriceVerdictName(PriceVerdictKind kind)
{
    switch (kind) {
    case PriceVerdictKind::Update:
        return "update";
    case PriceVerdictKind::Unchanged:
        return "unchanged";
    case PriceVerdictKind::Unknown:
        return "unknown";
    case PriceVerdictKind::NotAlive:
        return "not_alive";
    case PriceVerdictKind::Refused:
        break;
    }
    return "refused";
}

} // namespace tenvix
