#pragma once

// What the command line asks of the program before any window system is
// needed: its usage, its version, or a start. Qt's own options (-platform,
// -style, ...) are left for QApplication to take.

#include <string>
#include <vector>

namespace tenvix::ui {

struct StartOptions {
    enum class Action { Start, Help, Version, Bad };
    Action action = Action::Start;
    std::string badOption; // for Bad: the option as given
};

// `args` are the program's arguments without its name.
StartOptions ReadStartOptions(const std::vector<std::string>& args);

const char* StartUsage();
const char* StartVersion();

} // namespace tenvix::ui
