// tenvix-cli export, analyse and suggest over large generated databases: the
// output must be what the list-at-a-time, printf-formatted commands wrote,
// byte for byte, on any number of threads; export's rows are those the
// database's CSV writer makes.

#include "clirun.h"

#include "../model/testbonds.h"

#include "cli/parallel.h"
#include "examples/generated.h"
#include "model/analyse.h"
#include "model/bondcsv.h"
#include "model/bondfile.h"
#include "model/date.h"
#include "model/format.h"
#include "model/solver.h"
#include "portfolio/core/suggest.h"

#include <atomic>
#include <cstdio>

namespace tenvix {
namespace {

// ---- the former commands, as a reference --------------------------------

std::string Printf(const char* format, double value)
{
    char buf[512];
    std::snprintf(buf, sizeof buf, format, value);
    return buf;
}

// A row of fields that never need quotes: headings, kinds, numbers.
std::string Csv(const std::vector<std::string>& fields)
{
    std::string row;
    for (std::size_t i = 0; i < fields.size(); ++i)
        row += (i ? "," : "") + fields[i];
    return row + "\r\n";
}

// An identifier and a name, which every report but export writes as
// AppendReportText does (its own cases are tested beside it).
std::string Texts(const std::string& id, const std::string& name)
{
    std::string out;
    AppendReportText(out, id);
    out += ',';
    AppendReportText(out, name);
    return out + ',';
}

// Export writes each record as the database's own CSV writer does; that
// writer's format is tested beside it, by reading its rows back.
std::string RecordsExported(const CBondList& list)
{
    std::string out;
    AppendBondCsvHeader(out);
    for (const auto& bond : list.m_list)
        AppendBondCsvRow(out, *bond);
    return out;
}

// Each record through the analysis road every caller walks (its own test
// covers which codes reach the search), printed as printf prints.
std::string FormerAnalyse(CBondList& list, double stand, double horizon)
{
    const std::string years = Printf("%.8f", YearFraction(horizon, stand));
    std::string out = Csv({"id", "name", "type", "status", "code", "ytm", "duration", "square_m", "horizon_years"});
    for (const auto& bond : list.m_list) {
        const RecordAnalysis a =
            AnalyseRecord(*bond, stand, horizon, bond->m_fPrice, SystemClock(), Needs::YieldAndDuration);
        const bool ok = a.outcome == RecordOutcome::Solved;
        const char* status = ok ? "ok" : a.outcome == RecordOutcome::NoYield ? "bad_ytm" : "incompatible";
        out += Texts(bond->m_strID, bond->m_strName) +
               Csv({bond->GetType() == BOND_TYPE_STD ? "I" : "II", status, std::to_string(a.code),
                    ok ? Printf("%.8f", a.ytm) : "", ok ? Printf("%.8f", a.duration) : "",
                    ok ? Printf("%.8f", a.squareM) : "", ok ? years : ""});
    }
    return out;
}

std::string FormerSuggest(CBondList& list, double stand, double horizon, int rows)
{
    SuggestLists lists;
    ScanBonds(list.m_list, stand, horizon, lists, SystemClock());
    const std::vector<SuggestedRow> picked = PresentSuggestions(lists, rows);
    if (picked.empty())
        return "Nothing suggested .\n";
    std::string out = Csv({"id", "name", "ytm", "duration", "square_m", "group"});
    for (const SuggestedRow& r : picked) {
        const SUGGESTION& s = r.suggestion;
        const char* group = r.group == SuggestGroup::Exact     ? "exact"
                            : r.group == SuggestGroup::Shorter ? "short"
                                                               : "long";
        out += Texts(s.pBond->m_strID, s.pBond->m_strName) +
               Csv({Printf("%.8f", s.dYield), Printf("%.8f", s.dDuration), Printf("%.8f", s.dSquareM), group});
    }
    return out;
}

// ---- the commands over generated databases --------------------------------

class CliStream : public test::CliTest {
protected:
    static constexpr const char* kDates = " --stand 2026-12-06 --horizon 2031-12-06";
    // On the horizon's day: every bond that can be valued is code 11.
    static constexpr const char* kLateDates = " --stand 2031-12-06 --horizon 2026-12-06";

