#pragma once

// All bond records of the open database, in file order. The list owns them;
// positions (iterators) stay valid while other records come and go, which is
// what lets the form and the list view hold on to them.

#include "model/bond.h"
#include "model/pool.h"

#include <list>
#include <memory>
#include <string_view>

namespace tenvix {

class ByteReader;
class ByteWriter;

// What names a record for the record form's ID check and the bond import:
// its identifier without leading and trailing white space, case kept. Two
// records whose keys are equal stand for one bond.
std::string_view RecordKey(std::string_view id);

class CBondList {
public:
    // The nodes come from the same pools as the records.
    using List = std::list<std::unique_ptr<CBond>, PoolAllocator<std::unique_ptr<CBond>>>;
    using Position = List::iterator;

    CBondList() = default;
    CBondList(const CBondList&) = delete;
    CBondList& operator=(const CBondList&) = delete;
    CBondList(CBondList&&) = default;
    CBondList& operator=(CBondList&&) = default;

    void RemoveAllBonds() { m_list.clear(); }
    // Removes every record maturing before `day` (a day serial), the others
    // staying where they were, and returns how many went.
    std::size_t DeleteMatured(std::int32_t day);

    // Count, count again, then kind and fields of every record.
    void Serialize(ByteWriter& ar) const;
    // Refuses unequal or negative counts before touching the list; then empties
    // it and reads record after record. On a FormatError the records read so
    // far stay in the list.
    void Serialize(ByteReader& ar);
    // The first step of that: reads and checks the two counts and returns the
    // count, for readers that go through the records without a list.
    static std::size_t ReadCount(ByteReader& ar);
    // The check of the two counts itself, with the bytes that remain after
    // them: a file's count as a size, or FormatError.
    static std::size_t CheckCount(std::int32_t n, std::int32_t again, std::size_t remaining);

    List m_list;
};

} // namespace tenvix
