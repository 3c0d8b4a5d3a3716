// The list operations the windows run on the whole database.

#include "model/bondlist.h"
#include "testbonds.h"

#include <gtest/gtest.h>

using namespace tenvix;
using test::Day;

namespace {

std::string Ids(const CBondList& list)
{
    std::string ids;
    for (const auto& b : list.m_list)
        ids += b ? b->m_strID : "-";
    return ids;
}

} // namespace

TEST(DeleteMatured, RemovesWhatMaturesBeforeTheDayAndKeepsTheOrder)
{
    CBondList list;
    for (int i = 0; i < 10; ++i) {
        // Three mature the day before, one on the day itself.
        const double maturity = i == 2 || i == 4 || i == 9 ? Day(2024, 3, 14)
                                : i == 6                   ? Day(2024, 3, 15)
                                                           : Day(2040, 1, 1);
        list.m_list.push_back(test::StdBond("B" + std::to_string(i), 12, 1, 100, 90, Day(2000, 1, 1), maturity));
    }
    // A Type II record matures with its last payment.
    list.m_list.push_back(test::FreeBond("F", 90, {{Day(2024, 3, 14), 50}, {Day(2023, 1, 1), 50}}));
    list.m_list.push_back(nullptr); // no record at all: nothing to judge, nothing to remove
    const CBondList::Position kept = std::next(list.m_list.begin());

    EXPECT_EQ(list.DeleteMatured(DaySerial(Day(2024, 3, 14))), 0u);
    EXPECT_EQ(Ids(list), "B0B1B2B3B4B5B6B7B8B9F-");
    EXPECT_EQ(list.DeleteMatured(DaySerial(Day(2024, 3, 15))), 4u);
    EXPECT_EQ(Ids(list), "B0B1B3B5B6B7B8-");
    // The records that stay keep their places: positions held stay good.
    EXPECT_EQ((*kept)->m_strID, "B1");
    EXPECT_EQ(list.DeleteMatured(DaySerial(Day(2050, 1, 1))), 7u);
    EXPECT_EQ(Ids(list), "-");
}
