// tenvix-cli: the figures of the bond analysis, without the windows, for
// scripts and spreadsheets.

#include "cli/common.h"
#include "cli/usage.h"

#include <iostream>
#include <string_view>

int main(int argc, char** argv)
{
    using namespace tenvix::cli;
    std::ios::sync_with_stdio(false);
    if (argc < 2) {
        std::cerr << FullUsage();
        return kExitUsage;
    }
    const std::string_view name = argv[1];
    if (name == "--help" || name == "-h" || name == "help") {
        std::cout << FullUsage();
        return kExitOk;
    }
    if (name == "--version" || name == "-v") {
        std::cout << "tenvix-cli " TENVIX_VERSION "\n";
        return kExitOk;
    }
    const std::vector<std::string> args(argv + 2, argv + argc);
    const CommandEntry* command = FindCommand(name);
    if (!command) {
        std::cerr << "tenvix-cli: unknown command \"" << name << "\"\n" << FullUsage();
        return kExitUsage;
    }
    try {
        return command->run(args);
    } catch (const HelpWanted&) {
        std::cout << UsageOf(*command);
        return kExitOk;
    } catch (const UsageError& e) {
        std::cerr << "tenvix-cli: " << e.message << "\n" << FullUsage();
        return kExitUsage;
    }
}
