#pragma once

// Which record of the database a record read from a file stands for, by
// RecordKey as the record form's ID check matches identifiers: a new one is
// added, a known one whose stored fields differ replaces it, one the same is
// unchanged, and an identifier the database holds more than once, or the
// file gave before, is refused.

#include "model/bondimport.h"
#include "model/bondlist.h"

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace tenvix {

class RecordMatcher {
public:
    // The verdicts point into `list`, which must not change while they stand.
    explicit RecordMatcher(CBondList& list);

    // Whether an earlier row of the file had the identifier; notes it.
    bool SeenBefore(std::string_view id);
    // The verdict on `record`, made from a row with the identifier `v.id`.
    void Judge(BondVerdict& v, std::unique_ptr<CBond> record) const;

private:
    struct Known {
        CBondList::Position first;
        std::size_t count = 0;
    };
    std::unordered_map<std::string_view, Known> m_known;
    std::unordered_set<std::string> m_seen;
};

} // namespace tenvix
