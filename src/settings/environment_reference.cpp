#include "settings/environment_reference.h"

#include <string>

#include "platform/base/ascii_case.h"

extern "C" char** environ;  // the process environment (POSIX)

namespace lumbrook::settings {

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
        if (platform::ContainsIgnoringAsciiCase(text, "%" + std::string(name) + "%"))
            return true;
    }
    return false;
}

bool ReferencesEnvironment(std::string_view text) {
    return ReferencesEnvironment(text, environ);
}

}  // namespace lumbrook::settings
