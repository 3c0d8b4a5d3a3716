// tenvix-cli as a script sees it: its output, its messages and exit codes.

#include "model/bondfile.h"
#include "model/date.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>

using namespace tenvix;
namespace fs = std::filesystem;

namespace {

struct CliResult {
    int status;
    std::string out;
    std::string err;
};

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path() /
                ("tenvix-cli-test-" + std::to_string(::getpid()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const std::string& name) const { return (m_dir / name).string(); }

    std::string Write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(Path(name), std::ios::binary) << bytes;
        return Path(name);
    }

    CliResult Cmd(const std::string& args) const
    {
        const std::string err = Path("stderr.txt");
        const std::string cmd = std::string(TENVIX_CLI) + " " + args + " 2>" + err;
        FILE* pipe = ::popen(cmd.c_str(), "r");
        std::string out;
        char buf[4096];
        std::size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, pipe)) > 0)
            out.append(buf, n);
        const int status = ::pclose(pipe);
        std::ifstream in(err);
        std::string errText((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        return {WEXITSTATUS(status), out, errText};
    }

    fs::path m_dir;
};

std::string Sample() { return TENVIX_SOURCE_DIR "/examples/sample.bnd"; }

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find("\r\n", start);
        if (end == std::string::npos)
            end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

} // namespace

TEST_F(Cli, AnalyseOneBondByHand)
{
    CBondList list;
    auto bond = std::make_unique<CBondFree>(0);
    bond->m_strID = "B, \"one\"";
    bond->m_strName = "Zürich";
    bond->m_fPrice = 100;
    bond->m_nRelease = DaySerial(*MakeDate(2001, 1, 1));
    bond->m_nMaturity = DaySerial(*MakeDate(2003, 3, 1));
    bond->m_cashflows.push_back({bond->m_nMaturity, 110});
    list.m_list.push_back(std::move(bond));
    auto stale = std::make_unique<CBondStd>(0);
    stale->SetData(12, 5, 100, 100, *MakeDate(1990, 1, 1), *MakeDate(1995, 1, 1), "OLD", "");
    list.m_list.push_back(std::move(stale));
    const std::string file = Write("one.bnd", StoreBondDatabase(list));

    const CliResult r = Cmd("analyse " + file + " --stand 2002-03-01 --horizon 2002-09-01");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0], "id,name,type,status,code,ytm,duration,square_m,horizon_years");
    // IH = 6/12 year, t = 1: M2 = (1 - 0.5)^2.
    EXPECT_EQ(lines[1], "\"B, \"\"one\"\"\",Zürich,II,ok,0,0.10000000,1.00000000,0.25000000,0.50000000");
    EXPECT_EQ(lines[2], "OLD,,I,incompatible,-3,,,,");
}

TEST_F(Cli, AnalyseTheSample)
{
    const CliResult r = Cmd("analyse " + Sample() + " --stand 2026-12-06 --horizon 2031-12-06");
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 29u);
    int ok = 0, incompatible = 0;
    for (const std::string& line : lines) {
        ok += line.find(",ok,") != std::string::npos;
        incompatible += line.find(",incompatible,") != std::string::npos;
    }
    EXPECT_EQ(ok, 24);
    EXPECT_EQ(incompatible, 4);
    EXPECT_EQ(lines[1].substr(0, 37), "GOV-2027-A,Government 4.00% 2027,I,ok");
}

TEST_F(Cli, ExportEveryField)
{
    const CliResult r = Cmd("export " + Sample());
    ASSERT_EQ(r.status, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[0], "type,id,name,release,maturity,price,coupon,period_months,face,payments");
    EXPECT_EQ(lines[7], "I,TSY-2028-S,Treasury 3 7/8% Nov 2028,2018-11-15,2028-11-15,99.4000015,1.9375,6,100,");
    EXPECT_EQ(lines[23],
              "II,AMORT-2030,Amortising loan 2030,2025-06-30,2030-06-30,96.4000015,,,,"
              "27.5@2027-06-30;26.5@2028-06-30;25.5@2029-06-30;24.5@2030-06-30");
    EXPECT_EQ(lines[13].substr(0, 45), "I,CORP-2029-Q,\"Utility 5.20% 2029, quarterly\"");
}

TEST_F(Cli, FailuresAndUsage)
{
    CliResult r = Cmd("export " + Path("missing.bnd"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot find this file."), std::string::npos) << r.err;

    r = Cmd("analyse " + Write("bad.bnd", "tenvix\0junk") + " --stand 2002-01-01 --horizon 2003-01-01");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, "Unexpected file format.\n");
    EXPECT_EQ(r.out, "");

    for (const std::string args : {"", "frobnicate", "analyse", "analyse x.bnd --stand 2002-01-01",
                                   "analyse x.bnd --stand 2002-02-30 --horizon 2003-01-01",
                                   "analyse x.bnd --stand 2002-01-01 --horizon 2003-01-01 --bogus",
                                   "export a.bnd b.bnd"}) {
        r = Cmd(args);
        EXPECT_EQ(r.status, 2) << args;
        EXPECT_NE(r.err.find("usage:"), std::string::npos) << args;
    }
    EXPECT_EQ(Cmd("--help").status, 0);
}
