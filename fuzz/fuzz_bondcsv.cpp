// Feeds arbitrary bytes to the bond import as File > Import bonds reads a
// file: the database's own CSV, or else a bank's list of bonds, judged
// against the sample database. Whatever the bytes, reading and judging end,
// a refused row or an unreadable file has its reason, and once the verdicts
// are applied the same bytes judged again change nothing: every record the
// file gave is stored exactly as it gave it.

#include "examples/sample_data.h"
#include "model/banklist.h"
#include "model/bondimport.h"
#include "model/date.h"

#include <cstdlib>
#include <optional>
#include <string_view>

namespace {

using namespace tenvix;

// The verdicts, or nothing when the file cannot be judged (its reason said).
std::optional<BondImport> Judge(std::string_view bytes, CBondList& database)
{
    BondImport judged = JudgeBonds(bytes, database);
    if (judged.error == BondCsvError::NoHeader) {
        const BankList bank = ReadBankList(bytes);
        const std::string reason = BankListErrorText(bank);
        if (!reason.empty()) {
            if (!bank.rows.empty() && bank.error != RowsFileError::None)
                std::abort();
            return std::nullopt;
        }
        // The sample's stand date; clean quotes, as banks quote.
        return JudgeBankList(bank, database, {DaySerial(*MakeDate(2025, 6, 30)), PriceQuotes::Clean});
    }
    if (judged.error != BondCsvError::None) {
        if (!judged.verdicts.empty() || BondFileErrorText(judged.error, judged.errorLine).empty())
            std::abort();
        return std::nullopt;
    }
    return judged;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CBondList database = MakeSampleDatabase();
    const std::size_t records = database.m_list.size();
    std::optional<BondImport> judged = Judge(bytes, database);
    if (!judged)
        return 0;
    for (const BondVerdict& v : judged->verdicts) {
        const bool refused = v.kind == BondVerdictKind::Refused;
        const bool storing = v.kind == BondVerdictKind::Add || v.kind == BondVerdictKind::Replace;
        if (refused == BondRefusalText(v).empty() || storing != (v.bond != nullptr))
            std::abort();
    }
    const BondCounts counts = CountBondVerdicts(judged->verdicts);
    const BondCounts done = ApplyBonds(database, judged->verdicts);
    if (done.add != counts.add || done.replace != counts.replace || database.m_list.size() != records + counts.add)
        std::abort();
    const std::optional<BondImport> again = Judge(bytes, database);
    const BondCounts second = again ? CountBondVerdicts(again->verdicts) : BondCounts{};
    if (!again || second.add != 0 || second.replace != 0 || second.refused != counts.refused)
        std::abort();
    return 0;
}
