#pragma once

// Importing records from the database's own CSV: every row judged against
// the open database before anything changes (a new identifier is added, a
// known one whose stored fields differ is replaced, the rest is unchanged or
// refused with a reason), then the accepted rows applied in one step. The
// window and `tenvix-cli import` both judge and apply through here.

#include "model/bondcsv.h"
#include "model/bondlist.h"
#include "model/bondrow.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace tenvix {

enum class BondVerdictKind { Add, Replace, Unchanged, Refused };

enum class BondRefusal {
    None,
    Row,          // the row makes no record: BondVerdict::row says why
    DuplicateId,  // an earlier row of the file has the identifier
    SeveralBonds, // the identifier names more than one record of the database
    Worded,       // a reason found where the row was read: BondVerdict::reason
};

struct BondVerdict {
    std::int64_t line = 0; // where the row starts in the file, from 1
    std::string id;        // as the row gives it
    BondVerdictKind kind = BondVerdictKind::Refused;
    BondRefusal refusal = BondRefusal::None;
    RowRefusal row = RowRefusal::None;
    int code = 0;                 // the form code, for RowRefusal::FormRule
    std::int64_t detail = 0;      // the fields of a row of the wrong count; the records an identifier names
    std::string reason;           // for BondRefusal::Worded
    std::unique_ptr<CBond> bond;  // what Add and Replace store
    CBondList::Position target{}; // the record Replace and Unchanged stand for
};

struct BondImport {
    BondCsvError error = BondCsvError::None;
    std::int64_t errorLine = 0;
    bool cancelled = false;
    std::vector<BondVerdict> verdicts; // in file order; empty on an error
};

// Told how far the work has come (done of total bytes); returns false to
// cancel.
using BondImportProgress = std::function<bool(std::size_t done, std::size_t total)>;

// Reads the file and judges every row against `list`, matching identifiers by
// RecordKey as the record form's ID check does. Nothing changes; the verdicts
// point into `list`, which must not change until they are applied or gone.
BondImport JudgeBonds(std::string_view bytes, CBondList& list, const BondImportProgress& progress = {});

struct BondCounts {
    std::size_t rows = 0;
    std::size_t add = 0;
    std::size_t replace = 0;
    std::size_t unchanged = 0;
    std::size_t refused = 0;
};
BondCounts CountBondVerdicts(std::span<const BondVerdict> verdicts);

// Stores the records of the Add verdicts at the end of `list`, in file order,
// and puts those of the Replace verdicts in the place of the records they
// stand for; the verdicts give up their records. Returns what was done.
BondCounts ApplyBonds(CBondList& list, std::span<BondVerdict> verdicts);

// The program's texts for a file it cannot read and for a refused row.
std::string BondFileErrorText(BondCsvError error, std::int64_t line = 0);
std::string BondRefusalText(const BondVerdict& verdict);
// The verdict as the command line spells it: add, replace, unchanged, refused.
const char* BondVerdictName(BondVerdictKind kind);

} // namespace tenvix
