#pragma once

// The bond database file: a 7-byte magic, then the bond list.

#include "model/bondlist.h"

#include <cstddef>
#include <span>
#include <string>

namespace tenvix {

inline constexpr char kBondFileMagic[7] = {'T', 'e', 'n', 'v', 'i', 'x', '\0'};

// The whole file for `list`.
std::string StoreBondDatabase(const CBondList& list);

// Reads a whole file into `list`. An empty byte string is an empty database.
// Returns false on any malformed content ("Unexpected file format."); `list`
// then holds whatever was read before the fault, and the caller empties it.
bool LoadBondDatabase(std::span<const std::byte> bytes, CBondList& list);

} // namespace tenvix
