// Feeds arbitrary bytes to the database reader. Whatever loads must store back
// to bytes that load again to the same records, and analysing any record must
// neither crash nor hang.

#include "fuzz/steppingclock.h"
#include "model/analyse.h"
#include "model/bondfile.h"

#include <cstdlib>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tenvix;
    CBondList list;
    if (!LoadBondDatabase(std::as_bytes(std::span(data, size)), list))
        return 0;

    const std::string stored = StoreBondDatabase(list);
    CBondList again;
    if (!LoadBondDatabase(std::as_bytes(std::span(stored.data(), stored.size())), again) ||
        StoreBondDatabase(again) != stored)
        std::abort();

    const fuzz::SteppingClock clock;
    for (auto& bond : list.m_list)
        AnalyseRecord(*bond, 37257.0, 39083.0, bond->m_fPrice, clock, Needs::YieldAndDuration);
    return 0;
}
