// tenvix-cli analyse and export as a script sees them: output, messages and
// exit codes.

#include "clirun.h"

#include "../model/testbonds.h"

#include "cli/common.h"
#include "model/bondfile.h"
#include "portfolio/core/portfoliofile.h"

#include <sys/stat.h>

#include <cerrno>
#include <regex>

using namespace tenvix;

namespace {

using Cli = test::CliTest;
using test::CliRun;

TEST_F(Cli, AnalyseWritesOneRowABond)
{
    CBondList list;
    list.m_list.push_back(test::FreeBond("B, \"one\"", 100, {{test::Day(2003, 3, 1), 110}}, test::Day(2001, 1, 1)));
    list.m_list.front()->m_strName = "Zürich";
    list.m_list.push_back(test::StdBond("OLD", 12, 5, 100, 100, test::Day(1990, 1, 1), test::Day(1995, 1, 1)));
    const std::string out =
        Output("analyse " + Write("one.bnd", StoreBondDatabase(list)) + " --stand 2002-03-01 --horizon 2002-09-01");
    // IH = 6/12 year, t = 1: M2 = (1 - 0.5)^2.
    EXPECT_EQ(Lines(out),
              (std::vector<std::string>{"id,name,type,status,code,ytm,duration,square_m,horizon_years",
                                        "\"B, \"\"one\"\"\",Zürich,II,ok,0,0.10000000,1.00000000,0.25000000,0.50000000",
                                        "OLD,OLD name,I,incompatible,-3,,,,"}));
    // A horizon before the stand date (code 11) still gives the figures.
    EXPECT_EQ(Lines(Run("analyse " + Path("one.bnd") + " --stand 2002-03-01 --horizon 2001-09-01").out).at(1),
              "\"B, \"\"one\"\"\",Zürich,II,ok,11,0.10000000,1.00000000,2.25000000,-0.50000000");
}

TEST_F(Cli, ExportEveryField)
{
    const std::vector<std::string> lines = Lines(Output("export " + kSample));
    ASSERT_EQ(lines.size(), 29u);
    EXPECT_EQ(lines[0], "type,id,name,release,maturity,price,coupon,period_months,face,payments");
    EXPECT_EQ(lines[7], "I,TSY-2028-S,Treasury 3 7/8% Nov 2028,2018-11-15,2028-11-15,99.4000015,1.9375,6,100,");
    EXPECT_EQ(lines[23], "II,AMORT-2030,Amortising loan 2030,2025-06-30,2030-06-30,96.4000015,,,,"
                         "27.5@2027-06-30;26.5@2028-06-30;25.5@2029-06-30;24.5@2030-06-30");
    EXPECT_EQ(lines[13].substr(0, 45), "I,CORP-2029-Q,\"Utility 5.20% 2029, quarterly\"");
}

TEST_F(Cli, FailuresAndUsage)
{
    CliRun r = Run("export " + Path("missing.bnd"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("Cannot find this file."), std::string::npos) << r.err;

    for (const std::string args :
         {"", "frobnicate", "analyse", "analyse x.bnd --stand 2002-01-01 --horizon 2003-01-01 --bogus",
          "export a.bnd b.bnd"})
        ExpectUsage(args);
    const std::string version = Output("--version");
    EXPECT_TRUE(std::regex_match(version, std::regex("tenvix-cli [0-9]+\\.[0-9]+\\.[0-9]+\n"))) << version;
}

// A pipe, a device or a folder given as a file is named as such; a pipe
// used to block for ever in the open call.
TEST_F(Cli, OnlyRegularFilesAreRead)
{
    ASSERT_EQ(::mkfifo((m_dir / "fifo").c_str(), 0600), 0);
    const std::string fifo = Path("fifo");
    for (const std::string& path : {fifo, Path(""), std::string("/dev/zero")}) {
        const std::string refusal =
            (path.front() == '\'' ? path.substr(1, path.size() - 2) : path) + " is not a regular file .\n";
        for (const std::string& command :
             {"export " + path, "analyse " + path + kDates, "suggest " + path + kDates,
              "portfolio " + path + " " + fifo + kDates, "prices " + path + " " + fifo,
              "prices " + kSample + " " + path, "portfolio " + kSample + " " + path + kDates,
              "shifts " + kSample + " --portfolio " + path + kDates, "import " + kSample + " " + path}) {
            EXPECT_EQ(Run(command), test::Refused(refusal)) << command;
        }
    }
}

// Files of /proc say their size is 0; they are read to their end, and no
// further than the limit.
TEST_F(Cli, FilesWithoutASizeAreReadToTheirEnd)
{
    EXPECT_EQ(Run("export /proc/sys/kernel/ostype").err, "Unexpected file format.\n");

    const std::string status = "/proc/self/status";
    const auto whole = cli::ReadFileBytes(status, std::size_t(1) << 20);
    ASSERT_TRUE(whole);
    EXPECT_EQ(cli::ReadFileBytes(status, 16, cli::Beyond::Cut), whole->substr(0, 16));
    errno = 0;
    EXPECT_FALSE(cli::ReadFileBytes(status, 16));
    EXPECT_EQ(errno, EFBIG);
}

// Each command answers --help with its part of the overall usage.
TEST_F(Cli, EveryCommandHasItsHelp)
{
    const std::string all = Output("--help");
    std::size_t commands = 0;
    for (std::size_t at = all.find("\n  tenvix-cli "); at != std::string::npos;
         at = all.find("\n  tenvix-cli ", at + 1), ++commands) {
        const std::size_t nameStart = at + 14;
        const std::string name = all.substr(nameStart, all.find(' ', nameStart) - nameStart);
        // Where it stands among the options, even after a wrong one.
        const CliRun r = Run(name + " x --bogus --help");
        EXPECT_EQ(std::pair(r.status, r.err), std::pair(0, std::string())) << name;
        ASSERT_EQ(r.out.rfind("usage:\n  tenvix-cli " + name + " ", 0), 0u) << r.out;
        // Its own lines, then the note on --threads where it takes them.
        const std::size_t note = r.out.find("  --threads N:");
        EXPECT_NE(all.find(r.out.substr(7, note - 7)), std::string::npos) << r.out;
        if (note != std::string::npos) {
            EXPECT_EQ(all.substr(all.find("  --threads N:")), r.out.substr(note));
        }
    }
    EXPECT_EQ(commands, 13u);
    // As the value of an option it is no question.
    EXPECT_EQ(Run("shifts " + kSample + " --id --help").status, 2);
}

// Output that cannot be written is a failure, not a success with a short file.
TEST_F(Cli, AFullDiskFailsTheCommand)
{
    const std::string portfolio = WritePortfolio("p.bdp", {{"GOV-2034-A", 10.0}});
    for (const std::string& command :
         {"export " + kSample, "analyse " + kSample + kDates, "suggest " + kSample + kDates,
          "portfolio " + kSample + " " + portfolio + kDates, "cashflows --price 100" + kDates + " 105@2027-12-06",
          "explain " + kSample + " GOV-2034-A" + kDates, "portfolio --table " + kSample + " " + portfolio + kDates,
          "cashflows --table --price 100" + kDates + " 105@2027-12-06",
          "prices " + kSample + " " + Write("p.csv", "GOV-2034-A;100\n")}) {
        EXPECT_EQ(Run(command, "/dev/full"), test::Refused("Destination disk drive is full.\n")) << command;
    }
}

} // namespace
