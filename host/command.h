// The host's subcommands. Each lives in a cmd_*.cpp file of its own and registers itself
// with a static Registration, so adding one touches no other file.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace lumbrook::host {

// Exit statuses shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;       // the operation ran and reported false
inline constexpr int kExitUsage = 2;        // bad arguments: message on stderr
inline constexpr int kExitObjectError = 3;  // the object raised an error

struct Command {
    std::string name;      // as typed: "props", "export", ...
    std::string synopsis;  // one line for the overall --help
    std::string help;      // the subcommand's own --help text
    // Runs with the arguments after the subcommand's name; returns the exit status.
    std::function<int(const std::vector<std::string>& args)> run;
};

// Every registered subcommand, sorted by name.
const std::vector<Command>& Commands();

struct Registration {
    explicit Registration(Command command);
};

}  // namespace lumbrook::host
