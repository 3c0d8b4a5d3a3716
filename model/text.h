#pragma once

// Text inside the program is UTF-8; the files carry Windows-1252 (and, on
// reading only, UTF-16 of either byte order). These are the only conversions
// between them.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// Whether every byte is below 0x80, where all three encodings agree.
bool IsAscii(std::string_view bytes);

// Whether the bytes are well-formed UTF-8: no overlong forms, no surrogates,
// nothing beyond U+10FFFF.
bool IsUtf8(std::string_view bytes);

// Windows-1252 bytes to UTF-8. The five bytes the code page leaves undefined
// come through as the control characters of the same number, so every byte
// string survives a round trip.
std::string Cp1252ToUtf8(std::string_view bytes);

// UTF-8 to Windows-1252; a character the code page cannot hold becomes '?',
// and so does each byte of malformed UTF-8.
std::string Utf8ToCp1252(std::string_view text);

// Whether Windows-1252 can spell the whole of `utf8`, so that storing it in
// the database loses nothing.
bool Cp1252Spells(std::string_view utf8);

// UTF-16LE code units (2 bytes each) to UTF-8; an unpaired surrogate becomes
// U+FFFD.
std::string Utf16LeToUtf8(std::string_view bytes);
// The same of UTF-16BE.
std::string Utf16BeToUtf8(std::string_view bytes);

// Upper- and lower-case folding for matching without regard to case: ASCII
// and the Latin-1 letters, which is what identifiers and names from the files
// can hold.
std::string FoldCase(std::string_view utf8);
// FoldCase of one ASCII character.
inline char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

// Whether `text` starts with `foldedPrefix` without regard to case, the prefix
// already folded by FoldCase. Allocates nothing, for scans over a whole
// database.
bool StartsWithFolded(std::string_view text, std::string_view foldedPrefix);
// Whether the whole of `text` folds to `folded`; allocates nothing either.
bool EqualsFolded(std::string_view text, std::string_view folded);

// The identifiers of a list such as "GOV-2034-A, zero-2032": split at the
// commas, each without its surrounding blanks, the empty ones dropped; how
// every --exclude of the command line and the Immunize dialog read it.
std::vector<std::string> SplitIdentifiers(std::string_view list);

} // namespace tenvix
