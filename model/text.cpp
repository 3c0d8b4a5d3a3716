#include "model/text.h"

#include "model/numbers.h"

#include <array>
#include <cstring>

namespace tenvix {
namespace {

// Code points of bytes 0x80 to 0x9F in Windows-1252.
constexpr std::array<char16_t, 32> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t cp)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Decodes one UTF-8 sequence at s[i]; returns the code point and advances i,
// or returns U+FFFD-marker 0xFFFFFFFF and advances one byte on malformed input.
constexpr char32_t kBad = 0xFFFFFFFF;

char32_t DecodeUtf8(std::string_view s, std::size_t& i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t cp = 0;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        cp = b0 & 0x07;
    } else {
        ++i;
        return kBad;
    }
    if (i + len > s.size()) {
        ++i;
        return kBad;
    }
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80) {
            ++i;
            return kBad;
        }
        cp = (cp << 6) | (b & 0x3F);
    }
    constexpr char32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < minimum[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return kBad;
    }
    i += len;
    return cp;
}

char ToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF))
        return static_cast<char>(cp);
    for (std::size_t k = 0; k < kHigh.size(); ++k)
        if (kHigh[k] == cp)
            return static_cast<char>(0x80 + k);
    return '?';
}

} // namespace

bool IsUtf8(std::string_view s)
{
    std::size_t i = 0;
    while (i < s.size()) {
        // ASCII runs eight bytes at a time: a file of prices is mostly that.
        if (i + 8 <= s.size()) {
            std::uint64_t word;
            std::memcpy(&word, s.data() + i, 8);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        if (DecodeUtf8(s, i) == kBad)
            return false;
    }
    return true;
}

bool IsAscii(std::string_view s)
{
    // Eight bytes at a time: names and identifiers are short, but databases
    // hold millions of them.
    const char* p = s.data();
    std::size_t n = s.size();
    std::uint64_t any = 0;
    for (; n >= 8; p += 8, n -= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        any |= word;
    }
    for (; n > 0; ++p, --n)
        any |= static_cast<unsigned char>(*p);
    return (any & 0x8080808080808080ULL) == 0;
}

std::string Cp1252ToUtf8(std::string_view bytes)
{
    if (IsAscii(bytes))
        return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 2);
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80)
            out += c;
        else if (b < 0xA0)
            AppendUtf8(out, kHigh[b - 0x80]);
        else
            AppendUtf8(out, b);
    }
    return out;
}

std::string Utf8ToCp1252(std::string_view text)
{
    if (IsAscii(text))
        return std::string(text);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const char32_t cp = DecodeUtf8(text, i);
        out += cp == kBad ? '?' : ToCp1252(cp);
    }
    return out;
}

bool Cp1252Spells(std::string_view utf8) { return IsAscii(utf8) || Cp1252ToUtf8(Utf8ToCp1252(utf8)) == utf8; }

namespace {

std::string Utf16ToUtf8(std::string_view bytes, bool bigEndian)
{
    std::string out;
    const std::size_t units = bytes.size() / 2;
    out.reserve(units);
    const std::size_t low = bigEndian ? 1 : 0;
    auto unit = [&](std::size_t k) {
        return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * k + low]) |
                                     (static_cast<unsigned char>(bytes[2 * k + 1 - low]) << 8));
    };
    for (std::size_t k = 0; k < units; ++k) {
        const char16_t u = unit(k);
        if (u >= 0xD800 && u <= 0xDBFF && k + 1 < units) {
            const char16_t v = unit(k + 1);
            if (v >= 0xDC00 && v <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (v - 0xDC00));
                ++k;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

} // namespace

std::string Utf16LeToUtf8(std::string_view bytes) { return Utf16ToUtf8(bytes, false); }
std::string Utf16BeToUtf8(std::string_view bytes) { return Utf16ToUtf8(bytes, true); }

namespace {

char32_t FoldCodePoint(char32_t cp)
{
    if (cp >= 'A' && cp <= 'Z')
        return cp + 32;
    if (cp >= 0xC0 && cp <= 0xDE && cp != 0xD7)
        return cp + 0x20;
    if (cp == 0x160 || cp == 0x152 || cp == 0x17D)
        return cp + 1;
    if (cp == 0x178)
        return 0xFF;
    return cp;
}

// How many bytes of `text` fold to `foldedPrefix`, or npos when they don't.
std::size_t FoldedPrefixLength(std::string_view text, std::string_view foldedPrefix)
{
    std::size_t i = 0, j = 0;
    while (j < foldedPrefix.size()) {
        if (i >= text.size())
            return std::string_view::npos;
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x80) {
            if (FoldAscii(static_cast<char>(b)) != foldedPrefix[j])
                return std::string_view::npos;
            ++i;
            ++j;
            continue;
        }
        const std::size_t start = i;
        const char32_t cp = DecodeUtf8(text, i);
        // A malformed byte matches only itself; anything else by its folded form.
        std::string_view folded = text.substr(start, 1);
        std::string encoded;
        if (cp != kBad) {
            AppendUtf8(encoded, FoldCodePoint(cp));
            folded = encoded;
        }
        if (foldedPrefix.substr(j, folded.size()) != folded)
            return std::string_view::npos;
        j += folded.size();
    }
    return i;
}

} // namespace

bool StartsWithFolded(std::string_view text, std::string_view foldedPrefix)
{
    return FoldedPrefixLength(text, foldedPrefix) != std::string_view::npos;
}

bool EqualsFolded(std::string_view text, std::string_view folded)
{
    return FoldedPrefixLength(text, folded) == text.size();
}

std::string FoldCase(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) {
            out += FoldAscii(static_cast<char>(b));
            ++i;
            continue;
        }
        const std::size_t start = i;
        char32_t cp = DecodeUtf8(utf8, i);
        if (cp == kBad) {
            out += utf8[start];
            continue;
        }
        AppendUtf8(out, FoldCodePoint(cp));
    }
    return out;
}

std::vector<std::string> SplitIdentifiers(std::string_view list)
{
    std::vector<std::string> ids;
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        const std::string_view id = Trim(list.substr(0, comma));
        if (!id.empty())
            ids.emplace_back(id);
        if (comma == std::string_view::npos)
            break;
        list.remove_prefix(comma + 1);
    }
    return ids;
}

} // namespace tenvix
