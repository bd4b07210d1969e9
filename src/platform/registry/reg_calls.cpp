// The registry calls of the platform over the hive file. Reads load the file afresh and
// answer from that tree; changes go through ChangeHive, under its lock. The calls that work
// on whole files (RegQueryHiveA, RegExportKeyA, RegImportFileA) are in reg_files.cpp.
#include <algorithm>
#include <cstring>
#include <iterator>

#include "lumbrook/registry.h"
#include "platform/registry/hive_file.h"
#include "platform/registry/key_handles.h"

namespace lumbrook::platform::registry {
namespace {

// The platform's flags that choose a 32- or 64-bit view; there is only one view here.
constexpr REGSAM kViewFlags = 0x0100 | 0x0200;

// Whether the handle was opened with every right of `needed`.
bool HasRights(const OpenKey& key, REGSAM needed) {
    return (key.access & needed) == needed;
}

// hKey's path followed by lpSubKey's segments, or nullopt when lpSubKey is not a valid path.
std::optional<std::vector<std::string>> JoinPath(const OpenKey& base, LPCSTR subKey) {
    auto relative = SplitPath(subKey != nullptr ? subKey : "");
    if (!relative || base.path.size() + relative->size() > kMaxDepth)
        return std::nullopt;
    std::vector<std::string> path = base.path;
    path.insert(path.end(), std::make_move_iterator(relative->begin()),
                std::make_move_iterator(relative->end()));
    return path;
}

// Copies a name with its NUL into a buffer of *length characters and sets *length to the
// name's length without the NUL; ERROR_MORE_DATA, and nothing copied, when it does not fit.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD length) {
    if (buffer == nullptr || length == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (name.size() + 1 > *length)
        return ERROR_MORE_DATA;
    std::memcpy(buffer, name.c_str(), name.size() + 1);
    *length = static_cast<DWORD>(name.size());
    return ERROR_SUCCESS;
}

// Type and data of a value into the caller's optional out-parameters. Without a data buffer
// only the size is reported; a buffer that is too small gets nothing and the size needed.
LONG CopyData(const Value& value, LPDWORD type, LPBYTE data, LPDWORD size) {
    if (data != nullptr && size == nullptr)
        return ERROR_INVALID_PARAMETER;
    if (type != nullptr)
        *type = value.type;
    if (size == nullptr)
        return ERROR_SUCCESS;
    const DWORD needed = static_cast<DWORD>(value.data.size());
    if (data != nullptr && needed > *size) {
        *size = needed;
        return ERROR_MORE_DATA;
    }
    if (data != nullptr && needed != 0)
        std::memcpy(data, value.data.data(), needed);
    *size = needed;
    return ERROR_SUCCESS;
}

// Runs `read` on the key of an open handle as the file holds it now, after checking that
// the handle was opened with `needed`.
template <typename Read>
LONG ReadKey(HKEY handle, REGSAM needed, Read read) {
    const auto key = LookupHandle(handle);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!HasRights(*key, needed))
        return ERROR_ACCESS_DENIED;
    const HiveSnapshot snapshot = ReadHive();
    const Key* found = snapshot.root->FindPath(key->path);
    if (found == nullptr)
        return ERROR_KEY_DELETED;
    return read(*found);
}

// Runs `change` on the key of an open handle under the hive's lock.
template <typename Change>
LONG ChangeKey(HKEY handle, REGSAM needed, Change change) {
    const auto key = LookupHandle(handle);
    if (!key)
        return ERROR_INVALID_HANDLE;
    if (!HasRights(*key, needed))
        return ERROR_ACCESS_DENIED;
    return ChangeHive([&](Key& root, bool& modified) -> LONG {
        Key* found = root.FindPath(key->path);
        if (found == nullptr)
            return ERROR_KEY_DELETED;
        return change(*found, modified);
    });
}

// RegOpenKeyExA and RegCreateKeyExA: opens hKey's subkey, creating it and any missing key on
// the way when `create` is set.
LONG OpenOrCreate(HKEY hKey, LPCSTR lpSubKey, REGSAM samDesired, bool create, PHKEY phkResult,
                  LPDWORD lpdwDisposition) {
    if (phkResult == nullptr)
        return ERROR_INVALID_PARAMETER;
    *phkResult = nullptr;
    const auto base = LookupHandle(hKey);
    if (!base)
        return ERROR_INVALID_HANDLE;
    auto path = JoinPath(*base, lpSubKey);
    if (!path)
        return ERROR_BAD_PATHNAME;
    const HiveSnapshot snapshot = ReadHive();
    if (snapshot.root->FindPath(base->path) == nullptr)
        return ERROR_KEY_DELETED;
    DWORD disposition = REG_OPENED_EXISTING_KEY;
    if (snapshot.root->FindPath(*path) == nullptr) {
        if (!create)
            return ERROR_FILE_NOT_FOUND;
        if (!HasRights(*base, KEY_CREATE_SUB_KEY))
            return ERROR_ACCESS_DENIED;
        // Another process may create or delete keys between the look above and this change;
        // the change works on the file as it is then.
        const LONG result = ChangeHive([&](Key& root, bool& modified) -> LONG {
            Key* key = root.FindPath(base->path);
            if (key == nullptr)
                return ERROR_KEY_DELETED;
            for (std::size_t i = base->path.size(); i < path->size(); ++i) {
                bool created = false;
                key = &key->Ensure((*path)[i], &created);
                modified = modified || created;
            }
            return ERROR_SUCCESS;
        });
        if (result != ERROR_SUCCESS)
            return result;
        disposition = REG_CREATED_NEW_KEY;
    }
    if (lpdwDisposition != nullptr)
        *lpdwDisposition = disposition;
    *phkResult = AddHandle(OpenKey{std::move(*path), samDesired & ~kViewFlags});
    return ERROR_SUCCESS;
}

}  // namespace
}  // namespace lumbrook::platform::registry

