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
    bool platformGiven = false; // -platform NAME: Qt is told which window system to use
};

// `args` are the program's arguments without its name.
StartOptions ReadStartOptions(const std::vector<std::string>& args);

const char* StartUsage();
const char* StartVersion();

// Whether the program can expect a window system: a platform named on the
// command line or in QT_QPA_PLATFORM, or a display of X or Wayland (the
// values of those variables, null when unset).
bool DisplayExpected(const StartOptions& options, const char* qpaPlatform, const char* display,
                     const char* waylandDisplay);
// What a start without a display says on standard error before it ends with 1.
const char* NoDisplayText();

} // namespace tenvix::ui
