#pragma once

// Suggesting bonds for a portfolio: every bond of the database whose duration
// lies within a quarter of the horizon is a candidate, ranked by yield when
// its duration is the horizon itself and by yield per unit of spread
// (y / sqrt(M2)) otherwise. Only the best few of each kind are kept, in two
// fixed arrays, so memory stays the same whatever the size of the database.

#include "model/bondlist.h"
#include "model/clock.h"

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <vector>

namespace tenvix {

struct SUGGESTION {
    double dYield = 0.0;
    double dDuration = 0.0;
    double dSquareM = 0.0;
    double dScore = 0.0; // dYield / sqrt(dSquareM); the exact group ranks by yield instead
    CBond* pBond = nullptr;
};

inline constexpr int kSuggestPlaces = 10;
inline constexpr int kPortfolioRows = 20;
// Suggesting needs room for at least one pair.
inline constexpr int kSuggestMaxRows = kPortfolioRows - 2;
// A duration further than this share of the horizon away from it is no candidate.
inline constexpr double kHorizonTolerance = 0.25;
// Closer than this (in years) counts as the horizon itself.
inline constexpr double kExactTolerance = 1e-8;
// An exact match must yield more than this to be worth suggesting.
inline constexpr double kExactMinYield = 0.0001;

enum class SuggestGroup { Exact, Shorter, Longer };

struct SuggestedRow {
    SUGGESTION suggestion;
    SuggestGroup group;
};

// The candidates of one run. The exact group and the shorter group share the
// ten places of m_short, exact records first, so a new exact match can push
// the worst shorter record out; the longer group has m_long to itself.
struct SuggestLists {
    std::array<SUGGESTION, kSuggestPlaces> m_short{};
    std::array<SUGGESTION, kSuggestPlaces> m_long{};
    int m_nShortCount = 0; // records in m_short, both groups
    int m_nExactCount = 0; // of which the exact group, at the front
    int m_nLongCount = 0;

    // Each returns where the record was stored, or null when it was dropped.
    SUGGESTION* AddExact(const SUGGESTION& s);
    SUGGESTION* AddShorter(const SUGGESTION& s);
    SUGGESTION* AddLonger(const SUGGESTION& s);
    SUGGESTION* Add(const SuggestedRow& row);
};

// Stores `s` at the first position in [first, end) whose record ranks below
// it (after all its equals), or at `end`; a position past the array drops it.
// `count` grows by one up to the capacity, the records from the position on
// move one place back, and in a full array the last one falls off. Returns
// where `s` was stored, or -1 when it was dropped.
int InsertRanked(std::array<SUGGESTION, kSuggestPlaces>& places, int& count, int first, int end,
                 double SUGGESTION::*rank, const SUGGESTION& s);

// Analyses one bond with the scan's dates and judges it against a horizon
// `horizonYears` after the stand date: its figures and group when it
// qualifies, with pBond pointing to it. Bonds the checks refuse or whose
// yield cannot be found give nothing. Touches nothing but the bond, so bonds
// may be judged on several threads as long as they are filed in list order.
std::optional<SuggestedRow> AssessBond(CBond& bond, double stand, double horizon, double horizonYears,
                                       const Clock& clock);

// Called after each bond has been dated and before it is judged, with the
// number of bonds reached so far (1 for the first) and the total. Returning
// false ends the scan; what was found so far stays.
using ScanStep = std::function<bool(std::size_t reached, std::size_t total)>;

// Dates and judges every bond in list order. Afterwards every bond
// reached carries the given stand date and horizon.
void ScanBonds(CBondList::List& bonds, double stand, double horizon, SuggestLists& lists, const Clock& clock,
               const ScanStep& step = {});

// The rows to append to a portfolio of `rows` rows, in order: as many exact
// matches as fit, then pairs of the best shorter and the best longer
// candidates, as many pairs as the free rows, the shorter and the longer
// group all allow. Empty means nothing is suggested.
std::vector<SuggestedRow> PresentSuggestions(const SuggestLists& lists, int rows);

} // namespace tenvix