using namespace lumbrook::platform::registry;

extern "C" {

LSTATUS RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/,
                        DWORD /*dwOptions*/, REGSAM samDesired,
                        const SECURITY_ATTRIBUTES* /*lpSecurityAttributes*/, PHKEY phkResult,
                        LPDWORD lpdwDisposition) {
    // Classes, volatile keys and security descriptors have no meaning in a file of one user.
    return OpenOrCreate(hKey, lpSubKey, samDesired, true, phkResult, lpdwDisposition);
}

LSTATUS RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM samDesired,
                      PHKEY phkResult) {
    return OpenOrCreate(hKey, lpSubKey, samDesired, false, phkResult, nullptr);
}

LSTATUS RegCloseKey(HKEY hKey) {
    return RemoveHandle(hKey) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD /*lpReserved*/,
                         LPDWORD lpcSubKeys, LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen,
                         LPDWORD lpcValues, LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen,
                         LPDWORD lpcbSecurityDescriptor, PFILETIME lpftLastWriteTime) {
    return ReadKey(hKey, KEY_QUERY_VALUE, [&](const Key& key) -> LONG {
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0)
            lpClass[0] = '\0';
        if (lpcchClass != nullptr)
            *lpcchClass = 0;
        DWORD maxSubKey = 0;
        for (const auto& [name, child] : key.subkeys())
            maxSubKey = std::max(maxSubKey, static_cast<DWORD>(name.size()));
        DWORD maxName = 0;
        DWORD maxData = 0;
        for (const Value& value : key.values()) {
            maxName = std::max(maxName, static_cast<DWORD>(value.name.size()));
            maxData = std::max(maxData, static_cast<DWORD>(value.data.size()));
        }
        if (lpcSubKeys != nullptr)
            *lpcSubKeys = static_cast<DWORD>(key.subkeys().size());
        if (lpcbMaxSubKeyLen != nullptr)
            *lpcbMaxSubKeyLen = maxSubKey;
        if (lpcbMaxClassLen != nullptr)
            *lpcbMaxClassLen = 0;
        if (lpcValues != nullptr)
            *lpcValues = static_cast<DWORD>(key.values().size());
        if (lpcbMaxValueNameLen != nullptr)
            *lpcbMaxValueNameLen = maxName;
        if (lpcbMaxValueLen != nullptr)
            *lpcbMaxValueLen = maxData;
        if (lpcbSecurityDescriptor != nullptr)
            *lpcbSecurityDescriptor = 0;
        // No write times are kept.
        if (lpftLastWriteTime != nullptr)
            *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName,
                      LPDWORD /*lpReserved*/, LPSTR lpClass, LPDWORD lpcchClass,
                      PFILETIME lpftLastWriteTime) {
    return ReadKey(hKey, KEY_ENUMERATE_SUB_KEYS, [&](const Key& key) -> LONG {
        if (dwIndex >= key.subkeys().size())
            return ERROR_NO_MORE_ITEMS;
        const auto it = std::next(key.subkeys().begin(), dwIndex);
        const LONG result = CopyName(it->second->name(), lpName, lpcchName);
        if (result != ERROR_SUCCESS)
            return result;
        if (lpClass != nullptr && lpcchClass != nullptr && *lpcchClass > 0)
            lpClass[0] = '\0';
        if (lpcchClass != nullptr)
            *lpcchClass = 0;
        if (lpftLastWriteTime != nullptr)
            *lpftLastWriteTime = FILETIME{0, 0};
        return ERROR_SUCCESS;
    });
}

LSTATUS RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName,
                      LPDWORD /*lpReserved*/, LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
    return ReadKey(hKey, KEY_QUERY_VALUE, [&](const Key& key) -> LONG {
        if (dwIndex >= key.values().size())
            return ERROR_NO_MORE_ITEMS;
        const Value& value = key.values()[dwIndex];
        const LONG result = CopyName(value.name, lpValueName, lpcchValueName);
        if (result != ERROR_SUCCESS)
            return result;
        return CopyData(value, lpType, lpData, lpcbData);
    });
}

