// tenvix-cli curve: the columns and their formats, the zero rates, the
// refusals and their exit codes, and the same bytes on one thread and two.

#include "clirun.h"

#include "examples/generated.h"

#include <cctype>
#include <cmath>
#include <regex>

namespace tenvix::test {
namespace {

class CurveCli : public CliTest {};

const std::string kStand = " --stand 2026-12-06";

TEST_F(CurveCli, WritesEveryBondThenTheCurve)
{
    const std::string db = Write("market.bnd", GenerateDatabase(400, 3, GeneratedMix::Market));
    const CliRun two = Run("curve " + db + kStand + " --threads 2");
    ASSERT_EQ(two.status, 0) << two.err;
    EXPECT_EQ(two.err, "");
    EXPECT_EQ(Run("curve " + db + kStand + " --threads 1"), two);

    const auto lines = Lines(two.out);
    ASSERT_EQ(lines.size(), 1 + 400 + 1);
    EXPECT_EQ(lines[0], "id,years,ytm,duration,model_price,spread_bp,status");
    const std::regex fitted(R"(M\d{7},\d+\.\d{8},-?\d\.\d{8},\d+\.\d{8},\d+\.\d{6},-?\d+\.\d{4},)");
    const std::regex zero(R"(Z\d{7},\d+\.\d{8},-?\d\.\d{8},\d+\.\d{8},\d+\.\d{6},-?\d+\.\d{4},(short)?)");
    int shortOnes = 0;
    for (std::size_t i = 1; i + 1 < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], fitted) || std::regex_match(lines[i], zero)) << lines[i];
        shortOnes += lines[i].ends_with(",short");
    }
    const std::regex curveLine(R"(curve,beta0=-?\d\.\d{10},beta1=-?\d\.\d{10},beta2=-?\d\.\d{10},)"
                               R"(beta3=-?\d\.\d{10},tau1=\d+\.\d{10},tau2=\d+\.\d{10},bonds=(\d+),rmse_bp=\d+\.\d{4})");
    std::smatch m;
    ASSERT_TRUE(std::regex_match(lines.back(), m, curveLine)) << lines.back();
    EXPECT_EQ(std::stoi(m[1]), 400 - shortOnes);
    // The market's prices lie within 25 bp of a smooth curve.
    EXPECT_LT(std::stod(lines.back().substr(lines.back().rfind('=') + 1)), 25.0);
}

TEST_F(CurveCli, ZeroRatesAtTheQuartersAndTheWholeYears)
{
    const std::string db = Write("market.bnd", GenerateDatabase(300, 5, GeneratedMix::Market));
    const auto full = Lines(Output("curve " + db + kStand));
    const auto lines = Lines(Output("curve " + db + kStand + " --zero"));
    ASSERT_EQ(lines.size(), 1 + 32 + 1);
    EXPECT_EQ(lines[0], "years,zero_rate,discount");
    EXPECT_EQ(lines[1].substr(0, 5), "0.25,");
    EXPECT_EQ(lines[2].substr(0, 5), "0.50,");
    EXPECT_EQ(lines[3].substr(0, 5), "1.00,");
    EXPECT_EQ(lines[32].substr(0, 6), "30.00,");
    const std::regex row(R"(\d+\.\d{2},-?\d\.\d{10},\d\.\d{10})");
    for (std::size_t i = 1; i <= 32; ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], row)) << lines[i];
        // The discount is e^(-z t) of the row's own zero rate.
        const auto f = Fields(lines[i]);
        EXPECT_NEAR(std::stod(f[2]), std::exp(-std::stod(f[1]) * std::stod(f[0])), 1e-9) << lines[i];
    }
    EXPECT_EQ(lines.back(), full.back());
}

TEST_F(CurveCli, ExcludedBondsAreListedAndTheCurveMovesWithoutThem)
{
    const std::string db = Write("market.bnd", GenerateDatabase(200, 11, GeneratedMix::Market));
    const auto all = Lines(Output("curve " + db + kStand));
    // Two fitted bonds, the second named in other letters.
    std::vector<std::size_t> rows;
    for (std::size_t i = 1; i + 1 < all.size() && rows.size() < 2; ++i)
        if (all[i].ends_with(","))
            rows.push_back(i);
    ASSERT_EQ(rows.size(), 2u);
    std::string second = Fields(all[rows[1]])[0];
    second[0] = static_cast<char>(std::tolower(second[0]));
    const auto some = Lines(Output("curve " + db + kStand + " --exclude " + Fields(all[rows[0]])[0] + "," + second));
    ASSERT_EQ(all.size(), some.size());
    for (std::size_t i : rows) {
        EXPECT_TRUE(some[i].ends_with(",excluded")) << some[i];
        // Listed with their figures all the same.
        EXPECT_EQ(Fields(some[i])[3], Fields(all[i])[3]);
    }
    EXPECT_NE(some.back(), all.back());
    const auto last = some.back();
    const auto bonds = std::stoi(last.substr(last.find("bonds=") + 6));
    const auto bondsAll = std::stoi(all.back().substr(all.back().find("bonds=") + 6));
    EXPECT_EQ(bonds, bondsAll - 2);
}

TEST_F(CurveCli, RefusesTooFewBondsAndUnknownExclusions)
{
    // The sample's bonds, on a stand date when none is left.
    EXPECT_EQ(Run("curve " + kSample + " --stand 2099-01-01"),
              Refused("At least 6 bonds are needed to fit a curve .\n"));
    const CliRun unknown = Run("curve " + kSample + kStand + " --exclude GOV-2027-A,NO-SUCH");
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.out, "");
    EXPECT_NE(unknown.err.find("No bond NO-SUCH .\n"), std::string::npos) << unknown.err;
    ExpectUsage("curve " + kSample);
    ExpectUsage("curve " + kSample + kStand + " --threads 0");
    ExpectUsage("curve" + kStand);
    EXPECT_NE(Output("curve --help").find("tenvix-cli curve FILE.bnd --stand YYYY-MM-DD"), std::string::npos);
}

TEST_F(CurveCli, BondsWithoutFiguresKeepTheirRowsWithTheAnalysisStatus)
{
    const auto lines = Lines(Output("curve " + kSample + kStand));
    bool incompatible = false;
    for (const std::string& line : lines)
        if (line.starts_with("GOV-2019-A,")) {
            EXPECT_EQ(line, "GOV-2019-A,,,,,,incompatible");
            incompatible = true;
        }
    EXPECT_TRUE(incompatible);
}

TEST_F(CurveCli, HostileBondsNeitherCrashNorDependOnTheThreads)
{
    // Every odd case the readers and the analysis tell apart: no yield, no
    // schedule, amounts of every magnitude, dates outside the calendar.
    const std::string db = Write("odd.bnd", GenerateDatabase(2000, 13, GeneratedMix::Everything));
    const CliRun one = Run("curve " + db + kStand + " --threads 1");
    EXPECT_TRUE(one.status == 0 || one.status == 1) << one.err;
    EXPECT_EQ(Run("curve " + db + kStand + " --threads 2"), one);
    if (one.status == 0) {
        const auto lines = Lines(one.out);
        EXPECT_EQ(lines.size(), 2000u + 2);
        EXPECT_TRUE(lines.back().starts_with("curve,beta0=")) << lines.back();
    }
}

} // namespace
} // namespace tenvix::test
