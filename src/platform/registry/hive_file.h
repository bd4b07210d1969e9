// The hive file: HKEY_CURRENT_USER kept as REGEDIT4 text in
// ${XDG_CONFIG_HOME:-$HOME/.config}/lumbrook/HKEY_CURRENT_USER.reg.
//
// The folder is created with mode 0700 and the file is always written with mode 0600, since
// it holds connection strings with passwords. Readers take no lock: the file is only ever
// replaced whole, by rename, so a reader sees the old or the new file. Every change takes an
// exclusive lock on a lock file beside it, re-reads the file, applies the change, writes a
// temporary file, flushes it and renames it over the old one; two processes therefore never
// lose each other's changes, and a crash leaves the old or the new file, never half of one.
// A file that cannot be parsed is never overwritten: reads see an empty tree, changes fail.
//
// Only a regular file is read or replaced, and the path is never opened in a way that can
// block: a FIFO, a folder or a device there reads as an empty tree and takes no change. A
// symbolic link at the path is followed, and the file it points to is replaced, so the link
// stays. A file without write permission for its owner is read-only, even for root.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "lumbrook/registry.h"
#include "platform/registry/hive.h"

namespace lumbrook::platform::registry {

// The largest hive file that is read. A change that would make the file larger is refused
// whole, since the file could not be read again afterwards.
inline constexpr std::size_t kMaxHiveBytes = 64 * 1024 * 1024;

// The file's path for the current environment; read afresh on every call, so that a change
// of XDG_CONFIG_HOME takes effect at once.
std::string HiveFilePath();

struct HiveSnapshot {
    bool ok = false;                  // false when the file exists but cannot be read or parsed
    std::shared_ptr<const Key> root;  // never null; empty when the file is absent or not ok
    std::string error;                // why not ok, with the file's path
};

// The tree as the file holds it now. An absent file is an empty tree. The file is read on
// every call, but parsed only when its text differs from the last read: a caller walking a
// key value by value reads the file once per call, and must not parse it once per call too.
HiveSnapshot ReadHive();

// Applies `change` to the current tree under the lock. `change` returns ERROR_SUCCESS and
// sets `modified` when there is something to save; any other result is returned unchanged
// and nothing is written. Otherwise nothing is written and the old file stays as it was:
// ERROR_ACCESS_DENIED when the file is read-only, ERROR_NOT_ENOUGH_QUOTA when the new file
// would be larger than kMaxHiveBytes, ERROR_BADDB when the file is not a regular file,
// cannot be parsed, or the new one cannot be written.
using HiveChange = std::function<LONG(Key& root, bool& modified)>;
LONG ChangeHive(const HiveChange& change);

// Reads a registry text file whole, the way the hive itself is read: a regular file of at
// most kMaxHiveBytes, opened so that nothing can block. false, with the reason and the path
// in `error`, for anything else.
bool ReadRegistryFile(const std::string& path, std::string& text, std::string& error);

}  // namespace lumbrook::platform::registry
