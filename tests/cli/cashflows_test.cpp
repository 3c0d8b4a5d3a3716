// tenvix-cli cashflows, run as a user would: what it prints, on which stream,
// and with which exit status.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

std::string Quote(const std::string& s)
{
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

std::string Slurp(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

Outcome Cashflows(const std::vector<std::string>& args)
{
    const auto dir = std::filesystem::temp_directory_path();
    const auto out = dir / ("tenvix_cashflows_out_" + std::to_string(::getpid()));
    const auto err = dir / ("tenvix_cashflows_err_" + std::to_string(::getpid()));
    std::string cmd = Quote(TENVIX_CLI) + " cashflows";
    for (const std::string& a : args)
        cmd += " " + Quote(a);
    cmd += " >" + Quote(out.string()) + " 2>" + Quote(err.string());
    const int raw = std::system(cmd.c_str());
    Outcome r{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(out), Slurp(err)};
    std::filesystem::remove(out);
    std::filesystem::remove(err);
    return r;
}

const std::vector<std::string> kDates = {"--stand", "2003-03-01", "--horizon", "2005-03-01"};

std::vector<std::string> With(std::vector<std::string> extra)
{
    std::vector<std::string> a = kDates;
    a.insert(a.end(), extra.begin(), extra.end());
    return a;
}

TEST(CliCashflows, PrintsTheFiguresOrError)
{
    Outcome r = Cashflows(With({"--price", "100", "110@2004-03-01"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ytm=0.10000000\nd1=1.00000000\nh=2.00000000\n");
    EXPECT_EQ(r.err, "");

    // Across 29 February the calendar year is 366 days by day count.
    r = Cashflows(With({"--price", "100", "--method", "365d", "--square-m", "110@2004-03-01"}));
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, "ytm=0.09971359\nd1=1.00273973\nm2=1.00000000\nh=2.00273973\n");

    // Less to come than the price: "Error" where the window would show it,
    // and still the horizon.
    r = Cashflows(With({"--price", "100", "--square-m", "60@2004-03-01", "39@2005-03-01"}));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, "ytm=Error\nh=2.00000000\n");
}

TEST(CliCashflows, FaultsGoToStandardErrorWithTheirRow)
{
    Outcome r = Cashflows(With({"--price", "100", "50@2004-03-01", "-5@2005-03-01"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Cashflow in row 2 should be positive \nor not so big !\n");

    r = Cashflows(With({"--price", "100", "50@2004-03-01", "60@2005-02-30"}));
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Invalid date in row 2 !\n");
}

TEST(CliCashflows, UsageErrors)
{
    const std::vector<std::vector<std::string>> bad = {
        With({"110@2004-03-01"}),                                 // no price
        {"--stand", "2003-03-01", "--price", "100", "110@2004-03-01"}, // no horizon
        With({"--price", "100"}),                                 // no payments
        With({"--price", "100", "110"}),                          // no date
        With({"--price", "100", "--method", "360d", "110@2004-03-01"}),
        {"--stand", "1.3.2003", "--horizon", "2005-03-01", "--price", "100", "110@2004-03-01"},
    };
    for (const auto& args : bad) {
        const Outcome r = Cashflows(args);
        EXPECT_EQ(r.status, 2) << r.err;
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("usage:"), std::string::npos);
    }

    std::vector<std::string> many = With({"--price", "100"});
    many.insert(many.end(), 201, "1@2004-03-01");
    EXPECT_EQ(Cashflows(many).status, 2) << "the grid holds 200 rows";
    many.pop_back();
    EXPECT_EQ(Cashflows(many).status, 0);
}

} // namespace
