// The host's subcommands. Each lives in a cmd_*.cpp file of its own and registers itself
// with a static Registration, so adding one touches no other file.
#pragma once

#include <functional>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace CLI {
class App;
}

namespace lumbrook::host {

// Exit statuses shared by every subcommand.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;       // the operation ran and reported false
inline constexpr int kExitUsage = 2;        // bad arguments: message on stderr
inline constexpr int kExitObjectError = 3;  // the object raised an error

// A usage error found after parsing: the message goes to stderr, exit status 2.
class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Runs a parsed subcommand; returns the exit status.
using Runner = std::function<int()>;

struct Command {
    using Define = std::function<Runner(CLI::App& app)>;
    using RawRun = std::function<int(const std::vector<std::string>& args)>;
    Command(std::string name, std::string synopsis, Define define)
        : name(std::move(name)), synopsis(std::move(synopsis)), define(std::move(define)) {}
    Command(std::string name, std::string synopsis, RawRun run, std::string help)
        : name(std::move(name)),
          synopsis(std::move(synopsis)),
          run(std::move(run)),
          help(std::move(help)) {}

    std::string name;      // as typed: "props", "export", ...
    std::string synopsis;  // one line for the overall --help
    // Declares the subcommand's options, positionals and help on `app` (the subcommand
    // itself) and returns what runs it once the command line has been parsed into them.
    Define define;
    // A subcommand with a grammar of its own (reg's /v switches) sets `run` instead: it gets
    // every argument after its name, --help included, unparsed.
    RawRun run;
    // The help text of a subcommand with `run`, for the manual page.
    std::string help;
};

// Every registered subcommand, sorted by name.
const std::vector<Command>& Commands();

struct Registration {
    explicit Registration(Command command);
};

// The "Exit status:" section of a subcommand's --help, from its own entries for 0 and 1 and
// the shared ones for 2 and 3. An entry's text may hold line breaks; later lines are
// indented under the first.
std::string ExitStatusHelp(std::initializer_list<std::pair<int, std::string>> own);

}  // namespace lumbrook::host
