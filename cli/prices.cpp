// tenvix-cli prices: the verdict on every row of a price file against a
// database, as the import window judges it before anything changes; with
// --apply the accepted prices are written to the database.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/savefile.h"

#include "model/bondfile.h"
#include "model/clock.h"
#include "model/date.h"
#include "model/format.h"
#include "model/priceimport.h"

#include <cerrno>
#include <iostream>
#include <optional>
#include <unistd.h>

namespace tenvix::cli {

namespace {

// The whole database as a list, for a command that may write it back; on
// failure the program's message is on standard error.
bool LoadDatabase(const std::string& path, CBondList& list)
{
    const auto bytes = ReadDatabaseBytes(path);
    if (!bytes)
        return false;
    if (!LoadBondDatabase(std::as_bytes(std::span(bytes->data(), bytes->size())), list)) {
        std::cerr << FileErrorMessage(FileCause::BadFormat, path, false) << "\n";
        return false;
    }
    return true;
}

void AppendRow(std::string& out, const PriceRow& row, const PriceVerdict& v)
{
    const VerdictFigures figures = FiguresOf(v);
    AppendInteger(out, row.line);
    out += ',';
    AppendCsvField(out, row.id);
    out += ',';
    out += PriceVerdictName(v.kind);
    out += ',';
    if (figures.oldPrice)
        AppendFixed(out, v.oldPrice, 2);
    out += ',';
    if (figures.newPrice)
        AppendFixed(out, v.newPrice, 2);
    out += ',';
    if (figures.change)
        AppendFixed(out, v.changePercent, 2);
    out += ',';
    AppendCsvField(out, PriceRefusalText(v));
    EndCsvRow(out);
}

} // namespace

int RunPrices(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand"}, {"apply"});
    if (args.Positional().size() != 2)
        throw UsageError{"prices takes a database file and a price file"};
    const double stand = args.Value("stand") ? RequiredDate(args, "stand") : SystemClock().Now();
    const std::string& databasePath = args.Positional()[0];
    const std::string& pricePath = args.Positional()[1];

    CBondList list;
    if (!LoadDatabase(databasePath, list))
        return kExitFailure;

    // A file over the limit is refused from its size, unread.
    errno = 0;
    const std::optional<std::string> bytes = ReadFileBytes(pricePath, kMaxCsvBytes);
    if (!bytes) {
        std::cerr << (errno == EFBIG ? PriceFileErrorText(PriceFileError::TooLarge)
                                     : FileErrorMessage(CauseFromErrno(errno, false), pricePath, false))
                  << "\n";
        return kExitFailure;
    }
    const BondIdIndex index(list.m_list);
    const PriceFile file = ReadPriceFile(*bytes, index);
    if (file.error != PriceFileError::None) {
        std::cerr << PriceFileErrorText(file) << "\n";
        return kExitFailure;
    }
    const std::vector<PriceVerdict> verdicts = JudgePrices(file, index, DaySerial(stand));

    int status = kExitOk;
    // A file none of whose prices is taken is left untouched, its date too.
    if (args.Flag("apply") && ApplyPrices(verdicts) > 0) {
        const SaveOutcome saved = ReplaceFileSafely(databasePath, StoreBondDatabase(list));
        if (!saved.ok()) {
            std::cerr << FileErrorMessage(saved.cause, databasePath, true) << "\n";
            status = kExitFailure;
        }
    }

    Output out(STDOUT_FILENO);
    out.Append("line,id,verdict,old_price,new_price,change_percent,reason\r\n");
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        AppendRow(out.Text(), file.rows[i], verdicts[i]);
        out.Pass();
    }
    const int written = FinishOutput(out);
    return status != kExitOk ? status : written;
}

} // namespace tenvix::cli
