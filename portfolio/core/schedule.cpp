#include "portfolio/core/schedule.h"

#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/pricecolumns.h"
#include "model/pricefile.h"
#include "model/pricemessages.h"
#include "model/text.h"

#include <algorithm>
#include <cmath>

namespace tenvix {
namespace {

struct ScheduleRow {
    std::int64_t line = 0;
    std::string date;
    std::string amount;
    bool extra = false; // a third field that is not empty
};

bool IsHeading(const CsvRecord& first)
{
    if (first.fields.size() < 2)
        return false;
    const std::string a = FoldCase(Trim(first.fields[0]));
    const std::string b = FoldCase(Trim(first.fields[1]));
    return (a == "date" && b == "amount") || (a == "datum" && b == "betrag");
}

class ScheduleTaker final : public RowsTaker {
public:
    RowsLayout Layout(std::span<const CsvRecord> sample, char separator) override
    {
        commaSeparated = separator == ',';
        return {true, IsHeading(sample.front())};
    }
    void Take(const CsvRecord& r) override
    {
        ScheduleRow& row = rows.emplace_back();
        row.line = r.line;
        row.date = FieldOf(r, 0);
        row.amount = FieldOf(r, 1);
        for (std::size_t k = 2; k < r.fields.size(); ++k)
            row.extra = row.extra || !Trim(r.fields[k]).empty();
        NoteMarks(marks, row.amount);
    }

    bool commaSeparated = true;
    DecimalMarks marks;
    std::vector<ScheduleRow> rows;
};

Schedule Refused(ScheduleProblem problem, std::int64_t line = 0)
{
    Schedule s;
    s.problem = problem;
    s.line = line;
    return s;
}

// An amount read, or why not.
ScheduleProblem AmountProblem(double value)
{
    if (std::isnan(value))
        return ScheduleProblem::InvalidAmount;
    if (!(value > 0))
        return ScheduleProblem::AmountNotAboveZero;
    if (!(value <= kMaxLiabilityAmount))
        return ScheduleProblem::InvalidAmount;
    return ScheduleProblem::None;
}

// A row read, with the line that gave it.
struct LineLiability {
    Liability liability;
    std::int64_t line = 0;
};

// The rows in date order, those of one date added; refused at the row whose
// addition takes its date's total beyond what one row may owe, so that the
// schedule written back reads again.
Schedule Merged(std::vector<LineLiability> rows)
{
    std::stable_sort(rows.begin(), rows.end(),
                     [](const LineLiability& a, const LineLiability& b) { return a.liability.day < b.liability.day; });
    Schedule s;
    for (const auto& [l, line] : rows) {
        if (!s.liabilities.empty() && s.liabilities.back().day == l.day)
            s.liabilities.back().amount += l.amount;
        else
            s.liabilities.push_back(l);
        if (!(s.liabilities.back().amount <= kMaxLiabilityAmount))
            return Refused(ScheduleProblem::InvalidAmount, line);
    }
    return s;
}

} // namespace

Schedule ReadSchedule(std::string_view bytes, std::int32_t standDay, DecimalMark mark)
{
    ScheduleTaker taker;
    const RowsRead read = ReadRows(bytes, taker, {}, kMaxLiabilities);
    if (read.error == RowsFileError::Empty)
        return Refused(ScheduleProblem::NoLiabilities);
    if (read.error == RowsFileError::TooManyRows)
        return Refused(ScheduleProblem::TooMany);
    if (read.error != RowsFileError::None) {
        Schedule s = Refused(ScheduleProblem::File);
        s.fileError = read.error;
        s.fileDetail = read.errorDetail;
        return s;
    }
    if (mark == DecimalMark::Undecided)
        mark = DecidedMark(taker.marks);
    std::vector<LineLiability> rows;
    for (const ScheduleRow& row : taker.rows) {
        const auto date = ParseFileDate(Trim(row.date));
        if (!date)
            return Refused(ScheduleProblem::InvalidDate, row.line);
        const std::int32_t day = DaySerial(*date);
        if (day <= standDay)
            return Refused(ScheduleProblem::DateNotAfterStand, row.line);
        if (row.extra)
            return Refused(ScheduleProblem::InvalidAmount, row.line);
        const PriceReading amount = ReadImportedPrice(row.amount, taker.commaSeparated, mark);
        switch (amount.refusal) {
        case PriceRefusal::None:
        case PriceRefusal::OutOfRange:
            if (const ScheduleProblem p = AmountProblem(amount.value); p != ScheduleProblem::None)
                return Refused(p, row.line);
            break;
        case PriceRefusal::Ambiguous:
            return Refused(ScheduleProblem::AmbiguousNumber, row.line);
        default:
            return Refused(ScheduleProblem::InvalidAmount, row.line);
        }
        rows.push_back({{day, amount.value}, row.line});
    }
    return Merged(std::move(rows));
}

Schedule MakeSchedule(const std::vector<Liability>& rows, std::int32_t standDay)
{
    if (rows.empty())
        return Refused(ScheduleProblem::NoLiabilities);
    if (rows.size() > kMaxLiabilities)
        return Refused(ScheduleProblem::TooMany);
    std::vector<LineLiability> lined;
    for (std::size_t k = 0; k < rows.size(); ++k) {
        const auto line = static_cast<std::int64_t>(k + 1);
        if (rows[k].day <= standDay)
            return Refused(ScheduleProblem::DateNotAfterStand, line);
        if (const ScheduleProblem p = AmountProblem(rows[k].amount); p != ScheduleProblem::None)
            return Refused(p, line);
        lined.push_back({rows[k], line});
    }
    return Merged(std::move(lined));
}

std::string ScheduleErrorText(const Schedule& schedule)
{
    const char* reason = nullptr;
    switch (schedule.problem) {
    case ScheduleProblem::None:
        return {};
    case ScheduleProblem::File:
        return PriceFileErrorText(PriceFileErrorOf(schedule.fileError), schedule.fileDetail);
    case ScheduleProblem::NoLiabilities:
        return "No liabilities !";
    case ScheduleProblem::TooMany:
        return "More than " + std::to_string(kMaxLiabilities) + " liabilities !";
    case ScheduleProblem::InvalidDate:
        reason = "Invalid date !";
        break;
    case ScheduleProblem::DateNotAfterStand:
        reason = "Date should be after the stand date !";
        break;
    case ScheduleProblem::InvalidAmount:
        reason = "Invalid amount !";
        break;
    case ScheduleProblem::AmountNotAboveZero:
        reason = "Amount should be above 0 !";
        break;
    case ScheduleProblem::AmbiguousNumber:
        reason = "Ambiguous number !";
        break;
    }
    return "Line " + std::to_string(schedule.line) + " : " + reason;
}

std::string FormatLiability(double amount)
{
    // The fewest decimals, from two, that read back as the same double; three
    // after a whole part get a fourth, as "1.202" could be a thousand.
    for (int decimals = 2; decimals <= 20; ++decimals) {
        std::string text = FormatFixed(amount, decimals);
        if (ReadDecimal(text) == amount)
            return decimals == 3 && amount >= 1 ? text + '0' : text;
    }
    return FormatShortest(amount);
}

std::string ScheduleCsv(const std::vector<Liability>& liabilities)
{
    std::string out = "date,amount\r\n";
    for (const Liability& l : liabilities) {
        AppendIsoDate(out, l.day);
        out += ',';
        out += FormatLiability(l.amount);
        out += "\r\n";
    }
    return out;
}

} // namespace tenvix
