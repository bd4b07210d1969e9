// Whether a text refers to an environment variable as %NAME%, the test that decides between
// REG_EXPAND_SZ and REG_SZ when a preference is written.
#pragma once

#include <string_view>

namespace lumbrook::settings {

// Only the first 100 entries of the environment are examined.
inline constexpr int kEnvironmentEntriesExamined = 100;

// True when `text` holds at least two "%" and contains "%NAME%" for the NAME of one of the
// first kEnvironmentEntriesExamined entries of `environment` (NAME=value strings, ended by a
// null pointer), names compared without regard to case.
bool ReferencesEnvironment(std::string_view text, const char* const* environment);

// The same over the process's own environment.
bool ReferencesEnvironment(std::string_view text);

}  // namespace lumbrook::settings
