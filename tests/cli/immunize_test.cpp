// tenvix-cli immunize and shifts, run as a user would run them.

#include "clirun.h"

#include "../model/testbonds.h"
#include "examples/generated.h"
#include "model/bondfile.h"
#include "portfolio/core/immunize.h"

#include <cmath>
#include <fstream>
#include <map>

namespace tenvix {
namespace {

class CliImmunize : public test::CliTest {
protected:
    static constexpr const char* kDates = " --stand 2025-06-30 --horizon 2032-06-30";
    test::CliRun Immunize(const std::string& options) { return Run("immunize " + kSample + kDates + options); }
};

TEST_F(CliImmunize, WritesThePortfolioThatPortfolioReadsBack)
{
    const test::CliRun one = Immunize(" --amount 1e6 --threads 1 --out " + Path("p.bdp"));
    ASSERT_EQ(one.status, 0) << one.err;
    const std::vector<std::string> lines = Lines(one.out);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines.front(), "id,units,amount,share,ytm,duration,square_m");
    // The same on two threads: OddBondsDoNotLeadItAstray.

    // The same composite line, and the rows in the same order with the
    // figures their rows show.
    const test::CliRun back = Run("portfolio " + kSample + " " + Path("p.bdp") + kDates);
    ASSERT_EQ(back.status, 0) << back.err;
    const std::vector<std::string> rows = Lines(back.out);
    EXPECT_EQ(rows.back(), lines.back());
    ASSERT_EQ(rows.size(), lines.size());
    for (std::size_t k = 1; k + 1 < lines.size(); ++k) {
        const std::vector<std::string> f = Fields(lines[k]); // id,units,amount,share,ytm,duration,square_m
        EXPECT_EQ(rows[k], f[0] + "," + f[1] + ",ready," + f[4] + "," + f[5] + "," + f[6]);
    }
}

// Every refusal and its text: the core's RefusalsComeInTheirOrderWithTheirTexts;
// here the share as typed reaches the text.
TEST_F(CliImmunize, RefusalsAndUsage)
{
    EXPECT_EQ(Immunize(" --amount 1000 --max-rows 3 --max-share 3e1"),
              test::Refused(
                  "The limits leave no portfolio : 3 rows of at most 3e1 % of the amount cannot hold all of it .\n"));
    EXPECT_EQ(Immunize(" --amount 1e6 --exclude ' zero-2032, GOV-2034-A' --min-ytm 99"),
              test::Refused("No bond is left after the least YTM and the exclusions .\n"));
    for (const char* large : {" --amount 1e15", " --amount 1e19"})
        EXPECT_EQ(Immunize(large), test::Refused("The amount is too large : at most 100000000000 .\n"));

    for (const char* bad : {"", " --amount 0", " --amount -5", " --amount x", " --amount 1e400", " --amount ''",
                            " --amount 1e6 --max-share 0", " --amount 1e6 --max-share 100.5",
                            " --amount 1e6 --max-rows 0", " --amount 1e6 --max-rows 21", " --amount 1e6 --min-ytm abc"})
        ExpectUsage("immunize " + kSample + kDates + bad);

    // --out never takes the place of a database: not the one read, however
    // it is spelled or linked to, and not any other; nothing is written.
    const std::string sample = test::SampleFile();
    const std::string db = Write("db.bnd", sample);
    Write("other.bnd", sample);
    std::filesystem::create_symlink(m_dir / "db.bnd", m_dir / "link.bdp");
    for (const std::string& target : {db, Path("./db.bnd"), Path("link.bdp")})
        EXPECT_EQ(Run("immunize " + db + kDates + " --amount 1e6 --out " + target),
                  test::Refused("This is the open database. Choose another name .\n"))
            << target;
    EXPECT_EQ(Run("immunize " + db + kDates + " --amount 1e6 --out " + Path("other.bnd")),
              test::Refused((m_dir / "other.bnd").string() + " is a database, not a portfolio .\n"));
    EXPECT_TRUE(Slurp("db.bnd") == sample);
    EXPECT_TRUE(Slurp("other.bnd") == sample);

    // A file that cannot be written leaves the output empty; a folder that
    // is not there is named.
    EXPECT_EQ(Immunize(" --amount 1e6 --out " + Path("no/such/dir.bdp")),
              test::Refused("The folder " + (m_dir / "no/such").string() + " does not exist .\n"));
    Write("plain", "");
    EXPECT_EQ(Immunize(" --amount 1e6 --out " + Path("plain/p.bdp")),
              test::Refused("The folder " + (m_dir / "plain").string() + " does not exist .\n"));
}

// The figures are the core's, worked out by hand in HorizonValues.ALongZeroAgainstValuesWorkedOutByHand.
TEST_F(CliImmunize, ShiftsOfABondAndOfAPortfolio)
{
    CBondList list;
    list.m_list.push_back(test::FreeBond("LONG", 60.0f, {{test::Day(2035, 6, 30), 100.0f}}));
    list.m_list.push_back(test::FreeBond("AT-H", 75.0f, {{test::Day(2032, 6, 30), 100.0f}}));
    // Matured before the stand date.
    list.m_list.push_back(test::StdBond("OLD", 12, 3, 100, 99, test::Day(2000, 1, 1), test::Day(2010, 1, 1)));
    const std::string db = Write("z.bnd", StoreBondDatabase(list));
    EXPECT_EQ(Lines(Output("shifts " + db + " --id long" + kDates + " --from -100 --to 50 --step 75")),
              (std::vector<std::string>{"shift_bp,yield,horizon_value,change_percent",
                                        "-100.00000000,0.04240978,147.14086918,2.90564378",
                                        "-25.00000000,0.04990978,144.01005141,0.71604942",
                                        "50.00000000,0.05740978,140.96742946,-1.41186360"}));

    // A zero maturing at the horizon holds it: every shift, no change.
    const std::string bdp = WritePortfolio("h.bdp", {{"AT-H", 3}});
    const std::vector<std::string> rows = Lines(Output("shifts " + db + " --portfolio " + bdp + kDates));
    ASSERT_EQ(rows.size(), 26u); // -300 to 300 by 25
    for (std::size_t k = 1; k < rows.size(); ++k)
        EXPECT_EQ(rows[k].substr(rows[k].find(',', rows[k].find(',') + 1)), ",133.33333333,0.00000000") << rows[k];

    // A bond that gives no figures is named, with the check's code as analyse writes it.
    EXPECT_EQ(Run("shifts " + db + " --id NONE" + kDates), test::Refused("Bond ID=NONE not found !\n"));
    EXPECT_EQ(Run("shifts " + db + " --id old" + kDates), test::Refused("Bond ID=old is incompatible (code -3) .\n"));
    EXPECT_EQ(Run("shifts " + db + " --portfolio " + WritePortfolio("m.bdp", {{"NONE", 1}}) + kDates).err,
              "Bond ID=NONE ,in row 1 , can't be included !\n");
    EXPECT_EQ(Run("shifts " + db + " --portfolio " + WritePortfolio("0.bdp", {{"AT-H", 0}}) + kDates).err,
              "No units filled in !\n");
    for (const char* bad : {" --id LONG --portfolio x.bdp", "", " --id LONG --step 0", " --id LONG --from 10 --to 5",
                            " --id LONG --from -20000", " --id LONG --step 1e-9"})
        ExpectUsage("shifts " + db + bad + kDates);
}

// What the guide shows of the immunized portfolio under shifts is what
// shifts prints, and what it says holds: however a shift goes, the change of
// the horizon value is never below -|D - H| |ln(1 + y') - ln(1 + y)|.
TEST_F(CliImmunize, TheGuidesShiftsAreWhatShiftsPrints)
{
    const std::string composite =
        Lines(Output("immunize " + kSample + kDates + " --amount 1e6 --out " + Path("p.bdp"))).back();
    const double duration = std::stod(composite.substr(composite.find("duration=") + 9));
    std::map<int, std::string> change;
    const std::vector<std::string> rows = Lines(
        Output("shifts " + kSample + " --portfolio " + Path("p.bdp") + kDates + " --from -300 --to 300 --step 1"));
    ASSERT_EQ(rows.size(), 602u);
    const double y = std::stod(Fields(rows[301])[1]);
    for (std::size_t k = 1; k < rows.size(); ++k) {
        const std::vector<std::string> f = Fields(rows[k]);
        const double shift = std::stod(f[0]);
        change[static_cast<int>(shift)] = f[3];
        const double bound = -std::fabs(duration - 7.0) * std::fabs(std::log1p(std::stod(f[1])) - std::log1p(y));
        EXPECT_GE(std::stod(f[3]) / 100, bound - 5e-11) << rows[k]; // the change is printed to 1e-8 %
    }
    std::ifstream guide(TENVIX_SOURCE_DIR "/docs/GUIDE.md");
    int shown = 0;
    for (std::string line; std::getline(guide, line);) {
        // "| -6 bp (the deepest) | -0.00001431 % | ..." with the minus sign U+2212.
        if (!line.starts_with("| \xE2\x88\x92") && !line.starts_with("| +"))
            continue;
        const std::size_t bp = line.find(" bp");
        if (bp == std::string::npos)
            continue;
        const bool down = line[2] != '+';
        const int shift = std::stoi(line.substr(down ? 5 : 3, bp - (down ? 5 : 3))) * (down ? -1 : 1);
        const std::size_t from = line.find('|', bp) + 2;
        std::string figure = line.substr(from, line.find(" %", from) - from);
        if (figure.starts_with("\xE2\x88\x92"))
            figure = "-" + figure.substr(3);
        else if (figure.starts_with("+"))
            figure = figure.substr(1);
        EXPECT_EQ(figure, change[shift]) << line;
        ++shown;
    }
    EXPECT_EQ(shown, 4);
}

// Every odd case a database can hold: bonds of absurd yield, of prices too
// small to count in, payments out of order. The answer must still keep the
// tolerance, and be the same on one thread and on two.
TEST_F(CliImmunize, OddBondsDoNotLeadItAstray)
{
    const std::string db = Write("odd.bnd", GenerateDatabase(20000, 7, GeneratedMix::Everything));
    const std::string dates = std::string(" --stand ") + kGeneratedStandText + " --horizon " + kGeneratedHorizonText;
    const std::string one = Output("immunize " + db + dates + " --amount 1e7 --max-share 30 --threads 1");
    const std::string last = Lines(one).back();
    const double duration = std::stod(last.substr(last.find("duration=") + 9));
    EXPECT_NEAR(duration, 5.0, kImmunizeTolerance) << last;
    EXPECT_EQ(Run("immunize " + db + dates + " --amount 1e7 --max-share 30 --threads 2").out, one);
}

} // namespace
} // namespace tenvix
