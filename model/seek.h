#pragma once

// Finding bonds by the start of their identifier or name, and the short
// history of seek texts the seek box offers again.
//
// The list view keeps bond-list positions of what it shows, so a seek result
// is only good while the list is unchanged: whoever adds, replaces or deletes
// bonds must empty the view first.

#include "model/bondlist.h"

#include <array>
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix {

// A seek shows at most this many bonds; the rest of the database is not looked at.
inline constexpr std::size_t kMaxSeekResults = 500;
// The seek box remembers this many texts, newest first.
inline constexpr std::size_t kSeekHistory = 10;
// The seek box takes this many characters.
inline constexpr int kMaxSeekText = 15;

enum class SeekBy { ID = 0, Name = 1 };

// Entry i is the position of the bond in row i of the list view; entries past
// the last row mean nothing.
using SeekResults = std::array<CBondList::Position, kMaxSeekResults>;
using SeekResultsView = std::span<CBondList::Position>;

// Walks the list from the head and stores the positions of the first bonds
// whose identifier (or name) begins with `text`, in list order, until
// `results` or kMaxSeekResults entries are filled. Returns how many it stored.
std::size_t SeekBonds(CBondList& bonds, SeekBy by, std::string_view text, SeekResultsView results);

// What the seek box should show after a seek updated its history.
enum class SeekBoxShows {
    TypedText, // the text as the user typed it, in its own letter case
    Entry0,    // the newest history entry, selected
};

// Puts a seek text at the top of the history (newest first): in lower case,
// replacing an entry that is the same text in any case, and dropping the
// oldest beyond kSeekHistory. `selected` is the history entry the box showed
// when the seek began, or -1. An empty text leaves the history alone.
SeekBoxShows RememberSeekText(std::vector<std::string>& history, std::string_view text, int selected);

} // namespace tenvix
