#include "settings/environment_reference.h"

#include <algorithm>
#include <string>

extern "C" char** environ;  // the process environment (POSIX)

namespace lumbrook::settings {
namespace {

bool ContainsNoCase(std::string_view text, std::string_view part) {
    const auto fold = [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return std::search(text.begin(), text.end(), part.begin(), part.end(),
                       [&](char a, char b) { return fold(a) == fold(b); }) != text.end();
}

}  // namespace

bool ReferencesEnvironment(std::string_view text, const char* const* environment) {
    if (text.find('%') == text.rfind('%'))
        return false;
    for (int i = 0; i < kEnvironmentEntriesExamined && environment != nullptr &&
                    environment[i] != nullptr && environment[i][0] != '\0';
         ++i) {
        const std::string_view entry(environment[i]);
        const std::string_view name = entry.substr(0, entry.find('='));
        // An entry without a name is skipped, a departure kept on purpose: it would make
        // every "%%" look like a reference and store plain text as expandable text.
        if (name.empty())
            continue;
        if (ContainsNoCase(text, "%" + std::string(name) + "%"))
            return true;
    }
    return false;
}

bool ReferencesEnvironment(std::string_view text) {
    return ReferencesEnvironment(text, environ);
}

}  // namespace lumbrook::settings
