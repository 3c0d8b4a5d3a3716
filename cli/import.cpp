// tenvix-cli import: the verdict on every row of a file in the database's own
// CSV, or of a bank's list of bonds, against a database, as the import window
// judges it before anything changes; with --apply the new records are added
// and the changed ones replaced, and the database written, or made when there
// is none yet.

#include "cli/commands.h"
#include "cli/common.h"
#include "cli/output.h"
#include "cli/savefile.h"

#include "model/banklist.h"
#include "model/bondfile.h"
#include "model/bondimport.h"
#include "model/date.h"
#include "model/filemessages.h"
#include "model/format.h"

#include <cerrno>
#include <iostream>
#include <sys/stat.h>
#include <unistd.h>

namespace tenvix::cli {

namespace {

constexpr const char* kChangedMeanwhile =
    "The file was changed by another program while the bonds were judged. Nothing was written .";

// The database as a list, or an empty one where there is no file yet; on
// failure the program's message is on standard error.
bool LoadOrNone(const std::string& path, CBondList& list, std::optional<FileIdentity>& identity)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 && errno == ENOENT)
        return true;
    FileIdentity read;
    const auto bytes = ReadDatabaseBytes(path, &read);
    if (!bytes)
        return false;
    if (!LoadBondDatabase(std::as_bytes(std::span(bytes->data(), bytes->size())), list)) {
        std::cerr << FileErrorMessage(FileCause::BadFormat, path, false) << "\n";
        return false;
    }
    identity = read;
    return true;
}

void AppendVerdictRow(std::string& out, const BondVerdict& v)
{
    AppendInteger(out, v.line);
    out += ',';
    AppendReportText(out, v.id);
    out += ',';
    out += BondVerdictName(v.kind);
    out += ',';
    AppendReportText(out, BondRefusalText(v));
    EndCsvRow(out);
}

// The verdicts on a bank's list, the columns guessed from its heading or
// given by --columns; nothing when it cannot be judged (the reason is then on
// standard error). `ownFormat` is the message for a file that is neither a
// bank's list nor the database's own CSV.
std::optional<BondImport> JudgeBankFile(const std::string& bytes, CBondList& list, const Arguments& args,
                                        const std::string& ownFormat)
{
    BankList bank = ReadBankList(bytes);
    if (bank.error == RowsFileError::None) {
        if (const auto option = args.Value("columns")) {
            std::string error;
            const std::optional<BankColumns> columns =
                ApplyColumnsOption(*option, bank.headings, bank.columnCount, bank.columns, error);
            if (!columns)
                throw UsageError{error};
            bank = ReadBankList(bytes, *columns);
        } else if (!LooksLikeBankList(bank)) {
            std::cerr << ownFormat << "\n";
            return std::nullopt;
        }
    }
    if (const std::string error = BankListErrorText(bank); !error.empty()) {
        std::cerr << error << "\n";
        return std::nullopt;
    }
    BankTerms terms;
    terms.standDay = DaySerial(StandOrToday(args));
    terms.quotes = QuotesOption(args, PriceQuotes::Clean);
    return JudgeBankList(bank, list, terms);
}

} // namespace

int RunImport(const std::vector<std::string>& argv)
{
    const Arguments args(argv, {"stand", "quotes", "columns"}, {"apply"});
    if (args.Positional().size() != 2)
        throw UsageError{"import takes a database file and a file of bonds"};
    const std::string& databasePath = args.Positional()[0];
    const std::string& bondsPath = args.Positional()[1];

    CBondList list;
    std::optional<FileIdentity> identity;
    if (!LoadOrNone(databasePath, list, identity))
        return kExitFailure;

    const std::optional<std::string> bytes =
        ReadRowsFile(bondsPath, kMaxBondCsvBytes, BondFileErrorText(BondCsvError::TooLarge));
    if (!bytes)
        return kExitFailure;
    // The database's own CSV says so in its first line; anything else may be
    // a bank's list.
    BondImport judged = JudgeBonds(*bytes, list);
    if (judged.error == BondCsvError::NoHeader) {
        std::optional<BondImport> bank =
            JudgeBankFile(*bytes, list, args, BondFileErrorText(judged.error, judged.errorLine));
        if (!bank)
            return kExitFailure;
        judged = std::move(*bank);
    } else if (args.Value("stand") || args.Value("quotes") || args.Value("columns")) {
        throw UsageError{"--stand, --quotes and --columns are for a bank's list, not for a file as export writes it"};
    }
    if (judged.error != BondCsvError::None) {
        std::cerr << BondFileErrorText(judged.error, judged.errorLine) << "\n";
        return kExitFailure;
    }

    // The verdicts are written before Apply takes their records.
    Output out(STDOUT_FILENO);
    out.Append("line,id,verdict,reason\r\n");
    for (const BondVerdict& v : judged.verdicts) {
        AppendVerdictRow(out.Text(), v);
        out.Pass();
    }

    int status = kExitOk;
    if (args.Flag("apply")) {
        // A database nothing changes in is left untouched, its date too; one
        // that is not there yet is made, of the imported records alone.
        if (ApplyBonds(list, judged.verdicts).rows > 0 || !identity) {
            const std::string stored = StoreBondDatabase(list);
            const SaveOutcome saved =
                identity ? ReplaceFileSafely(databasePath, stored, &*identity) : CreateFileSafely(databasePath, stored);
            if (saved.changedMeanwhile) {
                std::cerr << kChangedMeanwhile << "\n";
                status = kExitFailure;
            } else if (!saved.ok()) {
                std::cerr << FileErrorMessage(saved.cause, databasePath, true) << "\n";
                status = kExitFailure;
            }
        }
    }
    const int written = FinishOutput(out);
    return status == kExitFailure ? status : written;
}

} // namespace tenvix::cli
