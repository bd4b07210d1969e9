// The manual page's section on the subcommands, written by the program from the same option
// declarations as its help, so that the manual documents every subcommand and option and
// never falls behind them. help2man adds it to the page it makes from --help.
#pragma once

#include <map>
#include <string>

namespace CLI {
class App;
}

namespace lumbrook::host {

// A help2man include file with one section, COMMANDS: for every visible subcommand of `app`
// (nested ones after their parent) its usage, synopsis, every option with its value and
// text, and its help's closing text (description, examples, exit statuses) as written.
// `ownHelp` gives the help text of the subcommands with a grammar of their own, by name.
std::string ManualCommands(const CLI::App& app, const std::map<std::string, std::string>& ownHelp);

}  // namespace lumbrook::host
