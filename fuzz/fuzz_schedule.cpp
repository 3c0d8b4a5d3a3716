// Feeds arbitrary bytes to the schedule reader, as a schedule file would
// reach the fund and ladder commands and the Fund schedule dialog. Whatever
// the bytes, reading ends; a refused file has its words and no liabilities;
// an accepted one is in date order, one a date, each after the stand day and
// above 0, and written as a file it reads back the same.

#include "portfolio/core/schedule.h"

#include <cmath>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tenvix;
    constexpr std::int32_t kStandDay = 46023; // 1 January 2026
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const DecimalMark mark = size % 3 == 0 ? DecimalMark::Undecided
                             : size % 3 == 1 ? DecimalMark::Point
                                             : DecimalMark::Comma;
    const Schedule s = ReadSchedule(bytes, kStandDay, mark);
    if (s.problem != ScheduleProblem::None) {
        if (!s.liabilities.empty() || ScheduleErrorText(s).empty())
            std::abort();
        return 0;
    }
    if (s.liabilities.empty() || s.liabilities.size() > kMaxLiabilities)
        std::abort();
    for (std::size_t k = 0; k < s.liabilities.size(); ++k) {
        const Liability& l = s.liabilities[k];
        if (l.day <= kStandDay || !(l.amount > 0) || !std::isfinite(l.amount) ||
            (k > 0 && l.day <= s.liabilities[k - 1].day))
            std::abort();
    }
    const Schedule back = ReadSchedule(ScheduleCsv(s.liabilities), kStandDay);
    if (back.problem != ScheduleProblem::None || back.liabilities.size() != s.liabilities.size())
        std::abort();
    for (std::size_t k = 0; k < s.liabilities.size(); ++k)
        if (back.liabilities[k].day != s.liabilities[k].day || back.liabilities[k].amount != s.liabilities[k].amount)
            std::abort();
    return 0;
}
