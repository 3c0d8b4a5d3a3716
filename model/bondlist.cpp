#include "model/bondlist.h"

#include "model/archive.h"
#include "model/numbers.h"

namespace tenvix {
namespace {

// The fewest bytes a record can take in a file: kind word, then a Type II
// record with empty strings and no payments.
constexpr std::size_t kMinRecordBytes = 4 + 4 + 4 + 4 + 1 + 1 + 4;

} // namespace

std::string_view RecordKey(std::string_view id) { return Trim(id); }

std::size_t CBondList::DeleteMatured(std::int32_t day)
{
    return std::erase_if(m_list, [day](const std::unique_ptr<CBond>& b) { return b && b->m_nMaturity < day; });
}

void CBondList::Serialize(ByteWriter& ar) const
{
    const auto n = static_cast<std::int32_t>(m_list.size());
    ar.WriteI32(n);
    ar.WriteI32(n);
    for (const auto& bond : m_list) {
        ar.WriteI32(bond->m_nType);
        bond->Serialize(ar);
    }
}

std::size_t CBondList::ReadCount(ByteReader& ar)
{
    const std::int32_t n = ar.ReadI32();
    const std::int32_t again = ar.ReadI32();
    return CheckCount(n, again, ar.Remaining());
}

std::size_t CBondList::CheckCount(std::int32_t n, std::int32_t again, std::size_t remaining)
{
    if (n != again || n < 0)
        throw FormatError("record counts disagree");
    if (static_cast<std::uint64_t>(n) * kMinRecordBytes > remaining)
        throw FormatError("more records than the file can hold");
    return static_cast<std::size_t>(n);
}

void CBondList::Serialize(ByteReader& ar)
{
    const std::size_t n = ReadCount(ar);
    RemoveAllBonds();
    for (std::size_t k = 0; k < n; ++k) {
        const std::int32_t type = ar.ReadI32();
        std::unique_ptr<CBond> bond;
        if (type == BOND_TYPE_STD)
            bond = std::make_unique<CBondStd>(0);
        else if (type == BOND_TYPE_FREE)
            bond = std::make_unique<CBondFree>(0);
        else
            throw FormatError("unknown record kind");
        bond->Serialize(ar);
        m_list.push_back(std::move(bond));
    }
}

} // namespace tenvix
