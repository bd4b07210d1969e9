// The per-user preferences: one named value each, under
// HKEY_CURRENT_USER\Software\Velmora\<application>\<section>. Every read and write uses a
// fresh RegOp, so nothing is cached between calls. Neither call reports failure.
#pragma once

#include <string>

#include "settings/tagged_value.h"

namespace lumbrook::settings {

// The stored value, or the empty tagged value when it is absent or the key cannot be opened.
TaggedValue ReadSetting(const std::string& appName, const std::string& section,
                        const std::string& valueName);

// Stores `value` through RegOp's type rules; a failure is silent.
void WriteSetting(const std::string& appName, const std::string& section,
                  const std::string& valueName, const std::string& value);

// Removes the value; false when it is there and could not be removed.
bool DeleteSetting(const std::string& appName, const std::string& section,
                   const std::string& valueName);

// A connection string as it is stored: leading and trailing blanks off, and line breaks and
// tabs with them. A connection string never holds those, and a line break typed at the end
// must not be stored; white space inside is part of the string.
std::string ConnectionTextToStore(const std::string& text);

}  // namespace lumbrook::settings
