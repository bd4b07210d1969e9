#include "completion.h"

#include <CLI/CLI.hpp>
#include <vector>

namespace lumbrook::host {
namespace {

// Subcommands in the empty group are hidden from --help, and so from completion too.
std::vector<const CLI::App*> VisibleSubcommands(const CLI::App& app) {
    return app.get_subcommands([](const CLI::App* sub) { return !sub->get_group().empty(); });
}

// How an option's value is completed, read from the name its help gives the value: FILE
// (or a name with FILE in it) completes file names, DIR folder names, a list of literal
// words ("MS|MS-MS", "text|tsv|json", "0|1") those words, and a placeholder (N, X, ID|PATH,
// STRING) nothing, so that no file name is offered where none is meant.
struct ValueKind {
    enum { Nothing, Files, Folders, Words } kind = Nothing;
    std::string words;  // for Words, separated by blanks
};

ValueKind KindOf(const CLI::Option& option) {
    // CLI11 appends what the value's checks say after a ":" ("N:INT in [1 - 10]").
    std::string name = option.get_type_name();
    name = name.substr(0, name.find(':'));
    if (name.find("FILE") != std::string::npos)
        return {ValueKind::Files, {}};
    if (name == "DIR")
        return {ValueKind::Folders, {}};
    static const std::vector<std::string> kPlaceholders = {
        "N", "M", "S", "X", "ID", "PATH", "STRING", "SECONDS", "TEMPLATE", "NAME", "VALUE", ""};
    std::string words;
    for (std::size_t start = 0;;) {
        const std::size_t bar = name.find('|', start);
        const std::string word = name.substr(start, bar - start);
        for (const std::string& placeholder : kPlaceholders) {
            if (word == placeholder)
                return {};
        }
        words += (words.empty() ? "" : " ") + word;
        if (bar == std::string::npos)
            return {ValueKind::Words, words};
        start = bar + 1;
    }
}

// The compgen call that completes a value of that kind; "" for nothing.
std::string Compgen(const ValueKind& value) {
    switch (value.kind) {
        case ValueKind::Files:
            return "compgen -f -- \"$cur\"";
        case ValueKind::Folders:
            return "compgen -d -- \"$cur\"";
        case ValueKind::Words:
            return "compgen -W \"" + value.words + "\" -- \"$cur\"";
        case ValueKind::Nothing:
            break;
    }
    return {};
}

// The words that may follow the subcommand: its options' names, its own subcommands, and the
// words its first positional takes; `files` tells whether that positional is a file.
std::string Words(const CLI::App& app, bool& files) {
    std::string words;
    const auto add = [&words](const std::string& word) {
        words += (words.empty() ? "" : " ") + word;
    };
    bool positionalSeen = false;
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_positional()) {
            const ValueKind value = KindOf(*option);
            if (!positionalSeen && value.kind == ValueKind::Words)
                add(value.words);
            files = files || (!positionalSeen && value.kind == ValueKind::Files);
            positionalSeen = true;
            continue;
        }
        for (const std::string& name : option->get_snames())
            add("-" + name);
        for (const std::string& name : option->get_lnames())
            add("--" + name);
    }
    for (const CLI::App* sub : VisibleSubcommands(app))
        add(sub->get_name());
    return words;
}

// The case arms that complete the values of the options of `app`, reached by `path`.
void AddValueArms(const CLI::App& app, const std::string& path, std::string& arms) {
    for (const CLI::Option* option : app.get_options()) {
        if (option->get_positional() || option->get_expected_max() == 0)
            continue;
        std::string pattern;
        for (const std::string& name : option->get_snames())
            pattern += (pattern.empty() ? "" : "|") + ("\"" + path + " -" + name + "\"");
        for (const std::string& name : option->get_lnames())
            pattern += (pattern.empty() ? "" : "|") + ("\"" + path + " --" + name + "\"");
        const std::string compgen = Compgen(KindOf(*option));
        arms += "        " + pattern + ") COMPREPLY=(" +
                (compgen.empty() ? "" : "$(" + compgen + ")") + "); return ;;\n";
    }
}

// One case arm per subcommand path ("list job-runs"), nested ones after their parent, and
// the arms of their options' values.
void AddArms(const CLI::App& app, const std::string& path, std::string& arms,
             std::string& valueArms) {
    for (const CLI::App* sub : VisibleSubcommands(app)) {
        const std::string subPath = path.empty() ? sub->get_name() : path + " " + sub->get_name();
        bool files = false;
        const std::string words = Words(*sub, files);
        arms += "        \"" + subPath + "\") words=\"" + words + "\"" +
                (files ? "; files=1" : "") + " ;;\n";
        AddValueArms(*sub, subPath, valueArms);
        AddArms(*sub, subPath, arms, valueArms);
    }
}

}  // namespace

std::string BashCompletion(const CLI::App& app) {
    std::string arms;
    std::string valueArms;
    AddArms(app, "", arms, valueArms);
    bool files = false;
    const std::string name = app.get_name();
    return "# bash completion for " + name + ", generated by '" + name +
           " completion bash'\n"
           "_" +
           name +
           "() {\n"
           "    local cur=\"${COMP_WORDS[COMP_CWORD]}\" prev=\"${COMP_WORDS[COMP_CWORD-1]}\"\n"
           "    local path=\"\" words=\"\" files=\"\" i\n"
           "    # The subcommand path typed so far: the words before the first option.\n"
           "    for ((i = 1; i < COMP_CWORD; i++)); do\n"
           "        case \"${COMP_WORDS[i]}\" in -*) break ;; esac\n"
           "        path=\"${path:+$path }${COMP_WORDS[i]}\"\n"
           "    done\n"
           "    # The value of an option: its words, file or folder names, or nothing.\n"
           "    case \"$path $prev\" in\n" +
           valueArms +
           "    esac\n"
           "    case \"$path\" in\n"
           "        \"\") words=\"" +
           Words(app, files) + "\" ;;\n" + arms +
           "    esac\n"
           "    COMPREPLY=($(compgen -W \"$words\" -- \"$cur\"))\n"
           "    [[ -n \"$files\" && \"$cur\" != -* ]] && COMPREPLY+=($(compgen -f -- \"$cur\"))\n"
           "    return 0\n"
           "}\n"
           "complete -F _" +
           name + " " + name + "\n";
}

}  // namespace lumbrook::host
