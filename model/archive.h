#pragma once

// The byte encoding shared by both file kinds: little-endian 32-bit integers,
// IEEE floats, and length-prefixed strings. The reader is the only code that
// looks at file bytes, and it never trusts a length: each read is checked
// against the bytes that remain before anything is allocated or copied.

#include <cstddef>
#include <cstdint>
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

    // A length-prefixed string as UTF-8: narrow Windows-1252 text, or the wide
    // UTF-16LE form that some writers produce.
    std::string ReadString();

private:
    const std::byte* Take(std::size_t n);

    std::span<const std::byte> m_bytes;
    std::size_t m_nOffset = 0;
};

class ByteWriter {
public:
    void WriteU8(std::uint8_t v) { m_buf.push_back(static_cast<char>(v)); }
    void WriteU16(std::uint16_t v);
    void WriteU32(std::uint32_t v);
    void WriteI32(std::int32_t v) { WriteU32(static_cast<std::uint32_t>(v)); }
    void WriteF32(float v);
    void WriteF64(double v);
    void WriteBytes(std::string_view bytes) { m_buf.append(bytes); }

    // UTF-8 text stored as Windows-1252 with the narrow length prefix.
    void WriteString(std::string_view utf8);

    void Reserve(std::size_t n) { m_buf.reserve(n); }
    const std::string& Bytes() const { return m_buf; }
    std::string Take() { return std::move(m_buf); }

private:
    std::string m_buf;
};

} // namespace tenvix
