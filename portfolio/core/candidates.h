#pragma once

// Which bonds an optimizer may choose, as the immunizer and the funding both
// screen them: bonds whose row analysis makes them ready, whose own yield
// reaches the least asked for, not left out by identifier (compared without
// regard to case), and not hidden behind an earlier bond of the same
// identifier: a portfolio file names a bond by its identifier, and a lookup
// finds the first bond that has it, regardless of case.

#include "portfolio/core/bondportf.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tenvix {

class CandidateFilter {
public:
    CandidateFilter(std::optional<double> minYtm, const std::vector<std::string>& exclude);

    // Counts one bond, in list order (its place is the count before); true
    // when it may be chosen, unless Hidden says otherwise once all are seen.
    bool Admit(std::string_view id, const RowFigures& row);
    // After the last bond.
    void Finish();
    // Whether the bond at `order` is one a lookup by its identifier never
    // reaches. A rare collision of two identifiers' hashes costs a candidate.
    bool Hidden(std::size_t order) const;

    std::size_t Offered() const { return m_offered; }
    std::size_t Ready() const { return m_ready; }

private:
    std::optional<double> m_minYtm;
    std::vector<std::string> m_foldedExclusions;
    // Every bond's folded identifier hash and its place.
    std::vector<std::pair<std::uint64_t, std::uint32_t>> m_hashes;
    std::vector<std::uint32_t> m_hidden;
    std::size_t m_offered = 0;
    std::size_t m_ready = 0;
};

// The row analysis dates and prepares its bond: a scratch copy of each kind
// takes it while a list is screened, so the list's own bonds stay as they are.
class ScratchBond {
public:
    // A copy of `bond` to analyse, valid until the next call; nothing for a
    // bond of no kind the optimizers take.
    CBond* Of(const CBond* bond);

private:
    CBondStd m_std{0};
    CBondFree m_free{0};
};

} // namespace tenvix
