#include "model/bondfile.h"

#include "model/archive.h"

#include <cstring>

namespace tenvix {

std::string StoreBondDatabase(const CBondList& list)
{
    ByteWriter ar;
    ar.Reserve(15 + list.m_list.size() * 64);
    ar.WriteBytes({kBondFileMagic, sizeof kBondFileMagic});
    list.Serialize(ar);
    return ar.Take();
}

bool LoadBondDatabase(std::span<const std::byte> bytes, CBondList& list)
{
    list.RemoveAllBonds();
    if (bytes.empty())
        return true;
    try {
        ByteReader ar(bytes);
        const std::string_view magic = ar.ReadBytes(sizeof kBondFileMagic);
        if (std::memcmp(magic.data(), kBondFileMagic, sizeof kBondFileMagic) != 0)
            return false;
        list.Serialize(ar);
        return true;
    } catch (const FormatError&) {
        return false;
    }
}

std::optional<BondFileIndex> IndexBondDatabase(std::span<const std::byte> bytes, std::size_t unitRecords)
{
    BondFileIndex index;
    index.unitRecords = unitRecords < 1 ? 1 : unitRecords;
    if (bytes.empty())
        return index;
    try {
        ByteReader ar(bytes);
        const std::string_view magic = ar.ReadBytes(sizeof kBondFileMagic);
        if (std::memcmp(magic.data(), kBondFileMagic, sizeof kBondFileMagic) != 0)
            return std::nullopt;
        index.count = CBondList::ReadCount(ar);
        index.unitStarts.reserve((index.count + index.unitRecords - 1) / index.unitRecords);
        BondRecordReader records(bytes, ar.Offset());
        for (std::size_t k = 0; k < index.count; ++k) {
            if (k % index.unitRecords == 0)
                index.unitStarts.push_back(records.Offset());
            records.Next();
        }
        return index;
    } catch (const FormatError&) {
        return std::nullopt;
    }
}

BondRecordReader::BondRecordReader(std::span<const std::byte> bytes, std::size_t offset) : m_ar(bytes)
{
    m_ar.Skip(offset);
}

CBond& BondRecordReader::Next()
{
    const std::int32_t type = m_ar.ReadI32();
    CBond* bond = nullptr;
    if (type == BOND_TYPE_STD)
        bond = &m_std;
    else if (type == BOND_TYPE_FREE)
        bond = &m_free;
    else
        throw FormatError("unknown record kind");
    bond->Serialize(m_ar);
    return *bond;
}

} // namespace tenvix
