#pragma once

// The bond database file: a 7-byte magic, then the bond list.

#include "model/archive.h"
#include "model/bondlist.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace tenvix {

inline constexpr char kBondFileMagic[7] = {'T', 'e', 'n', 'v', 'i', 'x', '\0'};

// The whole file for `list`.
std::string StoreBondDatabase(const CBondList& list);

// Reads a whole file into `list`. An empty byte string is an empty database.
// Returns false on any malformed content ("Unexpected file format."); `list`
// then holds whatever was read before the fault, and the caller empties it.
bool LoadBondDatabase(std::span<const std::byte> bytes, CBondList& list);

// Where the records of a database file start, for passes that read a file once
// without holding its list: the record count, and the offset of every
// `unitRecords`-th record (the first included), so that the units can be read
// independently of each other.
struct BondFileIndex {
    std::size_t count = 0;
    std::size_t unitRecords = 1;
    std::vector<std::size_t> unitStarts;

    std::size_t Units() const { return unitStarts.size(); }
    // The number of records in unit `unit`.
    std::size_t UnitSize(std::size_t unit) const
    {
        return unit + 1 < unitStarts.size() ? unitRecords : count - unit * unitRecords;
    }
};

// Reads the whole file as LoadBondDatabase does and keeps only the index;
// nothing when LoadBondDatabase would refuse the file. So a command that then
// reads the records unit by unit has refused a file malformed anywhere before
// it writes anything.
std::optional<BondFileIndex> IndexBondDatabase(std::span<const std::byte> bytes, std::size_t unitRecords);

// Reads records one after another from an offset where one starts, into one
// reusable record of each kind: a pass over a database this way allocates next
// to nothing, whatever its size.
class BondRecordReader {
public:
    BondRecordReader(std::span<const std::byte> bytes, std::size_t offset);
    BondRecordReader(const BondRecordReader&) = delete;
    BondRecordReader& operator=(const BondRecordReader&) = delete;

    // Where the next record starts.
    std::size_t Offset() const { return m_ar.Offset(); }
    // The next record, valid until the next call. Throws FormatError as
    // loading would.
    CBond& Next();

private:
    ByteReader m_ar;
    CBondStd m_std{0};
    CBondFree m_free{0};
};

} // namespace tenvix
