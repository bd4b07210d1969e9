// lumbrook: the command-line host of the Lumbrook automation server. Every subcommand's
// options are declared once, on the CLI11 app built here; --help, the usage errors and the
// bash completion all come from those declarations.
#include <CLI/CLI.hpp>
#include <clocale>
#include <exception>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "command.h"
#include "completion.h"
#include "manual.h"

namespace {

using namespace lumbrook::host;

constexpr const char* kDescription =
    "Gets MS/MS peak lists out of a 4000 Series database into QPK peak list files.";

// The subcommand the user named, the deepest one when subcommands nest; null for none.
CLI::App* ChosenSubcommand(CLI::App& app) {
    CLI::App* chosen = nullptr;
    for (CLI::App* level = &app;;) {
        const auto below = level->get_subcommands();
        if (below.empty())
            return chosen;
        chosen = level = below.front();
    }
}

// CLI11's help with the option names as "-o, --out", the form help2man and people read.
class HelpFormatter final : public CLI::Formatter {
  public:
    std::string make_option_name(const CLI::Option* option, bool isPositional) const override {
        std::string names = CLI::Formatter::make_option_name(option, isPositional);
        for (std::size_t at = names.find(','); at != std::string::npos;
             at = names.find(',', at + 2))
            names.replace(at, 1, ", ");
        return names;
    }
};

std::string CommandPath(const CLI::App* app) {
    std::string path;
    for (; app != nullptr; app = app->get_parent())
        path = app->get_name() + (path.empty() ? "" : " " + path);
    return path;
}

// Builds the options of every subcommand, parses the command line and runs the subcommand
// chosen. Returns the exit status.
int Run(int argc, char** argv) {
    // Dates for people (the job-run list's entries) in the user's form, as the browser shows
    // them; numbers keep the C locale's full stop.
    std::setlocale(LC_TIME, "");
    CLI::App app(kDescription, "lumbrook");
    app.formatter(std::make_shared<HelpFormatter>());  // before the subcommands, which copy it
    app.set_help_flag("-h,--help", "print this help and exit");
    app.set_version_flag("--version", std::string("lumbrook ") + LUMBROOK_HOST_VERSION,
                         "print the version and exit");
    app.require_subcommand(1);
    app.footer("'lumbrook COMMAND --help' describes one command.\n\n" +
               ExitStatusHelp({{kExitOk, "the command succeeded"},
                               {kExitFailed, "the command ran and failed"}}));

    std::map<CLI::App*, Runner> runners;
    std::map<CLI::App*, const Command*> rawCommands;
    for (const Command& command : Commands()) {
        CLI::App* sub = app.add_subcommand(command.name, command.synopsis);
        if (command.run) {
            // Its own grammar: every argument, --help included, goes through unparsed.
            sub->set_help_flag();
            sub->prefix_command();
            sub->allow_extras();
            rawCommands[sub] = &command;
        } else {
            runners[sub] = command.define(*sub);
        }
    }
    CLI::App* completion = app.add_subcommand("completion", "print a shell completion script");
    completion->group("");
    std::string shell;
    completion->add_option("SHELL", shell, "the shell: bash")
        ->required()
        ->check(CLI::IsMember({"bash"}));
    runners[completion] = [&app] {
        std::cout << BashCompletion(app);
        return kExitOk;
    };
    // The manual page's section on the subcommands, for the build (see packaging/).
    CLI::App* manual = app.add_subcommand("manual-commands", "print the manual's COMMANDS");
    manual->group("");
    runners[manual] = [&app] {
        std::map<std::string, std::string> ownHelp;
        for (const Command& command : Commands()) {
            if (command.run)
                ownHelp[command.name] = command.help;
        }
        std::cout << ManualCommands(app, ownHelp);
        return kExitOk;
    };

    if (argc <= 1) {
        std::cerr << app.help();
        return kExitUsage;
    }
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);  // --help or --version
    } catch (const CLI::ParseError& e) {
        CLI::App* chosen = ChosenSubcommand(app);
        const std::string path = chosen != nullptr ? CommandPath(chosen) : "lumbrook";
        std::cerr << path << ": " << e.what() << "\nTry '" << path << " --help'.\n";
        return kExitUsage;
    }
    CLI::App* chosen = ChosenSubcommand(app);
    try {
        if (const auto raw = rawCommands.find(chosen); raw != rawCommands.end())
            return raw->second->run(chosen->remaining());
        // A subcommand with subcommands of its own (list) runs them from its runner.
        auto runner = runners.end();
        for (CLI::App* level = chosen; level != nullptr && runner == runners.end();
             level = level->get_parent())
            runner = runners.find(level);
        if (runner == runners.end() || !runner->second) {
            std::cerr << app.help();
            return kExitUsage;
        }
        return runner->second();
    } catch (const UsageError& e) {
        const std::string path = CommandPath(chosen);
        std::cerr << path << ": " << e.what() << "\nTry '" << path << " --help'.\n";
        return kExitUsage;
    }
}

}  // namespace

int main(int argc, char** argv) {
    // An exception that no subcommand caught (a vanished working folder makes the standard
    // library's file system calls throw, say) is told and fails the command; were it to leave
    // main, the program would abort and dump core.
    try {
        return Run(argc, argv);
    } catch (const std::exception& e) {
        std::cerr << "lumbrook: error: " << e.what() << "\n";
    } catch (...) {
        std::cerr << "lumbrook: error: an unknown exception\n";
    }
    return kExitFailed;
}
