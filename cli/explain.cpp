// tenvix-cli explain: one stored bond's figures explained payment by payment,
// weighted by its stored price as `analyse` weights it, so that the totals are
// the duration and Square-M that `analyse` prints for it.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"

#include "model/analysismessages.h"
#include "model/bondfile.h"
#include "model/bondlookup.h"
#include "model/clock.h"
#include "model/explain.h"

#include <iostream>
#include <unistd.h>

namespace tenvix::cli {

int WriteExplanation(const Explanation& explanation)
{
    Output out(STDOUT_FILENO);
    out.Append(ExplanationCsv(explanation));
    return FinishOutput(out);
}

int RunExplain(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon"}, {});
    if (args.Positional().size() != 2)
        throw UsageError{"explain takes a database file and a bond's ID"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    const std::string& id = args.Positional()[1];
    CBondList list;
    if (!LoadWholeDatabase(args.Positional()[0], list))
        return kExitFailure;

    CBond* bond = MatchBondID(list.m_list, id).Bond();
    if (!bond) {
        std::cerr << UnknownIdMessage(id) << "\n";
        return kExitFailure;
    }
    const BondExplanation x =
        AnalyseAndExplain(*bond, stand, horizon, static_cast<double>(bond->m_fPrice), SystemClock());
    if (x.status != ExplainStatus::Ok) {
        const RecordOutcome outcome =
            x.status == ExplainStatus::BadYtm ? RecordOutcome::NoYield : RecordOutcome::Refused;
        std::cerr << AnalysisFailureText(FailureOf(outcome, x.code)) << "\n";
        return kExitFailure;
    }
    return WriteExplanation(x.explanation);
}

} // namespace tenvix::cli
