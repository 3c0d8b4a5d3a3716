// tenvix-cli analyse: the figures of every bond of a database, as the record
// form would show them, one CSV row a bond.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/parallel.h"

#include "model/analyse.h"
#include "model/date.h"
#include "model/format.h"

#include <unistd.h>

namespace tenvix::cli {

namespace {

// `years` is the horizon's distance from the stand date, already as text.
void AppendRow(std::string& out, CBond& bond, double stand, double horizon, std::string_view years)
{
    // Each bond reads the clock for its own time budget.
    const RecordAnalysis r =
        AnalyseRecord(bond, stand, horizon, static_cast<double>(bond.m_fPrice), SystemClock(), Needs::YieldAndDuration);
    const char* status = r.outcome == RecordOutcome::Solved    ? "ok"
                         : r.outcome == RecordOutcome::NoYield ? "bad_ytm"
                                                               : "incompatible";
    AppendCsvField(out, bond.m_strID);
    out += ',';
    AppendCsvField(out, bond.m_strName);
    out += bond.GetType() == BOND_TYPE_STD ? ",I," : ",II,";
    out += status;
    out += ',';
    AppendInteger(out, r.code);
    if (r.outcome == RecordOutcome::Solved) {
        for (double figure : {r.ytm, r.duration, r.squareM}) {
            out += ',';
            AppendFixed(out, figure, 8);
        }
        out += ',';
        out += years;
    } else {
        out += ",,,,";
    }
    EndCsvRow(out);
}

} // namespace

void AnalyseDatabase(const DatabaseFile& db, double stand, double horizon, Output& out, int threads)
{
    const std::string years = FormatFixed(YearFraction(horizon, stand), 8);
    out.Append("id,name,type,status,code,ytm,duration,square_m,horizon_years\r\n");
    RunInOrder<std::string>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, std::string& text) {
            text.clear();
            BondRecordReader records(db.Bytes(), db.index.unitStarts[unit]);
            for (std::size_t k = db.index.UnitSize(unit); k > 0; --k)
                AppendRow(text, records.Next(), stand, horizon, years);
        },
        [&](std::size_t, std::string& text) { out.Append(text); });
}

int RunAnalyse(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "horizon", "threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"analyse takes one database file"};
    const double stand = RequiredDate(args, "stand");
    const double horizon = RequiredDate(args, "horizon");
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    Output out(STDOUT_FILENO);
    AnalyseDatabase(*db, stand, horizon, out, threads);
    return FinishOutput(out);
}

} // namespace tenvix::cli
