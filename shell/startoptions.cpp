#include "shell/startoptions.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace tenvix::ui {

namespace {

// QApplication's own options, with one dash or two; the first group takes
// the next argument as its value.
constexpr std::array<std::string_view, 15> kQtWithValue = {
    "platform", "platformpluginpath", "platformtheme", "plugin", "qwindowgeometry", "geometry", "qwindowicon", "icon",
    "qwindowtitle", "title", "display", "name", "session", "style", "stylesheet"};
constexpr std::array<std::string_view, 7> kQtFlags = {"reverse", "widgetcount", "testability", "nograb",
                                                      "dograb", "sync", "qmljsdebugger"};
// The desktop's print, print-to and registration requests start a new,
// empty database, as any request other than one file does.
constexpr std::array<std::string_view, 7> kShellRequests = {"p",         "pt",       "dde",        "automation",
                                                            "embedding", "unregister", "unregserver"};

template <std::size_t N>
bool OneOf(const std::array<std::string_view, N>& names, std::string_view word)
{
    return std::find(names.begin(), names.end(), word) != names.end();
}

} // namespace

StartOptions ReadStartOptions(const std::vector<std::string>& args)
{
    StartOptions options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string_view arg = args[i];
        if (arg == "-h" || arg == "--help")
            return {StartOptions::Action::Help, {}};
        if (arg == "-v" || arg == "--version")
            return {StartOptions::Action::Version, {}};
        if (arg == "--")
            break;
        if (arg.size() < 2 || arg[0] != '-')
            continue;
        std::string_view word = arg.substr(arg.starts_with("--") ? 2 : 1);
        // -qmljsdebugger=port:1234 and --style=fusion carry their value.
        word = word.substr(0, word.find('='));
        if (OneOf(kQtWithValue, word)) {
            options.platformGiven = options.platformGiven || word == "platform";
            if (arg.find('=') == std::string_view::npos)
                ++i;
            continue;
        }
        if (OneOf(kQtFlags, word) || (arg[1] != '-' && OneOf(kShellRequests, word)))
            continue;
        if (options.action == StartOptions::Action::Start) {
            options.action = StartOptions::Action::Bad;
            options.badOption = std::string(arg);
        }
    }
    return options;
}

const char* StartUsage()
{
    return "Usage: tenvix [FILE.bnd]\n"
           "Opens the bond database FILE.bnd in the window, or a new, empty database.\n"
           "\n"
           "Options:\n"
           "  -h, --help     show this text and end\n"
           "  -v, --version  show the version and end\n"
           "\n"
           "Qt's own options (-platform NAME, -style NAME, ...) are taken as Qt takes them.\n"
           "tenvix-cli gives the same figures without the windows.\n";
}

const char* StartVersion() { return "tenvix " TENVIX_VERSION "\n"; }

bool DisplayExpected(const StartOptions& options, const char* qpaPlatform, const char* display,
                     const char* waylandDisplay)
{
    const auto set = [](const char* value) { return value && *value; };
    return options.platformGiven || set(qpaPlatform) || set(display) || set(waylandDisplay);
}

const char* NoDisplayText() { return "tenvix needs a graphical display; tenvix-cli works without one .\n"; }

} // namespace tenvix::ui
