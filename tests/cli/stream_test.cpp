// tenvix-cli export, analyse and suggest over large generated databases: the
// output must be the same bytes on any number of threads; export's rows are
// those the database's CSV writer makes of the loaded records, and suggest's
// what the former list-at-a-time command made of a scan of the loaded list.

#include "clirun.h"

#include "../model/testbonds.h"

#include "cli/parallel.h"
#include "examples/generated.h"
#include "model/bondcsv.h"
#include "model/bondfile.h"
#include "model/format.h"
#include "portfolio/core/suggest.h"

#include <atomic>

namespace tenvix {
namespace {

// ---- the list at a time, as a reference -----------------------------------

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

// The suggestions for an empty portfolio from a scan of the whole list;
// identifiers and names as every report but export writes them (their own
// cases are tested beside AppendReportText).
std::string FormerSuggest(CBondList& list)
{
    SuggestLists lists;
    ScanBonds(list.m_list, kGeneratedStand, kGeneratedHorizon, lists, SystemClock());
    std::string out = "id,name,ytm,duration,square_m,group\r\n";
    for (const SuggestedRow& r : PresentSuggestions(lists, 0)) {
        const SUGGESTION& s = r.suggestion;
        AppendReportText(out, s.pBond->m_strID);
        out += ',';
        AppendReportText(out, s.pBond->m_strName);
        for (double figure : {s.dYield, s.dDuration, s.dSquareM})
            out += ',' + FormatFixed(figure, 8);
        out += r.group == SuggestGroup::Exact     ? ",exact\r\n"
               : r.group == SuggestGroup::Shorter ? ",short\r\n"
                                                  : ",long\r\n";
    }
    return out;
}

// ---- the commands over generated databases --------------------------------

class CliStream : public test::CliTest {
protected:
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

// Analyse's rows are the record analysis the window's export writes of the
// loaded list (tst_analysisexport compares the two whole), through the same
// unit-by-unit reading as export's.
TEST_F(CliStream, ManyBondsOnAnyThreadsGiveTheListsOutput)
{
    const std::string bytes = GenerateDatabase(10000, 1, GeneratedMix::Everything);
    const std::string file = Write("db.bnd", bytes);
    CBondList list;
    ASSERT_TRUE(test::Load(bytes, list));
    EXPECT_TRUE(OnAnyThreads("export " + file) == RecordsExported(list));
    OnAnyThreads("analyse " + file + kDates);
    EXPECT_EQ(OnAnyThreads("suggest " + file + kDates), FormerSuggest(list));
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
    EXPECT_EQ(OnAnyThreads("suggest " + file + kDates), FormerSuggest(list));
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