LSTATUS RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD /*lpReserved*/, LPDWORD lpType,
                         LPBYTE lpData, LPDWORD lpcbData) {
    return ReadKey(hKey, KEY_QUERY_VALUE, [&](const Key& key) -> LONG {
        const Value* value = key.FindValue(lpValueName != nullptr ? lpValueName : "");
        if (value == nullptr)
            return ERROR_FILE_NOT_FOUND;
        return CopyData(*value, lpType, lpData, lpcbData);
    });
}

LSTATUS RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD /*Reserved*/, DWORD dwType,
                       const BYTE* lpData, DWORD cbData) {
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    // A value name is one line of the hive file, so it cannot hold a line feed.
    if ((lpData == nullptr && cbData != 0) || name.size() > kMaxValueNameLength ||
        name.find('\n') != std::string::npos) {
        return ERROR_INVALID_PARAMETER;
    }
    // Data this large could never be kept; refused before it is copied.
    if (cbData > kMaxHiveBytes)
        return ERROR_NOT_ENOUGH_QUOTA;
    std::vector<std::uint8_t> data(lpData, lpData + (lpData != nullptr ? cbData : 0));
    return ChangeKey(hKey, KEY_SET_VALUE, [&](Key& key, bool& modified) -> LONG {
        const Value* old = key.FindValue(name);
        // Storing what is already there leaves the file alone.
        modified = old == nullptr || old->type != dwType || old->data != data;
        if (modified)
            key.SetValue(name, dwType, std::move(data));
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
    const std::string name = lpValueName != nullptr ? lpValueName : "";
    return ChangeKey(hKey, KEY_SET_VALUE, [&](Key& key, bool& modified) -> LONG {
        modified = key.RemoveValue(name);
        return modified ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
    if (lpSubKey == nullptr)
        return ERROR_INVALID_PARAMETER;
    const auto base = LookupHandle(hKey);
    if (!base)
        return ERROR_INVALID_HANDLE;
    // Deleting is a change like creating: a read-only handle cannot do it.
    if (!HasRights(*base, KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    const auto path = JoinPath(*base, lpSubKey);
    if (!path)
        return ERROR_BAD_PATHNAME;
    if (path->empty())
        return ERROR_ACCESS_DENIED;  // the root itself cannot be deleted
    return ChangeHive([&](Key& root, bool& modified) -> LONG {
        Key* parent = root.FindPath(std::vector<std::string>(path->begin(), path->end() - 1));
        Key* key = parent != nullptr ? parent->Find(path->back()) : nullptr;
        if (key == nullptr)
            return ERROR_FILE_NOT_FOUND;
        if (!key->subkeys().empty())
            return ERROR_ACCESS_DENIED;
        modified = parent->Remove(path->back());
        return ERROR_SUCCESS;
    });
}

LSTATUS RegDeleteTreeA(HKEY hKey, LPCSTR lpSubKey) {
    const auto base = LookupHandle(hKey);
    if (!base)
        return ERROR_INVALID_HANDLE;
    const auto path = JoinPath(*base, lpSubKey);
    if (!path)
        return ERROR_BAD_PATHNAME;
    // Emptying the key itself also changes its values.
    const bool emptiesKey = path->size() == base->path.size();
    if (!HasRights(*base, emptiesKey ? KEY_CREATE_SUB_KEY | KEY_SET_VALUE : KEY_CREATE_SUB_KEY))
        return ERROR_ACCESS_DENIED;
    return ChangeHive([&](Key& root, bool& modified) -> LONG {
        if (emptiesKey) {
            Key* key = root.FindPath(*path);
            if (key == nullptr)
                return ERROR_KEY_DELETED;
            modified = !key->values().empty() || !key->subkeys().empty();
            key->ClearValues();
            while (!key->subkeys().empty())
                key->Remove(key->subkeys().begin()->first);
            return ERROR_SUCCESS;
        }
        Key* parent = root.FindPath(std::vector<std::string>(path->begin(), path->end() - 1));
        modified = parent != nullptr && parent->Remove(path->back());
        return modified ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

}  // extern "C"