    // Runs `command` on one and on several threads; both must succeed with
    // the same bytes, which are returned.
    std::string OnAnyThreads(const std::string& command)
    {
        const std::string one = Output(command + " --threads 1");
        for (const char* threads : {" --threads 2", " --threads 7"}) {
            const std::string many = Output(command + threads);
            EXPECT_TRUE(many == one) << command << threads << " differs from --threads 1";
        }
        return one;
    }
};

TEST_F(CliStream, ManyBondsOnAnyThreadsGiveTheFormerOutput)
{
    const std::string bytes = GenerateDatabase(10000, 1, GeneratedMix::Everything);
    const std::string file = Write("db.bnd", bytes);
    CBondList list;
    ASSERT_TRUE(test::Load(bytes, list));
    const double stand = kGeneratedStand, horizon = kGeneratedHorizon;
    ASSERT_EQ(FormatIsoDate(kGeneratedStand) + " " + FormatIsoDate(kGeneratedHorizon),
              std::string(kGeneratedStandText) + " " + kGeneratedHorizonText);

    EXPECT_TRUE(OnAnyThreads("export " + file) == RecordsExported(list));
    EXPECT_TRUE(OnAnyThreads("analyse " + file + kDates) == FormerAnalyse(list, stand, horizon));
    EXPECT_TRUE(OnAnyThreads("analyse " + file + kLateDates) == FormerAnalyse(list, horizon, stand));
    for (int rows : {0, 11, 18}) {
        const std::string out = OnAnyThreads("suggest " + file + kDates + " --rows " + std::to_string(rows));
        EXPECT_EQ(out, FormerSuggest(list, stand, horizon, rows)) << rows;
    }
}

// Equal scores: the bond the list holds first ranks first, however the
// bonds were spread over the threads.
TEST_F(CliStream, TiesInTheSuggestRankingKeepListOrder)
{
    CBondList list;
    ASSERT_TRUE(test::Load(GenerateDatabase(5000, 9, GeneratedMix::TypeI), list));
    // Every fourth bond becomes the best longer candidate: over a thousand
    // candidates with exactly the same score, spread over every unit.
    SuggestLists lists;
    ScanBonds(list.m_list, kGeneratedStand, kGeneratedHorizon, lists, SystemClock());
    ASSERT_GT(lists.m_nLongCount, 0);
    const CBondStd best = static_cast<const CBondStd&>(*lists.m_long[0].pBond);
    int k = 0;
    for (auto& bond : list.m_list)
        if (k++ % 4 == 3) {
            auto& b = static_cast<CBondStd&>(*bond);
            b.SetData(best.m_nPeriodMonths, best.m_fCoupon, best.m_fFace, best.m_fPrice, best.m_nRelease,
                      best.m_nMaturity, b.m_strID, b.m_strName);
        }
    const std::string file = Write("ties.bnd", StoreBondDatabase(list));
    const std::string out = OnAnyThreads("suggest " + file + kDates);
    EXPECT_EQ(out, FormerSuggest(list, kGeneratedStand, kGeneratedHorizon, 0));
}

TEST_F(CliStream, AFileMalformedAtItsEndIsRefusedBeforeAnyOutput)
{
    std::string bytes = GenerateDatabase(5000, 2, GeneratedMix::Everything);
    bytes.resize(bytes.size() - 1);
    const std::string file = Write("cut.bnd", bytes);
    for (const std::string& command : {"export " + file, "analyse " + file + kDates, "suggest " + file + kDates})
        EXPECT_EQ(Run(command + " --threads 3"), test::Refused("Unexpected file format.\n")) << command;
    for (const char* bad : {"0", "257", "x", "2.5", "''"}) {
        const test::CliRun r = Run("export " + file + " --threads " + bad);
        EXPECT_EQ(r.status, 2) << bad;
        EXPECT_NE(r.err.find("--threads wants a number from 1 to 256"), std::string::npos) << r.err;
    }
}

// ---- the ordered pipeline itself ------------------------------------------

TEST(RunInOrder, DeliversEveryUnitOnceInOrderWithinItsWindow)
{
    for (int threads : {1, 2, 5}) {
        for (std::size_t count : {0u, 1u, 3u, 500u}) {
            std::atomic<std::size_t> made{0}, inFlight{0}, mostInFlight{0};
            std::vector<std::size_t> delivered;
            cli::RunInOrder<std::vector<std::size_t>>(
                count, threads, 3,
                [&](std::size_t u, std::vector<std::size_t>& r) {
                    const std::size_t now = ++inFlight;
                    for (std::size_t most = mostInFlight; now > most && !mostInFlight.compare_exchange_weak(most, now);)
                        ;
                    ++made;
                    r.assign(u % 7, u); // later units of a slot find the earlier one's result
                },
                [&](std::size_t u, std::vector<std::size_t>& r) {
                    EXPECT_EQ(r, std::vector<std::size_t>(u % 7, u));
                    delivered.push_back(u);
                    --inFlight;
                });
            ASSERT_EQ(delivered.size(), count);
            for (std::size_t u = 0; u < count; ++u)
                ASSERT_EQ(delivered[u], u);
            EXPECT_EQ(made, count);
            EXPECT_LE(mostInFlight, 3u) << threads << " threads";
        }
    }
}

TEST(RunInOrder, AFailureEndsTheRunAndReachesTheCaller)
{
    for (int threads : {1, 3}) {
        std::atomic<std::size_t> made{0};
        std::size_t delivered = 0;
        EXPECT_THROW(cli::RunInOrder<int>(
                         1000, threads, 4,
                         [&](std::size_t u, int&) {
                             ++made;
                             if (u == 10)
                                 throw std::runtime_error("unit 10");
                         },
                         [&](std::size_t, int&) { ++delivered; }),
                     std::runtime_error);
        EXPECT_EQ(delivered, 10u);
        EXPECT_LT(made, 20u); // nothing runs on far beyond the failure

        delivered = 0;
        EXPECT_THROW(cli::RunInOrder<int>(
                         1000, threads, 4, [](std::size_t, int&) {},
                         [&](std::size_t u, int&) {
                             if (u == 5)
                                 throw std::logic_error("delivery 5");
                             ++delivered;
                         }),
                     std::logic_error);
        EXPECT_EQ(delivered, 5u);
    }
}

} // namespace
} // namespace tenvix
