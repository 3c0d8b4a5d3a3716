// tenvix-cli cashflows, run as a user would: what it prints, on which stream,
// and with which exit status.

#include "clirun.h"

namespace {

using tenvix::test::CliRun;
using tenvix::test::Refused;

class CliCashflows : public tenvix::test::CliTest {
protected:
    CliRun Cashflows(const std::string& args) const
    {
        return Run("cashflows --stand 2003-03-01 --horizon 2005-03-01 " + args);
    }
};

TEST_F(CliCashflows, PrintsTheFigures)
{
    EXPECT_EQ(Cashflows("--price 100 110@2004-03-01"),
              (CliRun{0, "ytm=0.10000000\nd1=1.00000000\nh=2.00000000\n", ""}));
    // Across 29 February the calendar year is 366 days by day count.
    EXPECT_EQ(Cashflows("--price 100 --method 365d --square-m 110@2004-03-01"),
              (CliRun{0, "ytm=0.09971359\nd1=1.00273973\nm2=1.00000000\nh=2.00273973\n", ""}));
}

TEST_F(CliCashflows, FailuresGoToStandardErrorWithTheirRow)
{
    // Which fault comes first and its words for every row are
    // CashflowCalc.FaultsComeInTheirOrder's; here what the command adds.
    const std::pair<const char*, const char*> cases[] = {
        // Less to come than the price, or nothing (a payment of 0 keeps its
        // row): the window shows "Error" for the yield; here no figure is printed.
        {"--price 100 --square-m 60@2004-03-01 39@2005-03-01", "Bad YTM .\n"},
        {"--price 100 --square-m 0@2004-03-01", "Bad YTM .\n"},
        // No amount before the '@' is no number, not a payment of 0.
        {"--price 100 @2004-03-01", "Invalid cashflow  in row 1 !\n"},
        {"--price 100 110@2004-03-01 '  @2005-03-01'", "Invalid cashflow  in row 2 !\n"},
        // In the window's order: the price before the rows.
        {"--price 0 @2004-03-01", "Negative or low Spot Price !\n"},
        // A date that does not read is its row's fault, not a usage error.
        {"--price 100 50@2004-03-01 60@2005-02-30", "Invalid date in row 2 !\n"},
    };
    for (const auto& [args, err] : cases)
        EXPECT_EQ(Cashflows(args), Refused(err)) << args;
}

TEST_F(CliCashflows, UsageErrors)
{
    for (const std::string args :
         {"--stand 2003-03-01 --horizon 2005-03-01 110@2004-03-01",           // no price
          "--stand 1.3.2003 --horizon 2005-03-01 --price 100 110@2004-03-01", // not an ISO date
          "--stand 2003-03-01 --horizon 2005-03-01 --price 100",              // no payments
          "--stand 2003-03-01 --horizon 2005-03-01 --price 100 110",          // no date
          "--stand 2003-03-01 --horizon 2005-03-01 --price 100 --method 360d 110@2004-03-01"}) {
        ExpectUsage("cashflows " + args);
        EXPECT_EQ(Slurp("out"), "") << args;
    }
    // The grid holds 200 rows.
    std::string many = "--price 100";
    for (int i = 0; i < 200; ++i)
        many += " 1@2004-03-01";
    EXPECT_EQ(Cashflows(many).status, 0);
    EXPECT_EQ(Cashflows(many + " 1@2004-03-01").status, 2);
}

} // namespace
