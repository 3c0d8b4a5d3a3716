#pragma once

// Reading files from disk, the one road of every command: a file the user
// names read whole up to a limit, and a database checked and then read whole
// or unit by unit.

#include "model/bondfile.h"

#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace tenvix::cli {

class Output;

// Which file a path led to when it was read: while the device, the inode, the
// size and the modification time (to the nanosecond) are the same, nobody
// has written or replaced it since.
struct FileIdentity {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedSeconds = 0;
    std::int64_t modifiedNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};
// The identity of the file `path` leads to now (through links); nothing when
// there is none.
std::optional<FileIdentity> CurrentIdentity(const std::string& path);

// What the reader does with a file longer than its limit.
enum class Beyond {
    Refuse, // nothing, unread, with errno EFBIG
    Cut,    // its first `limit` bytes, for formats that ignore what follows their end
};

// errno after ReadFileBytes refused a path that leads to a folder, a pipe, a
// device or a socket rather than a regular file.
inline constexpr int kNotRegularFile = ENODEV;

// A regular file read whole; nothing when it cannot be opened or read, or is
// no regular file (errno then tells why). A pipe or a device named by mistake
// is refused at once, unopened, and a hostile file cannot make the reader
// hold (or read) more than the limit. A file whose size reads 0, as those of
// /proc do, is read to its end. `identity`, when given, is set to the file's
// as it was opened.
std::optional<std::string> ReadFileBytes(const std::string& path, std::size_t limit, Beyond beyond = Beyond::Refuse,
                                         FileIdentity* identity = nullptr);

// A file of rows another program wrote (prices, bonds) read whole, up to
// `limit`; on failure prints the program's message to standard error (for a
// file over the limit, `tooLarge`, the format's own words) and returns
// nothing.
std::optional<std::string> ReadRowsFile(const std::string& path, std::size_t limit, const std::string& tooLarge);

// The database ceiling of the windows and of every command.
inline constexpr std::size_t kDatabaseReadLimit = std::size_t(1) << 30;
// A database file read whole, unchecked; on failure prints the program's
// message to standard error and returns nothing.
std::optional<std::string> ReadDatabaseBytes(const std::string& path, FileIdentity* identity = nullptr);

// A database file checked whole, with the index that lets it be read in
// units. OpenDatabase holds the file's bytes, for the commands that go back
// to a record by its offset; OpenDatabaseUnits holds only the index and the
// open file, and reads each unit's bytes again when it is wanted, so that a
// pass over a database of any size holds a few units at a time.
class OpenedDatabase;
struct DatabaseFile {
    std::string bytes; // the whole file, when it was read whole
    BondFileIndex index;
    std::shared_ptr<const OpenedDatabase> file; // the open file, when it is read unit by unit

    std::span<const std::byte> Bytes() const { return std::as_bytes(std::span(bytes.data(), bytes.size())); }
    // The bytes of unit `unit`, from its first record's start to its last
    // record's end: a view of the whole file, or read from the file into
    // `buffer`. Throws DatabaseLost when the file no longer holds them.
    std::span<const std::byte> Unit(std::size_t unit, std::string& buffer) const;
    // Whether the file read unit by unit is still the one checked (the same
    // FileIdentity as when it was opened); a file held whole always is.
    bool Unchanged() const;
};

// Thrown when a unit cannot be read as the check found it: the read failed
// (`error`, an errno), or the file was changed by another program since it
// was checked (`error` 0).
struct DatabaseLost {
    int error = 0;
};

// Records a unit of work holds: small enough to spread a database over the
// threads evenly, large enough that handing units over costs nothing.
inline constexpr std::size_t kUnitRecords = 1024;

// Reads and checks a .bnd file whole; on failure prints the program's message
// to standard error and returns nothing. Nothing has been written then.
std::optional<DatabaseFile> OpenDatabase(const std::string& path);
// Checks a .bnd file in pieces, holding none of it but the index, and keeps
// it open to be read unit by unit; the same refusals and messages. A file
// whose size says nothing (those of /proc) is read whole.
std::optional<DatabaseFile> OpenDatabaseUnits(const std::string& path);

// Calls each(bond, offset) for every record of unit `unit` of `db` in file
// order, the offset being the record's in the unit's bytes, which it returns
// (kept in `buffer` when the file is read unit by unit). A unit whose bytes
// do not hold its records as the check found them throws DatabaseLost.
std::span<const std::byte> ForEachUnitRecord(const DatabaseFile& db, std::size_t unit, std::string& buffer,
                                             const std::function<void(CBond&, std::size_t)>& each);

// Runs `pass`, a command's pass over `db` writing to `out`, and finishes the
// output. A database changed by another program meanwhile, or one that could
// no longer be read, ends the command with the program's message instead,
// the rows not yet written dropped: whatever went out before is not to be
// trusted, and the exit status says so.
int FinishDatabasePass(const DatabaseFile& db, Output& out, const std::function<void()>& pass);

// The same, loaded into `list` for a command that needs the bonds at once.
bool LoadWholeDatabase(const std::string& path, CBondList& list);

} // namespace tenvix::cli
