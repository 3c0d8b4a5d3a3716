#include "model/pricefield.h"

#include "model/numbers.h"
#include "model/priceupdate.h"
#include "model/text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <string>

namespace tenvix {
namespace {

// A price as digits and the marks between them. Bank files write thousands
// with a full stop, a comma, a blank (also the no-break ones) or an
// apostrophe; only a lone full stop or comma can be a decimal mark.
struct PriceShape {
    enum Kind {
        Plain,          // digits alone, or anything with other characters
        OneMark,        // one full stop or comma, which may be the decimal mark
        Grouped,        // groups of three digits behind marks: thousands
        GroupedDecimal, // the same followed by a decimal mark of the other kind
        Broken,         // marks that are neither
    };
    Kind kind = Plain;
    char mark = 0;           // OneMark: the mark; GroupedDecimal: the decimal mark
    bool threeAfter = false; // OneMark: 1 to 3 digits, the mark, 3 digits (as "1.234")
    bool ambiguous = false;  // OneMark: threeAfter with a whole part other than 0, a thousand perhaps
    bool simple = false;     // a sign, digits and at most one full stop or comma, and a digit at least
};

PriceShape ShapeOf(std::string_view text)
{
    constexpr int kMaxMarks = 16;
    std::array<char, kMaxMarks> marks{};
    std::array<std::size_t, kMaxMarks + 1> runs{};
    int count = 0;
    bool wholeNotZero = false; // a digit other than 0 before the first mark
    std::size_t i = (!text.empty() && (text[0] == '+' || text[0] == '-')) ? 1 : 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            ++runs[static_cast<std::size_t>(count)];
            wholeNotZero = wholeNotZero || (count == 0 && c != '0');
            ++i;
            continue;
        }
        char mark = 0;
        std::size_t width = 1;
        if (c == '.' || c == ',' || c == ' ' || c == '\'') {
            mark = c;
        } else if (text.substr(i, 2) == "\xC2\xA0") { // no-break space
            mark = ' ';
            width = 2;
        } else if (text.substr(i, 3) == "\xE2\x80\xAF") { // narrow no-break space
            mark = ' ';
            width = 3;
        } else if (text.substr(i, 3) == "\xE2\x80\x99") { // right single quotation mark
            mark = '\'';
            width = 3;
        }
        if (!mark || count == kMaxMarks)
            return {}; // an exponent, a letter, a currency sign: no thousands here
        marks[static_cast<std::size_t>(count++)] = mark;
        i += width;
    }
    PriceShape shape;
    const auto groupOf = [&](int k) { return runs[static_cast<std::size_t>(k)]; };
    if (count == 0) {
        shape.simple = groupOf(0) > 0;
        return shape;
    }
    const bool lead = groupOf(0) >= 1 && groupOf(0) <= 3;
    if (count == 1 && (marks[0] == '.' || marks[0] == ',')) {
        shape.kind = PriceShape::OneMark;
        shape.mark = marks[0];
        shape.threeAfter = lead && groupOf(1) == 3;
        shape.ambiguous = shape.threeAfter && wholeNotZero;
        shape.simple = groupOf(0) + groupOf(1) > 0;
        return shape;
    }
    // Thousands: every mark but perhaps the last is the first one's kind and
    // followed by three digits.
    int grouped = 0;
    while (lead && grouped < count && marks[static_cast<std::size_t>(grouped)] == marks[0] && groupOf(grouped + 1) == 3)
        ++grouped;
    if (lead && grouped == count) {
        shape.kind = PriceShape::Grouped;
    } else if (lead && grouped == count - 1 && grouped > 0) {
        const char last = marks[static_cast<std::size_t>(count - 1)];
        if ((last == '.' || last == ',') && last != marks[0]) {
            shape.kind = PriceShape::GroupedDecimal;
            shape.mark = last;
        } else {
            shape.kind = PriceShape::Broken;
        }
    } else {
        shape.kind = PriceShape::Broken;
    }
    return shape;
}

PriceReading FromNewPrice(const NewPrice& read)
{
    switch (read.check) {
    case PriceCheck::OK:
        return {PriceRefusal::None, read.value};
    case PriceCheck::OutOfRange:
        return {PriceRefusal::OutOfRange, read.value};
    case PriceCheck::Invalid:
        break;
    }
    return {PriceRefusal::NotANumber, 0.0};
}

