#include "platform/registry/key_handles.h"

#include <cstdint>
#include <mutex>
#include <unordered_map>

namespace lumbrook::platform::registry {
namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<std::uintptr_t, OpenKey> keys;
    // Handles count up from here in steps of 4, like the platform's, far below the
    // predefined root handles.
    std::uintptr_t next = 0x1000;
};

// The process's one table of open handles.
HandleTable& Table() {
    static HandleTable table;
    return table;
}

}  // namespace

HKEY AddHandle(OpenKey key) {
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t id = table.next;
    table.next += 4;
    table.keys.emplace(id, std::move(key));
    return reinterpret_cast<HKEY>(id);
}

std::optional<OpenKey> LookupHandle(HKEY handle) {
    if (handle == HKEY_CURRENT_USER)
        return OpenKey{{}, KEY_ALL_ACCESS};
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    const auto it = table.keys.find(reinterpret_cast<std::uintptr_t>(handle));
    if (it == table.keys.end())
        return std::nullopt;
    return it->second;
}

bool RemoveHandle(HKEY handle) {
    if (handle == HKEY_CURRENT_USER)
        return true;
    HandleTable& table = Table();
    std::lock_guard lock(table.mutex);
    return table.keys.erase(reinterpret_cast<std::uintptr_t>(handle)) != 0;
}

}  // namespace lumbrook::platform::registry
