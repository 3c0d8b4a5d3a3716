// Feeds arbitrary bytes to the database reader. Whatever loads must store back
// to bytes that load again to the same records, and analysing any record must
// neither crash nor hang.

#include "model/bondfile.h"
#include "model/clock.h"
#include "model/solver.h"

#include <cstdlib>
#include <span>

namespace {

// A clock that runs out at once, so a slow yield search ends at its first
// check instead of spending the real budget.
class SteppingClock final : public tenvix::Clock {
public:
    std::int64_t Milliseconds() const override { return m_nMs += 1000; }
    double Now() const override { return 46362.0; }

private:
    mutable std::int64_t m_nMs = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace tenvix;
    CBondList list;
    if (!LoadBondDatabase(std::as_bytes(std::span(data, size)), list))
        return 0;

    const std::string stored = StoreBondDatabase(list);
    CBondList again;
    if (!LoadBondDatabase(std::as_bytes(std::span(stored.data(), stored.size())), again))
        std::abort();
    if (StoreBondDatabase(again) != stored)
        std::abort();

    const SteppingClock clock;
    for (auto& bond : list.m_list) {
        bond->SetDates(37257.0, 39083.0);
        bond->Prepare();
        const int code = bond->Validate();
        if (code != BOND_OK && code != BOND_STAND_AFTER_HORIZON)
            continue;
        try {
            const double y = bond->GetYTM(clock);
            double d = 0, m2 = 0;
            bond->GetDurationM2(y, bond->m_fPrice, d, m2);
        } catch (const CUserException&) {
        }
    }
    return 0;
}
