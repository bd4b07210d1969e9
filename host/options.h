// GNU-style long options for the subcommands: --name VALUE, --name=VALUE and --flag.
#pragma once

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command.h"

namespace lumbrook::host {

struct OptionSpec {
    std::string name;  // without the leading "--"
    bool takesValue = true;
};

struct ParsedOptions {
    std::map<std::string, std::string> values;  // name -> value ("" for flags)
    std::vector<std::string> positional;

    bool Has(const std::string& name) const { return values.count(name) != 0; }
    std::optional<std::string> Get(const std::string& name) const;
};

// Parses `args` against `specs`. "--" ends the options. An unknown option, a missing value
// or a repeated option raises UsageError. "--help" is always accepted as a flag.
ParsedOptions ParseOptions(const std::vector<std::string>& args,
                           const std::vector<OptionSpec>& specs);

// Whole-text number readers for option values; UsageError names the option when the text
// is not a number of that kind.
long ParseInteger(const std::string& option, const std::string& text, long min, long max);
double ParseDouble(const std::string& option, const std::string& text);

}  // namespace lumbrook::host
