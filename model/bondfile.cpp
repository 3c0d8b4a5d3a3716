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

} // namespace tenvix
