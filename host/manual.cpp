#include "manual.h"

#include <CLI/CLI.hpp>
#include <sstream>
#include <vector>

namespace lumbrook::host {
namespace {

// Text as roff shows it: a backslash as \e, and a line that would start with a request
// character (. or ') kept as text.
std::string Roff(const std::string& text) {
    std::string out;
    bool lineStart = true;
    for (const char c : text) {
        if (lineStart && (c == '.' || c == '\''))
            out += "\\&";
        if (c == '\\')
            out += "\\e";
        else
            out += c;
        lineStart = c == '\n';
    }
    return out;
}

// An option's name as typed: each hyphen as \- so that it can be copied from the page.
std::string OptionName(const std::string& name) {
    std::string out = "\\fB";
    for (const char c : name)
        out += c == '-' ? std::string("\\-") : std::string(1, c);
    return out + "\\fR";
}

// The name of an option's value, without what its checks add after ":".
std::string ValueName(const CLI::Option& option) {
    const std::string name = option.get_type_name();
    return name.substr(0, name.find(':'));
}

std::string CommandPath(const CLI::App& app) {
    return app.get_parent() == nullptr ? app.get_name()
                                       : CommandPath(*app.get_parent()) + " " + app.get_name();
}

void AddCommand(const CLI::App& app, const std::map<std::string, std::string>& ownHelp,
                const std::string& rootFooter, std::string& out) {
    const auto visible = [](const CLI::App* sub) { return !sub->get_group().empty(); };
    const auto subcommands = app.get_subcommands(visible);
    std::string usage = CommandPath(app) + " [OPTIONS]";
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_positional())
            usage += " " + option->get_name();
    }
    if (!subcommands.empty())
        usage += " SUBCOMMAND";
    out += ".SS \"" + Roff(usage) + "\"\n" + Roff(app.get_description()) + "\n";
    for (const CLI::Option* option : app.get_options()) {
        std::string names;
        for (const std::string& name : option->get_snames())
            names += (names.empty() ? "" : ", ") + OptionName("-" + name);
        for (const std::string& name : option->get_lnames())
            names += (names.empty() ? "" : ", ") + OptionName("--" + name);
        if (option->get_positional())
            names = "\\fI" + option->get_name() + "\\fR";
        else if (option->get_expected_max() != 0)
            names += " \\fI" + Roff(ValueName(*option)) + "\\fR";
        out += ".TP\n" + names + "\n" + Roff(option->get_description()) + "\n";
    }
    if (const auto own = ownHelp.find(app.get_name()); own != ownHelp.end()) {
        out += ".PP\n.nf\n" + Roff(own->second) + ".fi\n";
    } else if (!app.get_footer().empty() && app.get_footer() != rootFooter) {
        // A nested subcommand without a closing text of its own shows the program's.
        out += ".PP\n.nf\n" + Roff(app.get_footer()) + "\n.fi\n";
    }
    for (const CLI::App* sub : subcommands)
        AddCommand(*sub, ownHelp, rootFooter, out);
}

}  // namespace

std::string ManualCommands(const CLI::App& app, const std::map<std::string, std::string>& ownHelp) {
    std::string out = "[COMMANDS]\n";
    for (const CLI::App* sub :
         app.get_subcommands([](const CLI::App* s) { return !s->get_group().empty(); }))
        AddCommand(*sub, ownHelp, app.get_footer(), out);
    return out;
}

}  // namespace lumbrook::host
