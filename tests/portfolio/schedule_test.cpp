// The schedule of liabilities read from a file as price files are read, and
// refused whole at its first bad line.

#include "model/date.h"
#include "model/format.h"
#include "portfolio/core/schedule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace tenvix {
namespace {

std::int32_t Day(const char* iso) { return DaySerial(*ParseIsoDate(iso)); }

const std::int32_t kStand = Day("2026-01-15");

std::string ErrorOf(std::string_view text, DecimalMark mark = DecimalMark::Undecided)
{
    return ScheduleErrorText(ReadSchedule(text, kStand, mark));
}

TEST(ReadSchedule, AddsRowsOfOneDateAndKeepsDateOrder)
{
    const Schedule s = ReadSchedule("Datum;Betrag\r\n15.01.2028;1000,50\r\n2027-01-15;200\r\n"
                                    "\r\n15.1.2028;\"99,5\"\r\n",
                                    kStand);
    ASSERT_EQ(s.problem, ScheduleProblem::None) << ScheduleErrorText(s);
    ASSERT_EQ(s.liabilities.size(), 2u);
    EXPECT_EQ(s.liabilities[0].day, Day("2027-01-15"));
    EXPECT_EQ(s.liabilities[0].amount, 200.0);
    EXPECT_EQ(s.liabilities[1].day, Day("2028-01-15"));
    EXPECT_EQ(s.liabilities[1].amount, 1100.0);
    // A date's total is held to what one row may owe, or the schedule
    // written back would not read again; the row that crosses is named.
    const Schedule over = ReadSchedule("2030-01-15,9e11\n2029-01-15,5\n2030-01-15,9e11\n", kStand);
    EXPECT_EQ(ScheduleErrorText(over), "Line 3 : Invalid amount !");
    EXPECT_TRUE(over.liabilities.empty());
    const Schedule typed = MakeSchedule({{Day("2030-01-15"), 6e11}, {Day("2030-01-15"), 6e11}}, kStand);
    EXPECT_EQ(ScheduleErrorText(typed), "Line 2 : Invalid amount !");
}

TEST(ReadSchedule, ReadsTheEncodingsAndHeadingsOfPriceFiles)
{
    // UTF-16 with its mark, a heading in capitals, tabs.
    const std::string utf8 = "DATE\tAMOUNT\n2027-06-30\t1250.25\n";
    std::string utf16 = "\xFF\xFE";
    for (const char c : utf8) {
        utf16 += c;
        utf16 += '\0';
    }
    const Schedule s = ReadSchedule(utf16, kStand);
    ASSERT_EQ(s.problem, ScheduleProblem::None) << ScheduleErrorText(s);
    ASSERT_EQ(s.liabilities.size(), 1u);
    EXPECT_EQ(s.liabilities[0].amount, 1250.25);
    // Without a heading, the first line is a liability.
    const Schedule bare = ReadSchedule("\xEF\xBB\xBF" "2027-06-30,5\n", kStand);
    ASSERT_EQ(bare.liabilities.size(), 1u);
    EXPECT_EQ(bare.liabilities[0].amount, 5.0);
}

TEST(ReadSchedule, NamesTheFirstBadLineCountingEveryLine)
{
    EXPECT_EQ(ErrorOf("date,amount\n2027-01-01,5\n\n2027-02-30,5\n2026-01-01,x\n"), "Line 4 : Invalid date !");
    EXPECT_EQ(ErrorOf("Date,Value\n2027-01-01,5\n"), "Line 1 : Invalid date !");
    EXPECT_EQ(ErrorOf("2027-01-01,5\n2026-01-15,5\n"), "Line 2 : Date should be after the stand date !");
    EXPECT_EQ(ErrorOf("2027-01-01,5\n2027-01-02,abc\n"), "Line 2 : Invalid amount !");
    EXPECT_EQ(ErrorOf("2027-01-01,5\n2027-01-02\n"), "Line 2 : Invalid amount !");
    EXPECT_EQ(ErrorOf("2027-01-01,0\n"), "Line 1 : Amount should be above 0 !");
    EXPECT_EQ(ErrorOf("2027-01-01;-12,5\n"), "Line 1 : Amount should be above 0 !");
    EXPECT_EQ(ErrorOf("2027-01-01,1e300\n"), "Line 1 : Invalid amount !");
    EXPECT_EQ(ErrorOf("2027-01-01,nan\n"), "Line 1 : Invalid amount !");
    // A comma file's "1,500" splits into two fields: read as 1 it would owe
    // a five-hundredth of what was meant.
    EXPECT_EQ(ErrorOf("2027-01-01,1,500\n"), "Line 1 : Invalid amount !");
    EXPECT_EQ(ErrorOf("2027-01-01,1500,,\n"), "");
    // A quoted amount keeps its line ends; the next row's line is its own.
    EXPECT_EQ(ErrorOf("2027-01-01,\"5\n\"\n2027-01-02,?\n"), "Line 3 : Invalid amount !");
    EXPECT_EQ(ErrorOf("2027-01-01,5\n2027-01-02,\"5\n6\"\n"), "Line 2 : Invalid amount !");
}

TEST(ReadSchedule, AmountsThatCouldBeThousandsWaitForTheMark)
{
    EXPECT_EQ(ErrorOf("2027-01-01;1.500\n"), "Line 1 : Ambiguous number !");
    const Schedule point = ReadSchedule("2027-01-01;1.500\n", kStand, DecimalMark::Point);
    ASSERT_EQ(point.liabilities.size(), 1u);
    EXPECT_EQ(point.liabilities[0].amount, 1.5);
    // The file's other amounts tell the mark: here a decimal comma, so
    // "1.500" is a thousand written with a separator, which is refused.
    EXPECT_EQ(ErrorOf("2027-01-01;2,25\n2027-02-01;1.500\n"), "Line 2 : Invalid amount !");
    const Schedule told = ReadSchedule("2027-01-01;2.25\n2027-02-01;1.500\n", kStand);
    ASSERT_EQ(told.liabilities.size(), 2u);
    EXPECT_EQ(told.liabilities[1].amount, 1.5);
}

TEST(ReadSchedule, RefusesEmptyAndOverlongSchedules)
{
    EXPECT_EQ(ErrorOf(""), "No liabilities !");
    EXPECT_EQ(ErrorOf("date,amount\r\n\r\n"), "No liabilities !");
    std::string rows = "date,amount\n";
    for (int k = 0; k < 1000; ++k)
        rows += "2027-01-01,1\n";
    const Schedule full = ReadSchedule(rows, kStand);
    ASSERT_EQ(full.problem, ScheduleProblem::None);
    ASSERT_EQ(full.liabilities.size(), 1u);
    EXPECT_EQ(full.liabilities[0].amount, 1000.0);
    EXPECT_EQ(ErrorOf(rows + "2027-01-01,1\n"), "More than 1000 liabilities !");
    // A file the CSV reader cannot read is told in the price files' words.
    EXPECT_EQ(ErrorOf("2027-01-01,\"5\n"), "The quote that opens in line 1 is not closed .");
}

TEST(ScheduleCsv, ReadsBackToTheSameSchedule)
{
    const std::vector<Liability> typed = {{Day("2030-12-31"), 1e6}, {Day("2027-03-01"), 0.125}, {Day("2030-12-31"), 7}};
    const Schedule made = MakeSchedule(typed, kStand);
    ASSERT_EQ(made.problem, ScheduleProblem::None);
    const std::string csv = ScheduleCsv(made.liabilities);
    EXPECT_EQ(csv, "date,amount\r\n2027-03-01,0.125\r\n2030-12-31,1000007.00\r\n");
    const Schedule back = ReadSchedule(csv, kStand);
    ASSERT_EQ(back.liabilities.size(), 2u);
    for (std::size_t k = 0; k < 2; ++k) {
        EXPECT_EQ(back.liabilities[k].day, made.liabilities[k].day);
        EXPECT_EQ(back.liabilities[k].amount, made.liabilities[k].amount);
    }
    // An amount whose shortest text has three decimals could be read as a
    // thousand: it is written with a fourth, so the file says which it is.
    const std::vector<Liability> doubtful = {{Day("2027-01-15"), 1.202}, {Day("2028-01-15"), 12345.678}};
    const std::string text = ScheduleCsv(doubtful);
    EXPECT_EQ(text, "date,amount\r\n2027-01-15,1.2020\r\n2028-01-15,12345.6780\r\n");
    const Schedule reread = ReadSchedule(text, kStand);
    ASSERT_EQ(reread.problem, ScheduleProblem::None);
    ASSERT_EQ(reread.liabilities.size(), 2u);
    EXPECT_EQ(reread.liabilities[0].amount, 1.202);
    EXPECT_EQ(reread.liabilities[1].amount, 12345.678);
}

TEST(MakeSchedule, RefusesTypedRowsByTheirPlace)
{
    const std::int32_t later = Day("2027-01-01");
    EXPECT_EQ(ScheduleErrorText(MakeSchedule({}, kStand)), "No liabilities !");
    EXPECT_EQ(ScheduleErrorText(MakeSchedule({{later, 1}, {kStand, 1}}, kStand)),
              "Line 2 : Date should be after the stand date !");
    EXPECT_EQ(ScheduleErrorText(MakeSchedule({{later, std::nan("")}}, kStand)), "Line 1 : Invalid amount !");
    EXPECT_EQ(ScheduleErrorText(MakeSchedule({{later, 1}, {later, -1}}, kStand)), "Line 2 : Amount should be above 0 !");
    EXPECT_EQ(ScheduleErrorText(MakeSchedule(std::vector<Liability>(1001, {later, 1}), kStand)),
              "More than 1000 liabilities !");
}

} // namespace
} // namespace tenvix
