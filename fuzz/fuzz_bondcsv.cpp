// Feeds arbitrary bytes to the reader of the database's own CSV and judges
// the rows against the sample database. Whatever the bytes, reading and
// judging end, a refused row or an unreadable file has its reason, and once
// the verdicts are applied the same bytes judged again change nothing: every
// record the file gave is stored exactly as it gave it.

#include "examples/sample_data.h"
#include "model/bondimport.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tenvix;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CBondList database = MakeSampleDatabase();
    const std::size_t records = database.m_list.size();
    BondImport judged = JudgeBonds(bytes, database);
    if (judged.error != BondCsvError::None) {
        if (!judged.verdicts.empty() || BondFileErrorText(judged.error, judged.errorLine).empty())
            std::abort();
        return 0;
    }
    for (const BondVerdict& v : judged.verdicts) {
        const bool refused = v.kind == BondVerdictKind::Refused;
        const bool storing = v.kind == BondVerdictKind::Add || v.kind == BondVerdictKind::Replace;
        if (refused == BondRefusalText(v).empty() || storing != (v.bond != nullptr))
            std::abort();
    }
    const BondCounts counts = CountBondVerdicts(judged.verdicts);
    const BondCounts done = ApplyBonds(database, judged.verdicts);
    if (done.add != counts.add || done.replace != counts.replace || database.m_list.size() != records + counts.add)
        std::abort();
    const BondCounts again = CountBondVerdicts(JudgeBonds(bytes, database).verdicts);
    if (again.add != 0 || again.replace != 0 || again.refused != counts.refused)
        std::abort();
    return 0;
}
