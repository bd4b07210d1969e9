// Open key handles. A handle stands for a key path and the access rights it was opened with;
// every call through it reads the hive file afresh, so a handle sees other processes'
// changes, and a key deleted meanwhile answers ERROR_KEY_DELETED.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "lumbrook/registry.h"

namespace lumbrook::platform::registry {

struct OpenKey {
    std::vector<std::string> path;  // below HKEY_CURRENT_USER; empty for the root itself
    REGSAM access = 0;
};

// A new handle for the key. Handles are never reused, so a closed handle stays invalid.
HKEY AddHandle(OpenKey key);
// What the handle stands for; HKEY_CURRENT_USER is the root with every right. nullopt for a
// handle that was never opened or has been closed.
std::optional<OpenKey> LookupHandle(HKEY handle);
// Closes the handle; false when it was not open. The root handle cannot be closed and
// answers true.
bool RemoveHandle(HKEY handle);

}  // namespace lumbrook::platform::registry
