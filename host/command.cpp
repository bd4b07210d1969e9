#include "command.h"

#include <algorithm>

namespace lumbrook::host {
namespace {

std::vector<Command>& Registry() {
    static std::vector<Command> commands;
    return commands;
}

}  // namespace

const std::vector<Command>& Commands() {
    return Registry();
}

Registration::Registration(Command command) {
    auto& commands = Registry();
    commands.push_back(std::move(command));
    std::sort(commands.begin(), commands.end(),
              [](const Command& a, const Command& b) { return a.name < b.name; });
}

std::string ExitStatusHelp(std::initializer_list<std::pair<int, std::string>> own) {
    std::string text = "Exit status:\n";
    const auto add = [&text](int status, const std::string& meaning) {
        text += "  " + std::to_string(status) + "  ";
        for (const char c : meaning) {
            text += c;
            if (c == '\n')
                text += "     ";
        }
        text += '\n';
    };
    for (const auto& [status, meaning] : own)
        add(status, meaning);
    add(kExitUsage, "bad arguments");
    add(kExitObjectError, "the automation object raised an error");
    return text;
}

}  // namespace lumbrook::host