PriceReading InRange(double value)
{
    if (!(value >= kMinNewPrice && value <= kMaxNewPrice))
        return {PriceRefusal::OutOfRange, value};
    return {PriceRefusal::None, value};
}

// The text with its one comma read as a full stop.
PriceReading ReadWithDecimalComma(std::string_view text)
{
    std::string copy(text);
    std::replace(copy.begin(), copy.end(), ',', '.');
    return FromNewPrice(ReadNewPrice(copy));
}

// A simple price (sign, digits, at most one decimal mark), read as
// ReadNewPrice reads it. Up to 15 digits and 22 decimals the quotient of two
// exact doubles is the correctly rounded value, as ReadNewPrice's is; longer
// texts go the long way.
PriceReading ReadSimple(std::string_view text)
{
    constexpr double kPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                       1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    const bool negative = text[0] == '-';
    std::uint64_t mantissa = 0;
    int digits = 0;
    int decimals = -1;
    for (const char c : text) {
        if (c >= '0' && c <= '9') {
            mantissa = mantissa * 10 + static_cast<std::uint64_t>(c - '0');
            ++digits;
            decimals += decimals >= 0 ? 1 : 0;
        } else if (c == '.' || c == ',') {
            decimals = 0;
        }
        if (digits > 15)
            return ReadWithDecimalComma(text);
    }
    double value = static_cast<double>(mantissa);
    if (decimals > 0)
        value /= kPowersOfTen[decimals];
    return InRange(negative ? -value : value);
}

} // namespace

void NoteMarks(DecimalMarks& marks, std::string_view price)
{
    const PriceShape shape = ShapeOf(price);
    if ((shape.kind == PriceShape::OneMark && !shape.ambiguous) || shape.kind == PriceShape::GroupedDecimal) {
        marks.point = marks.point || shape.mark == '.';
        marks.comma = marks.comma || shape.mark == ',';
    }
}

DecimalMark DecidedMark(DecimalMarks marks)
{
    if (marks.point == marks.comma)
        return DecimalMark::Undecided;
    return marks.point ? DecimalMark::Point : DecimalMark::Comma;
}

PriceReading ReadImportedPrice(std::string_view text, bool commaSeparated, DecimalMark mark)
{
    text = Trim(text);
    if (text.empty())
        return {PriceRefusal::NoPrice, 0.0};
    const PriceShape shape = ShapeOf(text);
    switch (shape.kind) {
    case PriceShape::Plain: {
        if (shape.simple)
            return ReadSimple(text);
        // Digits with an exponent or other characters: at most one comma,
        // read as the decimal mark where the file allows one.
        const std::size_t commas = static_cast<std::size_t>(std::count(text.begin(), text.end(), ','));
        if (commas == 0)
            return FromNewPrice(ReadNewPrice(text));
        if (commas > 1 || commaSeparated || text.find('.') != std::string_view::npos)
            return {PriceRefusal::NotANumber, 0.0};
        return ReadWithDecimalComma(text);
    }
    case PriceShape::OneMark: {
        if (shape.mark == ',' && commaSeparated)
            return {shape.threeAfter ? PriceRefusal::ThousandsSeparator : PriceRefusal::NotANumber, 0.0};
        // "1.234" is a thousand where the decimal mark is a comma, "1,234"
        // where it is a full stop; nothing at all until one of them is
        // known. Guessed, either would store a price a thousand times off.
        if (shape.ambiguous) {
            if (mark == DecimalMark::Undecided)
                return {PriceRefusal::Ambiguous, 0.0};
            if (mark != (shape.mark == '.' ? DecimalMark::Point : DecimalMark::Comma))
                return {PriceRefusal::ThousandsSeparator, 0.0};
        }
        if (shape.simple)
            return ReadSimple(text);
        return {PriceRefusal::NotANumber, 0.0}; // a mark without digits
    }
    case PriceShape::Grouped:
    case PriceShape::GroupedDecimal:
        return {PriceRefusal::ThousandsSeparator, 0.0};
    case PriceShape::Broken:
        break;
    }
    return {PriceRefusal::NotANumber, 0.0};
}

bool LooksNumeric(std::string_view text, bool commaSeparated)
{
    const PriceRefusal r = ReadImportedPrice(text, commaSeparated, DecimalMark::Undecided).refusal;
    return r == PriceRefusal::None || r == PriceRefusal::OutOfRange || r == PriceRefusal::ThousandsSeparator ||
           r == PriceRefusal::Ambiguous;
}

} // namespace tenvix
