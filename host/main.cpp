// lumbrook: the command-line host of the Lumbrook automation server.
#include <iostream>
#include <string>
#include <vector>

#include "command.h"
#include "options.h"

namespace {

void PrintHelp(std::ostream& out) {
    out << "Usage: lumbrook COMMAND [OPTIONS]\n"
           "       lumbrook --version | --help\n\n"
           "Gets MS/MS peak lists out of a 4000 Series database into QPK peak list files.\n\n"
           "Commands:\n";
    for (const auto& command : lumbrook::host::Commands()) {
        out << "  " << command.name
            << std::string(command.name.size() < 12 ? 12 - command.name.size() : 1, ' ')
            << command.synopsis << "\n";
    }
    out << "\n'lumbrook COMMAND --help' describes one command.\n";
}

}  // namespace

int main(int argc, char** argv) {
    using namespace lumbrook::host;
    std::vector<std::string> args(argv + 1, argv + argc);
    if (args.empty()) {
        PrintHelp(std::cerr);
        return kExitUsage;
    }
    if (args[0] == "--help" || args[0] == "-h") {
        PrintHelp(std::cout);
        return kExitOk;
    }
    if (args[0] == "--version") {
        std::cout << "lumbrook " << LUMBROOK_HOST_VERSION << "\n";
        return kExitOk;
    }
    for (const auto& command : Commands()) {
        if (command.name != args[0])
            continue;
        std::vector<std::string> rest(args.begin() + 1, args.end());
        try {
            return command.run(rest);
        } catch (const UsageError& e) {
            std::cerr << "lumbrook " << command.name << ": " << e.what() << "\n"
                      << "Try 'lumbrook " << command.name << " --help'.\n";
            return kExitUsage;
        }
    }
    std::cerr << "lumbrook: unknown command '" << args[0] << "'\nTry 'lumbrook --help'.\n";
    return kExitUsage;
}
