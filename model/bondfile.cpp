#include "model/bondfile.h"

#include "model/archive.h"

#include <algorithm>
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

namespace {

// The bytes of a file read front to back, either all in memory or a piece at
// a time into a buffer: little-endian words, and runs of bytes stepped over
// without being read. Every read and step is checked against the file's size
// first and throws FormatError beyond it, as ByteReader's do.
class Cursor {
public:
    explicit Cursor(std::span<const std::byte> bytes) : m_data(bytes.data()), m_size(bytes.size()), m_have(bytes.size())
    {
    }
    Cursor(std::size_t size, const BytePieces& pieces)
        : m_buffer(std::min(size, kCheckPieceBytes)), m_data(m_buffer.data()), m_size(size), m_pieces(&pieces)
    {
    }

    std::size_t Offset() const { return m_base + m_pos; }
    std::size_t Remaining() const { return m_size - Offset(); }

    std::uint8_t U8() { return std::to_integer<std::uint8_t>(*Take(1)); }
    std::uint16_t U16()
    {
        const std::byte* p = Take(2);
        return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) | (std::to_integer<unsigned>(p[1]) << 8));
    }
    std::uint32_t U32()
    {
        const std::byte* p = Take(4);
        return std::to_integer<std::uint32_t>(p[0]) | (std::to_integer<std::uint32_t>(p[1]) << 8) |
               (std::to_integer<std::uint32_t>(p[2]) << 16) | (std::to_integer<std::uint32_t>(p[3]) << 24);
    }
    std::int32_t I32() { return static_cast<std::int32_t>(U32()); }

    void Skip(std::size_t n)
    {
        if (n > Remaining())
            throw FormatError("file ends early");
        if (n <= m_have - m_pos) {
            m_pos += n;
            return;
        }
        // Beyond what is held: the next piece starts past the run.
        m_base = Offset() + n;
        m_pos = m_have = 0;
    }

    // Whether the file still holds the byte before the offset: after a run
    // stepped over unread, the file may have ended before the run did.
    void CheckReached()
    {
        if (m_pos > 0 || Offset() == 0)
            return; // the last byte was read
        std::byte last{};
        if ((*m_pieces)(Offset() - 1, std::span(&last, 1)) != 1)
            throw FormatError("file ends early");
    }

private:
    const std::byte* Take(std::size_t n)
    {
        if (n > Remaining())
            throw FormatError("file ends early");
        if (n > m_have - m_pos)
            Fill(n);
        const std::byte* p = m_data + m_pos;
        m_pos += n;
        return p;
    }

    // Moves what is left of the piece to the front of the buffer and reads
    // on after it, so that the next `n` bytes are held. Only a file read in
    // pieces gets here: one in memory holds every byte up to its size.
    void Fill(std::size_t n)
    {
        const std::size_t left = m_have - m_pos;
        std::memmove(m_buffer.data(), m_buffer.data() + m_pos, left);
        m_base += m_pos;
        m_pos = 0;
        m_have = left;
        const std::size_t want = std::min(m_buffer.size(), m_size - m_base) - left;
        const std::size_t got = (*m_pieces)(m_base + left, std::span(m_buffer.data() + left, want));
        m_have += std::min(got, want);
        if (m_have < n)
            throw FormatError("file ends early");
    }

    std::vector<std::byte> m_buffer;
    const std::byte* m_data;
    std::size_t m_size;
    std::size_t m_base = 0; // the file offset of m_data[0]
    std::size_t m_pos = 0;  // the next byte, from m_data
    std::size_t m_have = 0; // bytes held from m_data
    const BytePieces* m_pieces = nullptr;
};

// A length-prefixed string, as ByteReader::ReadString reads its length:
// one byte below 0xFF; else 0xFF and 16 bits below 0xFFFF; else 0xFFFF and 32
// bits; the 16-bit 0xFFFE first marks UTF-16 text of as many units.
void SkipString(Cursor& in)
{
    bool wide = false;
    std::uint64_t units = in.U8();
    if (units == 0xFF) {
        std::uint16_t w = in.U16();
        if (w == 0xFFFE) {
            wide = true;
            const std::uint8_t b = in.U8();
            w = b < 0xFF ? b : in.U16();
        }
        units = w < 0xFFFF ? w : in.U32();
    }
    const std::uint64_t size = wide ? units * 2 : units;
    if (size > in.Remaining())
        throw FormatError("string longer than the file");
    in.Skip(static_cast<std::size_t>(size));
}

// One record as the loader reads it (model/bond.cpp): its kind, its fixed
// fields, its two strings and, for Type II, its payments.
void SkipRecord(Cursor& in)
{
    const std::int32_t type = in.I32();
    if (type == BOND_TYPE_STD) {
        in.Skip(6 * 4);
        SkipString(in);
        SkipString(in);
    } else if (type == BOND_TYPE_FREE) {
        in.Skip(3 * 4);
        SkipString(in);
        SkipString(in);
        const std::int32_t count = in.I32();
        if (count < 0 || static_cast<std::uint64_t>(count) * 8 > in.Remaining())
            throw FormatError("bad payment count");
        in.Skip(static_cast<std::size_t>(count) * 8);
    } else {
        throw FormatError("unknown record kind");
    }
}

std::optional<BondFileIndex> Index(Cursor& in, std::size_t unitRecords)
{
    BondFileIndex index;
    index.unitRecords = unitRecords < 1 ? 1 : unitRecords;
    if (in.Remaining() == 0)
        return index;
    try {
        for (const char c : kBondFileMagic)
            if (in.U8() != static_cast<unsigned char>(c))
                return std::nullopt;
        const std::int32_t n = in.I32();
        const std::int32_t again = in.I32();
        index.count = CBondList::CheckCount(n, again, in.Remaining());
        index.unitStarts.reserve((index.count + index.unitRecords - 1) / index.unitRecords);
        for (std::size_t k = 0; k < index.count; ++k) {
            if (k % index.unitRecords == 0)
                index.unitStarts.push_back(in.Offset());
            SkipRecord(in);
        }
        in.CheckReached();
        index.end = in.Offset();
        return index;
    } catch (const FormatError&) {
        return std::nullopt;
    }
}

} // namespace

std::optional<BondFileIndex> IndexBondDatabase(std::span<const std::byte> bytes, std::size_t unitRecords)
{
    Cursor in(bytes);
    return Index(in, unitRecords);
}

std::optional<BondFileIndex> IndexBondDatabase(std::size_t size, const BytePieces& pieces, std::size_t unitRecords)
{
    Cursor in(size, pieces);
    return Index(in, unitRecords);
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
