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
    // A unit's rows, and its bytes as read (the buffer is reused by the unit
    // the slot takes next).
    struct Rows {
        std::string text;
        std::string bytes;
    };
    RunInOrder<Rows>(
        db.index.Units(), threads, kUnitsInFlightPerThread * static_cast<std::size_t>(threads),
        [&](std::size_t unit, Rows& rows) {
            rows.text.clear();
            ForEachUnitRecord(db, unit, rows.bytes, [&](CBond& bond, std::size_t) { appendRow(rows.text, bond); });
        },
        [&](std::size_t, Rows& rows) { out.Append(rows.text); });
}

int RunExport(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"threads"}, {});
    if (args.Positional().size() != 1)
        throw UsageError{"export takes one database file"};
    const int threads = ThreadsOption(args);
    const auto db = OpenDatabaseUnits(args.Positional()[0]);
    if (!db)
        return kExitFailure;
    Output out(STDOUT_FILENO);
    return FinishDatabasePass(*db, out, [&] { ExportDatabase(*db, out, threads); });
}

} // namespace tenvix::cli
