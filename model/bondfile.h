#pragma once

// The bond database file: a 7-byte magic, then the bond list.

#include "model/archive.h"
#include "model/bondlist.h"

#include <cstddef>
#include <functional>
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
// without holding its list: the record count, the offset of every
// `unitRecords`-th record (the first included), so that the units can be read
// independently of each other, and where the last record ends.
struct BondFileIndex {
    std::size_t count = 0;
    std::size_t unitRecords = 1;
    std::vector<std::size_t> unitStarts;
    std::size_t end = 0;

    std::size_t Units() const { return unitStarts.size(); }
    // The number of records in unit `unit`.
    std::size_t UnitSize(std::size_t unit) const
    {
        return unit + 1 < unitStarts.size() ? unitRecords : count - unit * unitRecords;
    }
    // Where the records of unit `unit` end: the next unit's start, or the end.
    std::size_t UnitEnd(std::size_t unit) const { return unit + 1 < unitStarts.size() ? unitStarts[unit + 1] : end; }
};

// Checks the whole file as LoadBondDatabase reads it and keeps only the index;
// nothing when LoadBondDatabase would refuse the file. So a command that then
// reads the records unit by unit has refused a file malformed anywhere before
// it writes anything. The check reads each record's kind, lengths and counts
// and steps over the rest: a record's fields can hold any bytes.
std::optional<BondFileIndex> IndexBondDatabase(std::span<const std::byte> bytes, std::size_t unitRecords);

// Hands the check a file it does not hold: copies the file's bytes from
// `offset` on into `into` and returns how many it copied, fewer than asked
// only where the file ends. It may throw, which ends the check.
using BytePieces = std::function<std::size_t(std::size_t offset, std::span<std::byte> into)>;
// The bytes the check holds at a time when it reads a file in pieces; a
// record's strings and payments it steps over need no room.
inline constexpr std::size_t kCheckPieceBytes = std::size_t(256) << 10;
// The same check of a file of `size` bytes read in pieces through `pieces`,
// front to back; the same answer as for the whole bytes. A file that ends
// before `size` is refused as one cut short.
std::optional<BondFileIndex> IndexBondDatabase(std::size_t size, const BytePieces& pieces, std::size_t unitRecords);

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
