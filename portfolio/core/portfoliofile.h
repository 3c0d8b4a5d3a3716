#pragma once

// The portfolio file (.bdp): a 9-byte magic, the row count, then for every
// row its identifier (a length-prefixed string) and its units (a double).
// It holds only what the user chose; figures, prices and statuses are worked
// out again against whatever database is open when it is loaded.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace tenvix {

inline constexpr char kPortfolioMagic[9] = {'T', 'e', 'n', 'v', 'i', 'x', '2', 'F', '\0'};
inline constexpr std::int32_t kPortfolioFileMaxRows = 20;
// Twenty rows of fifteen-character identifiers take a few hundred bytes; no
// more than this is ever read, so a huge file cannot exhaust memory. Rows
// that would need more read as a file that ends early.
inline constexpr std::size_t kPortfolioFileReadLimit = 16u << 20;

struct PortfolioEntry {
    std::string id; // UTF-8
    double units = 0.0;
    friend bool operator==(const PortfolioEntry&, const PortfolioEntry&) = default;
};

// The whole file for these rows.
std::string StorePortfolio(std::span<const PortfolioEntry> rows);

enum class PortfolioFileError {
    None,
    WrongFormat, // short or wrong magic, or a row count below 0
    TooManyRows, // a row count above 20
    Truncated,   // the file ends inside the count or a row, or a length overruns it
};

struct PortfolioFile {
    PortfolioFileError error = PortfolioFileError::None;
    std::vector<PortfolioEntry> rows; // empty unless error is None
};

// Reads and checks a whole file before anything is handed back, so a caller
// never has to undo half a load. Bytes after the last row are ignored.
PortfolioFile ReadPortfolio(std::span<const std::byte> bytes);

} // namespace tenvix
