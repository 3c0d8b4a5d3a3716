#pragma once

// The commands of tenvix-cli as one table: each name with the function that
// runs it and its usage, from which both `tenvix-cli --help` and
// `tenvix-cli COMMAND --help` are made.

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tenvix::cli {

struct CommandEntry {
    std::string_view name;
    int (*run)(const std::vector<std::string>&);
    // The synopsis and what the command writes, indented as the help shows it.
    std::string_view usage;
    // Whether it takes --threads, whose note then follows its usage.
    bool threads;
};

std::span<const CommandEntry> CommandTable();
// The command of that name; null when there is none.
const CommandEntry* FindCommand(std::string_view name);

// Every command's usage, then the note on --threads.
std::string FullUsage();
// One command's usage, with the note on --threads where it takes it.
std::string UsageOf(const CommandEntry& command);

} // namespace tenvix::cli
