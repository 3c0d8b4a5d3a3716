// tenvix-cli portfolio and suggest, run as a user would run them, against the
// sample database.

#include "examples/sample_data.h"
#include "model/date.h"
#include "portfolio/core/bondportf.h"
#include "portfolio/core/portfoliofile.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace tenvix {
namespace {

namespace fs = std::filesystem;

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

class CliPortfolio : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() /
              ("tenvix_cli_portfolio_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
    }
    void TearDown() override { fs::remove_all(dir); }

    CliRun Cli(const std::string& args)
    {
        const std::string cmd = std::string("'") + TENVIX_CLI + "' " + args + " >'" + (dir / "out").string() + "' 2>'" +
                                (dir / "err").string() + "'";
        const int raw = std::system(cmd.c_str());
        return {WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, Slurp(dir / "out"), Slurp(dir / "err")};
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const fs::path p = dir / name;
        std::ofstream(p, std::ios::binary) << bytes;
        return "'" + p.string() + "'";
    }

    std::string Portfolio(const std::string& bdp, const char* dates = "--stand 2025-06-30 --horizon 2032-06-30")
    {
        return "portfolio " + sample + " " + bdp + " " + dates;
    }

    fs::path dir;
    const std::string sample = std::string("'") + TENVIX_SOURCE_DIR + "/examples/sample.bnd'";
};

TEST_F(CliPortfolio, RowsAndTheCompositeFigures)
{
    // A stored 2.5 counts as the 2 the window shows.
    const std::vector<PortfolioEntry> rows{{"gov-2034-a", 10.0}, {"ZERO-2032", 2.5}, {"SINK-2033", 0.0}};
    const CliRun r = Cli(Portfolio(Write("p.bdp", StorePortfolio(rows))));
    ASSERT_EQ(r.status, 0) << r.err;

    CBondList db = MakeSampleDatabase();
    const double stand = *MakeDate(2025, 6, 30), horizon = *MakeDate(2032, 6, 30);
    std::vector<CBond*> bonds;
    for (const PortfolioEntry& e : rows)
        bonds.push_back(FindBondByID(db.m_list, e.id));
    for (CBond* b : bonds)
        ASSERT_EQ(AnalyseBond(*b, stand, horizon, SystemClock()).status, RowStatus::Ready);
    const std::vector<double> units{10.0, 2.0, 0.0};
    const PortfolioFigures p = CalculatePortfolio(bonds, units, stand, horizon, SystemClock());
    ASSERT_EQ(p.outcome, PortfolioOutcome::Ready);

    std::istringstream lines(r.out);
    std::string line;
    std::vector<std::string> got;
    while (std::getline(lines, line))
        got.push_back(line);
    ASSERT_EQ(got.size(), 5u) << r.out;
    EXPECT_EQ(got[0], "id,units,status,ytm,duration,square_m\r");
    EXPECT_EQ(got[1].rfind("gov-2034-a,10,ready,0.03501497,7.30035053,", 0), 0u) << got[1];
    EXPECT_EQ(got[2].rfind("ZERO-2032,2,ready,", 0), 0u) << got[2];
    EXPECT_EQ(got[3].rfind("SINK-2033,0,ready,", 0), 0u) << got[3];
    EXPECT_EQ(got[4], "portfolio,ytm=" + FormatNumber("%.8f", p.ytm) + ",duration=" + FormatNumber("%.8f", p.duration) +
                          ",square_m=" + FormatNumber("%.8f", p.squareM) + "\r");
}

TEST_F(CliPortfolio, RefusalsCarryTheWindowsMessages)
{
    const CliRun missing = Cli(Portfolio(Write("m.bdp", StorePortfolio(std::vector<PortfolioEntry>{
                                                         {"GOV-2034-A", 1}, {"NOPE", 1}, {"GOV-2019-A", 1}}))));
    EXPECT_EQ(missing.status, 1);
    EXPECT_NE(missing.out.find("NOPE,1,not found,,,\r\n"), std::string::npos) << missing.out;
    EXPECT_NE(missing.out.find("GOV-2019-A,1,incompatible,,,\r\n"), std::string::npos) << missing.out;
    EXPECT_EQ(missing.err, "Bond ID=NOPE ,in row 2 , can't be included !\n");

    const CliRun zero = Cli(Portfolio(Write("z.bdp", StorePortfolio(std::vector<PortfolioEntry>{{"GOV-2034-A", 0.4}}))));
    EXPECT_EQ(zero.status, 1);
    EXPECT_EQ(zero.err, "No units filled in !\n");
    const CliRun negative = Cli(Portfolio(Write("n.bdp", StorePortfolio(std::vector<PortfolioEntry>{
                                                          {"GOV-2034-A", 5}, {"ZERO-2032", -1}}))));
    EXPECT_EQ(negative.err, "No units filled in !\n");

    const CliRun empty = Cli(Portfolio(Write("e.bdp", StorePortfolio({}))));
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.out, "id,units,status,ytm,duration,square_m\r\n");

    EXPECT_EQ(Cli(Portfolio(Write("w.bdp", "Tenvix2F"))).err, "Wrong file format !\n");
    EXPECT_EQ(Cli(Portfolio(Write("t.bdp", std::string("Tenvix2F\0\1\0\0\0\5AB", 16)))).err,
              "Failed reading the file !\n");
    const CliRun absent = Cli(Portfolio("'" + (dir / "absent.bdp").string() + "'"));
    EXPECT_EQ(absent.status, 1);
    EXPECT_EQ(absent.err, "Failed to open the file !\n");
    EXPECT_EQ(Cli("portfolio " + sample).status, 2);
}

TEST_F(CliPortfolio, SuggestOffersWhatTheWindowWouldAppend)
{
    const char* dates = " --stand 2025-06-30 --horizon 2032-06-30";
    const CliRun all = Cli("suggest " + sample + dates);
    ASSERT_EQ(all.status, 0) << all.err;

    // No exact match in the sample: the shorter halves of the pairs, best
    // first, then the longer halves.
    std::vector<std::string> groups;
    std::istringstream lines(all.out);
    for (std::string line; std::getline(lines, line);)
        groups.push_back(line.substr(line.rfind(',') + 1));
    EXPECT_EQ(groups, (std::vector<std::string>{"group\r", "short\r", "short\r", "short\r", "long\r", "long\r",
                                                "long\r"}));
    EXPECT_EQ(all.out.find("ZERO-2032,Treasury strip May 2032,0.02729087,6.87557077,0.01548263,short\r\n"),
              all.out.find('\n') + 1);
    const CliRun two = Cli("suggest " + sample + dates + " --rows 18");
    EXPECT_EQ(std::count(two.out.begin(), two.out.end(), '\n'), 3) << two.out;
    const CliRun full = Cli("suggest " + sample + dates + " --rows 19");
    EXPECT_EQ(full.status, 0);
    EXPECT_EQ(full.out, "");
    const CliRun none = Cli("suggest " + sample + " --stand 2025-06-30 --horizon 2025-06-30");
    EXPECT_EQ(none.out, "Nothing suggested .\n");
    for (const char* bad : {" --rows 21", " --rows -1", " --rows 2.5", " --rows ''"})
        EXPECT_EQ(Cli("suggest " + sample + dates + bad).status, 2) << bad;
}

} // namespace
} // namespace tenvix
