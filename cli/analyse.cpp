// tenvix-cli analyse: the figures of every bond of a database, as the record
// form would show them, one CSV row a bond.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"

#include "model/analysiscsv.h"
#include "model/clock.h"

#include <unistd.h>

namespace tenvix::cli {

void AnalyseDatabase(const DatabaseFile& db, double stand, double horizon, Output& out, int threads)
{
    const AnalysisCsvWriter writer(stand, horizon, Needs::YieldAndDuration, SystemClock());
    out.Append(kAnalysisCsvHeader);
    WriteRecordRows(db, out, threads, [&writer](std::string& text, CBond& bond) { writer.AppendRow(text, bond); });
}

int RunAnalyse(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon", "threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"analyse takes one database file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabaseUnits(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    Output out(STDOUT_FILENO);
    return FinishDatabasePass(*db, out, [&] { AnalyseDatabase(*db, stand, horizon, out, threads); });
}

} // namespace tenvix::cli
