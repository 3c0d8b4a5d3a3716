// tenvix-cli export: every stored field of every record, as the database's
// own CSV (model/bondcsv.h), which tenvix-cli import reads back.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/parallel.h"

#include "model/bondcsv.h"

#include <unistd.h>

namespace tenvix::cli {

void ExportDatabase(const DatabaseFile& db, Output& out, int threads)
{
    AppendBondCsvHeader(out.Text());
    WriteRecordRows(db, out, threads, [](std::string& text, CBond& bond) { AppendBondCsvRow(text, bond); });
}

void WriteRecordRows(const DatabaseFile& db, Output& out, int threads,
                     const std::function<void(std::string&, CBond&)>& appendRow)
{
    RunInOrder<std::string>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, std::string& text) {
            text.clear();
            BondRecordReader records(db.Bytes(), db.index.unitStarts[unit]);
            for (std::size_t k = db.index.UnitSize(unit); k > 0; --k)
                appendRow(text, records.Next());
        },
        [&](std::size_t, std::string& text) { out.Append(text); });
}

int RunExport(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"export takes one database file"};
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabase(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    Output out(STDOUT_FILENO);
    ExportDatabase(*db, out, threads);
    return FinishOutput(out);
}

} // namespace tenvix::cli
