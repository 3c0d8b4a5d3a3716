#pragma once

// The byte encoding shared by both file kinds: little-endian 32-bit integers,
// IEEE floats, and length-prefixed strings. The reader is the only code that
// looks at file bytes, and it never trusts a length: each read is checked
// against the bytes that remain before anything is allocated or copied.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tenvix {

// A file that is not what it claims to be: bad magic, a count or kind that
// makes no sense, or an end that comes too early.
class FormatError : public std::runtime_error {
public:
    explicit FormatError(const char* what) : std::runtime_error(what) {}
};

class ByteReader {
public:
    explicit ByteReader(std::span<const std::byte> bytes) : m_bytes(bytes) {}

    std::size_t Remaining() const { return m_bytes.size() - m_nOffset; }
    std::size_t Offset() const { return m_nOffset; }

    // Each of these throws FormatError when the bytes run out and then leaves
    // the offset where it was.
    std::uint8_t ReadU8();
    std::uint16_t ReadU16();
    std::uint32_t ReadU32();
    std::int32_t ReadI32();
    float ReadF32();
    double ReadF64();
    std::string_view ReadBytes(std::size_t n);
    void Skip(std::size_t n) { Take(n); }

    // A length-prefixed string as UTF-8: narrow Windows-1252 text, or the wide
    // UTF-16LE form that some writers produce.
    std::string ReadString();
    // The same into `out`, reusing its storage: a pass over a whole database
    // through one record then allocates nothing for its strings. `out` is
    // unchanged when the read fails.
    void ReadString(std::string& out);

private:
    const std::byte* Take(std::size_t n);

    std::span<const std::byte> m_bytes;
    std::size_t m_nOffset = 0;
};

class ByteWriter {
public:
    void WriteU8(std::uint8_t v) { Put(&v, 1); }
    void WriteU16(std::uint16_t v)
    {
        const unsigned char b[2] = {static_cast<unsigned char>(v), static_cast<unsigned char>(v >> 8)};
        Put(b, 2);
    }
    void WriteU32(std::uint32_t v)
    {
        unsigned char b[4];
        StoreLE(b, v);
        Put(b, 4);
    }
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    void WriteF32(float v) { WriteU32(std::bit_cast<std::uint32_t>(v)); }
    void WriteF64(double v);

    // Little-endian bytes of a 32-bit value, for writers that assemble a
    // fixed-size block before one WriteBytes.
    static void StoreLE(unsigned char* out, std::uint32_t v)
    {
        out[0] = static_cast<unsigned char>(v);
        out[1] = static_cast<unsigned char>(v >> 8);
        out[2] = static_cast<unsigned char>(v >> 16);
        out[3] = static_cast<unsigned char>(v >> 24);
    }
    void WriteBytes(std::string_view bytes) { Put(bytes.data(), bytes.size()); }

    // UTF-8 text stored as Windows-1252 with the narrow length prefix.
    void WriteString(std::string_view utf8);

    void Reserve(std::size_t n);
    std::string Take();

private:
    void WriteLength(std::size_t n);
    void Grow(std::size_t n);
    // Saving a large database is millions of tiny writes: copy into room made
    // ahead instead of appending, so each write is a bounds test and a store.
    void Put(const void* p, std::size_t n)
    {
        if (m_buf.size() - m_nSize < n)
            Grow(n);
        std::memcpy(m_buf.data() + m_nSize, p, n);
        m_nSize += n;
    }

    std::string m_buf;
    std::size_t m_nSize = 0;
};

} // namespace tenvix
