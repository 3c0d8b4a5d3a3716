// tenvix-cli prices: the verdict on every row of a price file against a
// database, as the import window judges it before anything changes; with
// --apply the accepted prices are written to the database, the large changes
// only with --accept-large, and only if nobody wrote the database meanwhile.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/savefile.h"

#include "model/bondfile.h"
#include "model/date.h"
#include "model/format.h"
#include "model/numbers.h"
#include "model/pricemessages.h"

#include <iostream>
#include <optional>
#include <unistd.h>

namespace tenvix::cli {

namespace {

constexpr const char* kChangedMeanwhile =
    "The file was changed by another program while the prices were judged. Nothing was written .";

// The whole database as a list, for a command that may write it back, and
// the file it was read from; on failure the program's message is on
// standard error.
bool LoadDatabase(const std::string& path, CBondList& list, FileIdentity& identity)
{
    const auto bytes = ReadDatabaseBytes(path, &identity);
    if (!bytes)
        return false;
    if (!LoadBondDatabase(std::as_bytes(std::span(bytes->data(), bytes->size())), list)) {
        std::cerr << FileErrorMessage(FileCause::BadFormat, path, false) << "\n";
        return false;
    }
    return true;
}

void AppendRow(std::string& out, const PriceRow& row, const PriceVerdict& v, bool clean)
{
    const VerdictFigures figures = FiguresOf(v);
    AppendInteger(out, row.line);
    out += ',';
    AppendReportText(out, row.id);
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
    AppendReportText(out, PriceRefusalText(v));
    out += ',';
    if (v.largeChange)
        out += "large";
    if (clean) {
        out += ',';
        if (figures.quote)
            AppendFixed(out, v.quote, 2);
        out += ',';
        if (figures.accrued)
            AppendFixed(out, v.accrued, 6);
    }
    EndCsvRow(out);
}

// --max-change: a percentage as the window's threshold box takes it.
double MaxChangeOption(const Arguments& args)
{
    const auto text = args.Value("max-change");
    if (!text)
        return kLargeChangePercent;
    const auto percent = ReadDecimal(*text);
    if (!percent || !(*percent >= 0.0 && *percent <= kMaxLargeChangePercent))
        throw UsageError{"--max-change wants a percentage from 0 to " + FormatShortest(kMaxLargeChangePercent) +
                         ", not \"" + *text + "\""};
    return *percent;
}

std::string LargeNotWrittenText(std::size_t count)
{
    const std::string n = FormatInteger(static_cast<std::int64_t>(count));
    return count == 1 ? n + " large change not written ; give --accept-large to write it ."
                      : n + " large changes not written ; give --accept-large to write them .";
}

} // namespace

int RunPrices(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "max-change", "decimal-mark", "quotes"}, {"apply", "accept-large"});
    if (args.Positional().size() != 2)
        throw UsageError{"prices takes a database file and a price file"};
    const double stand = StandOrToday(args);
    const double maxChange = MaxChangeOption(args);
    const std::optional<DecimalMark> decimalMark = DecimalMarkOption(args);
    const PriceQuotes quotes = QuotesOption(args, PriceQuotes::Paid);
    const bool clean = quotes == PriceQuotes::Clean;
    const std::string& databasePath = args.Positional()[0];
    const std::string& pricePath = args.Positional()[1];

    CBondList list;
    FileIdentity identity;
    if (!LoadDatabase(databasePath, list, identity))
        return kExitFailure;

    const std::optional<std::string> bytes =
        ReadRowsFile(pricePath, kMaxCsvBytes, PriceFileErrorText(PriceFileError::TooLarge));
    if (!bytes)
        return kExitFailure;
    const BondIdIndex index(list.m_list);
    PriceFile file = ReadPriceFile(*bytes, index);
    if (file.error != PriceFileError::None) {
        std::cerr << PriceFileErrorText(file) << "\n";
        return kExitFailure;
    }
    if (decimalMark)
        file.decimalMark = *decimalMark;
    const std::vector<PriceVerdict> verdicts = JudgePrices(file, index, DaySerial(stand), maxChange, {}, quotes);

    int status = kExitOk;
    if (args.Flag("apply")) {
        const bool acceptLarge = args.Flag("accept-large");
        // A file none of whose prices is taken is left untouched, its date too.
        if (ApplyPrices(verdicts, acceptLarge ? LargeChanges::Store : LargeChanges::Skip) > 0) {
            const SaveOutcome saved = ReplaceFileSafely(databasePath, StoreBondDatabase(list), &identity);
            if (saved.changedMeanwhile) {
                std::cerr << kChangedMeanwhile << "\n";
                status = kExitFailure;
            } else if (!saved.ok()) {
                std::cerr << FileErrorMessage(saved.cause, databasePath, true) << "\n";
                status = kExitFailure;
            }
        }
        std::size_t held = 0;
        for (const PriceVerdict& v : verdicts)
            held += v.largeChange && !acceptLarge ? 1 : 0;
        if (status == kExitOk && held > 0) {
            std::cerr << LargeNotWrittenText(held) << "\n";
            status = kExitLargeNotWritten;
        }
    }

    Output out(STDOUT_FILENO);
    out.Append("line,id,verdict,old_price,new_price,change_percent,reason,flag");
    out.Append(clean ? ",quote,accrued\r\n" : "\r\n");
    for (std::size_t i = 0; i < verdicts.size(); ++i) {
        AppendRow(out.Text(), file.rows[i], verdicts[i], clean);
        out.Pass();
    }
    // A failure outranks the large changes held back.
    const int written = FinishOutput(out);
    return status == kExitFailure || written == kExitOk ? status : written;
}

} // namespace tenvix::cli
