#include "portfolio/core/portfoliofile.h"

#include "model/archive.h"

#include <algorithm>

namespace tenvix {

std::string StorePortfolio(std::span<const PortfolioEntry> rows)
{
    ByteWriter out;
    out.WriteBytes({kPortfolioMagic, sizeof kPortfolioMagic});
    out.WriteI32(static_cast<std::int32_t>(rows.size()));
    for (const PortfolioEntry& row : rows) {
        out.WriteString(row.id);
        out.WriteF64(row.units);
    }
    return out.Take();
}

PortfolioFile ReadPortfolio(std::span<const std::byte> bytes)
{
    PortfolioFile file;
    ByteReader in(bytes);
    if (in.Remaining() < sizeof kPortfolioMagic ||
        !std::ranges::equal(in.ReadBytes(sizeof kPortfolioMagic),
                            std::string_view(kPortfolioMagic, sizeof kPortfolioMagic))) {
        file.error = PortfolioFileError::WrongFormat;
        return file;
    }
    try {
        const std::int32_t n = in.ReadI32();
        if (n < 0 || n > kPortfolioFileMaxRows) {
            file.error = n < 0 ? PortfolioFileError::WrongFormat : PortfolioFileError::TooManyRows;
            return file;
        }
        std::vector<PortfolioEntry> rows(static_cast<std::size_t>(n));
        for (PortfolioEntry& row : rows) {
            row.id = in.ReadString();
            row.units = in.ReadF64();
        }
        file.rows = std::move(rows);
    } catch (const FormatError&) {
        file.error = PortfolioFileError::Truncated;
    }
    return file;
}

} // namespace tenvix
