#include "model/archive.h"

#include "model/text.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace tenvix {

const std::byte* ByteReader::Take(std::size_t n)
{
    if (n > Remaining())
        throw FormatError("file ends early");
    const std::byte* p = m_bytes.data() + m_nOffset;
    m_nOffset += n;
    return p;
}

std::uint8_t ByteReader::ReadU8() { return static_cast<std::uint8_t>(*Take(1)); }

std::uint16_t ByteReader::ReadU16()
{
    const std::byte* p = Take(2);
    return static_cast<std::uint16_t>(std::to_integer<unsigned>(p[0]) | (std::to_integer<unsigned>(p[1]) << 8));
}

std::uint32_t ByteReader::ReadU32()
{
    const std::byte* p = Take(4);
    return std::to_integer<std::uint32_t>(p[0]) | (std::to_integer<std::uint32_t>(p[1]) << 8) |
           (std::to_integer<std::uint32_t>(p[2]) << 16) | (std::to_integer<std::uint32_t>(p[3]) << 24);
}

std::int32_t ByteReader::ReadI32() { return static_cast<std::int32_t>(ReadU32()); }

float ByteReader::ReadF32() { return std::bit_cast<float>(ReadU32()); }

double ByteReader::ReadF64()
{
    const std::uint64_t lo = ReadU32();
    const std::uint64_t hi = ReadU32();
    return std::bit_cast<double>(lo | (hi << 32));
}

std::string_view ByteReader::ReadBytes(std::size_t n) { return {reinterpret_cast<const char*>(Take(n)), n}; }

std::string ByteReader::ReadString()
{
    std::string text;
    ReadString(text);
    return text;
}

void ByteReader::ReadString(std::string& out)
{
    const std::size_t start = m_nOffset;
    try {
        // One byte below 0xFF; else 0xFF and 16 bits below 0xFFFF; else 0xFFFF
        // and 32 bits. The 16-bit value 0xFFFE marks UTF-16 text, whose length
        // follows in the same scheme.
        auto readLength = [this](bool& wide) -> std::uint64_t {
            const std::uint8_t b = ReadU8();
            if (b < 0xFF)
                return b;
            std::uint16_t w = ReadU16();
            if (w == 0xFFFE && !wide) {
                wide = true;
                const std::uint8_t b2 = ReadU8();
                if (b2 < 0xFF)
                    return b2;
                w = ReadU16();
            }
            if (w < 0xFFFF)
                return w;
            return ReadU32();
        };
        bool wide = false;
        const std::uint64_t units = readLength(wide);
        const std::uint64_t size = wide ? units * 2 : units;
        if (size > Remaining())
            throw FormatError("string longer than the file");
        const std::string_view raw = ReadBytes(static_cast<std::size_t>(size));
        if (wide)
            out = Utf16LeToUtf8(raw);
        else if (!IsAscii(raw))
            out = Cp1252ToUtf8(raw);
        else if (out.capacity() >= raw.size())
            out.assign(raw);
        else
            out = std::string(raw); // exactly as large as it must be: assign would leave room to grow

    } catch (...) {
        m_nOffset = start;
        throw;
    }
}

void ByteWriter::Reserve(std::size_t n)
{
    if (n > m_buf.size())
        m_buf.resize(n);
}

void ByteWriter::Grow(std::size_t n) { m_buf.resize(std::max(m_nSize + n, 2 * m_buf.size() + 64)); }

std::string ByteWriter::Take()
{
    m_buf.resize(m_nSize);
    m_nSize = 0;
    return std::move(m_buf);
}

void ByteWriter::WriteF64(double v)
{
    const auto bits = std::bit_cast<std::uint64_t>(v);
    WriteU32(static_cast<std::uint32_t>(bits));
    WriteU32(static_cast<std::uint32_t>(bits >> 32));
}

void ByteWriter::WriteString(std::string_view utf8)
{
    if (IsAscii(utf8)) {
        WriteLength(utf8.size());
        WriteBytes(utf8);
        return;
    }
    const std::string text = Utf8ToCp1252(utf8);
    WriteLength(text.size());
    WriteBytes(text);
}

void ByteWriter::WriteLength(std::size_t n)
{
    if (n < 0xFF) {
        WriteU8(static_cast<std::uint8_t>(n));
    } else if (n < 0xFFFE) {
        WriteU8(0xFF);
        WriteU16(static_cast<std::uint16_t>(n));
    } else {
        WriteU8(0xFF);
        WriteU16(0xFFFF);
        WriteU32(static_cast<std::uint32_t>(n));
    }
}

} // namespace tenvix
