#include "options.h"

#include <cerrno>
#include <charconv>
#include <cmath>

namespace lumbrook::host {

std::optional<std::string> ParsedOptions::Get(const std::string& name) const {
    const auto it = values.find(name);
    if (it == values.end())
        return std::nullopt;
    return it->second;
}

ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           const std::vector<OptionSpec>& specs) {
    ParsedOptions parsed;
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            parsed.positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnded = true;
            continue;
        }
        std::string name = arg.substr(2);
        std::optional<std::string> inlineValue;
        if (const auto eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
        }
        const OptionSpec* spec = nullptr;
        for (const OptionSpec& s : specs) {
            if (s.name == name)
                spec = &s;
        }
        static const OptionSpec kHelp{"help", false};
        if (spec == nullptr && name == "help")
            spec = &kHelp;
        if (spec == nullptr)
            throw UsageError("unknown option --" + name);
        if (parsed.Has(name))
            throw UsageError("option --" + name + " given twice");
        if (!spec->takesValue) {
            if (inlineValue)
                throw UsageError("option --" + name + " takes no value");
            parsed.values[name] = "";
        } else if (inlineValue) {
            parsed.values[name] = *inlineValue;
        } else {
            if (i + 1 >= args.size())
                throw UsageError("option --" + name + " needs a value");
            parsed.values[name] = args[++i];
        }
    }
    return parsed;
}

long ParseInteger(const std::string& option, const std::string& text, long min, long max) {
    long value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < min ||
        value > max) {
        throw UsageError("--" + option + " wants a whole number from " + std::to_string(min) +
                         " to " + std::to_string(max) + ", not '" + text + "'");
    }
    return value;
}

double ParseDouble(const std::string& option, const std::string& text) {
    double value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end) {
        throw UsageError("--" + option + " wants a number such as 60 or 0.5, not '" + text + "'");
    }
    return value;
}

}  // namespace lumbrook::host
