// The registry calls that work on whole files: the state of the hive file, and a key written
// to or read from a REGEDIT4 file, the way `reg export` and `reg import` use them.
#include <fcntl.h>     // open: exported files get mode 0600
#include <sys/stat.h>  // fstat, fchmod
#include <unistd.h>    // close

#include <algorithm>
#include <cstring>
#include <string>

#include "lumbrook/registry.h"
#include "platform/base/write_all.h"
#include "platform/registry/hive_file.h"
#include "platform/registry/hive_text.h"
#include "platform/registry/key_handles.h"

namespace lumbrook::platform::registry {
namespace {

// Whether `text` and its NUL fit a buffer of *length characters.
bool Fits(const std::string& text, LPDWORD length) {
    return text.size() + 1 <= *length;
}

// Copies `text` with its NUL into a buffer that Fits it and sets *length to its length.
void CopyText(const std::string& text, LPSTR buffer, LPDWORD length) {
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    *length = static_cast<DWORD>(text.size());
}

// Hands a reason out and returns `result`; ERROR_MORE_DATA, with the size needed, when it
// does not fit.
LONG GiveReason(const std::string& reason, LPSTR buffer, LPDWORD length, LONG result) {
    if (!Fits(reason, length)) {
        *length = static_cast<DWORD>(reason.size() + 1);
        return ERROR_MORE_DATA;
    }
    if (buffer != nullptr)
        CopyText(reason, buffer, length);
    return result;
}

// The key's path below HKEY_CURRENT_USER as the hive spells it.
std::string StoredPath(const Key& root, const std::vector<std::string>& path) {
    std::string text;
    const Key* key = &root;
    for (const std::string& segment : path) {
        key = key->Find(segment);
        text += (text.empty() ? "" : "\\") + key->name();
    }
    return text;
}

// Writes the text to `file` with mode 0600. A regular file that is there already is made
// private before anything is written into it; a device or a pipe (say /dev/stdout) keeps
// its mode.
bool WriteExport(const char* file, const std::string& text) {
    const int fd = open(file, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    struct stat info {};
    bool written =
        fd >= 0 && fstat(fd, &info) == 0 &&
        (!S_ISREG(info.st_mode) || (info.st_mode & 07777) == 0600 || fchmod(fd, 0600) == 0) &&
        WriteAll(fd, text.data(), text.size());
    if (fd >= 0 && close(fd) != 0)
        written = false;
    return written;
}

// Adds the keys and values of `from` to `into`, replacing values of the same names.
void Merge(const Key& from, Key& into) {
    for (const Value& value : from.values())
        into.SetValue(value.name, value.type, value.data);
    for (const auto& [name, child] : from.subkeys())
        Merge(*child, into.Ensure(child->name()));
}

}  // namespace
}  // namespace lumbrook::platform::registry

using namespace lumbrook::platform::registry;

extern "C" {

LSTATUS RegQueryHiveA(LPSTR lpPath, LPDWORD lpcchPath, LPSTR lpReason, LPDWORD lpcchReason) {
    if (lpPath == nullptr || lpcchPath == nullptr || lpReason == nullptr || lpcchReason == nullptr)
        return ERROR_INVALID_PARAMETER;
    const std::string path = HiveFilePath();
    const HiveSnapshot snapshot = ReadHive();
    // Both texts or neither, so that a caller never pairs a path with a stale reason.
    if (!Fits(path, lpcchPath) || !Fits(snapshot.error, lpcchReason)) {
        *lpcchPath = static_cast<DWORD>(std::max<std::size_t>(*lpcchPath, path.size() + 1));
        *lpcchReason =
            static_cast<DWORD>(std::max<std::size_t>(*lpcchReason, snapshot.error.size() + 1));
        return ERROR_MORE_DATA;
    }
    CopyText(path, lpPath, lpcchPath);
    CopyText(snapshot.error, lpReason, lpcchReason);
    return snapshot.ok ? ERROR_SUCCESS : ERROR_BADDB;
}

LSTATUS RegExportKeyA(HKEY hKey, LPCSTR lpFile) {
    if (lpFile == nullptr)
        return ERROR_INVALID_PARAMETER;
    const auto key = LookupHandle(hKey);
    if (!key)
        return ERROR_INVALID_HANDLE;
    constexpr REGSAM kNeeded = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
    if ((key->access & kNeeded) != kNeeded)
        return ERROR_ACCESS_DENIED;
    const HiveSnapshot snapshot = ReadHive();
    const Key* found = snapshot.root->FindPath(key->path);
    if (found == nullptr)
        return ERROR_KEY_DELETED;
    const std::string text = WriteHiveText(*found, StoredPath(*snapshot.root, key->path));
    return WriteExport(lpFile, text) ? ERROR_SUCCESS : ERROR_WRITE_FAULT;
}

LSTATUS RegImportFileA(LPCSTR lpFile, LPSTR lpReason, LPDWORD lpcchReason) {
    if (lpFile == nullptr || lpcchReason == nullptr)
        return ERROR_INVALID_PARAMETER;
    // A folder, a FIFO or a device is refused without blocking, like the hive itself.
    std::string text;
    std::string error;
    if (!ReadRegistryFile(lpFile, text, error))
        return GiveReason(error, lpReason, lpcchReason, ERROR_BAD_FORMAT);
    const ParseResult parsed = ParseHiveText(text);
    if (!parsed.ok)
        return GiveReason(lpFile + std::string(": ") + parsed.error, lpReason, lpcchReason,
                          ERROR_BAD_FORMAT);
    // One change of the hive: the file is imported whole or not at all.
    const LONG result = ChangeHive([&](Key& root, bool& modified) -> LONG {
        Merge(parsed.root, root);
        modified = true;
        return ERROR_SUCCESS;
    });
    return GiveReason("", lpReason, lpcchReason, result);
}

}  // extern "C"
